#include "ui/CustomFilterDialog.h"

#include "base/Regional.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace envio {

namespace {

CustomFilterDialog*& sharedInstance() {
    static CustomFilterDialog* instance = nullptr;
    return instance;
}

void deleteShared() {
    delete sharedInstance();
    sharedInstance() = nullptr;
}

QString text(const char* latin1) {
    return QString::fromLatin1(latin1);
}

QComboBox* operatorList(QWidget* parent) {
    auto* list = new QComboBox(parent);
    for (CustomFilterOperator op : customFilterOperators())
        list->addItem(customFilterCaption(op));
    list->setMinimumWidth(180);
    return list;
}

int operatorIndex(CustomFilterOperator op) {
    const auto& all = customFilterOperators();
    for (std::size_t i = 0; i < all.size(); ++i)
        if (all[i] == op)
            return static_cast<int>(i);
    return 0;
}

CustomFilterOperator operatorAt(int index) {
    const auto& all = customFilterOperators();
    return index >= 0 && index < static_cast<int>(all.size()) ? all[static_cast<std::size_t>(index)]
                                                              : CustomFilterOperator::Empty;
}

} // namespace

CustomFilterDialog& CustomFilterDialog::shared() {
    CustomFilterDialog*& instance = sharedInstance();
    if (!instance) {
        instance = new CustomFilterDialog;
        qAddPostRoutine(deleteShared);
    }
    return *instance;
}

CustomFilterDialog* CustomFilterDialog::existing() {
    return sharedInstance();
}

CustomFilterDialog::CustomFilterDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(text(customfilter::caption));
    setModal(true);

    showRecordsWhere = new QLabel(text(customfilter::showRecordsWhere), this);
    firstOperator = operatorList(this);
    firstValue = new QLineEdit(this);
    andChoice = new QRadioButton(text(customfilter::andChoice), this);
    orChoice = new QRadioButton(text(customfilter::orChoice), this);
    andChoice->setChecked(true);
    secondOperator = operatorList(this);
    secondValue = new QLineEdit(this);
    auto* singleHint = new QLabel(text(customfilter::singleCharacterHint), this);
    auto* seriesHint = new QLabel(text(customfilter::seriesHint), this);
    okButton = new QPushButton(text(customfilter::ok), this);
    okButton->setDefault(true);
    cancelButton = new QPushButton(text(customfilter::cancel), this);
    cancelButton->setAutoDefault(false);

    auto* conditions = new QGridLayout;
    conditions->addWidget(firstOperator, 0, 0);
    conditions->addWidget(firstValue, 0, 1);
    auto* relation = new QHBoxLayout;
    relation->addWidget(andChoice);
    relation->addWidget(orChoice);
    relation->addStretch(1);
    conditions->addLayout(relation, 1, 0, 1, 2);
    conditions->addWidget(secondOperator, 2, 0);
    conditions->addWidget(secondValue, 2, 1);
    conditions->setColumnStretch(1, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(okButton);
    buttons->addWidget(cancelButton);

    auto* whole = new QVBoxLayout(this);
    whole->addWidget(showRecordsWhere);
    whole->addLayout(conditions);
    whole->addWidget(singleHint);
    whole->addWidget(seriesHint);
    whole->addLayout(buttons);

    // "is blank" and "is not blank" take no value.
    connect(firstOperator, &QComboBox::currentIndexChanged, this,
            [this](int index) { firstValue->setEnabled(customFilterTakesValue(operatorAt(index))); });
    connect(secondOperator, &QComboBox::currentIndexChanged, this,
            [this](int index) { secondValue->setEnabled(customFilterTakesValue(operatorAt(index))); });
    connect(okButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

void CustomFilterDialog::suitValueBoxes() {
    // Numbers are typed right-aligned; dates and times in the regional formats, which the boxes show.
    const Qt::Alignment alignment = kind_ == FilterValueKind::Number ? Qt::AlignRight : Qt::AlignLeft;
    QString hint;
    if (kind_ == FilterValueKind::DateTime) {
        const regional::Formats formats = regional::current();
        hint = formats.shortDate + QLatin1Char(' ') + formats.longTime;
    }
    for (QLineEdit* box : {firstValue, secondValue}) {
        box->setAlignment(alignment | Qt::AlignVCenter);
        box->setPlaceholderText(hint);
    }
}

CustomFilterFields CustomFilterDialog::fields() const {
    CustomFilterFields f;
    f.first = {operatorAt(firstOperator->currentIndex()), firstValue->text()};
    f.relation = orChoice->isChecked() ? FilterRelation::Or : FilterRelation::And;
    f.second = {operatorAt(secondOperator->currentIndex()), secondValue->text()};
    return f;
}

void CustomFilterDialog::setFields(const CustomFilterFields& f) {
    firstOperator->setCurrentIndex(operatorIndex(f.first.op));
    firstValue->setText(f.first.value);
    if (f.relation == FilterRelation::Or)
        orChoice->setChecked(true);
    else
        andChoice->setChecked(true);
    secondOperator->setCurrentIndex(operatorIndex(f.second.op));
    secondValue->setText(f.second.value);
    firstValue->setEnabled(customFilterTakesValue(f.first.op));
    secondValue->setEnabled(customFilterTakesValue(f.second.op));
}

std::optional<QString> CustomFilterDialog::ask(const ParsedFilter& current, FilterValueKind kind,
                                               QWidget* over) {
    kind_ = kind;
    suitValueBoxes();
    setFields(customFilterFields(current));
    adjustSize();
    if (over) {
        const QRect area = over->window()->frameGeometry();
        move(area.center() - rect().center());
    }
    firstOperator->setFocus(Qt::OtherFocusReason);
    if (exec() != QDialog::Accepted)
        return std::nullopt;
    return customFilterText(fields(), kind_);
}

} // namespace envio
