#include "db/Field.h"

#include "base/Regional.h"
#include "db/Error.h"
#include "db/ValueConvert.h"

#include <cmath>

namespace envio {

Field::Field(FieldOwner& owner, int index, Column column, std::string displayLabel, Kind kind)
    : owner_(owner), index_(index), column_(std::move(column)), displayLabel_(std::move(displayLabel)),
      kind_(kind) {}

bool Field::isNull() const {
    return value().isNull();
}

std::string Field::AsString() const {
    return valueText(value());
}

std::int64_t Field::AsInteger() const {
    const Value& v = value();
    switch (v.kind()) {
    case Value::Kind::Null:
        return 0;
    case Value::Kind::Integer:
        return v.asInteger();
    case Value::Kind::Decimal:
    case Value::Kind::Float:
        return roundHalfEven(v.toDouble());
    case Value::Kind::String: {
        auto parsed = parseInteger(v.asString());
        if (!parsed)
            throw Error("'" + v.asString() + "' is not a valid integer value");
        return parsed->asInteger();
    }
    default:
        throw Error("Invalid variant type conversion");
    }
}

Currency Field::AsCurrency() const {
    const Value& v = value();
    switch (v.kind()) {
    case Value::Kind::Null:
        return {};
    case Value::Kind::Integer:
        return Currency{v.asInteger() * 10000};
    case Value::Kind::Decimal:
        // Exact decimals go through a double, as the amount type has always done.
        if (type() == FieldType::ExactDecimal)
            return Currency{roundHalfEven(v.toDouble() * 10000.0)};
        return Currency{*scaledUnits(v, 4)};
    case Value::Kind::Float:
        return Currency{roundHalfEven(v.asFloat() * 10000.0)};
    case Value::Kind::String: {
        auto parsed = parseNumber(v.asString());
        if (!parsed)
            throw Error("'" + v.asString() + "' is not a valid floating point value");
        auto u = scaledUnits(*parsed, 4);
        if (!u)
            throw Error("'" + v.asString() + "' is not a valid floating point value");
        return Currency{*u};
    }
    default:
        throw Error("Invalid variant type conversion");
    }
}

Value Field::AsVariant() const {
    const Value& v = value();
    if (v.isNull() && isBlobType(type()))
        return Value::string({});
    return v;
}

void Field::invalidValue() const {
    throw Error("Invalid value for field '" + displayName() + "'");
}

void Field::store(Value v) {
    if (readOnly())
        throw Error("Field '" + displayName() + "' cannot be modified");
    owner_.assignFieldValue(index_, std::move(v));
}

Value Field::fromText(const std::string& text) const {
    switch (type()) {
    case FieldType::String: {
        if (column_.size > 0 && text.size() > static_cast<std::size_t>(column_.size))
            return Value::string(text.substr(0, static_cast<std::size_t>(column_.size)));
        return Value::string(text);
    }
    case FieldType::TextBlob:
    case FieldType::BinaryBlob:
        return Value::string(text);
    default:
        break;
    }
    const std::string& trimmed = text;
    if (trimmed.empty())
        return Value::null();
    switch (type()) {
    case FieldType::Integer:
    case FieldType::LargeInt: {
        auto v = parseInteger(trimmed);
        if (!v)
            throw Error("'" + text + "' is not a valid integer value for field '" + displayName() + "'");
        return convert(*v);
    }
    case FieldType::ShortDecimal:
    case FieldType::ExactDecimal:
    case FieldType::Float: {
        auto v = parseNumber(trimmed);
        if (!v)
            throw Error("'" + text + "' is not a valid floating point value for field '" + displayName() +
                        "'");
        return convert(*v);
    }
    case FieldType::Date: {
        const QDate d = regional::parseDate(QString::fromLatin1(trimmed));
        if (!d.isValid())
            throw Error("'" + text + "' is not a valid date");
        return Value::date(d);
    }
    case FieldType::Time: {
        const QTime t = regional::parseTime(QString::fromLatin1(trimmed));
        if (!t.isValid())
            throw Error("'" + text + "' is not a valid time");
        return Value::time(t);
    }
    case FieldType::DateTime: {
        const QDateTime t = regional::parseDateTime(QString::fromLatin1(trimmed));
        if (!t.isValid())
            throw Error("'" + text + "' is not a valid date and time");
        return Value::dateTime(t);
    }
    default:
        return Value::string(text);
    }
}

Value Field::convert(const Value& v) const {
    if (v.isNull())
        return v;
    switch (type()) {
    case FieldType::Integer:
    case FieldType::LargeInt: {
        std::int64_t i = 0;
        if (v.kind() == Value::Kind::Integer)
            i = v.asInteger();
        else if (v.kind() == Value::Kind::Decimal || v.kind() == Value::Kind::Float) {
            const double d = v.toDouble();
            if (!std::isfinite(d) || std::fabs(d) > 9.2e18)
                invalidValue();
            i = roundHalfEven(d);
        } else if (v.kind() == Value::Kind::String) {
            auto p = parseInteger(v.asString());
            if (!p)
                invalidValue();
            i = p->asInteger();
        } else {
            invalidValue();
        }
        if (type() == FieldType::Integer && (i < -2147483648LL || i > 2147483647LL))
            invalidValue();
        return Value::integer(i);
    }
    case FieldType::ShortDecimal:
    case FieldType::ExactDecimal: {
        Value n = v;
        if (v.kind() == Value::Kind::String) {
            auto p = parseNumber(v.asString());
            if (!p)
                invalidValue();
            n = *p;
        }
        if (!n.isNumber())
            invalidValue();
        auto u = scaledUnits(n, column_.scale);
        if (!u)
            invalidValue();
        return Value::decimal(*u, column_.scale);
    }
    case FieldType::Float: {
        if (v.isNumber())
            return Value::floating(v.toDouble());
        if (v.kind() == Value::Kind::String) {
            auto p = parseNumber(v.asString());
            if (!p)
                invalidValue();
            return Value::floating(p->toDouble());
        }
        invalidValue();
    }
    case FieldType::String: {
        std::string text = v.kind() == Value::Kind::String ? v.asString() : valueText(v);
        if (column_.size > 0 && text.size() > static_cast<std::size_t>(column_.size))
            text.resize(static_cast<std::size_t>(column_.size));
        return Value::string(std::move(text));
    }
    case FieldType::TextBlob:
    case FieldType::BinaryBlob:
        return Value::string(v.kind() == Value::Kind::String ? v.asString() : valueText(v));
    case FieldType::Date:
        if (v.kind() == Value::Kind::Date)
            return v;
        if (v.kind() == Value::Kind::DateTime)
            return Value::date(v.asDateTime().date());
        if (v.kind() == Value::Kind::String) {
            const QDate d = regional::parseDate(QString::fromLatin1(v.asString()));
            if (d.isValid())
                return Value::date(d);
        }
        invalidValue();
    case FieldType::Time:
        if (v.kind() == Value::Kind::Time)
            return v;
        if (v.kind() == Value::Kind::DateTime)
            return Value::time(v.asDateTime().time());
        if (v.kind() == Value::Kind::String) {
            const QTime t = regional::parseTime(QString::fromLatin1(v.asString()));
            if (t.isValid())
                return Value::time(t);
        }
        invalidValue();
    case FieldType::DateTime:
        if (v.kind() == Value::Kind::DateTime)
            return v;
        if (v.kind() == Value::Kind::Date)
            return Value::dateTime(QDateTime(v.asDate(), QTime(0, 0)));
        if (v.kind() == Value::Kind::Time)
            return Value::dateTime(QDateTime(QDate(1899, 12, 30), v.asTime()));
        if (v.kind() == Value::Kind::String) {
            const QDateTime t = regional::parseDateTime(QString::fromLatin1(v.asString()));
            if (t.isValid())
                return Value::dateTime(t);
        }
        invalidValue();
    }
    invalidValue();
}

void Field::setAsString(const std::string& text) {
    store(fromText(text));
}

void Field::setAsInteger(std::int64_t v) {
    store(convert(Value::integer(v)));
}

void Field::setAsCurrency(Currency v) {
    if (type() == FieldType::ExactDecimal || type() == FieldType::ShortDecimal)
        store(convert(Value::decimal(v.units, 4)));
    else if (type() == FieldType::Float)
        store(Value::floating(static_cast<double>(v.units) / 10000.0));
    else
        store(convert(Value::decimal(v.units, 4)));
}

void Field::setAsVariant(const Value& v) {
    store(convert(v));
}

void Field::clear() {
    store(Value::null());
}

} // namespace envio
