#pragma once

#include "db/Value.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace envio {

// One row of a staged dataset: its values by result column.
struct StagedRow {
    static constexpr std::uint64_t kNotFetched = ~0ULL;

    std::vector<Value> values;
    // Place among the rows as fetched or last applied; rows inserted since then have none.
    std::uint64_t fetchedOrder = kNotFetched;
};

// The rows of a staged dataset in their natural order: as fetched, with inserted rows where they were
// inserted. The generation changes whenever rows or their values change, so that caches built over the
// rows know when they are stale.
class RowStore {
public:
    // Replaces the rows by fetched ones, numbered in the order given.
    void load(std::vector<std::vector<Value>> rows);
    void clear() { rows_.clear(); }

    std::size_t size() const { return rows_.size(); }
    StagedRow* at(std::size_t pos) const { return rows_[pos].get(); }
    const std::vector<std::unique_ptr<StagedRow>>& rows() const { return rows_; }
    // Position of a row; size() when the store does not hold it.
    std::size_t positionOf(const StagedRow* row) const;

    StagedRow* insert(std::size_t pos, std::vector<Value> values);
    std::unique_ptr<StagedRow> take(std::size_t pos);
    void append(std::unique_ptr<StagedRow> row) { rows_.push_back(std::move(row)); }

    // Numbers the rows as they stand now, as after a fetch.
    void renumberFetchedOrder();
    // Back to the order of the last numbering; meant for when every row held has a number.
    void sortByFetchedOrder();

    std::uint64_t generation() const { return generation_; }
    void touch() { ++generation_; }

private:
    std::vector<std::unique_ptr<StagedRow>> rows_;
    std::uint64_t generation_ = 0;
};

} // namespace envio
