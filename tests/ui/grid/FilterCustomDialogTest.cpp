#include "ui/grid/FilterCustomDialog.h"

#include "base/Regional.h"

#include <gtest/gtest.h>

namespace envio {
namespace {

using Op = CustomFilterOperator;

const FilterColumn codigo{"RPEV_CODIGO", FilterValueKind::Text, false, {}};
const FilterColumn ptvt{"RPEV_PTVT", FilterValueKind::Number, false, {}};

class FilterCustomDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        regional::setOverride(
            regional::Formats{QStringLiteral("dd/MM/yyyy"), QStringLiteral("HH:mm:ss"), QChar(',')});
    }
    void TearDown() override { regional::setOverride(std::nullopt); }

    static CustomFilterFields opened(const char* text, const FilterColumn& column = codigo) {
        return customFilterFields(parseFilterText(QString::fromUtf8(text), column));
    }
    static QString text(CustomFilterCondition first, FilterRelation relation = FilterRelation::And,
                        CustomFilterCondition second = {}, FilterValueKind kind = FilterValueKind::Text) {
        return customFilterText(CustomFilterFields{std::move(first), relation, std::move(second)}, kind);
    }
};

TEST_F(FilterCustomDialogTest, OperatorListAsOffered) {
    QStringList captions;
    for (Op op : customFilterOperators())
        captions << customFilterCaption(op);
    EXPECT_EQ(captions,
              (QStringList{"", "equals", "does not equal", "is greate than", "is greate than or equall to",
                           "is less than", "is less than or equall to", "begins with", "does not begin with",
                           "ends with", "does not end with", "contains", "does not contain", "like",
                           "not like", "in list", "not in list", "is blank", "is not blank"}));
}

TEST_F(FilterCustomDialogTest, OpeningShowsTheParsedFilter) {
    struct Case {
        const char* filter;
        Op op;
        const char* value;
    };
    const Case cases[] = {
        {"abc%", Op::BeginsWith, "abc"},
        {"%abc", Op::EndsWith, "abc"},
        {"%abc%", Op::Contains, "abc"},
        {"a%c", Op::Like, "a%c"},
        {"abc", Op::Like, "abc"},
        {"%", Op::BeginsWith, ""},
        {"!~abc%", Op::DoesNotBeginWith, "abc"},
        {"not like %abc", Op::DoesNotEndWith, "abc"},
        {"!~%b%", Op::DoesNotContain, "b"},
        {"!~b", Op::NotLike, "b"},
        {"=abc", Op::Equals, "abc"},
        {"<>abc", Op::DoesNotEqual, "abc"},
        {">a", Op::IsGreaterThan, "a"},
        {">=a", Op::IsGreaterThanOrEqualTo, "a"},
        {"<a", Op::IsLessThan, "a"},
        {"<=a", Op::IsLessThanOrEqualTo, "a"},
        {"in (a,b)", Op::InList, "a,b"},
        {"a,'b c'", Op::InList, "a,b c"},
        {"!in ('x,y',z)", Op::NotInList, "'x,y',z"},
        {"=Null", Op::IsBlank, ""},
        {"<>null", Op::IsNotBlank, ""},
    };
    for (const Case& c : cases) {
        const CustomFilterFields f = opened(c.filter);
        EXPECT_EQ(f.first.op, c.op) << c.filter;
        EXPECT_EQ(f.first.value, QString::fromUtf8(c.value)) << c.filter;
        EXPECT_EQ(f.second.op, Op::Empty) << c.filter;
        EXPECT_EQ(f.relation, FilterRelation::And) << c.filter;
    }
    const CustomFilterFields two = opened(">5 or <2", ptvt);
    EXPECT_EQ(two.first.op, Op::IsGreaterThan);
    EXPECT_EQ(two.first.value, QStringLiteral("5"));
    EXPECT_EQ(two.relation, FilterRelation::Or);
    EXPECT_EQ(two.second.op, Op::IsLessThan);
    EXPECT_EQ(two.second.value, QStringLiteral("2"));
    const CustomFilterFields empty = opened("");
    EXPECT_EQ(empty.first.op, Op::Empty);
    EXPECT_EQ(empty.relation, FilterRelation::And);
}

TEST_F(FilterCustomDialogTest, OkMakesTheFilterText) {
    EXPECT_EQ(text({Op::Equals, "abc"}), "=abc");
    EXPECT_EQ(text({Op::DoesNotEqual, "abc"}), "<>abc");
    EXPECT_EQ(text({Op::IsGreaterThan, "5"}), ">5");
    EXPECT_EQ(text({Op::IsGreaterThanOrEqualTo, "5"}), ">=5");
    EXPECT_EQ(text({Op::IsLessThan, "5"}), "<5");
    EXPECT_EQ(text({Op::IsLessThanOrEqualTo, "5"}), "<=5");
    EXPECT_EQ(text({Op::BeginsWith, "abc"}), "~abc%");
    EXPECT_EQ(text({Op::DoesNotBeginWith, "abc"}), "!~abc%");
    EXPECT_EQ(text({Op::EndsWith, "abc"}), "~%abc");
    EXPECT_EQ(text({Op::DoesNotEndWith, "abc"}), "!~%abc");
    EXPECT_EQ(text({Op::Contains, "abc"}), "~%abc%");
    EXPECT_EQ(text({Op::DoesNotContain, "abc"}), "!~%abc%");
    EXPECT_EQ(text({Op::Like, "a_c"}), "~a_c");
    EXPECT_EQ(text({Op::NotLike, "a_c"}), "!~a_c");
    EXPECT_EQ(text({Op::InList, "1,2"}), "in(1,2)");
    EXPECT_EQ(text({Op::NotInList, "1,2"}), "!in(1,2)");
    EXPECT_EQ(text({Op::IsBlank, "ignored"}), "=Null");
    EXPECT_EQ(text({Op::IsNotBlank, ""}), "<>Null");
    EXPECT_EQ(text({Op::Empty, "abc"}), "abc");
    EXPECT_EQ(text({Op::Empty, ""}), "");
    EXPECT_EQ(text({Op::IsGreaterThan, "1"}, FilterRelation::And, {Op::IsLessThan, "9"}), ">1 AND <9");
    EXPECT_EQ(text({Op::Equals, "a"}, FilterRelation::Or, {Op::Equals, "b"}), "=a OR =b");
    EXPECT_EQ(text({Op::Equals, "a"}, FilterRelation::Or, {Op::Empty, ""}), "=a");
}

TEST_F(FilterCustomDialogTest, ValuesAreQuotedWhereTheTextWouldMisreadThem) {
    EXPECT_EQ(text({Op::Equals, "a(b"}), "='a(b'");
    EXPECT_EQ(text({Op::Equals, " lead"}), "=' lead'");
    // Only a text column quotes a leading blank.
    EXPECT_EQ(text({Op::Equals, " 5"}, FilterRelation::And, {}, FilterValueKind::Number), "= 5");
    EXPECT_EQ(text({Op::Empty, "(x)"}), "'(x)'");
    EXPECT_EQ(text({Op::InList, "a,(b"}), "in('a,(b')");
    EXPECT_EQ(text({Op::InList, "'(x)',y"}), "in('(x)',y)");
    // Beyond brackets and leading blanks: texts that would split or turn into NULL.
    EXPECT_EQ(text({Op::Equals, "a or b"}), "='a or b'");
    EXPECT_EQ(text({Op::Equals, "null"}), "='null'");
    EXPECT_EQ(text({Op::Equals, "'q"}), "='''q'");
    // An empty value is the empty text.
    EXPECT_EQ(text({Op::Equals, ""}), "=''");
    EXPECT_EQ(text({Op::Like, ""}), "~''");
    // The "%" signs stay inside the quotes.
    EXPECT_EQ(text({Op::BeginsWith, "a(b"}), "~'a(b%'");
    EXPECT_EQ(text({Op::Contains, "x)"}), "~'%x)%'");
}

TEST_F(FilterCustomDialogTest, ALoneSecondRowStandsOnItsOwn) {
    EXPECT_EQ(text({Op::Empty, ""}, FilterRelation::Or, {Op::Equals, "b"}), "=b");
}

TEST_F(FilterCustomDialogTest, RoundTripKeepsTheFilter) {
    const char* filters[] = {"abc",    "=abc",    "abc%",      "%abc",          "%abc%",     "!~abc%",
                             "!~%abc", "!~%abc%", "~a_c",      "<>O'Brien",     "in (a,b)",  "!in (a,'b,c')",
                             "=Null",  "<>Null",  ">a and <m", "=a or =b",      "='a or b'", "='a(b'",
                             "~'x)%'", "' lead'", "='null'",   "in ('(x)', y)", "=''''"};
    for (const char* filter : filters) {
        const ParsedFilter before = parseFilterText(QString::fromUtf8(filter), codigo);
        const QString again = customFilterText(customFilterFields(before), FilterValueKind::Text);
        const ParsedFilter after = parseFilterText(again, codigo);
        EXPECT_EQ(columnFilterExpression(after, "F"), columnFilterExpression(before, "F"))
            << filter << " became " << again.toStdString();
    }
    const char* numbers[] = {"5", "in (1,5)", ">=1,5 and <2", "!in ('1,5', '2,5')"};
    for (const char* filter : numbers) {
        const ParsedFilter before = parseFilterText(QString::fromUtf8(filter), ptvt);
        const QString again = customFilterText(customFilterFields(before), FilterValueKind::Number);
        EXPECT_EQ(columnFilterExpression(parseFilterText(again, ptvt), "F"),
                  columnFilterExpression(before, "F"))
            << filter << " became " << again.toStdString();
    }
}

} // namespace
} // namespace envio
