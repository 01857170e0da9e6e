#include "db/ValueConvert.h"

#include "base/Regional.h"
#include "db/NumberText.h"

#include <cmath>
#include <cstdio>
#include <limits>

namespace envio {

std::int64_t roundHalfEven(double v) {
    return static_cast<std::int64_t>(std::nearbyint(v));
}

namespace {

std::optional<std::int64_t> pow10(int n) {
    std::int64_t p = 1;
    for (int i = 0; i < n; ++i) {
        if (p > std::numeric_limits<std::int64_t>::max() / 10)
            return std::nullopt;
        p *= 10;
    }
    return p;
}

std::optional<std::int64_t> rescale(std::int64_t units, int from, int to) {
    if (from == to)
        return units;
    if (to > from) {
        const auto p = pow10(to - from);
        if (!p || (units != 0 && std::llabs(units) > std::numeric_limits<std::int64_t>::max() / *p))
            return std::nullopt;
        return units * *p;
    }
    const auto p = pow10(from - to);
    if (!p)
        return 0;
    std::int64_t q = units / *p;
    const std::int64_t r = units % *p;
    const std::int64_t twice = std::llabs(r) * 2;
    if (twice > *p || (twice == *p && (q % 2) != 0))
        q += units < 0 ? -1 : 1;
    return q;
}

} // namespace

std::optional<std::int64_t> scaledUnits(const Value& v, int scale) {
    switch (v.kind()) {
    case Value::Kind::Integer:
        return rescale(v.asInteger(), 0, scale);
    case Value::Kind::Decimal:
        return rescale(v.asDecimal().units, v.asDecimal().scale, scale);
    case Value::Kind::Float: {
        const double scaled = v.asFloat() * std::pow(10.0, scale);
        if (!std::isfinite(scaled) || std::fabs(scaled) > 9.2e18)
            return std::nullopt;
        return roundHalfEven(scaled);
    }
    default:
        return std::nullopt;
    }
}

std::string valueText(const Value& v) {
    const char sep = static_cast<char>(regional::current().decimalSeparator.toLatin1());
    switch (v.kind()) {
    case Value::Kind::Null:
        return {};
    case Value::Kind::Integer:
        return std::to_string(v.asInteger());
    case Value::Kind::Decimal: {
        const Decimal& d = v.asDecimal();
        const bool negative = d.units < 0;
        std::string digits = std::to_string(negative ? -static_cast<unsigned long long>(d.units)
                                                     : static_cast<unsigned long long>(d.units));
        if (d.scale <= 0)
            return (negative ? "-" : "") + digits;
        if (digits.size() <= static_cast<std::size_t>(d.scale))
            digits.insert(0, static_cast<std::size_t>(d.scale) + 1 - digits.size(), '0');
        std::string whole = digits.substr(0, digits.size() - static_cast<std::size_t>(d.scale));
        std::string frac = digits.substr(digits.size() - static_cast<std::size_t>(d.scale));
        while (!frac.empty() && frac.back() == '0')
            frac.pop_back();
        std::string out = (negative ? "-" : "") + whole;
        if (!frac.empty())
            out += sep + frac;
        return out;
    }
    case Value::Kind::Float: {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.15g", v.asFloat());
        std::string out(buf);
        for (char& c : out)
            if (c == '.')
                c = sep;
        return out;
    }
    case Value::Kind::String:
        return v.asString();
    case Value::Kind::Date:
        return regional::formatDate(v.asDate()).toLatin1().toStdString();
    case Value::Kind::Time:
        return regional::formatTime(v.asTime()).toLatin1().toStdString();
    case Value::Kind::DateTime:
        return regional::formatDateTime(v.asDateTime()).toLatin1().toStdString();
    }
    return {};
}

std::optional<Value> parseInteger(const std::string& text) {
    return parseNumberText(
        text, NumberSyntax{'.', 0, NumberSyntax::Blanks::AtEnds, NumberSyntax::Reading::IntegerOnly});
}

std::optional<Value> parseNumber(const std::string& text) {
    const char sep = static_cast<char>(regional::current().decimalSeparator.toLatin1());
    return parseNumberText(
        text, NumberSyntax{sep, '.', NumberSyntax::Blanks::Anywhere, NumberSyntax::Reading::AsWritten});
}

} // namespace envio
