#include "db/StagedDataset.h"

#include "db/Connection.h"
#include "db/ParameterList.h"
#include "db/Query.h"
#include "db/ValueConvert.h"
#include "db/ValueOrder.h"
#include "db/WriteBack.h"

#include <algorithm>
#include <cctype>

namespace envio {

namespace {

bool sameTypeKind(FieldType expected, FieldType actual) {
    auto family = [](FieldType t) {
        switch (t) {
        case FieldType::Integer:
            return 0;
        case FieldType::LargeInt:
            return 1;
        case FieldType::ShortDecimal:
        case FieldType::ExactDecimal:
            return 2;
        case FieldType::Float:
            return 3;
        case FieldType::String:
            return 4;
        case FieldType::Date:
            return 5;
        case FieldType::Time:
            return 6;
        case FieldType::DateTime:
            return 7;
        case FieldType::TextBlob:
            return 8;
        case FieldType::BinaryBlob:
            return 9;
        }
        return -1;
    };
    return family(expected) == family(actual);
}

std::string stripName(std::string s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front())))
        s.erase(s.begin());
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back())))
        s.pop_back();
    const auto space = s.find_first_of(" \t\r\n");
    if (space != std::string::npos)
        s = s.substr(0, space);
    const auto dot = s.rfind('.');
    if (dot != std::string::npos)
        s = s.substr(dot + 1);
    if (s.size() >= 2 && s.front() == '"' && s.back() == '"')
        s = s.substr(1, s.size() - 2);
    return s;
}

} // namespace

StagedDataset::StagedDataset(std::string name, Provider& provider, std::vector<FieldDef> fixedFields)
    : name_(std::move(name)), provider_(provider), fixedDefs_(std::move(fixedFields)) {}

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
    }
    for (const LookupDef& l : lookupDefs_)
        if (l.dataset && !l.dataset->isOpen())
            l.dataset->open();
    std::vector<Column> columns;
    std::vector<std::vector<Value>> rows = query.readAll(columns);
    buildFields(columns);
    columns_ = std::move(columns);
    openedText_ = query.text();
    loadRows(std::move(rows));
    log_.clear();
    buffer_.clear();
    assigned_.clear();
    modified_ = false;
    state_ = DatasetState::Browse;
    markIndexFields(openedText_);
    rebuildView();
    setCurrent(0);
}

void StagedDataset::buildFields(const std::vector<Column>& columns) {
    std::vector<std::unique_ptr<Field>> fields;
    std::vector<int> columnOf;
    FieldOwner& owner = *this;
    if (fixedDefs_.empty()) {
        for (std::size_t i = 0; i < columns.size(); ++i) {
            fields.push_back(std::make_unique<Field>(owner, static_cast<int>(i), columns[i]));
            columnOf.push_back(static_cast<int>(i));
        }
    } else {
        for (const FieldDef& def : fixedDefs_) {
            const std::string shown = def.label.empty() ? def.name : def.label;
            auto it = std::find_if(columns.begin(), columns.end(),
                                   [&](const Column& c) { return equalsIgnoreCase(c.name, def.name); });
            if (it == columns.end())
                fail("Field '" + shown + "' not found");
            if (!sameTypeKind(def.type, it->type))
                fail("Type mismatch for field '" + shown + "', expecting: " + fieldTypeName(def.type) +
                     " actual: " + fieldTypeName(it->type));
            Column c = *it;
            c.name = def.name;
            c.type = def.type;
            if (def.type == FieldType::String) {
                c.size = def.size;
                c.fixedLength = def.fixedLength;
            }
            c.required = def.required;
            fields.push_back(std::make_unique<Field>(owner, static_cast<int>(fields.size()), c, def.label));
            columnOf.push_back(static_cast<int>(it - columns.begin()));
        }
    }
    for (const LookupDef& l : lookupDefs_) {
        Column c;
        c.name = l.name;
        c.type = FieldType::String;
        c.size = l.size;
        c.readOnly = true;
        fields.push_back(
            std::make_unique<Field>(owner, static_cast<int>(fields.size()), c, l.label, Field::Kind::Lookup));
        columnOf.push_back(-1);
    }
    // Reopening over the same layout keeps the Field objects, so that callers holding one stay valid.
    const bool sameLayout =
        fields_.size() == fields.size() &&
        std::equal(fields_.begin(), fields_.end(), fields.begin(), [](const auto& a, const auto& b) {
            return a->name() == b->name() && a->kind() == b->kind() && a->displayLabel() == b->displayLabel();
        });
    if (sameLayout) {
        for (std::size_t i = 0; i < fields.size(); ++i)
            fields_[i]->setColumn(fields[i]->column());
    } else {
        fields_ = std::move(fields);
    }
    columnOf_ = std::move(columnOf);
}

void StagedDataset::loadRows(std::vector<std::vector<Value>> rows) {
    rows_.clear();
    rows_.reserve(rows.size());
    for (auto& r : rows)
        rows_.push_back(std::make_unique<Row>(Row{std::move(r)}));
    renumberFetchedOrder();
    ++generation_;
}

void StagedDataset::renumberFetchedOrder() {
    for (std::size_t i = 0; i < rows_.size(); ++i)
        rows_[i]->fetchedOrder = i;
}

void StagedDataset::markIndexFields(const std::string& statement) {
    for (auto& f : fields_)
        f->setIndexField(false);
    const std::string upper = toUpperAscii(statement);
    std::size_t pos = std::string::npos;
    for (std::size_t p = upper.find("ORDER"); p != std::string::npos; p = upper.find("ORDER", p + 1)) {
        std::size_t q = p + 5;
        while (q < upper.size() && std::isspace(static_cast<unsigned char>(upper[q])))
            ++q;
        if (upper.compare(q, 2, "BY") == 0 &&
            (p == 0 || std::isspace(static_cast<unsigned char>(upper[p - 1]))))
            pos = q + 2;
    }
    if (pos == std::string::npos)
        return;
    std::string list = statement.substr(pos);
    std::size_t start = 0;
    while (start <= list.size()) {
        const std::size_t comma = list.find(',', start);
        const std::string item =
            stripName(list.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
        if (Field* f = findField(item)) {
            f->setIndexField(true);
        } else if (!item.empty() && item.size() < 4 &&
                   std::all_of(item.begin(), item.end(), [](char c) { return c >= '0' && c <= '9'; })) {
            // ORDER BY 2: the second result column.
            const int column = std::stoi(item) - 1;
            for (auto& candidate : fields_)
                if (columnOf_[static_cast<std::size_t>(candidate->index())] == column)
                    candidate->setIndexField(true);
        }
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
}

void StagedDataset::close() {
    if (!isOpen())
        return;
    rows_.clear();
    view_.clear();
    log_.clear();
    buffer_.clear();
    assigned_.clear();
    modified_ = false;
    editRow_ = nullptr;
    state_ = DatasetState::Inactive;
    cur_ = -1;
    eof_ = bof_ = true;
    ++generation_;
}

// ---- rows and navigation ----------------------------------------------------------------------------------

int StagedDataset::recordCount() const {
    if (!isOpen())
        return 0;
    return viewActive_ ? static_cast<int>(view_.size()) : static_cast<int>(rows_.size());
}

bool StagedDataset::isEmpty() const {
    return recordCount() == 0 && state_ != DatasetState::Insert;
}

StagedDataset::Row* StagedDataset::currentRow() const {
    if (cur_ < 0 || cur_ >= recordCount())
        return nullptr;
    return viewActive_ ? view_[static_cast<std::size_t>(cur_)] : rows_[static_cast<std::size_t>(cur_)].get();
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

std::size_t StagedDataset::naturalIndex(const Row* row) const {
    for (std::size_t i = 0; i < rows_.size(); ++i)
        if (rows_[i].get() == row)
            return i;
    return rows_.size();
}

// ---- fields -----------------------------------------------------------------------------------------------

Field& StagedDataset::field(int index) {
    if (index < 0 || index >= fieldCount())
        throw Error("List index out of bounds (" + std::to_string(index) + ")");
    return *fields_[static_cast<std::size_t>(index)];
}

Field* StagedDataset::findField(std::string_view name) {
    for (auto& f : fields_)
        if (equalsIgnoreCase(f->name(), name))
            return f.get();
    return nullptr;
}

Field& StagedDataset::fieldByName(std::string_view name) {
    if (Field* f = findField(name))
        return *f;
    fail("Field '" + std::string(name) + "' not found");
}

const Value& StagedDataset::rowValue(const Row& row, int fieldIndex) const {
    static const Value null;
    const int col = columnOf_[static_cast<std::size_t>(fieldIndex)];
    if (col < 0)
        return lookupValue(*fields_[static_cast<std::size_t>(fieldIndex)], row);
    if (static_cast<std::size_t>(col) >= row.values.size())
        return null;
    return row.values[static_cast<std::size_t>(col)];
}

const Value& StagedDataset::fieldValue(int index) const {
    static const Value null;
    if (!isOpen() || index < 0 || index >= fieldCount())
        return null;
    const int col = columnOf_[static_cast<std::size_t>(index)];
    if (state_ == DatasetState::Edit || state_ == DatasetState::Insert) {
        if (col < 0) {
            // Lookups of the row being edited follow its current key; each field keeps its own copy so that
            // references to two looked-up values stay apart.
            const Row editing{buffer_};
            Value& held = editLookups_[index];
            held = lookupValue(*fields_[static_cast<std::size_t>(index)], editing);
            return held;
        }
        return buffer_[static_cast<std::size_t>(col)];
    }
    const Row* row = currentRow();
    if (!row)
        return null;
    return rowValue(*row, index);
}

const Value& StagedDataset::valueAt(int row, int fieldIndex) const {
    static const Value null;
    if (!isOpen() || row < 0 || row >= recordCount() || fieldIndex < 0 || fieldIndex >= fieldCount())
        return null;
    const Row* r =
        viewActive_ ? view_[static_cast<std::size_t>(row)] : rows_[static_cast<std::size_t>(row)].get();
    return rowValue(*r, fieldIndex);
}

void StagedDataset::assignFieldValue(int index, Value value) {
    if (state_ != DatasetState::Edit && state_ != DatasetState::Insert)
        fail("Dataset not in edit or insert mode");
    const int col = columnOf_[static_cast<std::size_t>(index)];
    if (col < 0)
        throw Error("Field '" + fields_[static_cast<std::size_t>(index)]->displayName() +
                    "' cannot be modified");
    buffer_[static_cast<std::size_t>(col)] = std::move(value);
    assigned_[static_cast<std::size_t>(col)] = true;
    modified_ = true;
}

void StagedDataset::addLookup(LookupDef def) {
    lookupDefs_.push_back(std::move(def));
}

const Value& StagedDataset::lookupValue(const Field& field, const Row& row) const {
    static const Value null;
    const std::size_t li = static_cast<std::size_t>(field.index()) - (fields_.size() - lookupDefs_.size());
    const LookupDef& def = lookupDefs_[li];
    StagedDataset* other = def.dataset;
    if (!other || !other->isOpen())
        return null;
    const Field* keyField = nullptr;
    for (const auto& f : fields_)
        if (equalsIgnoreCase(f->name(), def.key))
            keyField = f.get();
    if (!keyField || columnOf_[static_cast<std::size_t>(keyField->index())] < 0)
        return null;
    const auto keyColumn = static_cast<std::size_t>(columnOf_[static_cast<std::size_t>(keyField->index())]);
    if (keyColumn >= row.values.size())
        return null;
    const Value& key = row.values[keyColumn];
    if (key.isNull())
        return null;
    LookupCache& cache = lookupCache_[field.index()];
    if (cache.generation != other->generation_) {
        cache.byKey.clear();
        Field* lk = other->findField(def.lookupKey);
        Field* res = other->findField(def.result);
        if (lk && res) {
            for (const auto& r : other->rows_) {
                const Value& k = other->rowValue(*r, lk->index());
                if (!k.isNull())
                    cache.byKey.emplace(valueText(k), other->rowValue(*r, res->index()));
            }
        }
        cache.generation = other->generation_;
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
        if (modified_)
            post();
        else
            cancel();
    }
}

void StagedDataset::insert() {
    requireOpen();
    postOrCancel();
    guarded(onEditError_, [this] {
        std::size_t width = columns_.size();
        for (int c : columnOf_)
            width = std::max<std::size_t>(width, static_cast<std::size_t>(c + 1));
        buffer_.assign(width, Value());
        assigned_.assign(width, false);
        modified_ = false;
        state_ = DatasetState::Insert;
    });
}

void StagedDataset::doEdit() {
    Row* row = currentRow();
    editRow_ = row;
    buffer_ = row->values;
    assigned_.assign(buffer_.size(), false);
    modified_ = false;
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

StagedDataset::LogEntry* StagedDataset::findEntry(const Row* row) {
    for (auto& e : log_)
        if (e.row == row && e.kind != LogEntry::Kind::Delete)
            return &e;
    return nullptr;
}

void StagedDataset::doPost() {
    for (const auto& f : fields_) {
        const int col = columnOf_[static_cast<std::size_t>(f->index())];
        if (col < 0 || !f->required() || f->readOnly())
            continue;
        if (buffer_[static_cast<std::size_t>(col)].isNull())
            throw Error("Field '" + f->displayName() + "' must have a value");
    }
    if (state_ == DatasetState::Insert) {
        auto row = std::make_unique<Row>(Row{buffer_});
        Row* raw = row.get();
        std::size_t pos = rows_.size();
        if (Row* current = currentRow())
            pos = naturalIndex(current);
        rows_.insert(rows_.begin() + static_cast<std::ptrdiff_t>(pos), std::move(row));
        // Only the columns given a value (NULL included) are written; the others take the table's defaults.
        log_.push_back(LogEntry{LogEntry::Kind::Insert, raw, nullptr, {}, buffer_, assigned_});
        state_ = DatasetState::Browse;
        ++generation_;
        rebuildView();
        const auto it = viewActive_ ? std::find(view_.begin(), view_.end(), raw) : view_.end();
        if (viewActive_)
            setCurrent(it == view_.end() ? cur_ : static_cast<int>(it - view_.begin()));
        else
            setCurrent(static_cast<int>(pos));
        return;
    }
    // The row whose edit began, even if the order or the filter changed meanwhile.
    Row* row = editRow_ ? editRow_ : currentRow();
    editRow_ = nullptr;
    if (LogEntry* e = findEntry(row)) {
        for (std::size_t c = 0; c < buffer_.size(); ++c)
            if (assigned_[c])
                e->assigned[c] = true;
        e->newValues = buffer_;
    } else {
        log_.push_back(LogEntry{LogEntry::Kind::Modify, row, nullptr, row->values, buffer_, assigned_});
    }
    row->values = buffer_;
    state_ = DatasetState::Browse;
    ++generation_;
    rebuildView();
    const auto it = viewActive_ ? std::find(view_.begin(), view_.end(), row) : view_.end();
    if (viewActive_)
        setCurrent(it == view_.end() ? cur_ : static_cast<int>(it - view_.begin()));
}

void StagedDataset::post() {
    requireOpen();
    if (state_ != DatasetState::Edit && state_ != DatasetState::Insert)
        return;
    guarded(onPostError_, [this] { doPost(); });
}

void StagedDataset::cancel() {
    if (state_ == DatasetState::Edit || state_ == DatasetState::Insert) {
        buffer_.clear();
        assigned_.clear();
        modified_ = false;
        editRow_ = nullptr;
        state_ = DatasetState::Browse;
    }
}

void StagedDataset::doDelete() {
    if (recordCount() == 0)
        fail("Cannot perform this operation on an empty dataset");
    Row* row = currentRow();
    const std::size_t pos = naturalIndex(row);
    auto owned = std::move(rows_[pos]);
    rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(pos));
    auto existing = std::find_if(log_.begin(), log_.end(), [&](const LogEntry& e) {
        return e.row == row && e.kind != LogEntry::Kind::Delete;
    });
    if (existing != log_.end() && existing->kind == LogEntry::Kind::Insert) {
        log_.erase(existing);
    } else {
        std::vector<Value> old = row->values;
        if (existing != log_.end()) {
            old = existing->oldValues;
            log_.erase(existing);
        }
        owned->values = old;
        log_.push_back(LogEntry{LogEntry::Kind::Delete, row, std::move(owned), old, {}, {}});
    }
    ++generation_;
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
    for (LogEntry& e : log_) {
        switch (e.kind) {
        case LogEntry::Kind::Insert: {
            const std::size_t pos = naturalIndex(e.row);
            if (pos < rows_.size())
                rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(pos));
            break;
        }
        case LogEntry::Kind::Modify:
            e.row->values = e.oldValues;
            break;
        case LogEntry::Kind::Delete:
            rows_.push_back(std::move(e.deleted));
            break;
        }
    }
    log_.clear();
    // Every row left was fetched or applied: back to that order.
    std::stable_sort(rows_.begin(), rows_.end(),
                     [](const auto& a, const auto& b) { return a->fetchedOrder < b->fetchedOrder; });
    ++generation_;
    rebuildView();
    setCurrent(cur_);
}

// ---- write-back -------------------------------------------------------------------------------------------

int StagedDataset::applyUpdates(int maxErrors) {
    requireOpen();
    postOrCancel();
    if (log_.empty())
        return 0;
    return applyLog(maxErrors);
}

int StagedDataset::applyLog(int maxErrors) {
    Query& query = provider_.query();
    Connection& conn = query.connection();
    if (!conn.inTransaction()) {
        conn.startTransaction();
        provider_.setTransactionStarted(true);
    }
    // The rows go back to the table they were read from, whatever the query has executed since.
    const std::string table = writeback::tableName(openedText_);
    const int dialect = conn.dialect();
    int failures = 0;
    auto endTransaction = [&](bool ok) {
        if (!provider_.transactionStarted())
            return;
        provider_.setTransactionStarted(false);
        if (ok)
            conn.commit();
        else
            conn.rollback();
    };
    try {
        for (LogEntry& e : log_) {
            const UpdateKind kind = e.kind == LogEntry::Kind::Insert   ? UpdateKind::Insert
                                    : e.kind == LogEntry::Kind::Modify ? UpdateKind::Modify
                                                                       : UpdateKind::Delete;
            try {
                if (table.empty())
                    throw Error("Unable to resolve records.  Table name not found.");
                std::vector<const Field*> assigned, keys;
                std::vector<Value> newValues, oldValues;
                for (const auto& f : fields_) {
                    const int col = columnOf_[static_cast<std::size_t>(f->index())];
                    if (col < 0)
                        continue;
                    const auto c = static_cast<std::size_t>(col);
                    if (e.kind != LogEntry::Kind::Delete && !f->readOnly() && c < e.assigned.size() &&
                        e.assigned[c]) {
                        assigned.push_back(f.get());
                        newValues.push_back(e.newValues[c]);
                    }
                    if (e.kind != LogEntry::Kind::Insert && writeback::identifiesRow(*f)) {
                        keys.push_back(f.get());
                        oldValues.push_back(c < e.oldValues.size() ? e.oldValues[c] : Value());
                    }
                }
                std::optional<writeback::Statement> stmt;
                if (e.kind == LogEntry::Kind::Insert)
                    stmt = writeback::insert(table, dialect, assigned, newValues);
                else if (e.kind == LogEntry::Kind::Modify)
                    stmt = writeback::update(table, dialect, assigned, newValues, keys, oldValues);
                else
                    stmt = writeback::remove(table, dialect, keys, oldValues);
                if (!stmt)
                    continue;
                const std::int64_t affected = conn.execute(stmt->text, stmt->params);
                if (affected > 1) {
                    endTransaction(false);
                    throw Error("Update affected more than 1 record.");
                }
                if (affected < 1)
                    throw Error("Record not found or changed by another user");
            } catch (const SilentAbort&) {
                throw;
            } catch (const Error& failure) {
                UpdateResponse response =
                    failures >= maxErrors ? UpdateResponse::Abort : UpdateResponse::Skip;
                if (provider_.onUpdateError())
                    provider_.onUpdateError()(&provider_, this, failure, kind, response);
                ++failures;
                if (failures > maxErrors || response == UpdateResponse::Abort)
                    break;
            }
        }
    } catch (...) {
        try {
            endTransaction(false);
        } catch (...) {
        }
        throw;
    }
    endTransaction(failures <= maxErrors && failures == 0);
    if (failures == 0) {
        log_.clear();
        renumberFetchedOrder();
        ++generation_;
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
    if (!openedText_.empty())
        query.setText(openedText_);
    std::vector<Column> columns;
    std::vector<std::vector<Value>> rows = query.readAll(columns);
    const bool sameColumns =
        columns.size() == columns_.size() &&
        std::equal(columns.begin(), columns.end(), columns_.begin(),
                   [](const Column& a, const Column& b) { return a.name == b.name && a.type == b.type; });
    if (!sameColumns) {
        buildFields(columns);
        markIndexFields(openedText_);
    }
    columns_ = std::move(columns);
    const int pos = cur_;
    loadRows(std::move(rows));
    rebuildView();
    setCurrent(pos);
}

// ---- indexes and filter -----------------------------------------------------------------------------------

void StagedDataset::addIndex(IndexDef def) {
    deleteIndex(def.name);
    indexes_.push_back(std::move(def));
}

void StagedDataset::deleteIndex(const std::string& name) {
    std::erase_if(indexes_, [&](const IndexDef& d) { return equalsIgnoreCase(d.name, name); });
    if (equalsIgnoreCase(indexName_, name)) {
        if (isOpen())
            postOrCancel();
        indexName_.clear();
        if (isOpen()) {
            rebuildView();
            setCurrent(0);
        }
    }
}

void StagedDataset::setIndexName(const std::string& name) {
    if (!name.empty() && std::none_of(indexes_.begin(), indexes_.end(),
                                      [&](const IndexDef& d) { return equalsIgnoreCase(d.name, name); }))
        throw Error("Index '" + name + "' not found");
    if (isOpen())
        postOrCancel();
    const std::string previous = indexName_;
    indexName_ = name;
    if (!isOpen())
        return;
    try {
        rebuildView();
    } catch (...) {
        // An index over a field the rows do not have is refused; the order in force stays.
        indexName_ = previous;
        rebuildView();
        throw;
    }
    // A new order starts at its first row.
    setCurrent(0);
}

} // namespace envio

namespace envio {

class StagedDataset::RowAccess : public RowAccessor {
public:
    RowAccess(const StagedDataset& ds, const Row& row) : ds_(ds), row_(row) {}
    std::optional<std::pair<FieldType, Value>> field(std::string_view name) const override {
        for (const auto& f : ds_.fields_)
            if (sameFieldName(f->name(), name))
                return std::make_pair(f->type(), ds_.rowValue(row_, f->index()));
        return std::nullopt;
    }

private:
    const StagedDataset& ds_;
    const Row& row_;
};

void StagedDataset::setFilterText(const std::string& expression) {
    auto compiled = std::make_shared<const FilterExpression>(FilterExpression::parse(expression));
    if (isOpen() && filtered_)
        postOrCancel();
    filterText_ = expression;
    compiledFilter_ = std::move(compiled);
    if (isOpen() && filtered_) {
        rebuildView();
        setCurrent(0);
    }
}

void StagedDataset::setFiltered(bool on) {
    if (on && !compiledFilter_)
        compiledFilter_ = std::make_shared<const FilterExpression>(FilterExpression::parse(filterText_));
    if (isOpen())
        postOrCancel();
    filtered_ = on;
    if (isOpen()) {
        rebuildView();
        setCurrent(0);
    }
}

void StagedDataset::rebuildView() {
    const IndexDef* index = nullptr;
    for (const IndexDef& d : indexes_)
        if (!indexName_.empty() && equalsIgnoreCase(d.name, indexName_))
            index = &d;
    const bool filtering = filtered_ && compiledFilter_ && !compiledFilter_->text().empty();
    viewActive_ = index != nullptr || filtering;
    view_.clear();
    if (!viewActive_)
        return;
    view_.reserve(rows_.size());
    for (const auto& r : rows_)
        if (!filtering || compiledFilter_->matches(RowAccess(*this, *r)))
            view_.push_back(r.get());
    if (!index)
        return;
    struct Key {
        int field;
        FieldType type;
        bool descending;
    };
    std::vector<Key> keys;
    for (const std::string& name : index->fields) {
        const Field* f = nullptr;
        for (const auto& candidate : fields_)
            if (equalsIgnoreCase(candidate->name(), name))
                f = candidate.get();
        if (!f)
            fail("Field '" + name + "' not found");
        const bool desc = std::any_of(index->descending.begin(), index->descending.end(),
                                      [&](const std::string& d) { return equalsIgnoreCase(d, name); });
        keys.push_back(Key{f->index(), f->type(), desc});
    }
    std::stable_sort(view_.begin(), view_.end(), [&](const Row* a, const Row* b) {
        for (const Key& k : keys) {
            const int c = compareValues(rowValue(*a, k.field), rowValue(*b, k.field), k.type);
            if (c != 0)
                return k.descending ? c > 0 : c < 0;
        }
        return false;
    });
}

} // namespace envio
