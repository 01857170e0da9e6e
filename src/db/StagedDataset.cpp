#include "db/StagedDataset.h"

#include "db/ChangeWriter.h"
#include "db/ParameterList.h"
#include "db/Query.h"
#include "db/ValueConvert.h"

#include <algorithm>

namespace envio {

StagedDataset::StagedDataset(std::string name, Provider& provider, std::vector<FieldDef> fixedFields)
    : name_(std::move(name)), provider_(provider), fields_(*this, std::move(fixedFields)) {}

StagedDataset::~StagedDataset() = default;

void StagedDataset::fail(const std::string& message) const {
    throw Error(name_ + ": " + message);
}

void StagedDataset::requireOpen() const {
    if (!isOpen())
        fail("Cannot perform this operation on a closed dataset");
}

// ---- opening and closing ----------------------------------------------------------------------------------

void StagedDataset::open() {
    if (isOpen())
        return;
    Query& query = provider_.query();
    if (!commandText_.empty()) {
        if (!provider_.acceptsCommandText())
            throw Error("CommandText changes are not allowed");
        query.setText(commandText_);
        query.setParameters(commandParameters_);
    }
    for (const LookupDef& l : fields_.lookups())
        if (l.dataset && !l.dataset->isOpen())
            l.dataset->open();
    std::vector<Column> columns;
    std::vector<std::vector<Value>> rows = query.readAll(columns);
    fields_.build(columns);
    columns_ = std::move(columns);
    openedText_ = query.text();
    openedParameters_ = commandText_.empty() ? std::vector<Value>() : commandParameters_;
    rows_.load(std::move(rows));
    log_.clear();
    edit_.clear();
    state_ = DatasetState::Browse;
    fields_.markIndexFields(openedText_);
    rebuildView();
    setCurrent(0);
}

void StagedDataset::close() {
    if (!isOpen())
        return;
    rows_.clear();
    view_.clear();
    log_.clear();
    edit_.clear();
    state_ = DatasetState::Inactive;
    cur_ = -1;
    eof_ = bof_ = true;
    rows_.touch();
}

// ---- rows and navigation ----------------------------------------------------------------------------------

int StagedDataset::recordCount() const {
    if (!isOpen())
        return 0;
    return view_.active() ? static_cast<int>(view_.size()) : static_cast<int>(rows_.size());
}

bool StagedDataset::isEmpty() const {
    return recordCount() == 0 && state_ != DatasetState::Insert;
}

StagedRow* StagedDataset::rowAt(int pos) const {
    return view_.active() ? view_.at(static_cast<std::size_t>(pos)) : rows_.at(static_cast<std::size_t>(pos));
}

StagedRow* StagedDataset::currentRow() const {
    if (cur_ < 0 || cur_ >= recordCount())
        return nullptr;
    return rowAt(cur_);
}

void StagedDataset::setCurrent(int pos) {
    const int n = recordCount();
    if (n == 0) {
        cur_ = -1;
        eof_ = bof_ = true;
        return;
    }
    cur_ = std::clamp(pos, 0, n - 1);
    eof_ = bof_ = false;
}

void StagedDataset::first() {
    requireOpen();
    postOrCancel();
    setCurrent(0);
    bof_ = true;
}

void StagedDataset::last() {
    requireOpen();
    postOrCancel();
    setCurrent(recordCount() - 1);
    eof_ = true;
}

void StagedDataset::next() {
    requireOpen();
    postOrCancel();
    bof_ = false;
    if (cur_ + 1 >= recordCount()) {
        eof_ = true;
        return;
    }
    ++cur_;
}

void StagedDataset::prior() {
    requireOpen();
    postOrCancel();
    eof_ = false;
    if (cur_ <= 0) {
        bof_ = true;
        return;
    }
    --cur_;
}

void StagedDataset::setRecNo(int recNo) {
    requireOpen();
    postOrCancel();
    setCurrent(recNo - 1);
}

// ---- fields -----------------------------------------------------------------------------------------------

Field& StagedDataset::field(int index) {
    if (index < 0 || index >= fieldCount())
        throw Error("List index out of bounds (" + std::to_string(index) + ")");
    return fields_.at(index);
}

Field* StagedDataset::findField(std::string_view name) {
    return fields_.find(name);
}

Field& StagedDataset::fieldByName(std::string_view name) {
    if (Field* f = findField(name))
        return *f;
    fail("Field '" + std::string(name) + "' not found");
}

const Value& StagedDataset::rowValue(const StagedRow& row, int fieldIndex) const {
    static const Value null;
    const int col = fields_.columnOf(fieldIndex);
    if (col < 0)
        return lookupValue(fields_.at(fieldIndex), row);
    if (static_cast<std::size_t>(col) >= row.values.size())
        return null;
    return row.values[static_cast<std::size_t>(col)];
}

const Value& StagedDataset::fieldValue(int index) const {
    static const Value null;
    if (!isOpen() || index < 0 || index >= fieldCount())
        return null;
    const int col = fields_.columnOf(index);
    if (state_ == DatasetState::Edit || state_ == DatasetState::Insert) {
        if (col < 0) {
            // Lookups of the row being edited follow its current key; each field keeps its own copy so that
            // references to two looked-up values stay apart.
            const StagedRow editing{edit_.values()};
            Value& held = editLookups_[index];
            held = lookupValue(fields_.at(index), editing);
            return held;
        }
        return edit_.values()[static_cast<std::size_t>(col)];
    }
    const StagedRow* row = currentRow();
    if (!row)
        return null;
    return rowValue(*row, index);
}

const Value& StagedDataset::valueAt(int row, int fieldIndex) const {
    static const Value null;
    if (!isOpen() || row < 0 || row >= recordCount() || fieldIndex < 0 || fieldIndex >= fieldCount())
        return null;
    return rowValue(*rowAt(row), fieldIndex);
}

void StagedDataset::assignFieldValue(int index, Value value) {
    if (state_ != DatasetState::Edit && state_ != DatasetState::Insert)
        fail("Dataset not in edit or insert mode");
    const int col = fields_.columnOf(index);
    if (col < 0)
        throw Error("Field '" + fields_.at(index).displayName() + "' cannot be modified");
    edit_.assign(static_cast<std::size_t>(col), std::move(value));
}

void StagedDataset::addLookup(LookupDef def) {
    fields_.addLookup(std::move(def));
}

const Value& StagedDataset::lookupValue(const Field& field, const StagedRow& row) const {
    static const Value null;
    const LookupDef& def = fields_.lookupOf(field);
    StagedDataset* other = def.dataset;
    if (!other || !other->isOpen())
        return null;
    const Field* keyField = nullptr;
    for (const auto& f : fields_.fields())
        if (equalsIgnoreCase(f->name(), def.key))
            keyField = f.get();
    if (!keyField || fields_.columnOf(keyField->index()) < 0)
        return null;
    const auto keyColumn = static_cast<std::size_t>(fields_.columnOf(keyField->index()));
    if (keyColumn >= row.values.size())
        return null;
    const Value& key = row.values[keyColumn];
    if (key.isNull())
        return null;
    LookupCache& cache = lookupCache_[field.index()];
    if (cache.generation != other->rows_.generation()) {
        cache.byKey.clear();
        Field* lk = other->findField(def.lookupKey);
        Field* res = other->findField(def.result);
        if (lk && res) {
            for (const auto& r : other->rows_.rows()) {
                const Value& k = other->rowValue(*r, lk->index());
                if (!k.isNull())
                    cache.byKey.emplace(valueText(k), other->rowValue(*r, res->index()));
            }
        }
        cache.generation = other->rows_.generation();
    }
    auto it = cache.byKey.find(valueText(key));
    return it == cache.byKey.end() ? null : it->second;
}

// ---- editing ----------------------------------------------------------------------------------------------

void StagedDataset::guarded(const ClientErrorHandler& handler, const std::function<void()>& op) {
    for (;;) {
        try {
            op();
            return;
        } catch (const SilentAbort&) {
            throw;
        } catch (const Error& failure) {
            if (!handler)
                throw;
            DataAction action = DataAction::Fail;
            handler(*this, failure, action);
            if (action == DataAction::Fail)
                throw;
            if (action == DataAction::Abort)
                throw SilentAbort();
        }
    }
}

void StagedDataset::postOrCancel() {
    if (state_ == DatasetState::Edit || state_ == DatasetState::Insert) {
        if (edit_.modified())
            post();
        else
            cancel();
    }
}

void StagedDataset::insert() {
    requireOpen();
    postOrCancel();
    guarded(onEditError_, [this] {
        edit_.beginInsert(fields_.rowWidth(columns_.size()));
        state_ = DatasetState::Insert;
    });
}

void StagedDataset::doEdit() {
    edit_.beginEdit(*currentRow());
    state_ = DatasetState::Edit;
}

void StagedDataset::edit() {
    requireOpen();
    if (state_ == DatasetState::Edit || state_ == DatasetState::Insert)
        return;
    if (recordCount() == 0) {
        insert();
        return;
    }
    guarded(onEditError_, [this] { doEdit(); });
}

void StagedDataset::doPost() {
    for (const auto& f : fields_.fields()) {
        const int col = fields_.columnOf(f->index());
        if (col < 0 || !f->required() || f->readOnly())
            continue;
        if (edit_.values()[static_cast<std::size_t>(col)].isNull())
            throw Error("Field '" + f->displayName() + "' must have a value");
    }
    if (state_ == DatasetState::Insert) {
        std::size_t pos = rows_.size();
        if (StagedRow* current = currentRow())
            pos = rows_.positionOf(current);
        StagedRow* row = log_.recordInsert(pos, edit_.values(), edit_.assigned());
        state_ = DatasetState::Browse;
        rows_.touch();
        rebuildView();
        if (view_.active()) {
            const int at = view_.positionOf(row);
            setCurrent(at < 0 ? cur_ : at);
        } else {
            setCurrent(static_cast<int>(pos));
        }
        return;
    }
    // The row whose edit began, even if the order or the filter changed meanwhile.
    StagedRow* row = edit_.row() ? edit_.row() : currentRow();
    edit_.forgetRow();
    log_.recordModify(*row, edit_.values(), edit_.assigned());
    state_ = DatasetState::Browse;
    rows_.touch();
    rebuildView();
    if (view_.active()) {
        const int at = view_.positionOf(row);
        setCurrent(at < 0 ? cur_ : at);
    }
}

void StagedDataset::post() {
    requireOpen();
    if (state_ != DatasetState::Edit && state_ != DatasetState::Insert)
        return;
    guarded(onPostError_, [this] { doPost(); });
}

void StagedDataset::cancel() {
    if (state_ == DatasetState::Edit || state_ == DatasetState::Insert) {
        edit_.clear();
        state_ = DatasetState::Browse;
    }
}

void StagedDataset::doDelete() {
    if (recordCount() == 0)
        fail("Cannot perform this operation on an empty dataset");
    log_.recordDelete(*currentRow());
    rows_.touch();
    rebuildView();
    setCurrent(cur_);
}

void StagedDataset::remove() {
    requireOpen();
    if (state_ == DatasetState::Insert) {
        cancel();
        return;
    }
    if (state_ == DatasetState::Edit)
        cancel();
    guarded(onDeleteError_, [this] { doDelete(); });
}

void StagedDataset::cancelUpdates() {
    requireOpen();
    cancel();
    log_.revertAll();
    rows_.touch();
    rebuildView();
    setCurrent(cur_);
}

// ---- write-back -------------------------------------------------------------------------------------------

int StagedDataset::applyUpdates(int maxErrors) {
    requireOpen();
    postOrCancel();
    if (log_.empty())
        return 0;
    const int failures =
        ChangeWriter(provider_, *this, fields_).write(openedText_, log_.changes(), maxErrors);
    if (failures == 0) {
        log_.clear();
        rows_.renumberFetchedOrder();
        rows_.touch();
    }
    return failures;
}

void StagedDataset::execute() {
    Query& query = provider_.query();
    if (!commandText_.empty()) {
        if (!provider_.acceptsCommandText())
            throw Error("CommandText changes are not allowed");
        query.setText(commandText_);
    }
    query.execSQL();
}

void StagedDataset::refresh() {
    requireOpen();
    postOrCancel();
    if (!log_.empty())
        fail("Must apply updates before refreshing data");
    // The rows are read again with the statement they came from, even when the query has executed
    // another statement since.
    Query& query = provider_.query();
    if (!openedText_.empty()) {
        query.setText(openedText_);
        query.setParameters(openedParameters_);
    }
    std::vector<Column> columns;
    std::vector<std::vector<Value>> rows = query.readAll(columns);
    const bool sameColumns =
        columns.size() == columns_.size() &&
        std::equal(columns.begin(), columns.end(), columns_.begin(),
                   [](const Column& a, const Column& b) { return a.name == b.name && a.type == b.type; });
    if (!sameColumns) {
        fields_.build(columns);
        fields_.markIndexFields(openedText_);
    }
    columns_ = std::move(columns);
    const int pos = cur_;
    rows_.load(std::move(rows));
    rebuildView();
    setCurrent(pos);
}

// ---- indexes and filter -----------------------------------------------------------------------------------

void StagedDataset::addIndex(IndexDef def) {
    deleteIndex(def.name);
    indexes_.add(std::move(def));
}

void StagedDataset::deleteIndex(const std::string& name) {
    if (indexes_.remove(name)) {
        if (isOpen())
            postOrCancel();
        indexes_.clearCurrent();
        if (isOpen()) {
            rebuildView();
            setCurrent(0);
        }
    }
}

void StagedDataset::setIndexName(const std::string& name) {
    if (!name.empty() && !indexes_.contains(name))
        throw Error("Index '" + name + "' not found");
    if (isOpen())
        postOrCancel();
    const std::string previous = indexes_.currentName();
    indexes_.setCurrentName(name);
    if (!isOpen())
        return;
    try {
        rebuildView();
    } catch (...) {
        // An index over a field the rows do not have is refused; the order in force stays.
        indexes_.setCurrentName(previous);
        rebuildView();
        throw;
    }
    // A new order starts at its first row.
    setCurrent(0);
}

void StagedDataset::setFilterText(const std::string& expression) {
    auto compiled = RowFilter::compile(expression);
    if (isOpen() && filter_.enabled())
        postOrCancel();
    filter_.setText(expression, std::move(compiled));
    if (isOpen() && filter_.enabled()) {
        rebuildView();
        setCurrent(0);
    }
}

void StagedDataset::setFiltered(bool on) {
    if (on)
        filter_.prepare();
    if (isOpen())
        postOrCancel();
    filter_.setEnabled(on);
    if (isOpen()) {
        rebuildView();
        setCurrent(0);
    }
}

void StagedDataset::rebuildView() {
    view_.rebuild(rows_, fields_, *this, indexes_.current(), filter_);
}

} // namespace envio
