#pragma once

#include "db/FilterSyntax.h"

#include <string>
#include <vector>

namespace envio::filter {

// Whether a row satisfies the tree (true, not unknown), by the evaluation rules FilterExpression describes.
bool matches(const FilterExpression::Node& root, const RowAccessor& row);

// Adds the field names the tree refers to that are not among `names` yet, in order of first appearance.
void collectFieldNames(const FilterExpression::Node& node, std::vector<std::string>& names);

} // namespace envio::filter
