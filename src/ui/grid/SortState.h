#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace envio {

enum class SortMarker { None, Ascending, Descending };

// The ordering a grid hands to its dataset: an index over fields, some descending. No fields means the
// natural order (the order the rows were fetched in; RPEV_ID for the pending-events list).
struct SortIndex {
    static constexpr const char* name = "SortIndexEh";
    std::vector<std::string> fields;
    std::vector<std::string> descending;

    bool isNaturalOrder() const { return fields.empty(); }
    // The lists as ";"-separated texts.
    std::string fieldList() const;
    std::string descendingList() const;
    bool operator==(const SortIndex&) const = default;
};

// What applying a sort needs from the dataset.
class SortTarget {
public:
    virtual ~SortTarget() = default;
    virtual bool hasIndex(const std::string& name) const = 0;
    virtual void deleteIndex(const std::string& name) = 0;
    virtual void defineIndex(const std::string& name, const std::vector<std::string>& fields,
                             const std::vector<std::string>& descending) = 0;
    virtual void useIndex(const std::string& name) = 0;
    virtual void useNaturalOrder() = 0;
    virtual void first() = 0;
};

// Deletes the previous sort index, defines and selects the new one (or returns to the natural order), and
// moves to the first row.
void applySort(const SortIndex& index, SortTarget& target);

// Title-click sorting of a grid. Columns are known by their grid column name (the column's field name).
//
// A click without Ctrl sorts by that column alone: ascending, then descending, ascending ... and applies at
// once. A click with Ctrl keeps the other columns and cycles ascending, descending, none; it is applied
// when Ctrl is released or the grid loses the focus, so several columns can be marked first. Marked columns
// are numbered in marking order; the numbers are shown when two or more columns are marked.
//
// A looked-up column holds no stored value to order by. Its index field is set with setIndexField to its
// key field, so the rows of one kind come together (ordered by key, not by name); for the pending-events
// grid "Tipo doc" (NomTipo) orders by RPEV_TIPO. Without that mapping a column orders by its own name.
class SortState {
public:
    void setIndexField(const std::string& column, const std::string& field);

    // Each event returns the index to apply now, or std::nullopt when nothing is to be applied yet.
    std::optional<SortIndex> titleClick(const std::string& column, bool ctrlHeld);
    std::optional<SortIndex> ctrlReleased();
    std::optional<SortIndex> focusLost();
    // "(Order by ascending)" / "(Order by descending)": sets this column's marker, keeping the others (a
    // newly marked column goes to the end of the list), and applies at once.
    std::optional<SortIndex> setMarker(const std::string& column, SortMarker marker);

    SortMarker marker(const std::string& column) const;
    // 1, 2, ... in marking order; 0 for an unmarked column.
    int position(const std::string& column) const;
    // The number shown beside the arrow: the position when two or more columns are marked, else 0.
    int shownPosition(const std::string& column) const;
    const std::vector<std::string>& markedColumns() const { return marked_; }
    bool applyPending() const { return pending_; }

    // The index the current markers describe.
    SortIndex index() const;

private:
    void setMarkerOnly(const std::string& column, SortMarker marker);
    SortIndex applyNow();

    std::map<std::string, SortMarker> markers_;
    std::vector<std::string> marked_;
    std::map<std::string, std::string> indexFields_;
    bool pending_ = false;
};

} // namespace envio
