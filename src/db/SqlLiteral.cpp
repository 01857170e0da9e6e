#include "db/SqlLiteral.h"

namespace envio {

std::string sqlTextLiteral(const std::string& text) {
    std::string out;
    out.reserve(text.size() + 2);
    out += '\'';
    for (char c : text) {
        out += c;
        if (c == '\'')
            out += '\'';
    }
    out += '\'';
    return out;
}

} // namespace envio
