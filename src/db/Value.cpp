#include "db/Value.h"

#include <cmath>

namespace envio {

double Decimal::toDouble() const {
    return static_cast<double>(units) / std::pow(10.0, scale);
}

bool Value::isNumber() const {
    const Kind k = kind();
    return k == Kind::Integer || k == Kind::Decimal || k == Kind::Float;
}

double Value::toDouble() const {
    switch (kind()) {
    case Kind::Integer:
        return static_cast<double>(asInteger());
    case Kind::Decimal:
        return asDecimal().toDouble();
    case Kind::Float:
        return asFloat();
    default:
        return 0.0;
    }
}

} // namespace envio
