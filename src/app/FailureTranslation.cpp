#include "app/FailureTranslation.h"

#include "base/AnsiCodec.h"

#include <optional>
#include <string_view>

namespace envio {

namespace {

bool contains(std::string_view message, std::string_view phrase) {
    return message.find(phrase) != std::string_view::npos;
}

// The text between the first double quote at or after `from` and the next one; empty when there are fewer
// than two.
std::string_view quotedPart(std::string_view message, std::size_t from = 0) {
    const std::size_t open = message.find('"', from);
    if (open == std::string_view::npos)
        return {};
    const std::size_t close = message.find('"', open + 1);
    if (close == std::string_view::npos)
        return {};
    return message.substr(open + 1, close - open - 1);
}

// Firebird 3 and later name the failing operation before the file: 'I/O error during "open" operation for
// file "<path>"' ("CreateFile (open)" on Windows servers). Gives the position of the quote that opens the
// path when the message carries such an open failure.
std::optional<std::size_t> openFailurePathQuote(std::string_view message) {
    for (const std::string_view phrase :
         {std::string_view("I/O error during \"open\" operation for file \""),
          std::string_view("I/O error during \"CreateFile (open)\" operation for file \"")}) {
        const std::size_t at = message.find(phrase);
        if (at != std::string_view::npos)
            return at + phrase.size() - 1;
    }
    return std::nullopt;
}

} // namespace

QString translateFailure(const std::string& message) {
    const std::string_view text = message;
    if (contains(text, "Your user name and password are not defined"))
        return QStringLiteral("El nombre de Usuario o la clave son incorrectas.");

    const QString fileNotFound = QStringLiteral("No se encontró el archivo o la ruta ");
    if (contains(text, "I/O error for file"))
        return fileNotFound + fromAnsi(quotedPart(text));
    if (const std::optional<std::size_t> quote = openFailurePathQuote(text))
        return fileNotFound + fromAnsi(quotedPart(text, *quote));

    if (contains(text, "Unable to complete network request"))
        return QStringLiteral("No se encontró el equipo servidor con nombre ") + fromAnsi(quotedPart(text));

    return QStringLiteral("Se presento el siguiente error: ") + fromAnsi(text);
}

} // namespace envio
