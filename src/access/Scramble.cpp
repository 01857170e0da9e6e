#include "access/Scramble.h"

namespace envio {

namespace {

// Key of position p (counted from 1): entries 1, 2, 3, 1, 2, 3, ...
std::uint64_t keyAt(std::uint64_t position) {
    const std::uint64_t r = position % 3;
    return static_cast<std::uint64_t>(ScrambleKeys[r == 0 ? 3 : r]);
}

// Shifts every byte by ±(length + position + key); only the low 8 bits of the sum are kept, so unsigned
// wrap-around gives the same bytes as the integer arithmetic would.
std::string shifted(std::string_view text, bool forward) {
    std::string result(text.size(), '\0');
    const std::uint64_t n = text.size();
    for (std::uint64_t p = 1; p <= n; ++p) {
        const std::uint64_t c = static_cast<unsigned char>(text[p - 1]);
        const std::uint64_t shift = n + p + keyAt(p);
        result[p - 1] = static_cast<char>(static_cast<unsigned char>(forward ? c + shift : c - shift));
    }
    return result;
}

} // namespace

std::string ScrambleText(std::string_view plain) {
    return shifted(plain, true);
}

std::string UnscrambleText(std::string_view scrambled) {
    return shifted(scrambled, false);
}

} // namespace envio
