#include "db/SqlTypes.h"

#include "db/Error.h"
#include "db/ValueConvert.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <optional>

namespace envio {

namespace {

const QDate kBaseDate(1858, 11, 17);

QDate decodeDate(ISC_DATE d) {
    return kBaseDate.addDays(d);
}
QTime decodeTime(ISC_TIME t) {
    return QTime::fromMSecsSinceStartOfDay(static_cast<int>(t / 10));
}
ISC_DATE encodeDate(QDate d) {
    return static_cast<ISC_DATE>(kBaseDate.daysTo(d));
}
ISC_TIME encodeTime(QTime t) {
    return static_cast<ISC_TIME>(t.msecsSinceStartOfDay()) * 10;
}

template <typename T> T readAs(const char* d) {
    T v;
    std::memcpy(&v, d, sizeof v);
    return v;
}

std::string trimRight(const char* s, std::size_t n) {
    while (n > 0 && s[n - 1] == ' ')
        --n;
    return std::string(s, n);
}

int charWidth(const XSQLVAR& var) {
    switch (var.sqlsubtype & 0xFF) {
    case 3: // UNICODE_FSS
        return 3;
    case 4: // UTF8
        return 4;
    default:
        return 1;
    }
}

[[noreturn]] void noValue(int number) {
    throw Error("No value for parameter '" + std::to_string(number) + "'");
}

// ---- describing ----

template <int Precision> void describeInteger(const XSQLVAR& var, Column& c) {
    const int scale = -var.sqlscale;
    if (scale > 0 || var.sqlsubtype == 1 || var.sqlsubtype == 2) {
        c.scale = scale;
        c.precision = Precision;
        c.type = FieldType::ShortDecimal; // settled once the precision is known
    } else {
        c.type = Precision == 18 ? FieldType::LargeInt : FieldType::Integer;
    }
}

void describeFloat(const XSQLVAR& var, Column& c) {
    const int scale = -var.sqlscale;
    if (scale > 0) {
        // A dialect-1 NUMERIC(15..18, s) is stored as a double with a scale.
        c.scale = scale;
        c.precision = 15;
        c.type = FieldType::ExactDecimal;
    } else {
        c.type = FieldType::Float;
    }
}

void describeFixedText(const XSQLVAR& var, Column& c) {
    c.type = FieldType::String;
    c.fixedLength = true;
    c.size = var.sqllen / charWidth(var);
}

void describeVaryingText(const XSQLVAR& var, Column& c) {
    c.type = FieldType::String;
    c.size = var.sqllen / charWidth(var);
}

template <FieldType Type> void describeAs(const XSQLVAR&, Column& c) {
    c.type = Type;
}

void describeBlob(const XSQLVAR& var, Column& c) {
    c.type = var.sqlsubtype == 1 ? FieldType::TextBlob : FieldType::BinaryBlob;
}

// ---- reading ----

template <typename T> Value decodeInteger(const XSQLVAR& var, BlobAccess&) {
    const std::int64_t v = readAs<T>(var.sqldata);
    const int scale = -var.sqlscale;
    if (scale > 0 || var.sqlsubtype == 1 || var.sqlsubtype == 2)
        return Value::decimal(v, scale);
    return Value::integer(v);
}

Value decodeFloat(const XSQLVAR& var, BlobAccess&) {
    return Value::floating(readAs<float>(var.sqldata));
}

Value decodeDouble(const XSQLVAR& var, BlobAccess&) {
    const double f = readAs<double>(var.sqldata);
    const int scale = -var.sqlscale;
    if (scale > 0)
        return Value::decimal(static_cast<std::int64_t>(std::llround(f * std::pow(10.0, scale))), scale);
    return Value::floating(f);
}

Value decodeFixedText(const XSQLVAR& var, BlobAccess&) {
    return Value::string(std::string(var.sqldata, static_cast<std::size_t>(var.sqllen)));
}

Value decodeVaryingText(const XSQLVAR& var, BlobAccess&) {
    const auto len = readAs<unsigned short>(var.sqldata);
    return Value::string(std::string(var.sqldata + 2, len));
}

Value decodeDate(const XSQLVAR& var, BlobAccess&) {
    return Value::date(decodeDate(readAs<ISC_DATE>(var.sqldata)));
}

Value decodeTime(const XSQLVAR& var, BlobAccess&) {
    return Value::time(decodeTime(readAs<ISC_TIME>(var.sqldata)));
}

Value decodeTimestamp(const XSQLVAR& var, BlobAccess&) {
    const auto v = readAs<ISC_TIMESTAMP>(var.sqldata);
    return Value::dateTime(QDateTime(decodeDate(v.timestamp_date), decodeTime(v.timestamp_time)));
}

Value decodeBlob(const XSQLVAR& var, BlobAccess& blobs) {
    return Value::string(blobs.read(readAs<ISC_QUAD>(var.sqldata)));
}

Value decodeBoolean(const XSQLVAR& var, BlobAccess&) {
    return Value::integer(*reinterpret_cast<const unsigned char*>(var.sqldata) ? 1 : 0);
}

Value decodeOther(const XSQLVAR& var, BlobAccess&) {
    return Value::string(trimRight(var.sqldata, static_cast<std::size_t>(var.sqllen)));
}

// ---- writing ----

void encodeText(XSQLVAR& var, const std::string& text, std::vector<char>& data) {
    data.assign(text.begin(), text.end());
    data.push_back(0);
    var.sqltype = SQL_TEXT | 1;
    var.sqlsubtype = 0;
    var.sqllen = static_cast<short>(std::min<std::size_t>(text.size(), 32765));
    var.sqldata = data.data();
}

void encodeAsText(XSQLVAR& var, const Value& v, int, std::vector<char>& data, BlobAccess&) {
    encodeText(var, v.kind() == Value::Kind::String ? v.asString() : valueText(v), data);
}

void encodeInteger(XSQLVAR& var, const Value& v, int number, std::vector<char>& data, BlobAccess&) {
    if (v.kind() == Value::Kind::String) {
        encodeText(var, v.asString(), data);
        return;
    }
    const std::optional<std::int64_t> units = scaledUnits(v, -var.sqlscale);
    if (!units)
        noValue(number);
    data.assign(8, 0);
    const std::int64_t u = *units;
    std::memcpy(data.data(), &u, 8);
    var.sqltype = SQL_INT64 | 1;
    var.sqllen = 8;
    var.sqldata = data.data();
}

void encodeFloat(XSQLVAR& var, const Value& v, int number, std::vector<char>& data, BlobAccess&) {
    if (v.kind() == Value::Kind::String) {
        encodeText(var, v.asString(), data);
        return;
    }
    if (!v.isNumber())
        noValue(number);
    const double d = v.toDouble();
    data.assign(8, 0);
    std::memcpy(data.data(), &d, 8);
    var.sqltype = SQL_DOUBLE | 1;
    var.sqlscale = 0;
    var.sqllen = 8;
    var.sqldata = data.data();
}

void encodeDateTime(XSQLVAR& var, const Value& v, int number, std::vector<char>& data, BlobAccess&) {
    if (v.kind() == Value::Kind::String) {
        encodeText(var, v.asString(), data);
        return;
    }
    ISC_TIMESTAMP ts{};
    if (v.kind() == Value::Kind::Date) {
        ts.timestamp_date = encodeDate(v.asDate());
    } else if (v.kind() == Value::Kind::Time) {
        ts.timestamp_date = encodeDate(QDate(1899, 12, 30));
        ts.timestamp_time = encodeTime(v.asTime());
    } else if (v.kind() == Value::Kind::DateTime) {
        ts.timestamp_date = encodeDate(v.asDateTime().date());
        ts.timestamp_time = encodeTime(v.asDateTime().time());
    } else {
        noValue(number);
    }
    data.assign(sizeof ts, 0);
    const int type = var.sqltype & ~1;
    if (type == SQL_TYPE_DATE) {
        std::memcpy(data.data(), &ts.timestamp_date, sizeof(ISC_DATE));
        var.sqllen = sizeof(ISC_DATE);
    } else if (type == SQL_TYPE_TIME) {
        std::memcpy(data.data(), &ts.timestamp_time, sizeof(ISC_TIME));
        var.sqllen = sizeof(ISC_TIME);
    } else {
        std::memcpy(data.data(), &ts, sizeof ts);
        var.sqllen = sizeof ts;
    }
    var.sqldata = data.data();
}

void encodeBlob(XSQLVAR& var, const Value& v, int, std::vector<char>& data, BlobAccess& blobs) {
    const ISC_QUAD id = blobs.write(v.kind() == Value::Kind::String ? v.asString() : valueText(v));
    data.assign(sizeof id, 0);
    std::memcpy(data.data(), &id, sizeof id);
    var.sqldata = data.data();
}

struct Entry {
    int code;
    SqlType type;
};

const std::array<Entry, 13> kTypes{{
    {SQL_SHORT, {describeInteger<4>, 0, decodeInteger<short>, encodeInteger}},
    {SQL_LONG, {describeInteger<9>, 0, decodeInteger<ISC_LONG>, encodeInteger}},
    {SQL_INT64, {describeInteger<18>, 0, decodeInteger<std::int64_t>, encodeInteger}},
    {SQL_FLOAT, {describeFloat, 0, decodeFloat, encodeFloat}},
    {SQL_DOUBLE, {describeFloat, 0, decodeDouble, encodeFloat}},
    {SQL_D_FLOAT, {describeFloat, 0, decodeDouble, encodeFloat}},
    {SQL_TEXT, {describeFixedText, 0, decodeFixedText, encodeAsText}},
    {SQL_VARYING, {describeVaryingText, 2, decodeVaryingText, encodeAsText}},
    {SQL_TYPE_DATE, {describeAs<FieldType::Date>, 0, decodeDate, encodeDateTime}},
    {SQL_TYPE_TIME, {describeAs<FieldType::Time>, 0, decodeTime, encodeDateTime}},
    {SQL_TIMESTAMP, {describeAs<FieldType::DateTime>, 0, decodeTimestamp, encodeDateTime}},
    {SQL_BLOB, {describeBlob, 0, decodeBlob, encodeBlob}},
    {SQL_BOOLEAN, {describeAs<FieldType::Integer>, 0, decodeBoolean, encodeAsText}},
}};

const SqlType kOther{describeAs<FieldType::String>, 0, decodeOther, encodeAsText};

} // namespace

const SqlType& sqlType(int type) {
    for (const Entry& e : kTypes)
        if (e.code == type)
            return e.type;
    return kOther;
}

} // namespace envio
