#pragma once

#include "db/Value.h"

#include <optional>
#include <string>
#include <string_view>

namespace envio {

// How a number text may be written and what value it reads as. The one reader of number texts: the filter
// language, the grid's filter row and the texts assigned to numeric fields all go through it.
struct NumberSyntax {
    enum class Blanks {
        None,    // no blanks
        AtEnds,  // blanks (' ') before and after the number
        Anywhere // blanks (' ') anywhere, and white space before the number, as typed into a field
    };
    enum class Reading {
        // Integer without fractional part, Decimal when exact within 18 digits (no trailing fractional
        // zeros), Float otherwise.
        Shortest,
        // As written into a field: Integer without separator and exponent when it fits in 64 bits, Decimal
        // of the written scale without exponent in at most 18 digits, Float otherwise (a magnitude too small
        // for a Float reads as zero).
        AsWritten,
        // Integer only: no separator, no exponent, within 64 bits.
        IntegerOnly
    };

    char decimalSeparator = '.';
    // A second character also read as the decimal separator; 0 for none.
    char otherSeparator = 0;
    Blanks blanks = Blanks::None;
    Reading reading = Reading::Shortest;
};

// An optional sign, digits, optionally the decimal separator and more digits, optionally an exponent ("e" or
// "E", optional sign, digits); std::nullopt when the text is not a number of the syntax.
std::optional<Value> parseNumberText(std::string_view text, const NumberSyntax& syntax);

// Number texts as the filter language writes them (Shortest reading, no blanks).
std::optional<Value> parseNumberText(std::string_view text, char decimalSeparator);

// The shortest text that parseNumberText reads back as the same number (no trailing fractional zeros).
std::string formatNumberText(const Value& number, char decimalSeparator);

} // namespace envio
