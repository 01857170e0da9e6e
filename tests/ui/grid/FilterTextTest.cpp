#include "ui/grid/FilterText.h"

#include "base/Regional.h"
#include "db/Error.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace envio {
namespace {

const FilterColumn codigo{"RPEV_CODIGO", FilterValueKind::Text, false, {}};
const FilterColumn ptvt{"RPEV_PTVT", FilterValueKind::Number, false, {}};
const FilterColumn fecha{"RPEV_FECREG", FilterValueKind::DateTime, false, {}};
const FilterColumn tipoDoc{"RPEV_TIPO",
                           FilterValueKind::Text,
                           true,
                           {{Value::integer(126), QStringLiteral("PRECIO")},
                            {Value::integer(1125), QStringLiteral("LISTA")},
                            {Value::integer(229), QStringLiteral("DESCTO")}}};

class FilterTextTest : public ::testing::Test {
protected:
    void TearDown() override { regional::setOverride(std::nullopt); }

    static void useDecimalSeparator(QChar separator) {
        regional::setOverride(
            regional::Formats{QStringLiteral("dd/MM/yyyy"), QStringLiteral("HH:mm:ss"), separator});
    }

    static std::string expression(const char* text, const FilterColumn& column) {
        const QString typed = QString::fromUtf8(text);
        return columnFilterExpression(parseFilterText(typed, column), column.fieldName).toStdString();
    }

    static std::string failure(const char* text, const FilterColumn& column) {
        try {
            parseFilterText(QString::fromUtf8(text), column);
        } catch (const Error& e) {
            return e.message();
        }
        return "(no failure)";
    }

    struct Case {
        const char* text;
        const char* expected;
    };
    static void check(const std::vector<Case>& cases, const FilterColumn& column) {
        for (const Case& c : cases)
            EXPECT_EQ(expression(c.text, column), c.expected) << "filter text: " << c.text;
    }
};

TEST_F(FilterTextTest, TextColumn) {
    useDecimalSeparator(',');
    check(
        {
            {"abc", " [RPEV_CODIGO] Like 'abc'"},
            {"abc%", " [RPEV_CODIGO] Like 'abc%'"},
            {"  abc  ", " [RPEV_CODIGO] Like 'abc'"},
            {"juan perez", " [RPEV_CODIGO] Like 'juan perez'"},
            {"android", " [RPEV_CODIGO] Like 'android'"},
            {"nota", " [RPEV_CODIGO] Like 'nota'"},
            {"a=b", " [RPEV_CODIGO] Like 'a=b'"},
            {"=abc", " [RPEV_CODIGO] = 'abc'"},
            {"= abc", " [RPEV_CODIGO] = 'abc'"},
            {"=O'Brien", " [RPEV_CODIGO] = 'O''Brien'"},
            {"'it''s'", " [RPEV_CODIGO] Like 'it''s'"},
            {"'a,b'", " [RPEV_CODIGO] Like 'a,b'"},
            {"<>abc", " [RPEV_CODIGO] <> 'abc'"},
            {"!=abc", " [RPEV_CODIGO] <> 'abc'"},
            {">a", " [RPEV_CODIGO] > 'a'"},
            {"<a", " [RPEV_CODIGO] < 'a'"},
            {">=a", " [RPEV_CODIGO] >= 'a'"},
            {"<=a", " [RPEV_CODIGO] <= 'a'"},
            {"~ab%", " [RPEV_CODIGO] Like 'ab%'"},
            {"like ab%", " [RPEV_CODIGO] Like 'ab%'"},
            {"LiKe'ab%'", " [RPEV_CODIGO] Like 'ab%'"},
            {"!~ab%", " [RPEV_CODIGO] Not Like 'ab%'"},
            {"! ~ab%", " [RPEV_CODIGO] Not Like 'ab%'"},
            {"not like ab%", " [RPEV_CODIGO] Not Like 'ab%'"},
            {"NOT ~ ab%", " [RPEV_CODIGO] Not Like 'ab%'"},
            {"in (a,b)", " ([RPEV_CODIGO] = 'a' OR [RPEV_CODIGO] = 'b')"},
            {"IN( a , 'b c' )", " ([RPEV_CODIGO] = 'a' OR [RPEV_CODIGO] = 'b c')"},
            {"not in (a,b)", " ([RPEV_CODIGO] <> 'a' AND [RPEV_CODIGO] <> 'b')"},
            {"!in(a)", " ([RPEV_CODIGO] <> 'a')"},
            {"a,b", " ([RPEV_CODIGO] = 'a' OR [RPEV_CODIGO] = 'b')"},
            {"'a', 'b'", " ([RPEV_CODIGO] = 'a' OR [RPEV_CODIGO] = 'b')"},
            {"=Null", " [RPEV_CODIGO] IS NULL"},
            {"= null ", " [RPEV_CODIGO] IS NULL"},
            {"<>Null", " [RPEV_CODIGO] IS NOT NULL"},
            {"!=NULL", " [RPEV_CODIGO] IS NOT NULL"},
            {"=nullable", " [RPEV_CODIGO] = 'nullable'"},
            {"='null'", " [RPEV_CODIGO] = 'null'"},
            {">a and <m", " [RPEV_CODIGO] > 'a' AND [RPEV_CODIGO] < 'm'"},
            {">a & <m", " [RPEV_CODIGO] > 'a' AND [RPEV_CODIGO] < 'm'"},
            {"a or b", "( [RPEV_CODIGO] Like 'a' OR [RPEV_CODIGO] Like 'b')"},
            {"=a | =b", "( [RPEV_CODIGO] = 'a' OR [RPEV_CODIGO] = 'b')"},
            {"=Null or ~x%", "( [RPEV_CODIGO] IS NULL OR [RPEV_CODIGO] Like 'x%')"},
            {"=\xC3\xB1u", " [RPEV_CODIGO] = '\xC3\xB1u'"},
        },
        codigo);
}

TEST_F(FilterTextTest, NumberColumnWithDecimalPoint) {
    useDecimalSeparator('.');
    check(
        {
            {"5", " [RPEV_PTVT] = 5"},
            {"in (1,2)", " ([RPEV_PTVT] = 1 OR [RPEV_PTVT] = 2)"},
            {"not in (1,2)", " ([RPEV_PTVT] <> 1 AND [RPEV_PTVT] <> 2)"},
            {"1,2", " ([RPEV_PTVT] = 1 OR [RPEV_PTVT] = 2)"},
            {">=1.50", " [RPEV_PTVT] >= 1.5"},
            {"-3", " [RPEV_PTVT] = -3"},
            {"~12", " [RPEV_PTVT] Like 12"},
            {">1 and <=10", " [RPEV_PTVT] > 1 AND [RPEV_PTVT] <= 10"},
            {"='7'", " [RPEV_PTVT] = 7"},
        },
        ptvt);
}

TEST_F(FilterTextTest, NumberColumnWithDecimalComma) {
    useDecimalSeparator(',');
    check(
        {
            {"1,5", " [RPEV_PTVT] = 1,5"},
            {"in (1,2)", " ([RPEV_PTVT] = 1,2)"},
            {"in ('1,5','2,5')", " ([RPEV_PTVT] = 1,5 OR [RPEV_PTVT] = 2,5)"},
            {"<0,25", " [RPEV_PTVT] < 0,25"},
        },
        ptvt);
    EXPECT_EQ(failure("1.5", ptvt), "'1.5' is not a valid floating point value");
    EXPECT_EQ(failure("abc", ptvt), "'abc' is not a valid floating point value");
    EXPECT_EQ(failure("in (1, x)", ptvt), "'1, x' is not a valid floating point value");
}

TEST_F(FilterTextTest, DateTimeColumn) {
    useDecimalSeparator(',');
    check(
        {
            {"15/03/2024", " [RPEV_FECREG] = '15/03/2024'"},
            {"15/03/2024 10:30:00", " [RPEV_FECREG] = '15/03/2024 10:30:00'"},
            {"15/03/2024 00:00:00", " [RPEV_FECREG] = '15/03/2024'"},
            {">=01/03/2024 and <01/04/2024",
             " [RPEV_FECREG] >= '01/03/2024' AND [RPEV_FECREG] < '01/04/2024'"},
            {"now", " [RPEV_FECREG] = 'now'"},
            {"<=NOW", " [RPEV_FECREG] <= 'NOW'"},
            {"=Null", " [RPEV_FECREG] IS NULL"},
            {"10:30:00", " [RPEV_FECREG] = '10:30:00'"},
        },
        fecha);
    EXPECT_EQ(failure("xyz", fecha), "'xyz' is not a valid date and time");
    EXPECT_EQ(failure("31/02/2024", fecha), "'31/02/2024' is not a valid date and time");
}

TEST_F(FilterTextTest, LookedUpColumnTranslatesNamesIntoKeys) {
    useDecimalSeparator(',');
    check(
        {
            {"PRECIO", " [RPEV_TIPO] Like 126"},
            {"=precio", " [RPEV_TIPO] = 126"},
            {"PRECIO,LISTA", " ([RPEV_TIPO] = 126 OR [RPEV_TIPO] = 1125)"},
            {"!in (DESCTO)", " ([RPEV_TIPO] <> 229)"},
            {"=Null", " [RPEV_TIPO] IS NULL"},
        },
        tipoDoc);
    EXPECT_EQ(failure("OTRO", tipoDoc), "'OTRO' is not in the list: OTRO");
    EXPECT_EQ(failure("PRE%", tipoDoc), "'PRE%' is not in the list: PRE%");

    FilterColumn textKeys = tipoDoc;
    textKeys.lookup = {{Value::string("A'1"), QStringLiteral("Alfa")}};
    EXPECT_EQ(expression("Alfa", textKeys), " [RPEV_TIPO] Like 'A''1'");
}

TEST_F(FilterTextTest, FailureMessagesCarryTheWholeText) {
    useDecimalSeparator(',');
    struct Failure {
        const char* text;
        const char* message;
    };
    const Failure failures[] = {
        {"'abc", "Quote is absent: 'abc"},
        {"=  'abc", "Quote is absent: =  'abc"},
        {"in ('a,b)", "Quote is absent: in ('a,b)"},
        {"in 1,2", "'(' expected: in 1,2"},
        {"not in x", "'(' expected: not in x"},
        {"in", "'(' expected: in"},
        {"in (a,b", "')' expected: in (a,b"},
        {"in (a b", "')' expected: in (a b"},
        {"in ('a' 'b')", "')' expected: in ('a' 'b')"},
        {")abc", "Error in expression: )abc"},
        {"(abc)", "Error in expression: (abc)"},
        {"and abc", "Error in expression: and abc"},
        {"| abc", "Error in expression: | abc"},
        {"null", "Error in expression: null"},
        {",a", "Error in expression: ,a"},
        {"=a and", "Error in expression: =a and"},
        {"a,", "Error in expression: a,"},
        {">null", "Unexpected expression before Null: >null"},
        {"~ NULL", "Unexpected expression before Null: ~ NULL"},
        {"in (null)", "Unexpected expression before Null: in (null)"},
        {"not null", "Unexpected expression after operator: not null"},
        {"!null", "Unexpected expression after operator: !null"},
        {"=", "Unexpected expression after operator: ="},
        {"= and", "Unexpected expression after operator: = and"},
        {"==5", "Unexpected expression after operator: ==5"},
        {"not abc", "Unexpected expression after operator: not abc"},
        {"in ()", "Unexpected expression after operator: in ()"},
        {"in (a,)", "Unexpected expression after operator: in (a,)"},
        {"=a =b", "Unexpected AND or OR: =a =b"},
        {"'a' b", "Unexpected AND or OR: 'a' b"},
        {"abc(", "Unexpected AND or OR: abc("},
        {"=a and =b or =c", "Incorrect expression: =a and =b or =c"},
        {"=a and =b)", "Incorrect expression: =a and =b)"},
    };
    for (const Failure& f : failures)
        EXPECT_EQ(failure(f.text, codigo), f.message) << "filter text: " << f.text;
}

TEST_F(FilterTextTest, BlankTextIsTheEmptyFilter) {
    useDecimalSeparator(',');
    EXPECT_TRUE(parseFilterText(QString(), codigo).isEmpty());
    EXPECT_TRUE(parseFilterText(QStringLiteral("   "), codigo).isEmpty());
    EXPECT_EQ(columnFilterExpression(ParsedFilter{}, "X"), QString());
}

TEST_F(FilterTextTest, ParsedFormKeepsOperatorsRelationAndTypedValues) {
    useDecimalSeparator(',');
    const ParsedFilter f = parseFilterText(QStringLiteral(" >= 1,50 OR in (7,5)"), ptvt);
    EXPECT_EQ(f.first.op, FilterOperator::GreaterOrEqual);
    ASSERT_EQ(f.first.operands.size(), 1u);
    EXPECT_EQ(f.first.operands[0].text, QStringLiteral("1,50"));
    EXPECT_EQ(f.first.operands[0].literal, QStringLiteral("1,5"));
    EXPECT_EQ(f.relation, FilterRelation::Or);
    EXPECT_EQ(f.second.op, FilterOperator::In);
    ASSERT_EQ(f.second.operands.size(), 1u); // the comma belongs to the number in this column
    EXPECT_EQ(f.second.operands[0].text, QStringLiteral("7,5"));
    EXPECT_EQ(f.second.operands[0].literal, QStringLiteral("7,5"));
}

TEST_F(FilterTextTest, CombinedExpression) {
    EXPECT_EQ(combineFilterExpressions({}), "1=1");
    EXPECT_EQ(combineFilterExpressions({QString(), QString()}), "1=1");
    EXPECT_EQ(
        combineFilterExpressions({QStringLiteral(" [A] = 1"), QString(), QStringLiteral(" [B] IS NULL")}),
        " [A] = 1 AND  [B] IS NULL");
    // Code-page bytes for the dataset.
    EXPECT_EQ(combineFilterExpressions({QString::fromUtf8(" [A] = '\xC3\xB1'")}), " [A] = '\xF1'");
}

TEST_F(FilterTextTest, ReadsBackUnquoted) {
    useDecimalSeparator(',');
    EXPECT_TRUE(readsBackUnquoted(QStringLiteral("abc"), false));
    EXPECT_TRUE(readsBackUnquoted(QStringLiteral("a,b"), false));
    EXPECT_FALSE(readsBackUnquoted(QStringLiteral("a,b"), true));
    EXPECT_FALSE(readsBackUnquoted(QStringLiteral("a or b"), false));
    EXPECT_FALSE(readsBackUnquoted(QStringLiteral("null"), false));
    EXPECT_FALSE(readsBackUnquoted(QStringLiteral("'x"), false));
    EXPECT_FALSE(readsBackUnquoted(QStringLiteral("a(b"), false));
    EXPECT_FALSE(readsBackUnquoted(QStringLiteral(" a"), false));
    EXPECT_FALSE(readsBackUnquoted(QString(), false));
}

} // namespace
} // namespace envio
