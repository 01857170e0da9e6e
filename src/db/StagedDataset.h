#pragma once

#include "db/ChangeLog.h"
#include "db/Column.h"
#include "db/EditBuffer.h"
#include "db/Error.h"
#include "db/Field.h"
#include "db/FieldLayout.h"
#include "db/FilterExpression.h"
#include "db/IndexSet.h"
#include "db/Provider.h"
#include "db/RowFilter.h"
#include "db/RowStore.h"
#include "db/RowView.h"
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

// In-memory rows with local editing, written back through a provider. Composes the field layout, the row
// store, the change log and edit buffer, the indexes and filter with the view they give, and the change
// writer; it keeps the current row and the dataset state, and serves lookups.
class StagedDataset : private FieldOwner, private RowValues {
public:
    using ClientErrorHandler =
        std::function<void(StagedDataset& dataset, const Error& failure, DataAction& action)>;

    StagedDataset(std::string name, Provider& provider, std::vector<FieldDef> fixedFields = {});
    ~StagedDataset() override;
    StagedDataset(const StagedDataset&) = delete;
    StagedDataset& operator=(const StagedDataset&) = delete;

    const std::string& name() const { return name_; }
    Provider& provider() { return provider_; }

    void setCommandText(const std::string& text) {
        commandText_ = text;
        commandParameters_.clear();
    }
    // Values of the command text's "?" parameters; setCommandText drops them.
    void setCommandParameters(std::vector<Value> params) { commandParameters_ = std::move(params); }
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

    int fieldCount() const { return fields_.count(); }
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
    const std::string& indexName() const { return indexes_.currentName(); }
    const std::vector<IndexDef>& indexes() const { return indexes_.all(); }
    void setFilterText(const std::string& expression);
    const std::string& filterText() const { return filter_.text(); }
    void setFiltered(bool on);
    bool filtered() const { return filter_.enabled(); }

    // Random access for views: the value of a field in the row at a position of the current order.
    const Value& valueAt(int row, int fieldIndex) const;

    // Whether a row is the one being inserted (not yet posted).
    bool inserting() const { return state_ == DatasetState::Insert; }

private:
    const Value& fieldValue(int index) const override;
    void assignFieldValue(int index, Value value) override;
    const std::string& ownerName() const override { return name_; }
    const Value& rowValue(const StagedRow& row, int fieldIndex) const override;

    [[noreturn]] void fail(const std::string& message) const;
    void requireOpen() const;
    void guarded(const ClientErrorHandler& handler, const std::function<void()>& op);
    void doPost();
    void doDelete();
    void doEdit();
    void postOrCancel();
    void rebuildView();
    void setCurrent(int pos);
    StagedRow* rowAt(int pos) const;
    StagedRow* currentRow() const;
    const Value& lookupValue(const Field& field, const StagedRow& row) const;

    std::string name_;
    Provider& provider_;
    FieldLayout fields_;
    std::string commandText_;
    std::vector<Value> commandParameters_;
    std::vector<Value> openedParameters_;
    std::string openedText_;
    std::vector<Column> columns_; // result columns of the last open or refresh

    RowStore rows_;
    ChangeLog log_{rows_};
    IndexSet indexes_;
    RowFilter filter_;
    RowView view_;
    int cur_ = -1;
    bool eof_ = true;
    bool bof_ = true;

    DatasetState state_ = DatasetState::Inactive;
    EditBuffer edit_;

    ClientErrorHandler onEditError_, onPostError_, onDeleteError_;

    struct LookupCache {
        std::uint64_t generation = ~0ULL;
        std::map<std::string, Value> byKey;
    };
    mutable std::map<int, LookupCache> lookupCache_;
    mutable std::map<int, Value> editLookups_;
};

} // namespace envio
