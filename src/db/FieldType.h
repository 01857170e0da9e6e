#pragma once

namespace envio {

// The kind of a field, decided by the server's description of its column.
enum class FieldType {
    Integer,      // SMALLINT, INTEGER
    LargeInt,     // BIGINT
    ShortDecimal, // NUMERIC/DECIMAL with precision <= 14 and scale <= 4
    ExactDecimal, // NUMERIC/DECIMAL with precision > 14 or scale > 4
    Float,        // FLOAT, DOUBLE PRECISION
    String,       // CHAR(n), VARCHAR(n)
    Date,
    Time,
    DateTime,
    TextBlob,
    BinaryBlob,
};

const char* fieldTypeName(FieldType type);

inline bool isNumericType(FieldType t) {
    return t == FieldType::Integer || t == FieldType::LargeInt || t == FieldType::ShortDecimal ||
           t == FieldType::ExactDecimal || t == FieldType::Float;
}
inline bool isBlobType(FieldType t) {
    return t == FieldType::TextBlob || t == FieldType::BinaryBlob;
}
inline bool isTemporalType(FieldType t) {
    return t == FieldType::Date || t == FieldType::Time || t == FieldType::DateTime;
}

} // namespace envio
