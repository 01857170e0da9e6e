#include "ui/DatasetGrid.h"

#include "ui/DatasetTableModel.h"
#include "ui/FindDialog.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QShortcut>

namespace envio {

DatasetGrid::DatasetGrid(DatasetTableModel& model, const std::vector<int>& columnWidths, bool editable,
                         QWidget* parent)
    : QTableView(parent), model_(model), editable_(editable) {
    setModel(&model);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(editable ? QAbstractItemView::AnyKeyPressed | QAbstractItemView::DoubleClicked |
                                   QAbstractItemView::EditKeyPressed
                             : QAbstractItemView::NoEditTriggers);
    setAlternatingRowColors(false);
    setWordWrap(false);

    QHeaderView* columns = horizontalHeader();
    columns->setSectionsMovable(true);
    columns->setHighlightSections(false);
    columns->setSectionResizeMode(QHeaderView::Interactive);
    columns->setStretchLastSection(false);
    for (std::size_t c = 0; c < columnWidths.size(); ++c)
        columns->resizeSection(static_cast<int>(c), columnWidths[c]);

    QHeaderView* indicator = verticalHeader();
    indicator->setSectionResizeMode(QHeaderView::Fixed);
    indicator->setDefaultSectionSize(fontMetrics().height() + 4);
    indicator->setFixedWidth(14);
    indicator->setDefaultAlignment(Qt::AlignCenter);
    indicator->setHighlightSections(false);

    auto* find =
        new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_F), this, nullptr, nullptr, Qt::WidgetShortcut);
    connect(find, &QShortcut::activated, this, &DatasetGrid::findRequested);
    connect(this, &DatasetGrid::findRequested, this, &DatasetGrid::openFind);

    // The operator moves the dataset by moving in the grid; the move is carried out once the grid is done
    // with the click or key, and the grid then shows where the dataset really is.
    connect(
        selectionModel(), &QItemSelectionModel::currentRowChanged, this,
        [this](const QModelIndex& current) {
            if (!following_ && current.isValid())
                model_.moveTo(current.row());
        },
        Qt::QueuedConnection);
    connect(&model_, &DatasetTableModel::currentRowChanged, this, &DatasetGrid::followDataset);
    // A reset forgets the current cell; the column the operator was in is kept for the row shown after it.
    connect(&model_, &QAbstractItemModel::modelAboutToBeReset, this, [this] {
        const QModelIndex at = currentIndex();
        if (at.isValid())
            keptColumn_ = at.column();
    });
    connect(&model_, &QAbstractItemModel::modelReset, this, [this] {
        // A reset forgets the widths only when the columns change; the current cell is set again below.
        followDataset(model_.currentRow());
    });
}

void DatasetGrid::followDataset(int row) {
    following_ = true;
    const QModelIndex was = currentIndex();
    const int column = was.isValid() ? was.column()
                       : keptColumn_ >= 0 && keptColumn_ < model_.columnCount()
                           ? keptColumn_
                           : horizontalHeader()->logicalIndex(0);
    if (row < 0)
        selectionModel()->clearCurrentIndex();
    else if (!was.isValid() || was.row() != row)
        setCurrentIndex(model_.index(row, column < 0 ? 0 : column));
    following_ = false;
}

namespace {

// The grid's cells as the find dialog walks them: rows in the dataset's order, columns in display order.
class GridCells : public FindTarget {
public:
    explicit GridCells(DatasetGrid& grid) : grid_(grid) {}
    int rowCount() const override { return grid_.datasetModel().rowCount(); }
    int columnCount() const override { return grid_.datasetModel().columnCount(); }
    QString displayText(int row, int column) const override {
        return grid_.datasetModel().data(grid_.datasetModel().index(row, logical(column))).toString();
    }
    QString plainText(int row, int column) const override { return displayText(row, column); }
    QStringList columnCaptions() const override {
        QStringList captions;
        for (int c = 0; c < columnCount(); ++c)
            captions << grid_.datasetModel().headerData(logical(c), Qt::Horizontal).toString();
        return captions;
    }
    int focusedColumn() const override {
        const QModelIndex at = grid_.currentIndex();
        return at.isValid() ? grid_.horizontalHeader()->visualIndex(at.column()) : 0;
    }
    FindPosition currentPosition() const override {
        return FindPosition{std::max(grid_.datasetModel().currentRow(), 0), focusedColumn()};
    }
    void moveTo(FindPosition cell) override {
        grid_.datasetModel().moveTo(cell.row);
        grid_.setCurrentIndex(grid_.datasetModel().index(cell.row, logical(cell.column)));
    }

private:
    int logical(int visual) const { return grid_.horizontalHeader()->logicalIndex(visual); }
    DatasetGrid& grid_;
};

} // namespace

void DatasetGrid::openFind() {
    GridCells cells(*this);
    FindDialog::shared().execFor(cells, this);
}

void DatasetGrid::keyPressEvent(QKeyEvent* event) {
    // Esc outside a cell editor drops the edit of the current row, as the navigator's cancel does.
    if (editable_ && event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier &&
        state() != QAbstractItemView::EditingState) {
        model_.cancelRow();
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

} // namespace envio
