#include "db/RowView.h"

#include "db/ParameterList.h"
#include "db/ValueOrder.h"

#include <algorithm>

namespace envio {

namespace {

// A row as a filter sees it.
class RowAccess : public RowAccessor {
public:
    RowAccess(const FieldLayout& fields, const RowValues& values, const StagedRow& row)
        : fields_(fields), values_(values), row_(row) {}
    std::optional<std::pair<FieldType, Value>> field(std::string_view name) const override {
        for (const auto& f : fields_.fields())
            if (sameFieldName(f->name(), name))
                return std::make_pair(f->type(), values_.rowValue(row_, f->index()));
        return std::nullopt;
    }

private:
    const FieldLayout& fields_;
    const RowValues& values_;
    const StagedRow& row_;
};

} // namespace

int RowView::positionOf(const StagedRow* row) const {
    const auto it = std::find(rows_.begin(), rows_.end(), row);
    return it == rows_.end() ? -1 : static_cast<int>(it - rows_.begin());
}

void RowView::rebuild(const RowStore& rows, const FieldLayout& fields, const RowValues& values,
                      const IndexDef* index, const RowFilter& filter) {
    const bool filtering = filter.active();
    active_ = index != nullptr || filtering;
    rows_.clear();
    if (!active_)
        return;
    rows_.reserve(rows.size());
    for (const auto& r : rows.rows())
        if (!filtering || filter.matches(RowAccess(fields, values, *r)))
            rows_.push_back(r.get());
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
        for (const auto& candidate : fields.fields())
            if (equalsIgnoreCase(candidate->name(), name))
                f = candidate.get();
        if (!f)
            fields.fail("Field '" + name + "' not found");
        const bool desc = std::any_of(index->descending.begin(), index->descending.end(),
                                      [&](const std::string& d) { return equalsIgnoreCase(d, name); });
        keys.push_back(Key{f->index(), f->type(), desc});
    }
    std::stable_sort(rows_.begin(), rows_.end(), [&](const StagedRow* a, const StagedRow* b) {
        for (const Key& k : keys) {
            const int c = compareValues(values.rowValue(*a, k.field), values.rowValue(*b, k.field), k.type);
            if (c != 0)
                return k.descending ? c > 0 : c < 0;
        }
        return false;
    });
}

} // namespace envio
