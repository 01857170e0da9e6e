#pragma once

#include <string>

namespace envio {

// An SQL text literal: enclosed in single quotes, each embedded quote doubled.
std::string sqlTextLiteral(const std::string& text);

} // namespace envio
