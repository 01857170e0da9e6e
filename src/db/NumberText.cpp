#include "db/NumberText.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>

namespace envio {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool isWhiteSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// The parts of a number text.
struct Scanned {
    bool negative = false;
    std::string digits; // integer and fractional digits, as written
    std::size_t fractionDigits = 0;
    bool separator = false;
    bool exponentWritten = false;
    long long exponent = 0;
};

// The text without the blanks its syntax allows; std::nullopt when a blank stands where none may.
std::optional<std::string> withoutBlanks(std::string_view text, NumberSyntax::Blanks blanks) {
    switch (blanks) {
    case NumberSyntax::Blanks::None:
        return std::string(text);
    case NumberSyntax::Blanks::AtEnds: {
        while (!text.empty() && text.front() == ' ')
            text.remove_prefix(1);
        while (!text.empty() && text.back() == ' ')
            text.remove_suffix(1);
        return std::string(text);
    }
    case NumberSyntax::Blanks::Anywhere: {
        while (!text.empty() && isWhiteSpace(text.front()))
            text.remove_prefix(1);
        std::string t;
        for (const char c : text)
            if (c != ' ')
                t += c;
        return t;
    }
    }
    return std::nullopt;
}

std::optional<Scanned> scan(std::string_view text, const NumberSyntax& syntax) {
    Scanned s;
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        s.negative = text[i++] == '-';
    while (i < text.size() && isDigit(text[i]))
        s.digits += text[i++];
    if (i < text.size() && (text[i] == syntax.decimalSeparator ||
                            (syntax.otherSeparator != 0 && text[i] == syntax.otherSeparator))) {
        ++i;
        s.separator = true;
        while (i < text.size() && isDigit(text[i])) {
            s.digits += text[i++];
            ++s.fractionDigits;
        }
    }
    if (s.digits.empty())
        return std::nullopt;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        s.exponentWritten = true;
        bool negativeExponent = false;
        if (i < text.size() && (text[i] == '+' || text[i] == '-'))
            negativeExponent = text[i++] == '-';
        if (i == text.size() || !isDigit(text[i]))
            return std::nullopt;
        while (i < text.size() && isDigit(text[i]))
            s.exponent = std::min(s.exponent * 10 + (text[i++] - '0'), 1000000LL);
        if (negativeExponent)
            s.exponent = -s.exponent;
    }
    if (i != text.size())
        return std::nullopt;
    return s;
}

// The digits as a 64-bit integer with the sign; std::nullopt when they do not fit.
std::optional<std::int64_t> asInteger(const Scanned& s) {
    std::int64_t v = 0;
    for (const char c : s.digits) {
        if (v > (std::numeric_limits<std::int64_t>::max() - (c - '0')) / 10)
            return std::nullopt;
        v = v * 10 + (c - '0');
    }
    return s.negative ? -v : v;
}

// digits x 10^-scale as the nearest double.
std::optional<Value> asFloat(const Scanned& s, long long scale, bool underflowToZero) {
    const std::string normalized = (s.negative ? "-" : "") + s.digits + "e" + std::to_string(-scale);
    if (underflowToZero) {
        // The text has no decimal point, so the C library reads it the same in every locale.
        char* end = nullptr;
        const double d = std::strtod(normalized.c_str(), &end);
        if (end != normalized.c_str() + normalized.size() || !std::isfinite(d))
            return std::nullopt;
        return Value::floating(d);
    }
    double result = 0;
    const auto [end, error] =
        std::from_chars(normalized.data(), normalized.data() + normalized.size(), result);
    if (error != std::errc() || end != normalized.data() + normalized.size())
        return std::nullopt;
    return Value::floating(result);
}

std::optional<Value> shortest(const Scanned& s) {
    const std::size_t firstSignificant = s.digits.find_first_not_of('0');
    const std::string significant =
        firstSignificant == std::string::npos ? "0" : s.digits.substr(firstSignificant);
    const long long scale = static_cast<long long>(s.fractionDigits) - s.exponent;
    if (significant.size() <= 18) {
        std::int64_t units = std::stoll(significant);
        long long exactScale = scale;
        bool exact = true;
        for (; exactScale < 0 && exact; ++exactScale)
            exact = !__builtin_mul_overflow(units, std::int64_t{10}, &units);
        while (exact && exactScale > 0 && units % 10 == 0) {
            units /= 10;
            --exactScale;
        }
        if (exact && units == 0)
            return Value::integer(0);
        if (exact && exactScale == 0)
            return Value::integer(s.negative ? -units : units);
        if (exact && exactScale <= 18)
            return Value::decimal(s.negative ? -units : units, static_cast<int>(exactScale));
    }
    return asFloat(s, scale, false);
}

std::optional<Value> asWritten(const Scanned& s) {
    if (!s.separator && !s.exponentWritten)
        if (const std::optional<std::int64_t> v = asInteger(s))
            return Value::integer(*v);
    if (!s.exponentWritten && s.digits.size() <= 18)
        return Value::decimal((s.negative ? -1 : 1) * std::stoll(s.digits),
                              static_cast<int>(s.fractionDigits));
    return asFloat(s, static_cast<long long>(s.fractionDigits) - s.exponent, true);
}

} // namespace

std::optional<Value> parseNumberText(std::string_view text, const NumberSyntax& syntax) {
    const std::optional<std::string> t = withoutBlanks(text, syntax.blanks);
    if (!t)
        return std::nullopt;
    const std::optional<Scanned> s = scan(*t, syntax);
    if (!s)
        return std::nullopt;
    switch (syntax.reading) {
    case NumberSyntax::Reading::Shortest:
        return shortest(*s);
    case NumberSyntax::Reading::AsWritten:
        return asWritten(*s);
    case NumberSyntax::Reading::IntegerOnly:
        if (s->separator || s->exponentWritten)
            return std::nullopt;
        if (const std::optional<std::int64_t> v = asInteger(*s))
            return Value::integer(*v);
        return std::nullopt;
    }
    return std::nullopt;
}

std::optional<Value> parseNumberText(std::string_view text, char decimalSeparator) {
    return parseNumberText(
        text, NumberSyntax{decimalSeparator, 0, NumberSyntax::Blanks::None, NumberSyntax::Reading::Shortest});
}

std::string formatNumberText(const Value& number, char decimalSeparator) {
    switch (number.kind()) {
    case Value::Kind::Integer:
        return std::to_string(number.asInteger());
    case Value::Kind::Decimal: {
        std::int64_t units = number.asDecimal().units;
        int scale = number.asDecimal().scale;
        while (scale > 0 && units % 10 == 0) {
            units /= 10;
            --scale;
        }
        const bool negative = units < 0;
        // The magnitude as unsigned, so that the lowest int64 has one too.
        std::string digits = std::to_string(negative ? 0 - static_cast<std::uint64_t>(units)
                                                     : static_cast<std::uint64_t>(units));
        if (scale < 0)
            digits.append(static_cast<std::size_t>(-scale), '0');
        else if (scale > 0) {
            if (digits.size() <= static_cast<std::size_t>(scale))
                digits.insert(0, static_cast<std::size_t>(scale) + 1 - digits.size(), '0');
            digits.insert(digits.size() - static_cast<std::size_t>(scale), 1, decimalSeparator);
        }
        return (negative ? "-" : "") + digits;
    }
    case Value::Kind::Float: {
        char buffer[64];
        const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, number.asFloat());
        std::string text(buffer, error == std::errc() ? end : buffer);
        std::replace(text.begin(), text.end(), '.', decimalSeparator);
        return text;
    }
    default:
        return {};
    }
}

} // namespace envio
