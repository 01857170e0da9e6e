#include "ui/grid/FindText.h"

#include <gtest/gtest.h>
#include <vector>

namespace envio {
namespace {

// A grid of display texts; the plain value of a cell is its display text with the thousands dots removed
// and a decimal point.
class Cells : public FindCells {
public:
    explicit Cells(std::vector<QStringList> rows) : rows_(std::move(rows)) {}
    int rowCount() const override { return static_cast<int>(rows_.size()); }
    int columnCount() const override { return rows_.empty() ? 0 : static_cast<int>(rows_.front().size()); }
    QString displayText(int row, int column) const override { return rows_.at(row).at(column); }
    QString plainText(int row, int column) const override {
        QString plain = displayText(row, column);
        plain.remove(QLatin1Char('.'));
        plain.replace(QLatin1Char(','), QLatin1Char('.'));
        return plain;
    }

private:
    std::vector<QStringList> rows_;
};

const Cells grid({{"a1", "b1", "c1"}, {"x", "foo", "y"}, {"foo", "z", "FOO"}, {"1.234,5", "foobar", "w"}});
const QStringList captions{"Uno", "Dos", "Tres"};

FindText openedOver(int focusedColumn) {
    FindText f;
    f.open(captions, focusedColumn);
    return f;
}

TEST(FindText, OpeningPresetsTheFields) {
    FindText f;
    f.setText("old");
    f.setMatch(FindMatch::WholeField);
    f.setDirection(FindDirection::Up);
    f.setMatchCase(true);
    f.setMatchFormat(false);
    f.open(captions, 1);
    EXPECT_EQ(f.text(), "");
    EXPECT_EQ(f.column(), 1);
    EXPECT_EQ(f.match(), FindMatch::AnyPart);
    EXPECT_EQ(f.direction(), FindDirection::All);
    EXPECT_FALSE(f.matchCase());
    EXPECT_TRUE(f.matchFormat());
    EXPECT_EQ(f.findInEntries(), (QStringList{"Uno", "Dos", "Tres", "<All>"}));
    EXPECT_EQ(FindText::matchEntries(),
              (QStringList{"From any part of field", "Whole field", "From beging of field"}));
    EXPECT_EQ(FindText::directionEntries(), (QStringList{"Up", "Down", "All"}));
}

TEST(FindText, AllStartsAtTheTopThenContinuesDownwards) {
    FindText f = openedOver(2);
    f.setColumn(FindText::everyColumn);
    f.setText("foo");
    FindPosition current{3, 2};
    std::vector<FindPosition> found;
    while (const std::optional<FindPosition> p = f.findNext(grid, current, false)) {
        found.push_back(*p);
        current = *p;
    }
    EXPECT_EQ(found, (std::vector<FindPosition>{{1, 1}, {2, 0}, {2, 2}, {3, 1}}));
}

TEST(FindText, ChangingTheTextStartsAtTheTopAgain) {
    FindText f = openedOver(FindText::everyColumn);
    f.setText("foo");
    EXPECT_EQ(f.findNext(grid, {0, 0}, false), (FindPosition{1, 1}));
    EXPECT_EQ(f.findNext(grid, {1, 1}, false), (FindPosition{2, 0}));
    f.setText("foo"); // the same text is no change
    EXPECT_EQ(f.findNext(grid, {2, 0}, false), (FindPosition{2, 2}));
    f.setText("fo");
    EXPECT_EQ(f.findNext(grid, {2, 2}, false), (FindPosition{1, 1}));
    f.setColumn(0);
    EXPECT_EQ(f.findNext(grid, {1, 1}, false), (FindPosition{2, 0}));
}

TEST(FindText, OneColumnDownAndUp) {
    FindText f = openedOver(1);
    f.setText("foo");
    f.setDirection(FindDirection::Down);
    EXPECT_EQ(f.findNext(grid, {0, 1}, false), (FindPosition{1, 1}));
    EXPECT_EQ(f.findNext(grid, {1, 1}, false), (FindPosition{3, 1}));
    EXPECT_FALSE(f.findNext(grid, {3, 1}, false));
    f.setDirection(FindDirection::Up);
    EXPECT_EQ(f.findNext(grid, {3, 1}, false), (FindPosition{1, 1}));
    EXPECT_FALSE(f.findNext(grid, {1, 1}, false));
    // Down never starts at the top: the current cell itself is not looked at.
    f.setDirection(FindDirection::Down);
    EXPECT_EQ(f.findNext(grid, {1, 1}, false), (FindPosition{3, 1}));
}

TEST(FindText, EveryColumnUpwardsWalksRightToLeft) {
    FindText f = openedOver(FindText::everyColumn);
    f.setText("foo");
    f.setDirection(FindDirection::Up);
    EXPECT_EQ(f.findNext(grid, {3, 0}, false), (FindPosition{2, 2}));
    EXPECT_EQ(f.findNext(grid, {2, 2}, false), (FindPosition{2, 0}));
    EXPECT_EQ(f.findNext(grid, {2, 0}, false), (FindPosition{1, 1}));
}

TEST(FindText, CtrlReversesTheDirection) {
    FindText f = openedOver(FindText::everyColumn);
    f.setText("foo");
    f.setDirection(FindDirection::Down);
    EXPECT_EQ(f.findNext(grid, {2, 2}, true), (FindPosition{2, 0}));
    f.setDirection(FindDirection::Up);
    EXPECT_EQ(f.findNext(grid, {2, 0}, true), (FindPosition{2, 2}));
    // "All" with Ctrl searches upwards: from the bottom on the first search, then from the current cell.
    f.setDirection(FindDirection::All);
    EXPECT_EQ(f.findNext(grid, {0, 0}, true), (FindPosition{3, 1}));
    EXPECT_EQ(f.findNext(grid, {3, 1}, true), (FindPosition{2, 2}));
}

TEST(FindText, MatchKindsCaseAndFormat) {
    FindText f = openedOver(FindText::everyColumn);
    f.setText("FOO");
    f.setMatchCase(true);
    EXPECT_EQ(f.findNext(grid, {0, 0}, false), (FindPosition{2, 2}));

    f.setMatchCase(false);
    f.setText("foo");
    f.setMatch(FindMatch::WholeField);
    EXPECT_EQ(f.findNext(grid, {0, 0}, false), (FindPosition{1, 1}));
    EXPECT_EQ(f.findNext(grid, {2, 2}, false), std::nullopt); // "foobar" is not the whole field
    f.setMatch(FindMatch::FromBeginning);
    f.setText("oob");
    EXPECT_EQ(f.findNext(grid, {0, 0}, false), std::nullopt);
    f.setMatch(FindMatch::AnyPart);
    f.setText("oob");
    EXPECT_EQ(f.findNext(grid, {0, 0}, false), (FindPosition{3, 1}));

    f.setText("1234.5");
    EXPECT_EQ(f.findNext(grid, {0, 0}, false), std::nullopt); // the display text is "1.234,5"
    f.setMatchFormat(false);
    f.setText("1234.5 ");
    f.setText("1234.5");
    EXPECT_EQ(f.findNext(grid, {0, 0}, false), (FindPosition{3, 0}));
}

TEST(FindText, HistoryKeepsEachSearchedTextOnce) {
    FindText f = openedOver(0);
    f.setText("foo");
    f.findNext(grid, {0, 0}, false);
    f.open(captions, 0); // reopening keeps the list
    f.setText("bar");
    f.findNext(grid, {0, 0}, false);
    f.setText("foo");
    f.findNext(grid, {0, 0}, false);
    f.setText("");
    f.findNext(grid, {0, 0}, false);
    EXPECT_EQ(f.history(), (QStringList{"bar", "foo"}));
    EXPECT_EQ(&FindText::shared(), &FindText::shared());
}

TEST(FindText, NothingToSearch) {
    FindText f = openedOver(0);
    f.setText("x");
    EXPECT_FALSE(f.findNext(Cells({}), {0, 0}, false));
    f.open(captions, 2);
    f.setText("x");
    EXPECT_FALSE(f.findNext(Cells({{"x"}}), {0, 0}, false)); // the chosen column is not in this grid
}

} // namespace
} // namespace envio
