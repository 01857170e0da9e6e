#pragma once

#include "db/FilterSyntax.h"

#include <memory>
#include <string>

namespace envio::filter {

// The syntax tree of a filter text (the language FilterExpression describes); fails with an Error naming
// the position of the fault. The text must outlive the call only.
std::unique_ptr<const FilterExpression::Node> parse(const std::string& text);

} // namespace envio::filter
