#include "ui/EventGrid.h"

#include "ui/Application.h"
#include "ui/CompactCellStyle.h"
#include "ui/CustomFilterDialog.h"
#include "ui/grid/ExportClipboard.h"
#include "ui/grid/ExportSave.h"

#include <QApplication>
#include <QClipboard>
#include <QFocusEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>

namespace envio {

namespace {

// Draws the cells: every cell highlighted while everything is selected, the current cell highlighted while
// the grid has the focus, and the incremental search text in the current cell, black on yellow.
class EventGridDelegate : public QStyledItemDelegate {
public:
    explicit EventGridDelegate(const EventGrid& grid)
        : QStyledItemDelegate(const_cast<EventGrid*>(&grid)), grid_(grid) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem look(option);
        const bool current = index.row() == grid_.currentRow() && index.column() == grid_.currentColumn();
        const bool highlighted = grid_.selection().isAll() || (current && grid_.hasFocus());
        look.state.setFlag(QStyle::State_Selected, highlighted);
        look.state.setFlag(QStyle::State_HasFocus, false);
        QStyledItemDelegate::paint(painter, look, index);
        if (current && grid_.search().active() && !grid_.search().text().isEmpty())
            paintSearchText(painter, look, index);
    }

private:
    void paintSearchText(QPainter* painter, QStyleOptionViewItem look, const QModelIndex& index) const {
        initStyleOption(&look, index);
        const QWidget* widget = look.widget;
        QStyle* style = widget ? widget->style() : QApplication::style();
        const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
        const QRect area =
            style->subElementRect(QStyle::SE_ItemViewItemText, &look, widget).adjusted(margin, 0, -margin, 0);
        const QFontMetrics metrics(look.font);
        const QString& searched = grid_.search().text();
        const int width = metrics.horizontalAdvance(searched);
        const int left = look.displayAlignment.testFlag(Qt::AlignRight)
                             ? area.right() + 1 - metrics.horizontalAdvance(look.text)
                             : area.left();
        const QRect band(left, area.top() + 1, std::min(width, area.right() + 1 - left), area.height() - 2);
        painter->save();
        painter->setClipRect(look.rect);
        painter->fillRect(band, Qt::yellow);
        painter->setFont(look.font);
        painter->setPen(Qt::black);
        painter->drawText(QRect(left, area.top(), width, area.height()), Qt::AlignLeft | Qt::AlignVCenter,
                          searched);
        painter->restore();
    }

    const EventGrid& grid_;
};

// The dataset behind a grid as a sort applies to it.
class DatasetSortTarget : public SortTarget {
public:
    explicit DatasetSortTarget(StagedDataset& dataset) : dataset_(dataset) {}

    bool hasIndex(const std::string& name) const override {
        for (const IndexDef& index : dataset_.indexes())
            if (index.name == name)
                return true;
        return false;
    }
    void deleteIndex(const std::string& name) override { dataset_.deleteIndex(name); }
    void defineIndex(const std::string& name, const std::vector<std::string>& fields,
                     const std::vector<std::string>& descending) override {
        dataset_.addIndex(IndexDef{name, fields, descending});
    }
    void useIndex(const std::string& name) override { dataset_.setIndexName(name); }
    void useNaturalOrder() override { dataset_.setIndexName({}); }
    void first() override {
        if (dataset_.isOpen())
            dataset_.first();
    }

private:
    StagedDataset& dataset_;
};

// The focused column's texts as the incremental search walks them.
class ColumnTexts : public SearchRows {
public:
    ColumnTexts(const EventGridModel& model, int column) : model_(model), column_(column) {}
    int rowCount() const override { return model_.rowCount(); }
    QString displayText(int row) const override { return model_.displayText(row, column_); }

private:
    const EventGridModel& model_;
    int column_;
};

GridKey gridKey(int key) {
    switch (key) {
    case Qt::Key_Left:
        return GridKey::Left;
    case Qt::Key_Right:
        return GridKey::Right;
    case Qt::Key_Up:
        return GridKey::Up;
    case Qt::Key_Down:
        return GridKey::Down;
    case Qt::Key_Home:
        return GridKey::Home;
    case Qt::Key_End:
        return GridKey::End;
    case Qt::Key_PageUp:
        return GridKey::PageUp;
    case Qt::Key_PageDown:
        return GridKey::PageDown;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return GridKey::Tab;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return GridKey::Enter;
    case Qt::Key_Escape:
        return GridKey::Escape;
    case Qt::Key_Insert:
        return GridKey::Insert;
    case Qt::Key_A:
        return GridKey::A;
    case Qt::Key_C:
        return GridKey::C;
    default:
        return GridKey::Other;
    }
}

GridKeyModifiers gridModifiers(Qt::KeyboardModifiers m) {
    return GridKeyModifiers{m.testFlag(Qt::ControlModifier), m.testFlag(Qt::ShiftModifier),
                            m.testFlag(Qt::AltModifier)};
}

GridRgb rgbOf(const QColor& c) {
    const QColor rgb = c.toRgb();
    return GridRgb{static_cast<std::uint8_t>(rgb.red()), static_cast<std::uint8_t>(rgb.green()),
                   static_cast<std::uint8_t>(rgb.blue())};
}

} // namespace

EventGrid::EventGrid(StagedDataset& dataset, std::vector<EventGridColumn> columns, QWidget* parent)
    : QTableView(parent), model_(new EventGridModel(dataset, std::move(columns), this)),
      header_(new EventGridHeader(*this, this)) {
    setHorizontalHeader(header_);
    setModel(model_);
    setItemDelegate(new EventGridDelegate(*this));
    useCompactCells(*this);
    // Single cells without a visible Qt selection: the grid draws its own (all or nothing).
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTabKeyNavigation(true);
    setWordWrap(false);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);

    for (int c = 0; c < model_->columnCount(); ++c)
        header_->resizeSection(c, model_->column(c).width);

    QHeaderView* indicator = verticalHeader();
    indicator->setSectionResizeMode(QHeaderView::Fixed);
    indicator->setDefaultSectionSize(fontMetrics().height() + 4);
    indicator->setFixedWidth(14);
    indicator->setDefaultAlignment(Qt::AlignCenter);
    indicator->setHighlightSections(false);
    indicator->setSectionsClickable(false);

    searchTimer_.setSingleShot(true);
    searchTimer_.setInterval(SearchState::timeoutMs);
    connect(&searchTimer_, &QTimer::timeout, this, [this] { searchTimedOut(); });

    connect(header_, &EventGridHeader::titleClicked, this,
            [this](int column, bool ctrl) { guarded([&] { titleClick(column, ctrl); }); });
    connect(header_, &EventGridHeader::filterEdited, this,
            [this](int column, const QString& text, bool apply) {
                guarded([&] {
                    if (text != filterText(column))
                        setFilterText(column, text);
                    if (apply)
                        applyFilter();
                });
            });
    connect(header_, &EventGridHeader::filterListRequested, this,
            [this](int column, const QPoint& at) { guarded([&] { showFilterList(column, at); }); });

    prepareFilterColumns();
}

EventGrid::~EventGrid() {
    searchTimer_.stop();
}

const std::string& EventGrid::columnName(int column) const {
    return model_->column(column).field;
}

// ---- rows and current cell --------------------------------------------------------------------------------

void EventGrid::reload() {
    const int column = currentColumn();
    model_->reload();
    prepareFilterColumns();
    following_ = true;
    const int row = model_->currentRow();
    if (row >= 0) {
        setCurrentIndex(model_->index(row, column >= 0 ? column : 0));
        scrollTo(currentIndex());
    }
    following_ = false;
    shownRow_ = row;
    viewport()->update();
    emit currentRowChanged(row);
}

void EventGrid::followDataset() {
    const int row = model_->currentRow();
    const int before = shownRow_;
    following_ = true;
    if (row < 0) {
        selectionModel()->clearCurrentIndex();
    } else {
        const int column = currentColumn();
        setCurrentIndex(model_->index(row, column >= 0 ? column : 0));
        scrollTo(currentIndex());
    }
    following_ = false;
    shownRow_ = row;
    model_->currentRowMoved(before, row);
    viewport()->update();
    emit currentRowChanged(row);
}

int EventGrid::currentRow() const {
    return model_->currentRow();
}

int EventGrid::currentColumn() const {
    const QModelIndex index = currentIndex();
    if (index.isValid())
        return index.column();
    const std::vector<int> shown = shownColumns();
    return shown.empty() ? -1 : shown.front();
}

void EventGrid::setCurrentCell(int row, int column) {
    if (row < 0 || row >= model_->rowCount() || column < 0 || column >= model_->columnCount())
        return;
    setCurrentIndex(model_->index(row, column));
    scrollTo(currentIndex());
}

std::vector<int> EventGrid::shownColumns() const {
    std::vector<int> shown;
    for (int visual = 0; visual < header_->count(); ++visual) {
        const int column = header_->logicalIndex(visual);
        if (column >= 0 && !header_->isSectionHidden(column))
            shown.push_back(column);
    }
    return shown;
}

void EventGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTableView::currentChanged(current, previous);
    // Moves made to follow the dataset report themselves.
    if (following_)
        return;
    StagedDataset& ds = dataset();
    if (current.isValid() && ds.isOpen() && current.row() != model_->currentRow())
        guarded([&] { ds.setRecNo(current.row() + 1); });
    const int before = shownRow_;
    shownRow_ = model_->currentRow();
    if (before != shownRow_) {
        model_->currentRowMoved(before, shownRow_);
        emit currentRowChanged(shownRow_);
    }
    viewport()->update();
}

void EventGrid::scrollContentsBy(int dx, int dy) {
    if (dx != 0)
        header_->endFilterEdit();
    QTableView::scrollContentsBy(dx, dy);
}

void EventGrid::moveAcross(bool forward) {
    const int row = currentRow();
    const std::vector<int> shown = shownColumns();
    if (row < 0 || shown.empty())
        return;
    const auto at = std::find(shown.begin(), shown.end(), currentColumn());
    int place = at == shown.end() ? 0 : static_cast<int>(at - shown.begin());
    int target = row;
    place += forward ? 1 : -1;
    if (place >= static_cast<int>(shown.size())) {
        if (row + 1 >= model_->rowCount())
            return;
        place = 0;
        target = row + 1;
    } else if (place < 0) {
        if (row == 0)
            return;
        place = static_cast<int>(shown.size()) - 1;
        target = row - 1;
    }
    setCurrentCell(target, shown[static_cast<std::size_t>(place)]);
}

// ---- keys and mouse ---------------------------------------------------------------------------------------

void EventGrid::keyPressEvent(QKeyEvent* event) {
    event->accept();
    guarded([&] { handleKey(event); });
}

void EventGrid::handleKey(QKeyEvent* event) {
    const int key = event->key();
    const Qt::KeyboardModifiers modifiers = event->modifiers();

    // The incremental search sees every key first.
    const SearchKey searchKey = classifySearchKey(key, modifiers, event->text());
    if (searchKey != SearchKey::Other || search_.active()) {
        QString text = event->text();
        if (searchKey == SearchKey::Paste)
            text = QApplication::clipboard()->text();
        const int column = currentColumn();
        const SearchOutcome outcome =
            search_.keyPressed(searchKey, text, ColumnTexts(*model_, column), currentRow());
        handleSearchOutcome(outcome);
        if (outcome.consumed)
            return;
    }

    const GridKey gk = gridKey(key);
    const GridKeyModifiers gm = gridModifiers(modifiers);
    const GridSelection::KeyOutcome outcome = selection_.keyPressed(gk, gm, datasetState());
    if (outcome.selectionChanged)
        viewport()->update();
    const bool onlyCtrl = gm.ctrl && !gm.shift && !gm.alt;
    if (onlyCtrl && (gk == GridKey::A || gk == GridKey::C || gk == GridKey::Insert)) {
        if (outcome.copy)
            copySelection();
        return;
    }
    if (gm.ctrl || gm.alt) {
        if (gk == GridKey::Tab || gk == GridKey::Enter || gk == GridKey::Escape)
            return;
    } else if (gk == GridKey::Tab || gk == GridKey::Enter) {
        // Enter moves on like Tab.
        moveAcross(key != Qt::Key_Backtab && !gm.shift);
        return;
    } else if (gk == GridKey::Escape) {
        return;
    }
    event->ignore();
    QTableView::keyPressEvent(event);
}

void EventGrid::handleSearchOutcome(const SearchOutcome& outcome) {
    if (outcome.moveTo)
        setCurrentCell(*outcome.moveTo, currentColumn());
    if (!search_.active())
        searchTimer_.stop();
    else if (outcome.restartTimer)
        searchTimer_.start();
    else if (!search_.hasTimeout())
        searchTimer_.stop();
    viewport()->update();
    if (outcome.openFindDialog)
        openFindDialog();
}

void EventGrid::searchTimedOut() {
    searchTimer_.stop();
    search_.timeoutExpired();
    viewport()->update();
}

void EventGrid::keyReleaseEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Control && !event->isAutoRepeat()) {
        guarded([this] {
            if (const std::optional<SortIndex> index = sort_.ctrlReleased())
                applySortIndex(*index);
        });
    }
    QTableView::keyReleaseEvent(event);
}

void EventGrid::focusOutEvent(QFocusEvent* event) {
    guarded([this] {
        if (const std::optional<SortIndex> index = sort_.focusLost())
            applySortIndex(*index);
    });
    QTableView::focusOutEvent(event);
    viewport()->update();
}

void EventGrid::mousePressEvent(QMouseEvent* event) {
    const QModelIndex cell = indexAt(event->position().toPoint());
    if (cell.isValid()) {
        const GridMouseButton button = event->button() == Qt::LeftButton    ? GridMouseButton::Left
                                       : event->button() == Qt::RightButton ? GridMouseButton::Right
                                                                            : GridMouseButton::Middle;
        if (selection_.dataCellPressed(button, cell.row(), cell.column()))
            viewport()->update();
    }
    QTableView::mousePressEvent(event);
}

// ---- selection, copy and save -----------------------------------------------------------------------------

GridDatasetState EventGrid::datasetState() const {
    const StagedDataset& ds = dataset();
    return GridDatasetState{ds.isOpen(), ds.isOpen() ? ds.recordCount() : 0};
}

void EventGrid::selectAll() {
    if (selection_.selectAll(datasetState()))
        viewport()->update();
}

void EventGrid::copySelection() {
    if (!GridSelection::canCopy(datasetState()))
        return;
    copyGridToClipboard(snapshot(selection_.state()), selection_.state());
}

std::optional<QString> EventGrid::saveSelection(const QString& defaultName, bool gridFocused) {
    const GridSelection::State state = selection_.state();
    return saveGridSelection(
        defaultName, gridFocused, [this, state] { return snapshot(state); }, state);
}

GridSnapshot EventGrid::snapshot(GridSelection::State selection) const {
    GridSnapshot grid;
    grid.name = objectName();
    const std::vector<int> shown = shownColumns();
    const int focused = currentColumn();
    for (std::size_t i = 0; i < shown.size(); ++i) {
        const int c = shown[i];
        GridColumn column;
        column.title = model_->title(c);
        column.width = header_->sectionSize(c);
        column.alignment = model_->alignment(c);
        if (const Field* f = model_->field(c))
            column.field =
                GridField{QString::fromStdString(f->name()), f->type(), f->kind() == Field::Kind::Lookup};
        grid.columns.push_back(std::move(column));
        if (c == focused)
            grid.focusedColumn = static_cast<int>(i);
    }

    const auto rowOf = [&](int row) {
        GridRow cells;
        cells.reserve(shown.size());
        for (int c : shown) {
            const Value& value = model_->value(row, c);
            cells.push_back(GridCell{EventGridModel::textOf(value), value, model_->keyValues(row, c)});
        }
        return cells;
    };
    const int current = currentRow();
    if (selection == GridSelection::State::All) {
        const int count = model_->rowCount();
        grid.rows.reserve(static_cast<std::size_t>(count));
        for (int r = 0; r < count; ++r)
            grid.rows.push_back(rowOf(r));
        grid.currentRow = current;
    } else if (current >= 0) {
        // Nothing selected: the export covers the current row alone.
        grid.rows.push_back(rowOf(current));
        grid.currentRow = 0;
    }

    const QPalette colours = palette();
    grid.palette = GridPalette{rgbOf(colours.color(QPalette::Active, QPalette::Base)),
                               rgbOf(colours.color(QPalette::Active, QPalette::Text)),
                               rgbOf(colours.color(QPalette::Active, QPalette::Button))};
    grid.pixelsPerInch = logicalDpiX();
    return grid;
}

// ---- sorting ----------------------------------------------------------------------------------------------

SortMarker EventGrid::sortMarker(int column) const {
    return sort_.marker(columnName(column));
}

int EventGrid::sortPosition(int column) const {
    return sort_.shownPosition(columnName(column));
}

void EventGrid::titleClick(int column, bool ctrlHeld) {
    if (column < 0 || column >= model_->columnCount())
        return;
    const std::optional<SortIndex> index = sort_.titleClick(columnName(column), ctrlHeld);
    header_->viewport()->update();
    if (index)
        applySortIndex(*index);
}

void EventGrid::applySortIndex(const SortIndex& index) {
    // The grid shows whatever order the dataset ends in, also when building the index fails.
    struct Reload {
        EventGrid& grid;
        ~Reload() { grid.reload(); }
    } reload{*this};
    DatasetSortTarget target(dataset());
    applySort(index, target);
}

// ---- incremental search and find --------------------------------------------------------------------------

void EventGrid::openFindDialog() {
    FindDialog::shared().execFor(*this, this);
}

int EventGrid::rowCount() const {
    return model_->rowCount();
}

int EventGrid::columnCount() const {
    return static_cast<int>(shownColumns().size());
}

QString EventGrid::displayText(int row, int column) const {
    const std::vector<int> shown = shownColumns();
    if (column < 0 || column >= static_cast<int>(shown.size()))
        return {};
    return model_->displayText(row, shown[static_cast<std::size_t>(column)]);
}

QString EventGrid::plainText(int row, int column) const {
    // The fields of these grids have no display format of their own: the plain text is the shown one.
    return displayText(row, column);
}

QStringList EventGrid::columnCaptions() const {
    QStringList captions;
    for (int c : shownColumns())
        captions << model_->title(c);
    return captions;
}

int EventGrid::focusedColumn() const {
    const std::vector<int> shown = shownColumns();
    const auto at = std::find(shown.begin(), shown.end(), currentColumn());
    return at == shown.end() ? 0 : static_cast<int>(at - shown.begin());
}

FindPosition EventGrid::currentPosition() const {
    return FindPosition{currentRow(), focusedColumn()};
}

void EventGrid::moveTo(FindPosition cell) {
    const std::vector<int> shown = shownColumns();
    if (cell.column < 0 || cell.column >= static_cast<int>(shown.size()))
        return;
    setCurrentCell(cell.row, shown[static_cast<std::size_t>(cell.column)]);
}

// ---- filter row -------------------------------------------------------------------------------------------

void EventGrid::prepareFilterColumns() {
    // Columns get the kind of their field once the dataset has its fields; a column holding a filter keeps
    // the form it was parsed with.
    for (int c = 0; c < model_->columnCount(); ++c) {
        const EventGridColumn& definition = model_->column(c);
        if (filter_.hasColumn(definition.field) && !filter_.text(definition.field).isEmpty())
            continue;
        FilterColumn column;
        column.lookedUp = !definition.lookupKey.empty();
        column.fieldName = column.lookedUp ? definition.lookupKey : definition.field;
        const Field* f = model_->field(c);
        column.kind = column.lookedUp || !f ? FilterValueKind::Text : filterValueKind(f->type());
        if (const auto it = lookups_.find(c); it != lookups_.end())
            column.lookup = it->second;
        filter_.addColumn(definition.field, std::move(column));
    }
}

void EventGrid::setFilterRowVisible(bool visible) {
    header_->setFilterRowVisible(visible);
    updateGeometries();
    viewport()->update();
}

bool EventGrid::filterRowVisible() const {
    return header_->filterRowVisible();
}

void EventGrid::setFilterLookup(int column, std::vector<FilterLookupEntry> entries) {
    if (column < 0 || column >= model_->columnCount())
        return;
    lookups_[column] = entries;
    filter_.setLookup(columnName(column), std::move(entries));
}

QString EventGrid::filterText(int column) const {
    if (column < 0 || column >= model_->columnCount() || !filter_.hasColumn(columnName(column)))
        return {};
    return filter_.text(columnName(column));
}

void EventGrid::setFilterText(int column, const QString& text) {
    if (column < 0 || column >= model_->columnCount())
        return;
    filter_.setText(columnName(column), text);
    header_->viewport()->update();
}

void EventGrid::applyFilter() {
    std::vector<std::string> order;
    for (int c : shownColumns())
        order.push_back(columnName(c));
    const std::string expression = filter_.expression(order);
    struct Reload {
        EventGrid& grid;
        ~Reload() { grid.reload(); }
    } reload{*this};
    dataset().setFilterText(expression);
    dataset().setFiltered(true);
}

void EventGrid::showFilterList(int column, const QPoint& at) {
    QMenu list(this);
    for (FilterMenuEntry entry : filterMenuEntries(true)) {
        if (entry == FilterMenuEntry::Separator) {
            list.addSeparator();
            continue;
        }
        list.addAction(filterMenuCaption(entry))->setData(static_cast<int>(entry));
    }
    if (QAction* chosen = list.exec(at))
        filterListChosen(column, static_cast<FilterMenuEntry>(chosen->data().toInt()));
}

void EventGrid::filterListChosen(int column, FilterMenuEntry entry) {
    if (column < 0 || column >= model_->columnCount())
        return;
    header_->endFilterEdit();
    const std::string& name = columnName(column);
    switch (entry) {
    case FilterMenuEntry::OrderAscending:
    case FilterMenuEntry::OrderDescending: {
        const std::optional<SortIndex> index = sort_.setMarker(
            name, entry == FilterMenuEntry::OrderAscending ? SortMarker::Ascending : SortMarker::Descending);
        header_->viewport()->update();
        if (index)
            applySortIndex(*index);
        return;
    }
    case FilterMenuEntry::Separator:
        return;
    case FilterMenuEntry::ClearFilter:
        filter_.clearAll();
        break;
    case FilterMenuEntry::ApplyFilter:
        break;
    case FilterMenuEntry::Custom: {
        const std::optional<QString> text =
            CustomFilterDialog::shared().ask(filter_.parsed(name), filter_.column(name).kind, this);
        if (!text)
            return;
        filter_.setText(name, *text);
        break;
    }
    case FilterMenuEntry::All:
        filter_.clear(name);
        break;
    case FilterMenuEntry::NotEmpty:
        filter_.setNotEmpty(name);
        break;
    case FilterMenuEntry::Empty:
        filter_.setEmpty(name);
        break;
    }
    header_->viewport()->update();
    applyFilter();
}

} // namespace envio
