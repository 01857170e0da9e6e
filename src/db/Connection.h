#pragma once

#include "db/ParameterList.h"
#include "db/Value.h"

#include <cstdint>
#include <functional>
#include <ibase.h>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace envio {

class Query;
class FbSession;

// One attachment to one database, configured by a named parameter list.
class Connection {
public:
    // How failures of the server are worded: the company connections put "SQL Server Error: " before the
    // server's text; the general database gives the server's lines alone, without a final period.
    enum class ErrorStyle { Company, General };
    enum class State { Closed, Connecting, Open, Executing, Disconnecting };

    Connection(std::string name, ParameterList stored, ErrorStyle style = ErrorStyle::Company);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    const std::string& name() const { return name_; }

    void setParameter(std::string_view name, std::string_view value) { params_.set(name, value); }
    const ParameterList& parameters() const { return params_; }

    // A connection whose attachment was lost (the server went away, the network failed) stays open for its
    // callers: the failure is raised once, and the next use attaches again with the current parameters.
    void connect();
    void disconnect();
    bool isOpen() const { return state_ == State::Open || state_ == State::Executing; }
    State state() const { return state_; }
    int dialect() const;

    void startTransaction();
    void commit();
    void rollback();
    // Commits the work of the explicit transaction (rolls it back when it is marked rollback-only) and keeps
    // the transaction going: one message to the server instead of a commit and a start.
    void commitRetaining();
    bool inTransaction() const { return depth_ > 0; }
    // The explicit transaction in progress will be rolled back by the commit that ends it.
    void setRollbackOnly() {
        if (depth_ > 0)
            rollbackOnly_ = true;
    }
    int transactionDepth() const { return depth_; }

    // Reads the column descriptions of these tables in one go, so that statements on them later find them
    // read; tables read before are left out.
    void preloadColumnDescriptions(const std::vector<std::string>& tables);

    // Runs one statement with positional "?" parameters and returns the rows it affected. A statement with
    // parameters is prepared once per attachment.
    std::int64_t execute(const std::string& sql, const std::vector<Value>& params = {});

    // Sees every statement executed through execute(), with its parameters (tracing, tests).
    using StatementObserver = std::function<void(const std::string& sql, const std::vector<Value>& params)>;
    void setStatementObserver(StatementObserver observer) { observer_ = std::move(observer); }

    // For the statement layer.
    FbSession& session();
    void attachQuery(Query* query);
    void detachQuery(Query* query);
    [[noreturn]] void raise(const std::string& serverText, long sqlCode = 0, long gdsCode = 0) const;
    // Raises the failure described by a client-library status vector. A failure that means the attachment is
    // gone marks the connection lost, and one the library words without naming the network gets the
    // network's line first ("Unable to complete network request to host ...").
    [[noreturn]] void raiseStatus(const ISC_STATUS* status);
    std::string wordServerText(const std::string& serverText) const;

private:
    void ensureOpen();
    void dropAttachment();

    std::string name_;
    ParameterList params_;
    ErrorStyle style_;
    State state_ = State::Closed;
    int depth_ = 0;
    bool rollbackOnly_ = false;
    bool lost_ = false;
    std::string attachedTo_;
    std::unique_ptr<FbSession> session_;
    std::vector<Query*> queries_;
    StatementObserver observer_;
};

} // namespace envio
