#pragma once

#include "db/FieldLayout.h"
#include "db/IndexSet.h"
#include "db/RowFilter.h"
#include "db/RowStore.h"
#include "db/Value.h"

#include <cstddef>
#include <vector>

namespace envio {

// The value of a field in a row, lookups included: what a view orders and filters by.
class RowValues {
public:
    virtual ~RowValues() = default;
    virtual const Value& rowValue(const StagedRow& row, int fieldIndex) const = 0;
};

// The rows of a store in the order of an index and through a filter. Inactive when neither is in force:
// the store's natural order applies then.
class RowView {
public:
    // Picks the rows the filter keeps and orders them by the index; fails for an index over a field the
    // layout does not have.
    void rebuild(const RowStore& rows, const FieldLayout& fields, const RowValues& values,
                 const IndexDef* index, const RowFilter& filter);
    void clear() { rows_.clear(); }

    bool active() const { return active_; }
    std::size_t size() const { return rows_.size(); }
    StagedRow* at(std::size_t pos) const { return rows_[pos]; }
    // Position of a row; -1 when the view does not hold it.
    int positionOf(const StagedRow* row) const;

private:
    std::vector<StagedRow*> rows_;
    bool active_ = false;
};

} // namespace envio
