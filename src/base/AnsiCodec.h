#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace envio {

// Windows-1252, the 8-bit code page in which database text, the server list, the journals and the export
// files are stored. Every byte has a character: the five bytes the code page leaves undefined (0x81, 0x8D,
// 0x8F, 0x90, 0x9D) stand for the control characters of the same number, so bytes survive a round trip.
QString fromAnsi(std::string_view bytes);

// Characters the code page cannot represent become '?' (one per character, also outside the BMP).
std::string toAnsi(const QString& text);

// Code-page bytes of a UTF-8 source literal, e.g. ansi("conexión").
std::string ansi(const char* utf8Literal);

} // namespace envio
