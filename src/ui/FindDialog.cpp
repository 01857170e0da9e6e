#include "ui/FindDialog.h"

#include "ui/Application.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace envio {

namespace {

FindDialog*& sharedInstance() {
    static FindDialog* instance = nullptr;
    return instance;
}

// The dialog outlives every window it is shown over; it goes when the application object does.
void deleteShared() {
    delete sharedInstance();
    sharedInstance() = nullptr;
}

QString text(const char* latin1) {
    return QString::fromLatin1(latin1);
}

int directionIndex(FindDirection d) {
    switch (d) {
    case FindDirection::Up:
        return 0;
    case FindDirection::Down:
        return 1;
    case FindDirection::All:
        return 2;
    }
    return 2;
}

int matchIndex(FindMatch m) {
    switch (m) {
    case FindMatch::AnyPart:
        return 0;
    case FindMatch::WholeField:
        return 1;
    case FindMatch::FromBeginning:
        return 2;
    }
    return 0;
}

} // namespace

FindDialog& FindDialog::shared() {
    FindDialog*& instance = sharedInstance();
    if (!instance) {
        instance = new FindDialog;
        qAddPostRoutine(deleteShared);
    }
    return *instance;
}

FindDialog* FindDialog::existing() {
    return sharedInstance();
}

FindDialog::FindDialog(QWidget* parent) : QDialog(parent), logic_(FindText::shared()) {
    setWindowTitle(text(findtext::caption));
    setModal(true);

    findWhat = new QComboBox(this);
    findWhat->setEditable(true);
    findWhat->setInsertPolicy(QComboBox::NoInsert);
    findWhat->setMinimumWidth(220);
    findIn = new QComboBox(this);
    matchBox = new QComboBox(this);
    searchBox = new QComboBox(this);
    matchCase = new QCheckBox(text(findtext::matchCase), this);
    matchFormat = new QCheckBox(text(findtext::matchFormat), this);
    findNextButton = new QPushButton(text(findtext::findNext), this);
    findNextButton->setDefault(true);
    closeButton = new QPushButton(text(findtext::close), this);
    closeButton->setAutoDefault(false);
    findInTreeLabel = new QLabel(QStringLiteral("Find in Tree:"), this);
    findInTreeLabel->hide();

    auto* whatLabel = new QLabel(text(findtext::findWhat), this);
    whatLabel->setBuddy(findWhat);
    auto* inLabel = new QLabel(text(findtext::findIn), this);
    inLabel->setBuddy(findIn);
    auto* matchLabel = new QLabel(text(findtext::match), this);
    matchLabel->setBuddy(matchBox);
    auto* searchLabel = new QLabel(text(findtext::search), this);
    searchLabel->setBuddy(searchBox);

    auto* fields = new QGridLayout;
    fields->addWidget(whatLabel, 0, 0);
    fields->addWidget(findWhat, 0, 1);
    fields->addWidget(inLabel, 1, 0);
    fields->addWidget(findIn, 1, 1);
    fields->addWidget(matchLabel, 2, 0);
    fields->addWidget(matchBox, 2, 1);
    fields->addWidget(searchLabel, 3, 0);
    fields->addWidget(searchBox, 3, 1);
    fields->addWidget(matchCase, 4, 1);
    fields->addWidget(matchFormat, 5, 1);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(findNextButton);
    buttons->addWidget(closeButton);
    buttons->addStretch(1);

    auto* whole = new QHBoxLayout(this);
    whole->addLayout(fields, 1);
    whole->addLayout(buttons);

    connect(findWhat, &QComboBox::editTextChanged, this, [this](const QString& t) {
        if (!showing_)
            logic_.setText(t);
    });
    connect(findIn, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (!showing_)
            logic_.setColumn(index == findIn->count() - 1 ? FindText::everyColumn : index);
    });
    connect(matchBox, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (!showing_)
            logic_.setMatch(index == 1   ? FindMatch::WholeField
                            : index == 2 ? FindMatch::FromBeginning
                                         : FindMatch::AnyPart);
    });
    connect(searchBox, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (!showing_)
            logic_.setDirection(index == 0   ? FindDirection::Up
                                : index == 1 ? FindDirection::Down
                                             : FindDirection::All);
    });
    connect(matchCase, &QCheckBox::toggled, this, [this](bool on) {
        if (!showing_)
            logic_.setMatchCase(on);
    });
    connect(matchFormat, &QCheckBox::toggled, this, [this](bool on) {
        if (!showing_)
            logic_.setMatchFormat(on);
    });
    connect(findNextButton, &QPushButton::clicked, this, [this] {
        const bool ctrl = QGuiApplication::keyboardModifiers().testFlag(Qt::ControlModifier);
        guarded([this, ctrl] { findNext(ctrl); });
    });
    connect(closeButton, &QPushButton::clicked, this, &QDialog::reject);
}

void FindDialog::showState() {
    showing_ = true;
    findWhat->clear();
    findWhat->addItems(logic_.history());
    findWhat->setEditText(logic_.text());
    findIn->clear();
    findIn->addItems(logic_.findInEntries());
    findIn->setCurrentIndex(logic_.column() == FindText::everyColumn ? findIn->count() - 1 : logic_.column());
    matchBox->clear();
    matchBox->addItems(FindText::matchEntries());
    matchBox->setCurrentIndex(matchIndex(logic_.match()));
    searchBox->clear();
    searchBox->addItems(FindText::directionEntries());
    searchBox->setCurrentIndex(directionIndex(logic_.direction()));
    matchCase->setChecked(logic_.matchCase());
    matchFormat->setChecked(logic_.matchFormat());
    showing_ = false;
}

void FindDialog::execFor(FindTarget& target, QWidget* over) {
    struct Leave {
        FindDialog& dialog;
        ~Leave() { dialog.target_ = nullptr; }
    } leave{*this};
    target_ = &target;
    logic_.open(target.columnCaptions(), target.focusedColumn());
    showState();
    adjustSize();
    if (over) {
        const QRect area = over->window()->frameGeometry();
        move(area.center() - rect().center());
    }
    findWhat->setFocus(Qt::OtherFocusReason);
    exec();
}

bool FindDialog::findNext(bool ctrlHeld) {
    if (!target_)
        return false;
    logic_.setText(findWhat->currentText());
    const std::optional<FindPosition> found = logic_.findNext(*target_, target_->currentPosition(), ctrlHeld);
    // The drop-down list now holds the text; what is typed stays as it is.
    showing_ = true;
    const QString typed = findWhat->currentText();
    findWhat->clear();
    findWhat->addItems(logic_.history());
    findWhat->setEditText(typed);
    showing_ = false;
    if (!found)
        return false;
    target_->moveTo(*found);
    return true;
}

} // namespace envio
