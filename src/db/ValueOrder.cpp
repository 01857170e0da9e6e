#include "db/ValueOrder.h"

#include <array>
#include <cmath>
#include <cstdint>

namespace envio {

namespace {

// Collation tables over Windows-1252 bytes.
struct Collation {
    std::array<unsigned char, 256> fold{};     // letter case removed: upper-case letters map to lower case
    std::array<std::uint16_t, 256> primary{};  // of a folded byte: the letter, or the byte for non-letters
    std::array<std::uint8_t, 256> secondary{}; // of a folded byte: which accented form of the letter
};

Collation buildCollation() {
    Collation c;
    for (int i = 0; i < 256; ++i) {
        c.fold[i] = static_cast<unsigned char>(i);
        c.primary[i] = static_cast<std::uint16_t>(i);
    }
    for (int i = 'A'; i <= 'Z'; ++i)
        c.fold[i] = static_cast<unsigned char>(i + 32);
    for (int i = 0xC0; i <= 0xDE; ++i)
        if (i != 0xD7) // multiplication sign
            c.fold[i] = static_cast<unsigned char>(i + 32);
    c.fold[0x8A] = 0x9A; // S caron
    c.fold[0x8C] = 0x9C; // OE ligature
    c.fold[0x8E] = 0x9E; // Z caron
    c.fold[0x9F] = 0xFF; // Y diaeresis

    // The alphabet in order, each letter followed by its accented forms (lower case). Letters weigh more
    // than any non-letter byte, so blanks, digits and punctuation come first.
    // clang-format off
    static const char* const alphabet[] = {
        "a\xE1\xE0\xE2\xE4\xE3\xE5\xE6", "b", "c\xE7", "d\xF0", "e\xE9\xE8\xEA\xEB", "f\x83", "g", "h",
        "i\xED\xEC\xEE\xEF", "j", "k", "l", "m", "n", "\xF1", "o\xF3\xF2\xF4\xF6\xF5\xF8\x9C", "p", "q", "r",
        "s\x9A\xDF", "t\xFE", "u\xFA\xF9\xFB\xFC", "v", "w", "x", "y\xFD\xFF", "z\x9E"};
    // clang-format on
    std::uint16_t letter = 1000;
    for (const char* forms : alphabet) {
        std::uint8_t accent = 0;
        for (const char* p = forms; *p; ++p) {
            const auto byte = static_cast<unsigned char>(*p);
            c.primary[byte] = letter;
            c.secondary[byte] = accent++;
        }
        ++letter;
    }
    return c;
}

const Collation& collation() {
    static const Collation c = buildCollation();
    return c;
}

std::string_view withoutTrailingBlanks(std::string_view s) {
    while (!s.empty() && s.back() == ' ')
        s.remove_suffix(1);
    return s;
}

int sign(long long v) {
    return v < 0 ? -1 : (v > 0 ? 1 : 0);
}

int compareBytes(std::string_view a, std::string_view b) {
    return sign(a.compare(b));
}

int kindRank(Value::Kind k) {
    switch (k) {
    case Value::Kind::Null:
        return 0;
    case Value::Kind::Integer:
    case Value::Kind::Decimal:
    case Value::Kind::Float:
        return 1;
    case Value::Kind::String:
        return 2;
    case Value::Kind::Date:
    case Value::Kind::DateTime:
        return 3;
    case Value::Kind::Time:
        return 4;
    }
    return 5;
}

// Exact comparison of units_a / 10^scale_a with units_b / 10^scale_b.
int compareScaled(std::int64_t ua, int sa, std::int64_t ub, int sb) {
    if (sa > sb)
        return -compareScaled(ub, sb, ua, sa);
    // Bring a to b's scale; when that overflows, a's magnitude exceeds anything b can hold.
    const bool negative = ua < 0;
    for (int d = sa; d < sb && ua != 0; ++d) {
        if (__builtin_mul_overflow(ua, std::int64_t{10}, &ua))
            return negative ? -1 : 1;
    }
    return ua < ub ? -1 : (ua > ub ? 1 : 0);
}

int compareNumbers(const Value& a, const Value& b) {
    if (a.kind() == Value::Kind::Float || b.kind() == Value::Kind::Float) {
        const double x = a.toDouble();
        const double y = b.toDouble();
        const bool nx = std::isnan(x);
        const bool ny = std::isnan(y);
        if (nx || ny)
            return static_cast<int>(nx) - static_cast<int>(ny);
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    const auto units = [](const Value& v) {
        return v.kind() == Value::Kind::Integer ? v.asInteger() : v.asDecimal().units;
    };
    const auto scale = [](const Value& v) {
        return v.kind() == Value::Kind::Integer ? 0 : v.asDecimal().scale;
    };
    return compareScaled(units(a), scale(a), units(b), scale(b));
}

template <typename T> int compareOrdered(const T& a, const T& b) {
    return a < b ? -1 : (b < a ? 1 : 0);
}

int compareTemporal(const Value& a, const Value& b) {
    // Compared as written (date, then time of day), so no time zone conversion takes part.
    const auto date = [](const Value& v) {
        return v.kind() == Value::Kind::Date ? v.asDate() : v.asDateTime().date();
    };
    const auto time = [](const Value& v) {
        return v.kind() == Value::Kind::Date ? QTime(0, 0) : v.asDateTime().time();
    };
    if (const int d = compareOrdered(date(a), date(b)); d != 0)
        return d;
    return compareOrdered(time(a), time(b));
}

} // namespace

int compareTexts(std::string_view a, std::string_view b) {
    a = withoutTrailingBlanks(a);
    b = withoutTrailingBlanks(b);
    const Collation& c = collation();
    const auto weight = [&c](char ch) { return c.primary[c.fold[static_cast<unsigned char>(ch)]]; };
    const auto accent = [&c](char ch) { return c.secondary[c.fold[static_cast<unsigned char>(ch)]]; };
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i)
        if (weight(a[i]) != weight(b[i]))
            return weight(a[i]) < weight(b[i]) ? -1 : 1;
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    for (std::size_t i = 0; i < n; ++i)
        if (accent(a[i]) != accent(b[i]))
            return accent(a[i]) < accent(b[i]) ? -1 : 1;
    return 0;
}

bool sameCharacterIgnoringCase(char a, char b) {
    const Collation& c = collation();
    return c.fold[static_cast<unsigned char>(a)] == c.fold[static_cast<unsigned char>(b)];
}

int compareValues(const Value& a, const Value& b, FieldType type) {
    const int ra = kindRank(a.kind());
    const int rb = kindRank(b.kind());
    if (ra != rb)
        return ra < rb ? -1 : 1;
    switch (ra) {
    case 0:
        return 0;
    case 1:
        return compareNumbers(a, b);
    case 2:
        return type == FieldType::BinaryBlob ? compareBytes(a.asString(), b.asString())
                                             : compareTexts(a.asString(), b.asString());
    case 3:
        return compareTemporal(a, b);
    default:
        return compareOrdered(a.asTime(), b.asTime());
    }
}

} // namespace envio
