#include "ui/grid/GridSelection.h"

#include <gtest/gtest.h>
#include <vector>

namespace envio {
namespace {

using State = GridSelection::State;

constexpr GridDatasetState kRows{true, 3};
constexpr GridDatasetState kEmpty{true, 0};
constexpr GridDatasetState kClosed{false, 0};

constexpr GridKeyModifiers kPlain{};
constexpr GridKeyModifiers kCtrl{true, false, false};
constexpr GridKeyModifiers kShift{false, true, false};

GridSelection allSelected() {
    GridSelection s;
    s.selectAll(kRows);
    return s;
}

TEST(GridSelection, StartsWithNothingSelected) {
    GridSelection s;
    EXPECT_EQ(s.state(), State::None);
    EXPECT_FALSE(s.isCellSelected(0, 0));
}

TEST(GridSelection, SelectAllNeedsAnOpenDatasetWithRows) {
    GridSelection s;
    EXPECT_FALSE(s.selectAll(kClosed));
    EXPECT_FALSE(s.selectAll(kEmpty));
    EXPECT_EQ(s.state(), State::None);

    EXPECT_TRUE(s.selectAll(kRows));
    EXPECT_EQ(s.state(), State::All);
    EXPECT_TRUE(s.isCellSelected(2, 4));
    // Already all: nothing changes, nothing to repaint.
    EXPECT_FALSE(s.selectAll(kRows));
    EXPECT_EQ(s.state(), State::All);
}

TEST(GridSelection, CtrlASelectsAllWhereSelectAllIsAllowed) {
    GridSelection s;
    EXPECT_FALSE(s.keyPressed(GridKey::A, kCtrl, kEmpty).selectionChanged);
    EXPECT_EQ(s.state(), State::None);
    EXPECT_TRUE(s.keyPressed(GridKey::A, kCtrl, kRows).selectionChanged);
    EXPECT_EQ(s.state(), State::All);
    EXPECT_FALSE(s.keyPressed(GridKey::A, kCtrl, kRows).selectionChanged);

    GridSelection plain;
    EXPECT_FALSE(plain.keyPressed(GridKey::A, kPlain, kRows).selectionChanged);
    EXPECT_FALSE(plain.keyPressed(GridKey::A, GridKeyModifiers{true, true, false}, kRows).selectionChanged);
    EXPECT_EQ(plain.state(), State::None);
}

TEST(GridSelection, CtrlCAndCtrlInsertCopyFromAnyOpenDatasetAndKeepTheSelection) {
    for (GridKey key : {GridKey::C, GridKey::Insert}) {
        GridSelection none;
        EXPECT_TRUE(none.keyPressed(key, kCtrl, kEmpty).copy);
        EXPECT_TRUE(none.keyPressed(key, kCtrl, kRows).copy);
        EXPECT_FALSE(none.keyPressed(key, kCtrl, kClosed).copy);

        GridSelection all = allSelected();
        const GridSelection::KeyOutcome outcome = all.keyPressed(key, kCtrl, kRows);
        EXPECT_TRUE(outcome.copy);
        EXPECT_FALSE(outcome.selectionChanged);
        EXPECT_EQ(all.state(), State::All);
    }
    GridSelection s;
    EXPECT_FALSE(s.keyPressed(GridKey::C, kPlain, kRows).copy);
    EXPECT_FALSE(s.keyPressed(GridKey::Insert, kShift, kRows).copy);
}

struct KeyCase {
    GridKey key;
    GridKeyModifiers modifiers;
    bool clears;
};

TEST(GridSelection, KeysThatLeaveTheCellClearTheSelectionOthersKeepIt) {
    const std::vector<KeyCase> cases = {
        {GridKey::Left, kPlain, true},    {GridKey::Right, kPlain, true},    {GridKey::Left, kCtrl, true},
        {GridKey::PageUp, kPlain, true},  {GridKey::PageDown, kPlain, true}, {GridKey::Tab, kPlain, true},
        {GridKey::Tab, kShift, true},     {GridKey::Enter, kPlain, true},    {GridKey::Escape, kPlain, true},
        {GridKey::Home, kCtrl, true},     {GridKey::End, kCtrl, true},       {GridKey::PageUp, kCtrl, true},
        {GridKey::PageDown, kCtrl, true}, {GridKey::Up, kCtrl, true},        {GridKey::Down, kCtrl, true},
        {GridKey::Up, kPlain, false},     {GridKey::Down, kPlain, false},    {GridKey::Home, kPlain, false},
        {GridKey::End, kPlain, false},    {GridKey::Up, kShift, false},      {GridKey::Other, kPlain, false},
        {GridKey::C, kPlain, false},      {GridKey::Insert, kPlain, false},  {GridKey::Other, kCtrl, false},
    };
    for (const KeyCase& c : cases) {
        GridSelection s = allSelected();
        const GridSelection::KeyOutcome outcome = s.keyPressed(c.key, c.modifiers, kRows);
        EXPECT_EQ(outcome.selectionChanged, c.clears)
            << static_cast<int>(c.key) << " ctrl " << c.modifiers.ctrl;
        EXPECT_EQ(s.state(), c.clears ? State::None : State::All) << static_cast<int>(c.key);
        EXPECT_FALSE(outcome.copy);

        // With nothing selected there is nothing to clear or repaint.
        GridSelection none;
        EXPECT_FALSE(none.keyPressed(c.key, c.modifiers, kRows).selectionChanged);
        EXPECT_EQ(none.state(), State::None);
    }
}

TEST(GridSelection, LeftClickOnADataCellClearsRightClickOnASelectedCellKeeps) {
    GridSelection s = allSelected();
    EXPECT_FALSE(s.dataCellPressed(GridMouseButton::Right, 1, 2));
    EXPECT_EQ(s.state(), State::All);
    EXPECT_FALSE(s.dataCellPressed(GridMouseButton::Middle, 1, 2));
    EXPECT_EQ(s.state(), State::All);
    EXPECT_TRUE(s.dataCellPressed(GridMouseButton::Left, 1, 2));
    EXPECT_EQ(s.state(), State::None);

    // Right click over an unselected cell: stays without selection.
    EXPECT_FALSE(s.dataCellPressed(GridMouseButton::Right, 0, 0));
    EXPECT_EQ(s.state(), State::None);
    EXPECT_FALSE(s.dataCellPressed(GridMouseButton::Left, 0, 0));
}

TEST(GridSelection, ClearReportsWhetherSomethingWasSelected) {
    GridSelection s = allSelected();
    EXPECT_TRUE(s.clear());
    EXPECT_FALSE(s.clear());
    EXPECT_EQ(s.state(), State::None);
}

} // namespace
} // namespace envio
