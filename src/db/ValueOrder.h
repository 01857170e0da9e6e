#pragma once

#include "db/FieldType.h"
#include "db/Value.h"

#include <string_view>

namespace envio {

// The order of field values used by named indexes and by filter comparisons.
//
// - NULL is the lowest value; two NULLs are equal.
// - Numbers compare by their numeric value, across Integer, Decimal and Float values (Integer and Decimal
//   exactly, anything involving a Float as double precision; a NaN is above every other number).
// - Texts are Windows-1252 bytes and compare the way a Spanish reader orders words: without regard to
//   letter case, with accented letters next to their plain letter (a, á, à, â, ä ... then b), "ñ" as its own
//   letter between "n" and "o", and blanks, digits and punctuation before letters. Accents only decide
//   between texts that are otherwise equal ("cafe" < "café" < "cafes"). Trailing blanks are not significant
//   (CHAR columns arrive padded). Texts that differ only in letter case are equal, so a filter "= 'abc'"
//   also keeps "ABC"; an index keeps such rows in their fetched order when it sorts stably.
// - Binary BLOB contents compare as raw bytes.
// - Dates, times and date-times compare chronologically; a date is the start of its day when compared with
//   a date-time.
// - Values of unrelated kinds (which a well-typed field never holds) order by kind: NULL, numbers, texts,
//   dates and date-times, times.
//
// Returns a negative number, 0 or a positive number as a is below, equal to or above b.
int compareValues(const Value& a, const Value& b, FieldType type);

// The text comparison above on its own (Windows-1252 bytes).
int compareTexts(std::string_view a, std::string_view b);

// Whether two Windows-1252 characters are the same letter apart from letter case (the Like matching rule).
bool sameCharacterIgnoringCase(char a, char b);

} // namespace envio
