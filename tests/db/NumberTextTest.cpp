#include "db/NumberText.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <limits>
#include <optional>
#include <string>

namespace envio {
namespace {

TEST(NumberText, ReadsAndWritesNumbers) {
    struct Case {
        const char* text;
        char separator;
        const char* written; // nullptr: not a number
    };
    const Case cases[] = {
        {"5", ',', "5"},
        {"-5", ',', "-5"},
        {"+5", ',', "5"},
        {"1,50", ',', "1,5"},
        {"1.50", '.', "1.5"},
        {"1.50", ',', nullptr},
        {"0,05", ',', "0,05"},
        {"-0,5", ',', "-0,5"},
        {",5", ',', "0,5"},
        {"5,", ',', "5"},
        {"1e3", ',', "1000"},
        {"2,5E-1", ',', "0,25"},
        {"000120", ',', "120"},
        {"-0", ',', "0"},
        {"abc", ',', nullptr},
        {"", ',', nullptr},
        {"1,2,3", ',', nullptr},
        {"1e", ',', nullptr},
        {"1e999999", ',', nullptr},
        {"- 5", ',', nullptr},
        {"12345678901234567890", '.', "12345678901234567168"}, // nearest double
    };
    for (const Case& c : cases) {
        const std::optional<Value> v = parseNumberText(c.text, c.separator);
        if (!c.written) {
            EXPECT_FALSE(v.has_value()) << c.text;
            continue;
        }
        ASSERT_TRUE(v.has_value()) << c.text;
        const std::string written = formatNumberText(*v, c.separator);
        EXPECT_EQ(written, c.written) << c.text;
        const std::optional<Value> again = parseNumberText(written, c.separator);
        ASSERT_TRUE(again.has_value()) << written;
        EXPECT_DOUBLE_EQ(again->toDouble(), v->toDouble()) << written;
    }
    EXPECT_EQ(formatNumberText(Value::decimal(std::numeric_limits<std::int64_t>::min(), 2), '.'),
              "-92233720368547758.08");
}

} // namespace
} // namespace envio
