#include "base/AnsiCodec.h"

#include <array>
#include <cstdint>

namespace envio {

namespace {

// Characters of the bytes 0x80 to 0x9F; every other byte is the Latin-1 character of the same number.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

constexpr char kUnmappable = '?';

char encode(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return static_cast<char>(static_cast<unsigned char>(c));
    for (std::size_t i = 0; i < kHighControls.size(); ++i) {
        if (kHighControls[i] == c)
            return static_cast<char>(static_cast<unsigned char>(0x80 + i));
    }
    return kUnmappable;
}

} // namespace

QString fromAnsi(std::string_view bytes) {
    QString text;
    text.resize(static_cast<qsizetype>(bytes.size()));
    QChar* out = text.data();
    for (const char b : bytes) {
        const auto u = static_cast<unsigned char>(b);
        *out++ = (u >= 0x80 && u < 0xA0) ? QChar(kHighControls[u - 0x80]) : QChar(u);
    }
    return text;
}

std::string toAnsi(const QString& text) {
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(text.size()));
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < n && text.at(i + 1).isLowSurrogate()) {
            // A character outside the BMP is one character, so it gives one '?'.
            bytes.push_back(kUnmappable);
            ++i;
        } else if (c.isSurrogate()) {
            bytes.push_back(kUnmappable);
        } else {
            bytes.push_back(encode(c.unicode()));
        }
    }
    return bytes;
}

std::string ansi(const char* utf8Literal) {
    return toAnsi(QString::fromUtf8(utf8Literal));
}

} // namespace envio
