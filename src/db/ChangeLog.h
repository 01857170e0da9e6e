#pragma once

#include "db/RowStore.h"
#include "db/Value.h"

#include <cstddef>
#include <memory>
#include <vector>

namespace envio {

// One change to the rows of a staged dataset, not yet written back.
struct Change {
    enum class Kind { Insert, Modify, Delete } kind;
    StagedRow* row = nullptr;
    std::unique_ptr<StagedRow> deleted; // a deleted row, held until the change is written or undone
    std::vector<Value> oldValues;
    std::vector<Value> newValues;
    std::vector<bool> assigned; // columns given a value; only these are written
};

// The changes made to a row store since its rows were fetched or last applied, in the order they were
// made, applied to the rows as they are recorded. A row has at most one insert or modify change: a later
// edit merges into it, and deleting an inserted row forgets the insert.
class ChangeLog {
public:
    explicit ChangeLog(RowStore& rows) : rows_(rows) {}

    std::size_t size() const { return changes_.size(); }
    bool empty() const { return changes_.empty(); }
    std::vector<Change>& changes() { return changes_; }
    void clear() { changes_.clear(); }

    // Places a new row at a position of the store.
    StagedRow* recordInsert(std::size_t pos, const std::vector<Value>& values,
                            const std::vector<bool>& assigned);
    // Gives a row new values.
    void recordModify(StagedRow& row, const std::vector<Value>& values, const std::vector<bool>& assigned);
    // Takes a row out of the store.
    void recordDelete(StagedRow& row);
    // Undoes every change and puts the rows back in their fetched order.
    void revertAll();

private:
    Change* findChange(const StagedRow* row);

    RowStore& rows_;
    std::vector<Change> changes_;
};

} // namespace envio
