#include "ui/grid/SortState.h"

#include <gtest/gtest.h>
#include <set>
#include <string>
#include <vector>

namespace envio {
namespace {

using Names = std::vector<std::string>;

TEST(SortState, PlainClicksAlternateAscendingAndDescending) {
    SortState s;
    const std::optional<SortIndex> first = s.titleClick("RPEV_CODIGO", false);
    ASSERT_TRUE(first);
    EXPECT_EQ(s.marker("RPEV_CODIGO"), SortMarker::Ascending);
    EXPECT_EQ(first->fields, Names{"RPEV_CODIGO"});
    EXPECT_TRUE(first->descending.empty());

    const std::optional<SortIndex> second = s.titleClick("RPEV_CODIGO", false);
    ASSERT_TRUE(second);
    EXPECT_EQ(s.marker("RPEV_CODIGO"), SortMarker::Descending);
    EXPECT_EQ(second->descending, Names{"RPEV_CODIGO"});

    const std::optional<SortIndex> third = s.titleClick("RPEV_CODIGO", false);
    ASSERT_TRUE(third);
    EXPECT_EQ(s.marker("RPEV_CODIGO"), SortMarker::Ascending);
    EXPECT_EQ(*third, *first);
}

TEST(SortState, CtrlClicksCycleBackToTheNaturalOrder) {
    SortState s;
    const SortMarker expected[] = {SortMarker::Ascending, SortMarker::Descending, SortMarker::None};
    std::optional<SortIndex> applied;
    for (SortMarker m : expected) {
        EXPECT_FALSE(s.titleClick("RPEV_CODIGO", true)); // nothing happens while Ctrl is held
        EXPECT_TRUE(s.applyPending());
        EXPECT_EQ(s.marker("RPEV_CODIGO"), m);
        applied = s.ctrlReleased();
        ASSERT_TRUE(applied);
        EXPECT_FALSE(s.applyPending());
    }
    EXPECT_TRUE(applied->isNaturalOrder());
    EXPECT_TRUE(s.markedColumns().empty());
}

TEST(SortState, CtrlMarksSeveralColumnsBeforeApplying) {
    SortState s;
    EXPECT_FALSE(s.titleClick("RPEV_FECREG", true));
    EXPECT_EQ(s.shownPosition("RPEV_FECREG"), 0); // one marked column shows no number
    EXPECT_FALSE(s.titleClick("RPEV_HORAREG", true));
    EXPECT_EQ(s.shownPosition("RPEV_FECREG"), 1);
    EXPECT_EQ(s.shownPosition("RPEV_HORAREG"), 2);
    const std::optional<SortIndex> index = s.ctrlReleased();
    ASSERT_TRUE(index);
    EXPECT_EQ(index->fieldList(), "RPEV_FECREG;RPEV_HORAREG");
    EXPECT_EQ(index->descendingList(), "");
    EXPECT_FALSE(s.ctrlReleased()); // a second release has nothing to apply
}

TEST(SortState, FocusLossAppliesAPendingSort) {
    SortState s;
    EXPECT_FALSE(s.focusLost());
    s.titleClick("A", true);
    s.titleClick("A", true);
    const std::optional<SortIndex> index = s.focusLost();
    ASSERT_TRUE(index);
    EXPECT_EQ(index->fields, Names{"A"});
    EXPECT_EQ(index->descending, Names{"A"});
}

TEST(SortState, UnmarkingRenumbersTheLaterColumns) {
    SortState s;
    for (const char* c : {"A", "B", "C"})
        s.titleClick(c, true);
    s.titleClick("B", true); // descending
    EXPECT_EQ(s.position("B"), 2);
    s.titleClick("B", true); // none
    EXPECT_EQ(s.position("B"), 0);
    EXPECT_EQ(s.position("C"), 2);
    EXPECT_EQ(s.markedColumns(), (Names{"A", "C"}));
    // Marked again, it goes to the end.
    s.titleClick("B", true);
    EXPECT_EQ(s.markedColumns(), (Names{"A", "C", "B"}));
    EXPECT_EQ(s.ctrlReleased()->fieldList(), "A;C;B");
}

TEST(SortState, APlainClickSortsByThatColumnAlone) {
    SortState s;
    s.titleClick("A", true);
    s.titleClick("B", true);
    s.titleClick("B", true); // B descending, position 2
    const std::optional<SortIndex> index = s.titleClick("B", false);
    ASSERT_TRUE(index);
    EXPECT_EQ(s.marker("A"), SortMarker::None);
    EXPECT_EQ(s.marker("B"), SortMarker::Ascending); // descending advances to ascending
    EXPECT_EQ(s.position("B"), 1);
    EXPECT_EQ(s.shownPosition("B"), 0);
    EXPECT_EQ(index->fields, Names{"B"});
    EXPECT_FALSE(s.applyPending());
}

TEST(SortState, OrderByEntriesKeepTheOtherColumns) {
    SortState s;
    s.titleClick("A", false);
    std::optional<SortIndex> index = s.setMarker("B", SortMarker::Descending);
    ASSERT_TRUE(index);
    EXPECT_EQ(index->fields, (Names{"A", "B"}));
    EXPECT_EQ(index->descending, Names{"B"});
    index = s.setMarker("A", SortMarker::Descending);
    EXPECT_EQ(index->fields, (Names{"A", "B"})); // an already marked column keeps its place
    EXPECT_EQ(index->descending, (Names{"A", "B"}));
}

TEST(SortState, LookedUpColumnOrdersByItsKeyField) {
    SortState s;
    s.setIndexField("NomTipo", "RPEV_TIPO");
    s.titleClick("NomTipo", true);
    s.titleClick("RPEV_CODIGO", true);
    s.titleClick("RPEV_CODIGO", true);
    const std::optional<SortIndex> index = s.ctrlReleased();
    ASSERT_TRUE(index);
    EXPECT_EQ(s.marker("NomTipo"), SortMarker::Ascending);
    EXPECT_EQ(index->fieldList(), "RPEV_TIPO;RPEV_CODIGO");
    EXPECT_EQ(index->descendingList(), "RPEV_CODIGO");
}

// Records what applying a sort asks of the dataset.
class RecordingTarget : public SortTarget {
public:
    bool hasIndex(const std::string& name) const override { return defined.count(name) > 0; }
    void deleteIndex(const std::string& name) override {
        calls.push_back("delete " + name);
        defined.erase(name);
    }
    void defineIndex(const std::string& name, const std::vector<std::string>& fields,
                     const std::vector<std::string>& descending) override {
        SortIndex i{fields, descending};
        calls.push_back("define " + name + " " + i.fieldList() + " desc " + i.descendingList());
        defined.insert(name);
    }
    void useIndex(const std::string& name) override { calls.push_back("use " + name); }
    void useNaturalOrder() override { calls.push_back("natural"); }
    void first() override { calls.push_back("first"); }

    std::set<std::string> defined;
    Names calls;
};

TEST(SortState, ApplyingReplacesTheSortIndex) {
    RecordingTarget target;
    SortState s;
    applySort(*s.titleClick("RPEV_FECREG", false), target);
    EXPECT_EQ(target.calls, (Names{"define SortIndexEh RPEV_FECREG desc ", "use SortIndexEh", "first"}));
    target.calls.clear();
    applySort(*s.titleClick("RPEV_FECREG", false), target);
    EXPECT_EQ(target.calls, (Names{"delete SortIndexEh", "define SortIndexEh RPEV_FECREG desc RPEV_FECREG",
                                   "use SortIndexEh", "first"}));
    target.calls.clear();
    s.titleClick("RPEV_FECREG", true); // descending -> none
    applySort(*s.ctrlReleased(), target);
    EXPECT_EQ(target.calls, (Names{"delete SortIndexEh", "natural", "first"}));
}

} // namespace
} // namespace envio
