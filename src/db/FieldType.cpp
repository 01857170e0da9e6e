#include "db/FieldType.h"

namespace envio {

const char* fieldTypeName(FieldType type) {
    switch (type) {
    case FieldType::Integer:
        return "Integer";
    case FieldType::LargeInt:
        return "LargeInt";
    case FieldType::ShortDecimal:
        return "BCD";
    case FieldType::ExactDecimal:
        return "FMTBcd";
    case FieldType::Float:
        return "Float";
    case FieldType::String:
        return "String";
    case FieldType::Date:
        return "Date";
    case FieldType::Time:
        return "Time";
    case FieldType::DateTime:
        return "DateTime";
    case FieldType::TextBlob:
        return "Memo";
    case FieldType::BinaryBlob:
        return "Blob";
    }
    return "Unknown";
}

} // namespace envio
