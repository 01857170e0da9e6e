#pragma once

#include "db/Column.h"
#include "db/FbSession.h"
#include "db/Value.h"

#include <cstdint>
#include <ibase.h>
#include <memory>
#include <string>
#include <vector>

namespace envio {

// One prepared statement of the client library with its input and output descriptors.
class FbStatement {
public:
    explicit FbStatement(FbSession& session);
    ~FbStatement();
    FbStatement(const FbStatement&) = delete;
    FbStatement& operator=(const FbStatement&) = delete;

    // withMetadata: complete precision and read-only flags from the system tables.
    void prepare(isc_tr_handle* tr, const std::string& sql, bool withMetadata = true);
    const std::vector<Column>& columns() const { return columns_; }
    bool returnsRows() const { return returnsRows_; }
    int parameterCount() const;

    void bind(isc_tr_handle* tr, const std::vector<Value>& params);
    void execute(isc_tr_handle* tr);
    // Reads the next row into `row`; false at the end of the result.
    bool fetch(isc_tr_handle* tr, std::vector<Value>& row);
    std::int64_t rowsAffected();
    void closeCursor();

private:
    struct Buffers;
    [[noreturn]] void fail(const ISC_STATUS* status) const;
    void describeColumns(isc_tr_handle* tr, bool withMetadata);

    FbSession& session_;
    isc_stmt_handle handle_ = 0;
    std::unique_ptr<Buffers> buffers_;
    std::vector<Column> columns_;
    bool returnsRows_ = false;
    bool cursorOpen_ = false;
};

} // namespace envio
