#pragma once

#include "db/Column.h"
#include "db/Field.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace envio {

class StagedDataset;

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
    StagedDataset* dataset = nullptr;
    std::string lookupKey;
    std::string result;
};

// The fields of a staged dataset over the result columns of its statement: one per column, or the fixed
// field list bound to columns by name, then the lookup fields. Failures name the owner.
class FieldLayout {
public:
    FieldLayout(FieldOwner& owner, std::vector<FieldDef> fixedFields)
        : owner_(owner), fixedDefs_(std::move(fixedFields)) {}

    void addLookup(LookupDef def) { lookupDefs_.push_back(std::move(def)); }
    const std::vector<LookupDef>& lookups() const { return lookupDefs_; }
    const LookupDef& lookupOf(const Field& lookupField) const;

    // Binds the fields to result columns. Reopening over the same layout keeps the Field objects.
    void build(const std::vector<Column>& columns);
    // Marks the fields the statement's ORDER BY names (by name or by column number).
    void markIndexFields(const std::string& statement);

    int count() const { return static_cast<int>(fields_.size()); }
    Field& at(int index) const { return *fields_[static_cast<std::size_t>(index)]; }
    const std::vector<std::unique_ptr<Field>>& fields() const { return fields_; }
    Field* find(std::string_view name) const;
    // The value index in a row of a field; -1 for lookups.
    int columnOf(int fieldIndex) const { return columnOf_[static_cast<std::size_t>(fieldIndex)]; }
    // The number of values a new row holds: every result column and every bound one.
    std::size_t rowWidth(std::size_t columnCount) const;

    [[noreturn]] void fail(const std::string& message) const;

private:
    FieldOwner& owner_;
    std::vector<FieldDef> fixedDefs_;
    std::vector<LookupDef> lookupDefs_;
    std::vector<std::unique_ptr<Field>> fields_;
    std::vector<int> columnOf_; // field index -> value index in a row; -1 for lookups
};

} // namespace envio
