#include "ui/grid/SearchState.h"

#include <QStringList>
#include <gtest/gtest.h>

namespace envio {
namespace {

// The focused column's texts in shown order.
class Column : public SearchRows {
public:
    explicit Column(QStringList texts) : texts_(std::move(texts)) {}
    int rowCount() const override { return static_cast<int>(texts_.size()); }
    QString displayText(int row) const override { return texts_.at(row); }

private:
    QStringList texts_;
};

const Column codes({"zeta", "ABC-1", "abd", "Abx", "b"});

TEST(SearchState, TypingJumpsToTheFirstRowBeginningWithTheText) {
    SearchState s;
    SearchOutcome o = s.keyPressed(SearchKey::Character, "a", codes, 0);
    EXPECT_TRUE(s.active());
    EXPECT_TRUE(o.consumed);
    EXPECT_TRUE(o.restartTimer);
    EXPECT_EQ(o.moveTo, 1);
    EXPECT_EQ(s.text(), "A"); // the found cell's letter case

    o = s.keyPressed(SearchKey::Character, "b", codes, 1);
    EXPECT_EQ(o.moveTo, 1);
    EXPECT_EQ(s.text(), "AB");

    o = s.keyPressed(SearchKey::Character, "D", codes, 1);
    EXPECT_EQ(o.moveTo, 2);
    EXPECT_EQ(s.text(), "abd");
}

TEST(SearchState, ACharacterMatchingNoRowIsDropped) {
    SearchState s;
    s.keyPressed(SearchKey::Character, "a", codes, 0);
    s.keyPressed(SearchKey::Character, "b", codes, 1);
    const SearchOutcome o = s.keyPressed(SearchKey::Character, "q", codes, 1);
    EXPECT_TRUE(o.consumed);
    EXPECT_FALSE(o.moveTo);
    EXPECT_EQ(s.text(), "AB");
    EXPECT_TRUE(s.active());
}

TEST(SearchState, AFirstCharacterMatchingNoRowStillStartsTheSearch) {
    SearchState s;
    const SearchOutcome o = s.keyPressed(SearchKey::Character, "q", codes, 3);
    EXPECT_TRUE(s.active());
    EXPECT_FALSE(o.moveTo);
    EXPECT_EQ(s.text(), "");
}

TEST(SearchState, TheTimeOutEndsTheSearch) {
    SearchState s;
    s.keyPressed(SearchKey::Character, "a", codes, 0);
    EXPECT_TRUE(s.hasTimeout());
    // Any keystroke while searching restarts it.
    EXPECT_TRUE(s.keyPressed(SearchKey::Other, "", codes, 1).restartTimer);
    s.timeoutExpired();
    EXPECT_FALSE(s.active());
    EXPECT_EQ(s.text(), "");
    // The next character starts a new search from the top.
    EXPECT_EQ(s.keyPressed(SearchKey::Character, "b", codes, 3).moveTo, 4);
}

TEST(SearchState, CtrlFStartsWithoutTimeOutAndThenOpensTheFindDialog) {
    SearchState s;
    SearchOutcome o = s.keyPressed(SearchKey::CtrlF, "", codes, 0);
    EXPECT_TRUE(s.active());
    EXPECT_FALSE(s.hasTimeout());
    EXPECT_FALSE(o.restartTimer);
    EXPECT_FALSE(o.openFindDialog);
    EXPECT_EQ(s.text(), "");
    o = s.keyPressed(SearchKey::Character, "z", codes, 0);
    EXPECT_FALSE(o.restartTimer);
    EXPECT_EQ(s.text(), "z");
    o = s.keyPressed(SearchKey::CtrlF, "", codes, 0);
    EXPECT_FALSE(s.active());
    EXPECT_TRUE(o.openFindDialog);
}

TEST(SearchState, GridsWithoutIncrementalSearchOnlyOpenTheFindDialog) {
    SearchState s(false);
    EXPECT_FALSE(s.keyPressed(SearchKey::Character, "a", codes, 0).consumed);
    EXPECT_FALSE(s.active());
    const SearchOutcome o = s.keyPressed(SearchKey::CtrlF, "", codes, 0);
    EXPECT_TRUE(o.openFindDialog);
    EXPECT_FALSE(s.active());
}

TEST(SearchState, EndingKeysEndTheSearchAndKeepTheirOrdinaryEffect) {
    SearchState s;
    s.keyPressed(SearchKey::Character, "a", codes, 0);
    const SearchOutcome o = s.keyPressed(SearchKey::EndingKey, "", codes, 1);
    EXPECT_FALSE(o.consumed);
    EXPECT_FALSE(s.active());
    EXPECT_EQ(s.text(), "");
}

TEST(SearchState, BackspaceRemovesTheLastCharacter) {
    SearchState s;
    EXPECT_FALSE(s.keyPressed(SearchKey::Backspace, "", codes, 0).consumed); // not searching
    s.keyPressed(SearchKey::Character, "a", codes, 0);
    s.keyPressed(SearchKey::Character, "b", codes, 1);
    EXPECT_TRUE(s.keyPressed(SearchKey::Backspace, "", codes, 1).consumed);
    EXPECT_EQ(s.text(), "A");
    s.keyPressed(SearchKey::Backspace, "", codes, 1);
    s.keyPressed(SearchKey::Backspace, "", codes, 1);
    EXPECT_EQ(s.text(), "");
    EXPECT_TRUE(s.active());

    const Column wide({QString::fromUtf8("x\xF0\x9F\x98\x80y")});
    SearchState w;
    w.keyPressed(SearchKey::Character, "x", wide, 0);
    w.keyPressed(SearchKey::Paste, QString::fromUtf8("\xF0\x9F\x98\x80"), wide, 0);
    EXPECT_EQ(w.text().size(), 3);
    w.keyPressed(SearchKey::Backspace, "", wide, 0);
    EXPECT_EQ(w.text(), "x"); // the surrogate pair goes as a whole
}

TEST(SearchState, CtrlEnterFindsTheNextAndPreviousMatch) {
    const Column rows({"ab1", "x", "AB2", "ab3", "y"});
    SearchState s;
    s.keyPressed(SearchKey::Character, "a", rows, 0);
    s.keyPressed(SearchKey::Character, "b", rows, 0);
    SearchOutcome o = s.keyPressed(SearchKey::FindNext, "", rows, 0);
    EXPECT_EQ(o.moveTo, 2);
    EXPECT_EQ(s.text(), "AB");
    EXPECT_EQ(s.keyPressed(SearchKey::FindNext, "", rows, 2).moveTo, 3);
    o = s.keyPressed(SearchKey::FindNext, "", rows, 3);
    EXPECT_FALSE(o.moveTo); // nothing below: the row stays
    EXPECT_TRUE(o.consumed);
    EXPECT_EQ(s.keyPressed(SearchKey::FindPrevious, "", rows, 3).moveTo, 2);
    EXPECT_EQ(s.keyPressed(SearchKey::FindPrevious, "", rows, 2).moveTo, 0);
    EXPECT_FALSE(s.keyPressed(SearchKey::FindPrevious, "", rows, 0).moveTo);
    // Not searching: the keys are the grid's.
    SearchState idle;
    EXPECT_FALSE(idle.keyPressed(SearchKey::FindNext, "", rows, 0).consumed);
}

TEST(SearchState, PasteExtendsTheSearchText) {
    SearchState s;
    EXPECT_FALSE(s.keyPressed(SearchKey::Paste, "ab", codes, 0).consumed); // not searching
    s.keyPressed(SearchKey::Character, "a", codes, 0);
    const SearchOutcome o = s.keyPressed(SearchKey::Paste, "bx", codes, 1);
    EXPECT_EQ(o.moveTo, 3);
    EXPECT_EQ(s.text(), "Abx");
}

TEST(SearchState, EmptyListFindsNothing) {
    const Column none({});
    SearchState s;
    EXPECT_FALSE(s.keyPressed(SearchKey::Character, "a", none, -1).moveTo);
    EXPECT_FALSE(s.keyPressed(SearchKey::FindNext, "", none, -1).moveTo);
    EXPECT_FALSE(s.keyPressed(SearchKey::FindPrevious, "", none, -1).moveTo);
}

TEST(SearchKeys, Classification) {
    struct Case {
        int key;
        Qt::KeyboardModifiers modifiers;
        const char* text;
        SearchKey expected;
    };
    const Case cases[] = {
        {Qt::Key_A, Qt::NoModifier, "a", SearchKey::Character},
        {Qt::Key_A, Qt::ShiftModifier, "A", SearchKey::Character},
        {Qt::Key_Space, Qt::NoModifier, " ", SearchKey::Character},
        {Qt::Key_A, Qt::ControlModifier, "\x01", SearchKey::Other},
        {Qt::Key_A, Qt::AltModifier, "a", SearchKey::Other},
        {Qt::Key_Tab, Qt::NoModifier, "\t", SearchKey::Other},
        {Qt::Key_Backspace, Qt::NoModifier, "\b", SearchKey::Backspace},
        {Qt::Key_Return, Qt::NoModifier, "\r", SearchKey::EndingKey},
        {Qt::Key_Enter, Qt::KeypadModifier, "\r", SearchKey::EndingKey},
        {Qt::Key_Escape, Qt::NoModifier, "\x1b", SearchKey::EndingKey},
        {Qt::Key_F2, Qt::NoModifier, "", SearchKey::EndingKey},
        {Qt::Key_Return, Qt::ShiftModifier, "\r", SearchKey::Other},
        {Qt::Key_Return, Qt::ControlModifier, "", SearchKey::FindNext},
        {Qt::Key_Return, Qt::ControlModifier | Qt::ShiftModifier, "", SearchKey::FindPrevious},
        {Qt::Key_F, Qt::ControlModifier, "", SearchKey::CtrlF},
        {Qt::Key_V, Qt::ControlModifier, "", SearchKey::Paste},
        {Qt::Key_Insert, Qt::ShiftModifier, "", SearchKey::Paste},
        {Qt::Key_C, Qt::ControlModifier, "", SearchKey::Other},
        {Qt::Key_Down, Qt::NoModifier, "", SearchKey::Other},
    };
    for (const Case& c : cases)
        EXPECT_EQ(classifySearchKey(c.key, c.modifiers, QString::fromLatin1(c.text)), c.expected)
            << "key " << std::hex << c.key << " modifiers " << c.modifiers.toInt();
}

} // namespace
} // namespace envio
