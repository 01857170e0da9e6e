#pragma once

#include "db/FieldType.h"

#include <string>

namespace envio {

// A result column as the server describes it in the connection's dialect.
struct Column {
    std::string name;     // the name the server reports (alias when given)
    std::string relation; // table of the column, empty for expressions
    std::string origin;   // column name in that table
    FieldType type = FieldType::String;
    int size = 0;      // characters of a string
    int precision = 0; // decimals
    int scale = 0;     // decimals: digits after the point
    bool fixedLength = false;
    bool required = false;
    bool readOnly = false;
};

} // namespace envio
