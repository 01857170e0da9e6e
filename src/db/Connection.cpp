#include "db/Connection.h"

#include "db/Error.h"
#include "db/FbSession.h"
#include "db/FbStatement.h"
#include "db/Query.h"

#include <algorithm>

namespace envio {

Connection::Connection(std::string name, ParameterList stored, ErrorStyle style)
    : name_(std::move(name)), params_(std::move(stored)), style_(style) {}

Connection::~Connection() {
    for (Query* q : std::vector<Query*>(queries_))
        q->connectionClosing();
    session_.reset();
}

int Connection::dialect() const {
    const std::string d = params_.value("SQLDialect");
    if (d == "1")
        return 1;
    if (d == "2")
        return 2;
    return 3;
}

std::string Connection::wordServerText(const std::string& serverText) const {
    if (style_ == ErrorStyle::Company)
        return "SQL Server Error: " + serverText;
    std::string text = serverText;
    if (!text.empty() && text.back() == '.')
        text.pop_back();
    return text;
}

void Connection::raise(const std::string& serverText, long sqlCode, long gdsCode) const {
    throw DatabaseError(wordServerText(serverText), sqlCode, gdsCode);
}

void Connection::connect() {
    if (isOpen())
        return;
    state_ = State::Connecting;
    std::string database = params_.value("Database");
    const auto first = database.find_first_not_of(" \t");
    const auto last = database.find_last_not_of(" \t");
    database = first == std::string::npos ? std::string() : database.substr(first, last - first + 1);

    TransactionOptions options;
    const std::string isolation = toLowerAscii(params_.value("Interbase TransIsolation"));
    if (isolation == "repeatableread")
        options.isolation = TransactionOptions::Isolation::RepeatableRead;
    else if (isolation == "dirtyread")
        options.isolation = TransactionOptions::Isolation::DirtyRead;
    const auto wait = params_.get("WaitOnLocks");
    options.waitOnLocks = !wait || !equalsIgnoreCase(*wait, "False");

    try {
        session_ = std::make_unique<FbSession>(*this, database, params_.value("User_Name"), params_.value("Password"),
                                               params_.value("RoleName"), dialect(), options);
    } catch (...) {
        session_.reset();
        state_ = State::Closed;
        throw;
    }
    depth_ = 0;
    rollbackOnly_ = false;
    state_ = State::Open;
}

void Connection::disconnect() {
    if (!session_ && state_ == State::Closed)
        return;
    state_ = State::Disconnecting;
    for (Query* q : std::vector<Query*>(queries_)) {
        try {
            q->connectionClosing();
        } catch (...) {
            // The attachment is going away; a cursor that cannot be closed cleanly dies with it.
        }
    }
    session_.reset();
    depth_ = 0;
    rollbackOnly_ = false;
    state_ = State::Closed;
}

FbSession& Connection::session() {
    ensureOpen();
    return *session_;
}

void Connection::ensureOpen() {
    if (!isOpen() || !session_)
        connect();
}

void Connection::attachQuery(Query* query) { queries_.push_back(query); }

void Connection::detachQuery(Query* query) { std::erase(queries_, query); }

void Connection::startTransaction() {
    ensureOpen();
    if (depth_ == 0) {
        session_->explicitTransaction() = session_->begin(false);
        rollbackOnly_ = false;
    }
    ++depth_;
}

void Connection::commit() {
    if (depth_ == 0)
        return;
    if (--depth_ == 0 && session_) {
        if (rollbackOnly_)
            session_->explicitTransaction().rollback();
        else
            session_->explicitTransaction().commit();
    }
}

void Connection::rollback() {
    if (depth_ == 0)
        return;
    if (--depth_ == 0 && session_)
        session_->explicitTransaction().rollback();
    else
        rollbackOnly_ = true;
}

std::int64_t Connection::execute(const std::string& sql, const std::vector<Value>& params) {
    ensureOpen();
    if (observer_)
        observer_(sql, params);
    FbSession& s = *session_;
    state_ = State::Executing;
    struct Restore {
        Connection& c;
        ~Restore() {
            if (c.state_ == State::Executing)
                c.state_ = State::Open;
        }
    } restore{*this};
    if (depth_ > 0) {
        isc_tr_handle* tr = s.explicitTransaction().handle();
        FbStatement stmt(s);
        stmt.prepare(tr, sql, false);
        stmt.bind(tr, params);
        stmt.execute(tr);
        return stmt.rowsAffected();
    }
    FbTransaction tr = s.begin(false);
    std::int64_t affected = 0;
    {
        FbStatement stmt(s);
        stmt.prepare(tr.handle(), sql, false);
        stmt.bind(tr.handle(), params);
        stmt.execute(tr.handle());
        affected = stmt.rowsAffected();
    }
    tr.commit();
    return affected;
}

} // namespace envio
