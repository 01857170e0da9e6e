#include "db/FilterExpression.h"

#include "base/Regional.h"
#include "db/Error.h"

#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace envio {
namespace {

// A row given as (name, type, value) triples.
class Row : public RowAccessor {
public:
    struct Cell {
        std::string name;
        FieldType type;
        Value value;
    };
    Row() = default;
    Row(std::initializer_list<Cell> cells) : cells_(cells) {}
    std::optional<std::pair<FieldType, Value>> field(std::string_view name) const override {
        for (const Cell& c : cells_)
            if (sameFieldName(c.name, name))
                return std::make_pair(c.type, c.value);
        return std::nullopt;
    }

private:
    std::vector<Cell> cells_;
};

// Regional formats fixed for the test: dd/MM/yyyy, HH:mm:ss and a decimal comma.
class FilterExpressionTest : public ::testing::Test {
protected:
    void SetUp() override {
        regional::setOverride(
            regional::Formats{QStringLiteral("dd/MM/yyyy"), QStringLiteral("HH:mm:ss"), QChar(',')});
    }
    void TearDown() override { regional::setOverride(std::nullopt); }

    static bool keeps(const std::string& expression, const RowAccessor& row) {
        return FilterExpression::parse(expression).matches(row);
    }
    static std::string failure(const std::function<void()>& action) {
        try {
            action();
        } catch (const Error& e) {
            return e.message();
        }
        return "(no failure)";
    }
};

Row textRow(const char* code) {
    return Row{{"RPEV_CODIGO", FieldType::String, Value::string(code)}};
}
Row nullTextRow() {
    return Row{{"RPEV_CODIGO", FieldType::String, Value::null()}};
}
Row numberRow(Value v) {
    return Row{{"N", FieldType::ShortDecimal, std::move(v)}};
}

TEST_F(FilterExpressionTest, OneEqualsOneAndBlankTextKeepEveryRow) {
    const Row empty{};
    EXPECT_TRUE(keeps("1=1", empty));
    EXPECT_TRUE(keeps("1=1", textRow("x")));
    EXPECT_FALSE(keeps("1=2", empty));
    EXPECT_TRUE(keeps("", empty));
    EXPECT_TRUE(keeps("   ", empty));
    EXPECT_TRUE(FilterExpression().matches(empty));
}

TEST_F(FilterExpressionTest, NumberComparisons) {
    struct Case {
        const char* expression;
        bool five; // whether the row holding 5 is kept
    };
    const Case cases[] = {{"[N] = 5", true},      {"[N] <> 5", false}, {"[N] != 5", false},
                          {"[N] < 5", false},     {"[N] <= 5", true},  {"[N] > 4,99", true},
                          {"[N] >= 5.01", false}, {"[N] > -3", true},  {"[N] = 5,0", true},
                          {"5 = [N]", true},      {"6 > [N]", true},   {"[N] = 5e0", true},
                          {"[N] < 1e1", true},    {"[N] = '5'", true}};
    for (const Case& c : cases) {
        EXPECT_EQ(keeps(c.expression, numberRow(Value::integer(5))), c.five) << c.expression;
        EXPECT_EQ(keeps(c.expression, numberRow(Value::decimal(500, 2))), c.five) << c.expression;
        EXPECT_EQ(keeps(c.expression, numberRow(Value::floating(5.0))), c.five) << c.expression;
    }
    EXPECT_TRUE(keeps(" [N] = 1,5", numberRow(Value::decimal(15, 1))));
    EXPECT_TRUE(keeps(" [N] = 1.5", numberRow(Value::floating(1.5))));
}

TEST_F(FilterExpressionTest, TextComparisonsIgnoreLetterCaseAndPadding) {
    EXPECT_TRUE(keeps("[RPEV_CODIGO] = 'abc'", textRow("ABC")));
    EXPECT_TRUE(keeps("[RPEV_CODIGO] = 'abc'", textRow("abc  ")));
    EXPECT_FALSE(keeps("[RPEV_CODIGO] = 'abc'", textRow("abcd")));
    EXPECT_TRUE(keeps("[RPEV_CODIGO] = 'O''Brien'", textRow("O'Brien")));
    EXPECT_TRUE(keeps("[RPEV_CODIGO] < 'b'", textRow("\xE1rbol")));
    EXPECT_TRUE(keeps("[RPEV_CODIGO] > 'n'", textRow("\xF1u")));
    EXPECT_TRUE(keeps("[RPEV_CODIGO] = 12", textRow("12")));
}

TEST_F(FilterExpressionTest, LikePatterns) {
    struct Case {
        const char* pattern;
        const char* value;
        bool matches;
    };
    const Case cases[] = {
        {"'abc'", "abc", true},
        {"'abc'", "abcd", false},
        {"'abc'", "ABC", true},
        {"'abc'", "abc   ", true},
        {"'abc%'", "abcdef", true},
        {"'abc%'", "xabc", false},
        {"'%abc'", "xxabc", true},
        {"'%abc'", "abcx", false},
        {"'%b%'", "abc", true},
        {"'a_c'", "abc", true},
        {"'a_c'", "ac", false},
        {"'_'", "", false},
        {"'%'", "", true},
        {"'%%a%%'", "bab", true},
        {"'a%b%c'", "aXbYc", true},
        {"'a%b%c'", "aXcYb", false},
        {"'\xF1%'", "\xD1\x41ND\xDA", true}, // "ñ%" keeps "ÑANDÚ"
        {"'n%'", "\xF1u", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(keeps(std::string("[RPEV_CODIGO] Like ") + c.pattern, textRow(c.value)), c.matches)
            << c.pattern << " / " << c.value;
        EXPECT_EQ(keeps(std::string("[RPEV_CODIGO] Not Like ") + c.pattern, textRow(c.value)), !c.matches)
            << c.pattern << " / " << c.value;
    }
}

TEST_F(FilterExpressionTest, LikeOnNumbersUsesTheirText) {
    const Row tipo{{"RPEV_TIPO", FieldType::Integer, Value::integer(126)}};
    EXPECT_TRUE(keeps(" [RPEV_TIPO] Like 126", tipo));
    EXPECT_TRUE(keeps(" [RPEV_TIPO] Like '12%'", tipo));
    EXPECT_FALSE(keeps(" [RPEV_TIPO] Like 12", tipo));
    EXPECT_TRUE(keeps("[N] Like '1,5'", numberRow(Value::decimal(150, 2))));
}

TEST_F(FilterExpressionTest, NullTakesPartAsInSql) {
    const Row row{{"C", FieldType::String, Value::null()}, {"N", FieldType::Integer, Value::integer(5)}};
    EXPECT_FALSE(keeps("[C] = 'x'", row));
    EXPECT_FALSE(keeps("[C] <> 'x'", row));
    EXPECT_FALSE(keeps("NOT ([C] = 'x')", row));
    EXPECT_FALSE(keeps("[C] Like '%'", row));
    EXPECT_FALSE(keeps("[C] Not Like 'x'", row));
    EXPECT_TRUE(keeps("[C] = 'x' OR [N] = 5", row));
    EXPECT_FALSE(keeps("[C] = 'x' AND [N] = 5", row));
    EXPECT_TRUE(keeps("[C] IS NULL", row));
    EXPECT_FALSE(keeps("[C] IS NOT NULL", row));
    EXPECT_FALSE(keeps("[N] = NULL", row));
    EXPECT_TRUE(keeps("NOT ([N] = 5 AND [C] = 'x') OR [N] = 5", row));
}

TEST_F(FilterExpressionTest, EmptyTextCountsAsNull) {
    EXPECT_TRUE(keeps(" [RPEV_CODIGO] IS NULL", textRow("")));
    EXPECT_TRUE(keeps(" [RPEV_CODIGO] IS NULL", textRow("   ")));
    EXPECT_TRUE(keeps(" [RPEV_CODIGO] IS NULL", nullTextRow()));
    EXPECT_FALSE(keeps(" [RPEV_CODIGO] IS NULL", textRow("x")));
    EXPECT_TRUE(keeps(" [RPEV_CODIGO] IS NOT NULL", textRow("x")));
    EXPECT_FALSE(keeps(" [RPEV_CODIGO] IS NOT NULL", textRow("")));
}

TEST_F(FilterExpressionTest, DatesAndTimes) {
    const QDate day(2024, 3, 15);
    const Row row{{"F", FieldType::Date, Value::date(day)},
                  {"H", FieldType::Time, Value::time(QTime(10, 30))},
                  {"T", FieldType::DateTime, Value::dateTime(QDateTime(day, QTime(10, 30)))}};
    EXPECT_TRUE(keeps(" [F] = '15/03/2024'", row));
    EXPECT_FALSE(keeps(" [F] = '16/03/2024'", row));
    EXPECT_TRUE(keeps(" [F] >= '01/03/2024' AND [F] < '01/04/2024'", row));
    EXPECT_TRUE(keeps(" [F] < '15/03/2024 00:00:01'", row));
    EXPECT_TRUE(keeps(" [F] = '2024-03-15'", row)); // ISO 8601
    EXPECT_TRUE(keeps(" [H] < '12:00:00'", row));
    EXPECT_TRUE(keeps(" [H] = '10:30:00'", row));
    EXPECT_TRUE(keeps(" [T] = '15/03/2024 10:30:00'", row));
    EXPECT_TRUE(keeps(" [T] > '15/03/2024'", row));
    EXPECT_FALSE(keeps(" [T] > '15/03/2024 10:30:00'", row));
    // NOW is the current date and time: a past day lies before it.
    EXPECT_TRUE(keeps(" [F] <= 'NOW'", row));
    EXPECT_FALSE(keeps(" [F] > 'now'", row));
}

TEST_F(FilterExpressionTest, ExpressionsOfTheFilterRowParse) {
    const Row row{{"RPEV_CODIGO", FieldType::String, Value::string("abc")},
                  {"RPEV_PTVT", FieldType::Integer, Value::integer(2)},
                  {"RPEV_ERROR", FieldType::String, Value::null()}};
    EXPECT_TRUE(keeps(" [RPEV_CODIGO] Like 'abc'", row));
    EXPECT_TRUE(keeps(" ([RPEV_PTVT] = 1 OR [RPEV_PTVT] = 2)", row));
    EXPECT_FALSE(keeps(" ([RPEV_PTVT] <> 1 AND [RPEV_PTVT] <> 2)", row));
    EXPECT_TRUE(keeps("( [RPEV_PTVT] > 1 OR [RPEV_PTVT] < 0)", row));
    EXPECT_TRUE(keeps(" [RPEV_CODIGO] Like 'a%' AND  [RPEV_ERROR] IS NULL", row));
    EXPECT_TRUE(keeps("[rpev_codigo] like 'A%' and not [Rpev_Ptvt] is null", row));
    EXPECT_TRUE(keeps("RPEV_PTVT = 2", row));
    EXPECT_TRUE(keeps("((([RPEV_PTVT] = 2)))", row));
}

TEST_F(FilterExpressionTest, UnknownFieldsFailWhenEvaluated) {
    const FilterExpression e = FilterExpression::parse("[A] = 1 OR [foo] = 2 OR [a] = 3");
    EXPECT_EQ(e.fieldNames(), (std::vector<std::string>{"A", "foo"}));
    EXPECT_EQ(failure([&] {
                  (void)e.matches(Row{{"A", FieldType::Integer, Value::integer(0)}});
              }),
              "Field 'foo' not found");
}

TEST_F(FilterExpressionTest, LiteralsThatDoNotConvertFail) {
    EXPECT_EQ(failure([&] { keeps("[N] = 'abc'", numberRow(Value::integer(1))); }),
              "'abc' is not a valid floating point value");
    const Row date{{"F", FieldType::Date, Value::date(QDate(2024, 1, 1))}};
    EXPECT_EQ(failure([&] { keeps("[F] = '31/02/2024'", date); }),
              "'31/02/2024' is not a valid date and time");
    EXPECT_EQ(failure([&] { keeps("[F] = 5", date); }), "'5' is not a valid date and time");
}

TEST_F(FilterExpressionTest, MalformedExpressionsFailAtParse) {
    const char* bad[] = {"[A] =",    "[A] = 'abc",  "([A] = 1", "[A", "[A] ? 1",   "AND",      "[A] = 1 AND",
                         "[A] IS 5", "[A] NOT = 1", "[]",       ")",  "[A] = 1 1", "[A] = 1,", "'x' éé"};
    for (const char* text : bad) {
        const std::string message = failure([&] { FilterExpression::parse(text); });
        EXPECT_NE(message.find("Invalid filter expression at position"), std::string::npos)
            << text << ": " << message;
        EXPECT_NE(message.find(text), std::string::npos) << message;
    }
}

TEST_F(FilterExpressionTest, DeepNestingFailsInsteadOfOverflowingTheStack) {
    const std::string deep = std::string(100000, '(') + "1=1" + std::string(100000, ')');
    EXPECT_NE(failure([&] { FilterExpression::parse(deep); }).find("nested too deeply"), std::string::npos);
    const std::string nots = [] {
        std::string s;
        for (int i = 0; i < 50000; ++i)
            s += "NOT ";
        return s + "1=1";
    }();
    EXPECT_NE(failure([&] { FilterExpression::parse(nots); }).find("nested too deeply"), std::string::npos);
    std::string longChain = "1=1";
    for (int i = 0; i < 10000; ++i)
        longChain += " AND 1=1";
    EXPECT_TRUE(keeps(longChain, Row{}));
}

} // namespace
} // namespace envio
