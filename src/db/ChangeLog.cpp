#include "db/ChangeLog.h"

#include <algorithm>

namespace envio {

Change* ChangeLog::findChange(const StagedRow* row) {
    for (auto& c : changes_)
        if (c.row == row && c.kind != Change::Kind::Delete)
            return &c;
    return nullptr;
}

StagedRow* ChangeLog::recordInsert(std::size_t pos, const std::vector<Value>& values,
                                   const std::vector<bool>& assigned) {
    StagedRow* row = rows_.insert(pos, values);
    // Only the columns given a value (NULL included) are written; the others take the table's defaults.
    changes_.push_back(Change{Change::Kind::Insert, row, nullptr, {}, values, assigned});
    return row;
}

void ChangeLog::recordModify(StagedRow& row, const std::vector<Value>& values,
                             const std::vector<bool>& assigned) {
    if (Change* c = findChange(&row)) {
        for (std::size_t col = 0; col < values.size(); ++col)
            if (assigned[col])
                c->assigned[col] = true;
        c->newValues = values;
    } else {
        changes_.push_back(Change{Change::Kind::Modify, &row, nullptr, row.values, values, assigned});
    }
    row.values = values;
}

void ChangeLog::recordDelete(StagedRow& row) {
    auto owned = rows_.take(rows_.positionOf(&row));
    auto existing = std::find_if(changes_.begin(), changes_.end(), [&](const Change& c) {
        return c.row == &row && c.kind != Change::Kind::Delete;
    });
    if (existing != changes_.end() && existing->kind == Change::Kind::Insert) {
        changes_.erase(existing);
    } else {
        std::vector<Value> old = row.values;
        if (existing != changes_.end()) {
            old = existing->oldValues;
            changes_.erase(existing);
        }
        owned->values = old;
        changes_.push_back(Change{Change::Kind::Delete, &row, std::move(owned), old, {}, {}});
    }
}

void ChangeLog::revertAll() {
    for (Change& c : changes_) {
        switch (c.kind) {
        case Change::Kind::Insert: {
            const std::size_t pos = rows_.positionOf(c.row);
            if (pos < rows_.size())
                rows_.take(pos);
            break;
        }
        case Change::Kind::Modify:
            c.row->values = c.oldValues;
            break;
        case Change::Kind::Delete:
            rows_.append(std::move(c.deleted));
            break;
        }
    }
    changes_.clear();
    // Every row left was fetched or applied: back to that order.
    rows_.sortByFetchedOrder();
}

} // namespace envio
