#include "db/ValueOrder.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <string>
#include <vector>

namespace envio {
namespace {

int sign(int v) {
    return (v > 0) - (v < 0);
}

Value text(const char* bytes) {
    return Value::string(bytes);
}

// Windows-1252 spellings of "árbol", "Ñandú", "ñandú" and "ÑANDÚ".
const std::string arbol = "\xE1rbol";
const std::string nandu = std::string("\xD1") + "and\xFA";
const std::string nanduLower = std::string("\xF1") + "and\xFA";
const std::string nanduUpper = std::string("\xD1") + "AND\xDA";

TEST(ValueOrder, NullIsLowestAndEqualToNull) {
    EXPECT_EQ(compareValues(Value::null(), Value::null(), FieldType::Integer), 0);
    EXPECT_LT(compareValues(Value::null(), Value::integer(std::numeric_limits<std::int64_t>::min()),
                            FieldType::Integer),
              0);
    EXPECT_GT(compareValues(Value::integer(0), Value::null(), FieldType::Integer), 0);
    EXPECT_LT(compareValues(Value::null(), text(""), FieldType::String), 0);
    EXPECT_LT(compareValues(Value::null(), Value::date(QDate(1, 1, 1)), FieldType::Date), 0);
}

TEST(ValueOrder, NumbersCompareByValueAcrossKinds) {
    struct Case {
        Value a;
        Value b;
        int expected;
    };
    const std::vector<Case> cases = {
        {Value::integer(2), Value::decimal(250, 2), -1},
        {Value::decimal(15, 1), Value::decimal(1500, 3), 0},
        {Value::integer(3), Value::decimal(30, 1), 0},
        {Value::floating(2.5), Value::decimal(25, 1), 0},
        {Value::floating(-0.1), Value::integer(0), -1},
        {Value::decimal(-5, 1), Value::decimal(-49, 2), -1},
        {Value::integer(10), Value::integer(9), 1},
        // Scaling to the finer scale overflows: the magnitude decides.
        {Value::integer(std::numeric_limits<std::int64_t>::max()), Value::decimal(1, 18), 1},
        {Value::integer(std::numeric_limits<std::int64_t>::min()), Value::decimal(-1, 18), -1},
        {Value::decimal(1, 18), Value::integer(std::numeric_limits<std::int64_t>::max()), -1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(sign(compareValues(c.a, c.b, FieldType::ExactDecimal)), c.expected)
            << c.a.toDouble() << " vs " << c.b.toDouble();
        EXPECT_EQ(sign(compareValues(c.b, c.a, FieldType::ExactDecimal)), -c.expected);
    }
}

TEST(ValueOrder, NaNSortsAboveEveryNumber) {
    const Value nan = Value::floating(std::nan(""));
    EXPECT_GT(compareValues(nan, Value::floating(1e308), FieldType::Float), 0);
    EXPECT_LT(compareValues(Value::integer(5), nan, FieldType::Float), 0);
    EXPECT_EQ(compareValues(nan, nan, FieldType::Float), 0);
}

TEST(ValueOrder, TextsIgnoreLetterCaseAndTrailingBlanks) {
    EXPECT_EQ(compareValues(text("abc"), text("ABC"), FieldType::String), 0);
    EXPECT_EQ(compareValues(text("A  "), text("a"), FieldType::String), 0);
    EXPECT_EQ(compareValues(Value::string(nanduUpper), Value::string(nanduLower), FieldType::String), 0);
    EXPECT_LT(compareValues(text("abc"), text("abcd"), FieldType::String), 0);
    EXPECT_LT(compareValues(text(" abc"), text("abc"), FieldType::String), 0); // a leading blank counts
}

TEST(ValueOrder, TextsFollowTheSpanishAlphabet) {
    std::vector<std::string> words = {"zapato", nandu, "nube", arbol, "Arco", "oso", "9 vidas", "-guion"};
    std::stable_sort(words.begin(), words.end(), [](const std::string& a, const std::string& b) {
        return compareValues(Value::string(a), Value::string(b), FieldType::String) < 0;
    });
    const std::vector<std::string> expected = {"-guion", "9 vidas", arbol, "Arco",
                                               "nube",   nandu,     "oso", "zapato"};
    EXPECT_EQ(words, expected);
}

TEST(ValueOrder, AccentsOnlyDecideBetweenOtherwiseEqualTexts) {
    const Value cafe = text("cafe");
    const Value cafeAccent = text("caf\xE9");
    const Value cafes = text("cafes");
    EXPECT_LT(compareValues(cafe, cafeAccent, FieldType::String), 0);
    EXPECT_LT(compareValues(cafeAccent, cafes, FieldType::String), 0);
    EXPECT_NE(compareValues(cafe, cafeAccent, FieldType::String), 0); // "=" tells them apart
    EXPECT_LT(compareValues(text("n"), text("\xF1"), FieldType::String), 0);
    EXPECT_LT(compareValues(Value::string(nanduLower), text("oa"), FieldType::String), 0);
    EXPECT_GT(compareValues(Value::string(nanduLower), text("nz"), FieldType::String), 0);
}

TEST(ValueOrder, BinaryBlobsCompareAsRawBytes) {
    // 'a' is 0x61, 'B' is 0x42.
    EXPECT_GT(compareValues(text("a"), text("B"), FieldType::BinaryBlob), 0);
    EXPECT_LT(compareValues(text("a"), text("B"), FieldType::String), 0);
    EXPECT_LT(compareValues(text("a"), text("a "), FieldType::BinaryBlob), 0);
}

TEST(ValueOrder, DatesAndTimesCompareChronologically) {
    const QDate day(2024, 3, 15);
    EXPECT_LT(compareValues(Value::date(day), Value::date(day.addDays(1)), FieldType::Date), 0);
    EXPECT_EQ(compareValues(Value::date(day), Value::dateTime(QDateTime(day, QTime(0, 0))), FieldType::Date),
              0);
    EXPECT_LT(
        compareValues(Value::date(day), Value::dateTime(QDateTime(day, QTime(0, 0, 1))), FieldType::Date), 0);
    EXPECT_GT(compareValues(Value::date(day.addDays(1)), Value::dateTime(QDateTime(day, QTime(23, 59))),
                            FieldType::DateTime),
              0);
    EXPECT_LT(compareValues(Value::time(QTime(9, 0)), Value::time(QTime(10, 0)), FieldType::Time), 0);
    EXPECT_EQ(compareValues(Value::time(QTime(9, 0, 1)), Value::time(QTime(9, 0, 1)), FieldType::Time), 0);
}

TEST(ValueOrder, UnrelatedKindsOrderByKind) {
    EXPECT_LT(compareValues(Value::integer(99), text("1"), FieldType::String), 0);
    EXPECT_LT(compareValues(text("zzz"), Value::date(QDate(2000, 1, 1)), FieldType::String), 0);
    EXPECT_LT(compareValues(Value::date(QDate(2000, 1, 1)), Value::time(QTime(0, 0)), FieldType::Date), 0);
}

TEST(ValueOrder, SameCharacterIgnoringCase) {
    EXPECT_TRUE(sameCharacterIgnoringCase('a', 'A'));
    EXPECT_TRUE(sameCharacterIgnoringCase('\xF1', '\xD1'));
    EXPECT_TRUE(sameCharacterIgnoringCase('\x9A', '\x8A')); // š Š
    EXPECT_FALSE(sameCharacterIgnoringCase('a', '\xE1'));
    EXPECT_FALSE(sameCharacterIgnoringCase('\xF7', '\xD7')); // ÷ and × are not a letter pair
}

} // namespace
} // namespace envio
