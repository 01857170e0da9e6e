#pragma once

#include "ui/EventGridHeader.h"
#include "ui/EventGridModel.h"
#include "ui/FindDialog.h"
#include "ui/grid/FilterRow.h"
#include "ui/grid/GridSelection.h"
#include "ui/grid/GridSnapshot.h"
#include "ui/grid/SearchState.h"
#include "ui/grid/SortState.h"

#include <QTableView>
#include <QTimer>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace envio {

// The read-only grid of the pending events over a staged dataset: a row indicator, titles that sort the rows
// (Ctrl for several columns), incremental search by typing, the find dialog, a filter row under the titles,
// resizable and movable columns, and select all / copy / save of its contents. The dataset's current row is
// the grid's current row.
//
// The operations below raise their failures to the caller; what the operator does with keys and the mouse
// reaches the application-wide failure handler.
class EventGrid : public QTableView, private EventGridHeaderSource, private FindTarget {
    Q_OBJECT
public:
    EventGrid(StagedDataset& dataset, std::vector<EventGridColumn> columns, QWidget* parent = nullptr);
    ~EventGrid() override;

    EventGridModel& rows() const { return *model_; }
    EventGridHeader& titles() const { return *header_; }
    StagedDataset& dataset() const { return model_->dataset(); }

    // Shows the dataset anew after it was opened, refreshed or changed; the current row follows the
    // dataset's.
    void reload();
    // Shows the dataset's current row after it moved under the grid.
    void followDataset();

    // The current row as shown (-1 for none) and the focused column (a model column).
    int currentRow() const;
    int currentColumn() const;
    void setCurrentCell(int row, int column);
    // The visible columns in display order (model columns).
    std::vector<int> shownColumns() const;

    // ---- selection, copy and save
    const GridSelection& selection() const { return selection_; }
    GridDatasetState datasetState() const;
    // Select all, when the dataset is open and holds a row.
    void selectAll() override;
    // Copies the selection to the clipboard, when the dataset is open.
    void copySelection();
    // The save sequence with a default file name; does nothing unless gridFocused.
    std::optional<QString> saveSelection(const QString& defaultName, bool gridFocused);
    // The grid as an export sees it: all rows as shown, or for nothing selected only the current one.
    GridSnapshot snapshot(GridSelection::State selection) const;

    // ---- sorting
    const SortState& sortState() const { return sort_; }
    // A left click on a column's title, Ctrl held or not.
    void titleClick(int column, bool ctrlHeld);

    // ---- incremental search and find
    const SearchState& search() const { return search_; }
    bool searchTimerRunning() const { return searchTimer_.isActive(); }
    int searchTimeout() const { return searchTimer_.interval(); }
    // The search's time-out expired.
    void searchTimedOut();
    void openFindDialog();

    // ---- filter row
    void setFilterRowVisible(bool visible);
    bool filterRowVisible() const;
    const FilterRow& filterRow() const { return filter_; }
    // The look-up list of a looked-up column: the key values and the names the column shows for them.
    void setFilterLookup(int column, std::vector<FilterLookupEntry> entries);
    // Stores a column's filter text as typed; a text that does not parse raises and is not stored.
    void setFilterText(int column, const QString& text);
    // Hands the filter expression of all columns to the dataset and shows the matching rows.
    void applyFilter();
    // An entry of a filter cell's drop-down list.
    void filterListChosen(int column, FilterMenuEntry entry);

signals:
    // The current row as shown, after it may have changed.
    void currentRowChanged(int row);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    // EventGridHeaderSource
    SortMarker sortMarker(int column) const override;
    int sortPosition(int column) const override;
    QString filterText(int column) const override;
    // FindTarget
    int rowCount() const override;
    int columnCount() const override;
    QString displayText(int row, int column) const override;
    QString plainText(int row, int column) const override;
    QStringList columnCaptions() const override;
    int focusedColumn() const override;
    FindPosition currentPosition() const override;
    void moveTo(FindPosition cell) override;

    void handleKey(QKeyEvent* event);
    void handleSearchOutcome(const SearchOutcome& outcome);
    void moveAcross(bool forward);
    void applySortIndex(const SortIndex& index);
    void prepareFilterColumns();
    void showFilterList(int column, const QPoint& at);
    const std::string& columnName(int column) const;

    EventGridModel* model_;
    EventGridHeader* header_;
    GridSelection selection_;
    SortState sort_;
    SearchState search_;
    QTimer searchTimer_;
    FilterRow filter_;
    std::map<int, std::vector<FilterLookupEntry>> lookups_;
    bool following_ = false;
    int shownRow_ = -1;
};

} // namespace envio
