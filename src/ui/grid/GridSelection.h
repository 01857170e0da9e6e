#pragma once

namespace envio {

// Keys the grid hands to its selection. Letters other than A and C, digits and the remaining keys are Other.
enum class GridKey {
    Left,
    Right,
    Up,
    Down,
    Home,
    End,
    PageUp,
    PageDown,
    Tab,
    Enter,
    Escape,
    Insert,
    A,
    C,
    Other
};

struct GridKeyModifiers {
    bool ctrl = false;
    bool shift = false;
    bool alt = false;
};

enum class GridMouseButton { Left, Right, Middle };

// The dataset behind the grid, as far as the selection cares.
struct GridDatasetState {
    bool open = false;
    int rowCount = 0;
};

// The selection of a read-only grid without multi-select: either nothing (an export then covers the focused
// cell) or every row. The grid forwards its key presses and data-cell clicks; the selection tells it what
// changed and which command the key asks for.
class GridSelection {
public:
    enum class State { None, All };

    struct KeyOutcome {
        bool selectionChanged = false; // repaint the grid
        bool copy = false;             // copy the selection to the clipboard
    };

    State state() const { return state_; }
    bool isAll() const { return state_ == State::All; }
    bool isCellSelected(int row, int column) const;

    // Select all: allowed on an open dataset with at least one row. True when the selection changed.
    bool selectAll(const GridDatasetState& dataset);
    static bool canSelectAll(const GridDatasetState& dataset) { return dataset.open && dataset.rowCount > 0; }
    // Copy: allowed on an open dataset, also an empty one.
    static bool canCopy(const GridDatasetState& dataset) { return dataset.open; }

    // Back to nothing selected. True when the selection changed.
    bool clear();

    // A key the grid takes with its ordinary effect (keys consumed by an incremental search are not handed
    // over).
    KeyOutcome keyPressed(GridKey key, GridKeyModifiers modifiers, const GridDatasetState& dataset);

    // A mouse button pressed on the data cell at row, column. True when the selection changed.
    bool dataCellPressed(GridMouseButton button, int row, int column);

private:
    State state_ = State::None;
};

} // namespace envio
