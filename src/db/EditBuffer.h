#pragma once

#include "db/RowStore.h"
#include "db/Value.h"

#include <cstddef>
#include <vector>

namespace envio {

// The values of the row being edited or inserted, which columns were given a value, and the row an edit
// writes back to (none for an insert).
class EditBuffer {
public:
    void beginInsert(std::size_t width) {
        values_.assign(width, Value());
        assigned_.assign(width, false);
        modified_ = false;
    }
    void beginEdit(StagedRow& row) {
        row_ = &row;
        values_ = row.values;
        assigned_.assign(values_.size(), false);
        modified_ = false;
    }
    void assign(std::size_t column, Value value) {
        values_[column] = std::move(value);
        assigned_[column] = true;
        modified_ = true;
    }
    void clear() {
        values_.clear();
        assigned_.clear();
        modified_ = false;
        row_ = nullptr;
    }

    const std::vector<Value>& values() const { return values_; }
    const std::vector<bool>& assigned() const { return assigned_; }
    bool modified() const { return modified_; }
    StagedRow* row() const { return row_; }
    void forgetRow() { row_ = nullptr; }

private:
    std::vector<Value> values_;
    std::vector<bool> assigned_;
    bool modified_ = false;
    StagedRow* row_ = nullptr;
};

} // namespace envio
