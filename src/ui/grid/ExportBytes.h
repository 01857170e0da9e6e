#pragma once

#include <QByteArray>
#include <bit>
#include <cstdint>

namespace envio::exportbytes {

// Little-endian numbers appended to a binary export.

inline void append16(QByteArray& out, std::uint16_t v) {
    out.append(static_cast<char>(v & 0xFF));
    out.append(static_cast<char>(v >> 8));
}

inline void append32(QByteArray& out, std::uint32_t v) {
    for (int shift = 0; shift < 32; shift += 8)
        out.append(static_cast<char>((v >> shift) & 0xFF));
}

inline void appendDouble(QByteArray& out, double v) {
    const auto bits = std::bit_cast<std::uint64_t>(v);
    for (int shift = 0; shift < 64; shift += 8)
        out.append(static_cast<char>((bits >> shift) & 0xFF));
}

} // namespace envio::exportbytes
