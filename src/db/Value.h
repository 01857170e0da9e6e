#pragma once

#include <QDate>
#include <QDateTime>
#include <QTime>
#include <cstdint>
#include <string>
#include <variant>

namespace envio {

// A fixed-point number: units / 10^scale.
struct Decimal {
    std::int64_t units = 0;
    int scale = 0;
    double toDouble() const;
    bool operator==(const Decimal&) const = default;
};

// One database value. Texts and BLOB contents are byte strings, never decoded.
class Value {
public:
    enum class Kind { Null, Integer, Decimal, Float, String, Date, Time, DateTime };

    Value() = default;
    static Value null() { return Value(); }
    static Value integer(std::int64_t v) { return Value(v); }
    static Value decimal(std::int64_t units, int scale) { return Value(Decimal{units, scale}); }
    static Value floating(double v) { return Value(v); }
    static Value string(std::string v) { return Value(std::move(v)); }
    static Value date(QDate v) { return Value(v); }
    static Value time(QTime v) { return Value(v); }
    static Value dateTime(QDateTime v) { return Value(std::move(v)); }

    Kind kind() const { return static_cast<Kind>(data_.index()); }
    bool isNull() const { return kind() == Kind::Null; }

    std::int64_t asInteger() const { return std::get<std::int64_t>(data_); }
    const Decimal& asDecimal() const { return std::get<Decimal>(data_); }
    double asFloat() const { return std::get<double>(data_); }
    const std::string& asString() const { return std::get<std::string>(data_); }
    QDate asDate() const { return std::get<QDate>(data_); }
    QTime asTime() const { return std::get<QTime>(data_); }
    const QDateTime& asDateTime() const { return std::get<QDateTime>(data_); }

    // The number held by an Integer, Decimal or Float value.
    bool isNumber() const;
    double toDouble() const;

    bool operator==(const Value& other) const { return data_ == other.data_; }

private:
    template <typename T> explicit Value(T v) : data_(std::move(v)) {}
    std::variant<std::monostate, std::int64_t, Decimal, double, std::string, QDate, QTime, QDateTime> data_;
};

} // namespace envio
