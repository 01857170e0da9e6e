#include "db/FilterExpression.h"

#include "db/FilterEvaluator.h"
#include "db/FilterParser.h"
#include "db/FilterSyntax.h"

#include <algorithm>

namespace envio {

namespace {

char asciiUpper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
}

} // namespace

bool sameFieldName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return asciiUpper(x) == asciiUpper(y); });
}

FilterExpression::FilterExpression() : root_(std::make_shared<const Node>()) {}

FilterExpression FilterExpression::parse(const std::string& text) {
    FilterExpression expression;
    expression.text_ = text;
    expression.root_ = filter::parse(expression.text_);
    return expression;
}

bool FilterExpression::matches(const RowAccessor& row) const {
    return filter::matches(*root_, row);
}

std::vector<std::string> FilterExpression::fieldNames() const {
    std::vector<std::string> names;
    filter::collectFieldNames(*root_, names);
    return names;
}

} // namespace envio
