#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace envio {

// Keys of the password scrambling; entry 0 is not used. A scrambled text never leaves the process, so the
// values only have to stay the same between scrambling and unscrambling.
inline constexpr std::array<std::int32_t, 4> ScrambleKeys = {0, 7, 13, 5};

// Keyed per-byte shift of the password kept in memory between login and connect. The result has the length
// of the argument and may contain any byte, zero included.
std::string ScrambleText(std::string_view plain);
std::string UnscrambleText(std::string_view scrambled);

} // namespace envio
