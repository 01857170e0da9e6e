#pragma once

#include "db/Column.h"
#include "db/Error.h"
#include "db/Field.h"
#include "db/FilterExpression.h"
#include "db/Provider.h"
#include "db/Value.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace envio {

enum class DataAction { Fail, Abort, Retry };
enum class DatasetState { Inactive, Browse, Edit, Insert };

// A field of a fixed field list: bound by name to the result column of the same name.
struct FieldDef {
    std::string name;
    FieldType type = FieldType::String;
    int size = 0;
    bool required = false;
    std::string label;
    bool fixedLength = false;
};

// A field whose value is taken from another staged dataset: `result` of the row whose `lookupKey`
// equals this row's `key`.
struct LookupDef {
    std::string name;
    int size = 0;
    std::string label;
    std::string key;
    class StagedDataset* dataset = nullptr;
    std::string lookupKey;
    std::string result;
};

// An ordering of the rows over a list of fields, some of them descending.
struct IndexDef {
    std::string name;
    std::vector<std::string> fields;
    std::vector<std::string> descending;
};

// In-memory rows with local editing, written back through a provider.
class StagedDataset : private FieldOwner {
public:
    using ClientErrorHandler =
        std::function<void(StagedDataset& dataset, const Error& failure, DataAction& action)>;

    StagedDataset(std::string name, Provider& provider, std::vector<FieldDef> fixedFields = {});
    ~StagedDataset() override;
    StagedDataset(const StagedDataset&) = delete;
    StagedDataset& operator=(const StagedDataset&) = delete;

    const std::string& name() const { return name_; }
    Provider& provider() { return provider_; }

    void setCommandText(const std::string& text) { commandText_ = text; }
    const std::string& commandText() const { return commandText_; }

    void open();
    void close();
    bool isOpen() const { return state_ != DatasetState::Inactive; }
    DatasetState state() const { return state_; }

    // Navigation over the rows in the current order (natural, or the current index), filter applied.
    void first();
    void next();
    void prior();
    void last();
    bool eof() const { return eof_; }
    bool bof() const { return bof_; }
    bool isEmpty() const;
    int recordCount() const;
    int recNo() const { return cur_ + 1; } // 1-based; 0 when empty
    void setRecNo(int recNo);

    int fieldCount() const { return static_cast<int>(fields_.size()); }
    Field& field(int index);
    Field& fieldByName(std::string_view name);
    Field* findField(std::string_view name);

    void insert();
    void edit();
    void post();
    void cancel();
    void remove();

    int applyUpdates(int maxErrors);
    void cancelUpdates();
    void execute();
    void refresh();
    int changeCount() const { return static_cast<int>(log_.size()); }

    void setOnEditError(ClientErrorHandler h) { onEditError_ = std::move(h); }
    void setOnPostError(ClientErrorHandler h) { onPostError_ = std::move(h); }
    void setOnDeleteError(ClientErrorHandler h) { onDeleteError_ = std::move(h); }

    void addLookup(LookupDef def);

    // Named indexes and filtering over the rows in memory.
    void addIndex(IndexDef def);
    void deleteIndex(const std::string& name);
    void setIndexName(const std::string& name); // "" = natural order
    const std::string& indexName() const { return indexName_; }
    const std::vector<IndexDef>& indexes() const { return indexes_; }
    void setFilterText(const std::string& expression);
    const std::string& filterText() const { return filterText_; }
    void setFiltered(bool on);
    bool filtered() const { return filtered_; }

    // Random access for views: the value of a field in the row at a position of the current order.
    const Value& valueAt(int row, int fieldIndex) const;

    // Whether a row is the one being inserted (not yet posted).
    bool inserting() const { return state_ == DatasetState::Insert; }

private:
    struct Row {
        std::vector<Value> values;
        // Place among the rows as fetched or last applied; rows inserted since then have none.
        std::uint64_t fetchedOrder = kNotFetched;
    };
    static constexpr std::uint64_t kNotFetched = ~0ULL;
    struct LogEntry {
        enum class Kind { Insert, Modify, Delete } kind;
        Row* row = nullptr;
        std::unique_ptr<Row> deleted;
        std::vector<Value> oldValues;
        std::vector<Value> newValues;
        std::vector<bool> assigned;
    };
    class RowAccess;

    const Value& fieldValue(int index) const override;
    void assignFieldValue(int index, Value value) override;
    const std::string& ownerName() const override { return name_; }

    [[noreturn]] void fail(const std::string& message) const;
    void requireOpen() const;
    void guarded(const ClientErrorHandler& handler, const std::function<void()>& op);
    void doPost();
    void doDelete();
    void doEdit();
    void postOrCancel();
    void buildFields(const std::vector<Column>& columns);
    void loadRows(std::vector<std::vector<Value>> rows);
    void renumberFetchedOrder();
    void markIndexFields(const std::string& statement);
    void rebuildView();
    void setCurrent(int pos);
    Row* currentRow() const;
    std::size_t naturalIndex(const Row* row) const;
    LogEntry* findEntry(const Row* row);
    const Value& lookupValue(const Field& field, const Row& row) const;
    const Value& rowValue(const Row& row, int fieldIndex) const;
    int applyLog(int maxErrors);

    std::string name_;
    Provider& provider_;
    std::vector<FieldDef> fixedDefs_;
    std::vector<LookupDef> lookupDefs_;
    std::string commandText_;
    std::string openedText_;

    std::vector<Column> columns_; // result columns of the last open or refresh
    std::vector<std::unique_ptr<Field>> fields_;
    std::vector<int> columnOf_; // field index -> value index in a row; -1 for lookups

    std::vector<std::unique_ptr<Row>> rows_;
    std::vector<Row*> view_;
    bool viewActive_ = false;
    int cur_ = -1;
    bool eof_ = true;
    bool bof_ = true;

    DatasetState state_ = DatasetState::Inactive;
    Row* editRow_ = nullptr; // the row an edit writes back to
    std::vector<Value> buffer_;
    std::vector<bool> assigned_;
    bool modified_ = false;

    std::vector<LogEntry> log_;

    ClientErrorHandler onEditError_, onPostError_, onDeleteError_;

    std::vector<IndexDef> indexes_;
    std::string indexName_;
    std::string filterText_;
    bool filtered_ = false;
    std::shared_ptr<const FilterExpression> compiledFilter_;

    mutable std::uint64_t generation_ = 0;
    struct LookupCache {
        std::uint64_t generation = ~0ULL;
        std::map<std::string, Value> byKey;
    };
    mutable std::map<int, LookupCache> lookupCache_;
    mutable std::map<int, Value> editLookups_;
};

} // namespace envio
