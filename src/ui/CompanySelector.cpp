#include "ui/CompanySelector.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLayout>
#include <QScrollBar>
#include <QSizeGrip>
#include <QStandardItemModel>
#include <QTableView>
#include <algorithm>

namespace envio {

namespace {

constexpr int kCodeColumn = 0;
constexpr int kNameColumn = 1;

struct ColumnSize {
    int width;
    int minimum;
    int maximum;
};

constexpr ColumnSize kColumnSizes[] = {{50, 50, 60}, {150, 100, 220}};

QString withoutTrailingBlanks(QString text) {
    while (text.endsWith(QLatin1Char(' ')))
        text.chop(1);
    return text;
}

} // namespace

CompanySelector::CompanySelector(QWidget* parent)
    : QComboBox(parent), companies_(new QStandardItemModel(0, 2, this)), list_(new QTableView(this)) {
    companies_->setHorizontalHeaderLabels({QStringLiteral("Código"), QStringLiteral("Nombre")});
    setModel(companies_);
    setView(list_);
    setModelColumn(kNameColumn);
    setInsertPolicy(QComboBox::NoInsert);
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    // The list drops down under the box, whatever the style would do with a list of its own.
    setStyleSheet(QStringLiteral("QComboBox { combobox-popup: 0; }"));
    setMaxVisibleItems(12);

    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->verticalHeader()->hide();
    list_->setShowGrid(false);
    list_->setWordWrap(false);
    list_->verticalHeader()->setDefaultSectionSize(list_->fontMetrics().height() + 4);
    QHeaderView* header = list_->horizontalHeader();
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->setStretchLastSection(false);
    header->setMinimumSectionSize(kColumnSizes[kCodeColumn].minimum);
    for (int c = 0; c < 2; ++c)
        header->resizeSection(c, kColumnSizes[c].width);
    // Each column keeps to its own limits when the operator drags its border.
    connect(header, &QHeaderView::sectionResized, this, [header](int section, int, int size) {
        if (section < 0 || section > 1)
            return;
        const int bounded = std::clamp(size, kColumnSizes[section].minimum, kColumnSizes[section].maximum);
        if (bounded != size)
            header->resizeSection(section, bounded);
    });

    // Typing in the open list searches codes and names from their first character.
    list_->installEventFilter(this);

    connect(this, QOverload<int>::of(&QComboBox::activated), this, [this](int row) {
        shownKey_ = codeAt(row);
        emit keyChosen(*shownKey_);
    });
}

QString CompanySelector::codeAt(int row) const {
    const QStandardItem* item = companies_->item(row, kCodeColumn);
    return item ? item->text() : QString();
}

void CompanySelector::setCompanies(const std::vector<Company>& companies) {
    const bool blocked = blockSignals(true);
    companies_->removeRows(0, companies_->rowCount());
    for (const Company& c : companies)
        companies_->appendRow({new QStandardItem(c.code), new QStandardItem(c.name)});
    blockSignals(blocked);
    showKey(shownKey_);
}

void CompanySelector::showKey(const std::optional<QString>& key) {
    shownKey_ = key;
    int row = -1;
    if (key) {
        const QString wanted = withoutTrailingBlanks(*key);
        for (int r = 0; r < companies_->rowCount(); ++r)
            if (withoutTrailingBlanks(codeAt(r)) == wanted) {
                row = r;
                break;
            }
    }
    const bool blocked = blockSignals(true);
    setCurrentIndex(row);
    blockSignals(blocked);
}

void CompanySelector::showPopup() {
    QComboBox::showPopup();
    QWidget* popup = list_->window();
    if (popup == window())
        return;
    // The list can be resized by the grip in its corner; it opens at the size it was last given.
    if (!popup->findChild<QSizeGrip*>()) {
        auto* grip = new QSizeGrip(popup);
        if (QLayout* layout = popup->layout())
            layout->addWidget(grip);
        grip->show();
        popup->installEventFilter(this);
    }
    QSize size = popupSize_;
    if (!size.isValid()) {
        // Wide enough for both columns and high enough for the titles and the visible rows.
        const QHeaderView* header = list_->horizontalHeader();
        const QMargins margins = popup->contentsMargins();
        const int frame = list_->frameWidth() * 2 + margins.left() + margins.right();
        const int columns = header->sectionSize(kCodeColumn) + header->sectionSize(kNameColumn);
        const int rows = std::clamp(companies_->rowCount(), 1, maxVisibleItems());
        const QSizeGrip* grip = popup->findChild<QSizeGrip*>();
        const int height = header->sizeHint().height() +
                           rows * list_->verticalHeader()->defaultSectionSize() + frame +
                           (grip ? grip->sizeHint().height() : 0) + 2;
        size =
            QSize(std::max(popup->width(), columns + list_->verticalScrollBar()->sizeHint().width() + frame),
                  std::max(popup->height(), height));
    }
    popup->resize(size);
}

void CompanySelector::search(const QString& typed) {
    if (!lastTyped_.isValid() || lastTyped_.elapsed() > QApplication::keyboardInputInterval())
        typed_.clear();
    typed_ += typed;
    lastTyped_.restart();
    for (const int column : {kCodeColumn, kNameColumn})
        for (int r = 0; r < companies_->rowCount(); ++r)
            if (companies_->item(r, column)->text().startsWith(typed_, Qt::CaseInsensitive)) {
                list_->setCurrentIndex(companies_->index(r, kNameColumn));
                list_->scrollTo(list_->currentIndex());
                return;
            }
}

bool CompanySelector::eventFilter(QObject* watched, QEvent* event) {
    if (watched == list_ && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (!key->text().isEmpty() && key->text().at(0).isPrint() &&
            !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            search(key->text());
            return true;
        }
    }
    if (watched == list_->window() && event->type() == QEvent::Hide)
        popupSize_ = list_->window()->size();
    return QComboBox::eventFilter(watched, event);
}

void CompanySelector::keyPressEvent(QKeyEvent* event) {
    // Typing opens the list and searches it.
    if (!event->text().isEmpty() && event->text().at(0).isPrint() &&
        !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
        if (!list_->isVisible())
            showPopup();
        search(event->text());
        event->accept();
        return;
    }
    QComboBox::keyPressEvent(event);
}

} // namespace envio
