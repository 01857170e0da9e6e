#include "ui/grid/GridSelection.h"

namespace envio {

namespace {

bool onlyCtrl(GridKeyModifiers m) {
    return m.ctrl && !m.shift && !m.alt;
}

// Keys that move the current cell away from where a selection makes sense and so drop it.
bool clearsSelection(GridKey key, GridKeyModifiers m) {
    switch (key) {
    case GridKey::Left:
    case GridKey::Right:
    case GridKey::PageUp:
    case GridKey::PageDown:
    case GridKey::Tab:
    case GridKey::Enter:
    case GridKey::Escape:
        return true;
    case GridKey::Up:
    case GridKey::Down:
    case GridKey::Home:
    case GridKey::End:
        return m.ctrl;
    default:
        return false;
    }
}

} // namespace

bool GridSelection::isCellSelected(int row, int column) const {
    return state_ == State::All && row >= 0 && column >= 0;
}

bool GridSelection::selectAll(const GridDatasetState& dataset) {
    if (!canSelectAll(dataset) || state_ == State::All)
        return false;
    state_ = State::All;
    return true;
}

bool GridSelection::clear() {
    if (state_ == State::None)
        return false;
    state_ = State::None;
    return true;
}

GridSelection::KeyOutcome GridSelection::keyPressed(GridKey key, GridKeyModifiers modifiers,
                                                    const GridDatasetState& dataset) {
    KeyOutcome outcome;
    if (onlyCtrl(modifiers) && key == GridKey::A) {
        outcome.selectionChanged = selectAll(dataset);
    } else if (onlyCtrl(modifiers) && (key == GridKey::C || key == GridKey::Insert)) {
        outcome.copy = canCopy(dataset);
    } else if (clearsSelection(key, modifiers)) {
        outcome.selectionChanged = clear();
    }
    return outcome;
}

bool GridSelection::dataCellPressed(GridMouseButton button, int row, int column) {
    switch (button) {
    case GridMouseButton::Left:
        return clear();
    case GridMouseButton::Right:
        // The popup menu opens over a selected cell with the selection intact.
        return isCellSelected(row, column) ? false : clear();
    case GridMouseButton::Middle:
        return false;
    }
    return false;
}

} // namespace envio
