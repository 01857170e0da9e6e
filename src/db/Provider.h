#pragma once

#include "db/Error.h"

#include <functional>
#include <string>

namespace envio {

class Query;
class StagedDataset;

enum class UpdateKind { Modify = 0, Insert = 1, Delete = 2 };
enum class UpdateResponse { Skip = 0, Abort = 1 };

// Reads rows for a staged dataset through its query and writes the dataset's changes back with
// generated statements that identify each row by all its columns.
class Provider {
public:
    using UpdateErrorHandler = std::function<void(Provider* sender, StagedDataset* rows, const Error& failure,
                                                  UpdateKind kind, UpdateResponse& response)>;

    Provider(std::string name, Query& query, bool acceptsCommandText);

    const std::string& name() const { return name_; }
    Query& query() { return query_; }
    bool acceptsCommandText() const { return acceptsCommandText_; }

    void setOnUpdateError(UpdateErrorHandler handler) { onUpdateError_ = std::move(handler); }
    const UpdateErrorHandler& onUpdateError() const { return onUpdateError_; }

    bool transactionStarted() const { return transactionStarted_; }
    void setTransactionStarted(bool on) { transactionStarted_ = on; }

private:
    std::string name_;
    Query& query_;
    bool acceptsCommandText_;
    UpdateErrorHandler onUpdateError_;
    bool transactionStarted_ = false;
};

} // namespace envio
