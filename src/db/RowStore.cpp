#include "db/RowStore.h"

#include <algorithm>

namespace envio {

void RowStore::load(std::vector<std::vector<Value>> rows) {
    rows_.clear();
    rows_.reserve(rows.size());
    for (auto& r : rows)
        rows_.push_back(std::make_unique<StagedRow>(StagedRow{std::move(r)}));
    renumberFetchedOrder();
    touch();
}

std::size_t RowStore::positionOf(const StagedRow* row) const {
    for (std::size_t i = 0; i < rows_.size(); ++i)
        if (rows_[i].get() == row)
            return i;
    return rows_.size();
}

StagedRow* RowStore::insert(std::size_t pos, std::vector<Value> values) {
    auto row = std::make_unique<StagedRow>(StagedRow{std::move(values)});
    StagedRow* raw = row.get();
    rows_.insert(rows_.begin() + static_cast<std::ptrdiff_t>(pos), std::move(row));
    return raw;
}

std::unique_ptr<StagedRow> RowStore::take(std::size_t pos) {
    auto owned = std::move(rows_[pos]);
    rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(pos));
    return owned;
}

void RowStore::renumberFetchedOrder() {
    for (std::size_t i = 0; i < rows_.size(); ++i)
        rows_[i]->fetchedOrder = i;
}

void RowStore::sortByFetchedOrder() {
    std::stable_sort(rows_.begin(), rows_.end(),
                     [](const auto& a, const auto& b) { return a->fetchedOrder < b->fetchedOrder; });
}

} // namespace envio
