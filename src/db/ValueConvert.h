#pragma once

#include "db/FieldType.h"
#include "db/Value.h"

#include <cstdint>
#include <optional>
#include <string>

namespace envio {

// Nearest integer, halves to the even neighbour.
std::int64_t roundHalfEven(double v);

// The value as a count of 10^-scale units (rounded half to even), for numbers only.
std::optional<std::int64_t> scaledUnits(const Value& v, int scale);

// The value as the text a field shows: decimal digits, numbers with the regional decimal separator
// and without trailing zeros, dates and times in the regional short date and long time formats.
std::string valueText(const Value& v);

// Texts assigned to fields (through the one number reader, parseNumberText): an integer between blanks,
// and a number written with the regional decimal separator (or a period), blanks ignored; nullopt when the
// text is none.
std::optional<Value> parseInteger(const std::string& text);
std::optional<Value> parseNumber(const std::string& text);

} // namespace envio
