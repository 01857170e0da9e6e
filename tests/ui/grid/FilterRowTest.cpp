#include "ui/grid/FilterRow.h"

#include "base/Regional.h"
#include "db/Error.h"
#include "db/FilterExpression.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace envio {
namespace {

// Pending events as the grid holds them, with the fields the filter row names.
struct Event {
    int id;
    const char* codigo;
    std::optional<int> ptvt;
    QDate fecha;
    const char* error; // nullptr: NULL
    int tipo;
};

class EventRow : public RowAccessor {
public:
    explicit EventRow(const Event& e) : e_(e) {}
    std::optional<std::pair<FieldType, Value>> field(std::string_view name) const override {
        if (sameFieldName(name, "RPEV_ID"))
            return std::make_pair(FieldType::Integer, Value::integer(e_.id));
        if (sameFieldName(name, "RPEV_CODIGO"))
            return std::make_pair(FieldType::String, Value::string(e_.codigo));
        if (sameFieldName(name, "RPEV_PTVT"))
            return std::make_pair(FieldType::Integer, e_.ptvt ? Value::integer(*e_.ptvt) : Value::null());
        if (sameFieldName(name, "RPEV_FECREG"))
            return std::make_pair(FieldType::Date, Value::date(e_.fecha));
        if (sameFieldName(name, "RPEV_ERROR"))
            return std::make_pair(FieldType::String, e_.error ? Value::string(e_.error) : Value::null());
        if (sameFieldName(name, "RPEV_TIPO"))
            return std::make_pair(FieldType::Integer, Value::integer(e_.tipo));
        return std::nullopt;
    }

private:
    const Event& e_;
};

const std::vector<Event> events = {
    {1, "abc", 1, QDate(2024, 3, 1), nullptr, 126},
    {2, "ABC", 2, QDate(2024, 3, 15), "Record not found or changed by another user", 1125},
    {3, "abcd", 3, QDate(2024, 4, 1), "", 126},
    {4, "xabc", std::nullopt, QDate(2024, 2, 28), "Lock conflict", 229},
};

// The grid's columns in display order, by column name.
const std::vector<std::string> columnOrder = {"NomTipo", "RPEV_CODIGO", "RPEV_FECREG", "RPEV_PTVT",
                                              "RPEV_ERROR"};

class FilterRowTest : public ::testing::Test {
protected:
    void SetUp() override {
        regional::setOverride(
            regional::Formats{QStringLiteral("dd/MM/yyyy"), QStringLiteral("HH:mm:ss"), QChar('.')});
        row.addColumn("NomTipo", FilterColumn{"RPEV_TIPO", FilterValueKind::Text, true, {}});
        row.setLookup("NomTipo", {{Value::integer(126), QStringLiteral("PRECIO")},
                                  {Value::integer(1125), QStringLiteral("LISTA")},
                                  {Value::integer(229), QStringLiteral("DESCTO")}});
        row.addColumn("RPEV_CODIGO", FilterColumn{"RPEV_CODIGO", FilterValueKind::Text, false, {}});
        row.addColumn("RPEV_FECREG", FilterColumn{"RPEV_FECREG", FilterValueKind::DateTime, false, {}});
        row.addColumn("RPEV_PTVT", FilterColumn{"RPEV_PTVT", FilterValueKind::Number, false, {}});
        row.addColumn("RPEV_ERROR", FilterColumn{"RPEV_ERROR", FilterValueKind::Text, false, {}});
    }
    void TearDown() override { regional::setOverride(std::nullopt); }

    // The ids of the events the applied filter keeps.
    std::vector<int> kept() const {
        const FilterExpression filter = FilterExpression::parse(row.expression(columnOrder));
        std::vector<int> ids;
        for (const Event& e : events)
            if (filter.matches(EventRow(e)))
                ids.push_back(e.id);
        return ids;
    }

    FilterRow row;
};

using Ids = std::vector<int>;

TEST_F(FilterRowTest, NoFilterKeepsEveryRow) {
    EXPECT_EQ(row.expression(columnOrder), "1=1");
    EXPECT_EQ(kept(), (Ids{1, 2, 3, 4}));
}

TEST_F(FilterRowTest, PlainTextMatchesTheWholeCodeAndAPercentItsStart) {
    row.setText("RPEV_CODIGO", QStringLiteral("abc"));
    EXPECT_EQ(row.expression(columnOrder), " [RPEV_CODIGO] Like 'abc'");
    EXPECT_EQ(kept(), (Ids{1, 2})); // letter case does not count
    row.setText("RPEV_CODIGO", QStringLiteral("abc%"));
    EXPECT_EQ(kept(), (Ids{1, 2, 3}));
}

TEST_F(FilterRowTest, InAndNotInLists) {
    row.setText("RPEV_PTVT", QStringLiteral("in (1,2)"));
    EXPECT_EQ(row.expression(columnOrder), " ([RPEV_PTVT] = 1 OR [RPEV_PTVT] = 2)");
    EXPECT_EQ(kept(), (Ids{1, 2}));
    row.setText("RPEV_PTVT", QStringLiteral("not in (1,2)"));
    EXPECT_EQ(kept(), (Ids{3})); // an event without a value is not "neither 1 nor 2"
}

TEST_F(FilterRowTest, EmptyAndNotEmpty) {
    row.setEmpty("RPEV_ERROR");
    EXPECT_EQ(row.text("RPEV_ERROR"), QStringLiteral("=Null"));
    EXPECT_EQ(kept(), (Ids{1, 3})); // NULL and empty text alike
    row.setNotEmpty("RPEV_ERROR");
    EXPECT_EQ(row.text("RPEV_ERROR"), QStringLiteral("<>Null"));
    EXPECT_EQ(kept(), (Ids{2, 4}));
}

TEST_F(FilterRowTest, TwoColumnsAreJoinedWithAndInGridOrder) {
    row.setText("RPEV_CODIGO", QStringLiteral("abc%"));
    row.setText("RPEV_FECREG", QStringLiteral(">=01/03/2024 and <01/04/2024"));
    EXPECT_EQ(
        row.expression(columnOrder),
        " [RPEV_CODIGO] Like 'abc%' AND  [RPEV_FECREG] >= '01/03/2024' AND [RPEV_FECREG] < '01/04/2024'");
    EXPECT_EQ(kept(), (Ids{1, 2}));
    // A moved column moves its expression.
    EXPECT_EQ(
        row.expression({"RPEV_FECREG", "RPEV_CODIGO"}),
        " [RPEV_FECREG] >= '01/03/2024' AND [RPEV_FECREG] < '01/04/2024' AND  [RPEV_CODIGO] Like 'abc%'");
}

TEST_F(FilterRowTest, TypeNamesFilterTheKeyField) {
    row.setText("NomTipo", QStringLiteral("PRECIO"));
    EXPECT_EQ(row.expression(columnOrder), " [RPEV_TIPO] Like 126");
    EXPECT_EQ(kept(), (Ids{1, 3}));
    row.setText("NomTipo", QStringLiteral("lista,descto"));
    EXPECT_EQ(kept(), (Ids{2, 4}));
}

TEST_F(FilterRowTest, OrWithinAColumn) {
    row.setText("RPEV_CODIGO", QStringLiteral("=abcd | =xabc"));
    EXPECT_EQ(row.expression(columnOrder), "( [RPEV_CODIGO] = 'abcd' OR [RPEV_CODIGO] = 'xabc')");
    EXPECT_EQ(kept(), (Ids{3, 4}));
}

TEST_F(FilterRowTest, ClearingEveryTextGivesOneEqualsOne) {
    row.setText("RPEV_CODIGO", QStringLiteral("abc"));
    row.setText("RPEV_PTVT", QStringLiteral(">1"));
    row.clear("RPEV_PTVT");
    EXPECT_EQ(row.text("RPEV_PTVT"), QString());
    EXPECT_EQ(row.expression(columnOrder), " [RPEV_CODIGO] Like 'abc'");
    row.clearAll();
    EXPECT_EQ(row.expression(columnOrder), "1=1");
    EXPECT_EQ(kept(), (Ids{1, 2, 3, 4}));
}

TEST_F(FilterRowTest, AFailedTextIsNotStored) {
    row.setText("RPEV_CODIGO", QStringLiteral("abc"));
    try {
        row.setText("RPEV_CODIGO", QStringLiteral("'abc"));
        FAIL() << "no failure";
    } catch (const Error& e) {
        EXPECT_EQ(e.message(), "Quote is absent: 'abc");
    }
    EXPECT_EQ(row.text("RPEV_CODIGO"), QStringLiteral("abc"));
    EXPECT_EQ(row.parsed("RPEV_CODIGO").first.op, FilterOperator::Like);
    EXPECT_EQ(row.expression(columnOrder), " [RPEV_CODIGO] Like 'abc'");
    EXPECT_THROW(row.setText("RPEV_PTVT", QStringLiteral("uno")), Error);
    EXPECT_TRUE(row.parsed("RPEV_PTVT").isEmpty());
}

TEST_F(FilterRowTest, UnknownColumnsAreReported) {
    EXPECT_FALSE(row.hasColumn("RPEV_NUMERO"));
    EXPECT_THROW(row.setText("RPEV_NUMERO", QStringLiteral("x")), Error);
    EXPECT_EQ(row.expression({"RPEV_NUMERO"}), "1=1");
}

TEST(FilterMenu, EntriesInOrder) {
    QStringList captions;
    for (FilterMenuEntry e : filterMenuEntries(true))
        captions << filterMenuCaption(e);
    EXPECT_EQ(captions, (QStringList{"(Order by ascending)", "(Order by descending)", "-", "(Clear filter)",
                                     "(Custom...)", "(All)", "(Not empty)", "(Empty)"}));
    captions.clear();
    for (FilterMenuEntry e : filterMenuEntries(false))
        captions << filterMenuCaption(e);
    EXPECT_EQ(captions.indexOf("(Apply filter)"), captions.indexOf("(Custom...)") - 1);
}

} // namespace
} // namespace envio
