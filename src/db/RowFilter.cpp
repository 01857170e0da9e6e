#include "db/RowFilter.h"

namespace envio {

std::shared_ptr<const FilterExpression> RowFilter::compile(const std::string& text) {
    return std::make_shared<const FilterExpression>(FilterExpression::parse(text));
}

} // namespace envio
