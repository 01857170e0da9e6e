#pragma once

#include "db/Column.h"
#include "db/Value.h"

#include <cstddef>
#include <ibase.h>
#include <string>
#include <vector>

namespace envio {

// Blob contents of the statement being run, for the types stored as blob ids.
class BlobAccess {
public:
    virtual ~BlobAccess() = default;
    virtual std::string read(const ISC_QUAD& id) = 0;
    virtual ISC_QUAD write(const std::string& content) = 0;
};

// What the program does with one SQL type code of the client library: how a column of the type is
// described, how a value is read from an output buffer and how a parameter of the type is written.
struct SqlType {
    // Sets the column's type and, where the type has them, its size, precision and scale.
    void (*describe)(const XSQLVAR& var, Column& column);
    // Bytes of an output buffer beyond sqllen.
    std::size_t outputPrefix;
    // The value of a non-NULL output buffer.
    Value (*decode)(const XSQLVAR& var, BlobAccess& blobs);
    // Fills an input buffer (and sets the descriptor's type and length) from a non-NULL value; `number` is
    // the parameter's 1-based position, for failures.
    void (*encode)(XSQLVAR& var, const Value& value, int number, std::vector<char>& data, BlobAccess& blobs);
};

// The entry of an SQL type code (without the nullable bit); types the program does not know are read and
// written as text.
const SqlType& sqlType(int type);

} // namespace envio
