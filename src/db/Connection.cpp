#include "db/Connection.h"

#include "db/Error.h"
#include "db/FbSession.h"
#include "db/FbStatement.h"
#include "db/NumberText.h"
#include "db/Query.h"

#include <algorithm>
#include <initializer_list>

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
    // A lost attachment is replaced only between transactions: inside one, its owner has to end it first.
    if (isOpen() && !(lost_ && depth_ == 0))
        return;
    if (session_)
        dropAttachment();
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
    if (const auto timeout = params_.get("LockTimeout")) {
        NumberSyntax integer;
        integer.blanks = NumberSyntax::Blanks::AtEnds;
        integer.reading = NumberSyntax::Reading::IntegerOnly;
        const std::optional<Value> seconds = parseNumberText(*timeout, integer);
        if (seconds && seconds->asInteger() > 0 && seconds->asInteger() <= 32767)
            options.lockTimeoutSeconds = static_cast<int>(seconds->asInteger());
    }

    attachedTo_ = database;
    try {
        session_ = std::make_unique<FbSession>(*this, database, params_.value("User_Name"),
                                               params_.value("Password"), params_.value("RoleName"),
                                               dialect(), options);
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
    dropAttachment();
    state_ = State::Closed;
}

void Connection::dropAttachment() {
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
    lost_ = false;
}

namespace {

bool statusHas(const ISC_STATUS* status, std::initializer_list<ISC_STATUS> codes) {
    for (const ISC_STATUS* p = status; p[0] != isc_arg_end;) {
        const ISC_STATUS kind = p[0];
        if (kind == isc_arg_gds && std::find(codes.begin(), codes.end(), p[1]) != codes.end())
            return true;
        p += kind == isc_arg_cstring ? 3 : 2;
    }
    return false;
}

// The host of a remote database location ("host:path", "host/port:path", "inet://host:port/path"); empty
// for a local one.
std::string hostOf(const std::string& location) {
    std::string rest = location;
    if (const auto scheme = rest.find("://"); scheme != std::string::npos) {
        rest = rest.substr(scheme + 3);
        const auto end = rest.find_first_of(":/");
        return end == std::string::npos ? rest : rest.substr(0, end);
    }
    const auto colon = rest.find(':');
    if (colon == std::string::npos || colon < 2) // a plain path, or a drive letter
        return {};
    std::string host = rest.substr(0, colon);
    if (const auto port = host.find('/'); port != std::string::npos)
        host.resize(port);
    return host;
}

} // namespace

void Connection::raiseStatus(const ISC_STATUS* status) {
    std::vector<std::string> lines = statusLines(status);
    if (statusHas(status, {isc_network_error, isc_net_read_err, isc_net_write_err, isc_lost_db_connection,
                           isc_conn_lost, isc_att_shutdown}) &&
        session_)
        lost_ = true;
    if (statusHas(status, {isc_net_read_err, isc_net_write_err, isc_lost_db_connection, isc_conn_lost}) &&
        !statusHas(status, {isc_network_error}))
        lines.insert(lines.begin(),
                     "Unable to complete network request to host \"" + hostOf(attachedTo_) + "\".");
    std::string text;
    for (const std::string& l : lines) {
        if (!text.empty())
            text += "\r\n";
        text += l;
    }
    raise(text, isc_sqlcode(status), status[1]);
}

FbSession& Connection::session() {
    // Cursors of the current attachment come here for it: a lost one is not replaced under them.
    if (!isOpen() || !session_)
        connect();
    return *session_;
}

void Connection::ensureOpen() {
    if (!isOpen() || !session_ || lost_)
        connect();
}

void Connection::attachQuery(Query* query) {
    queries_.push_back(query);
}

void Connection::detachQuery(Query* query) {
    std::erase(queries_, query);
}

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

void Connection::commitRetaining() {
    if (depth_ == 0 || !session_)
        return;
    if (rollbackOnly_)
        session_->explicitTransaction().rollbackRetaining();
    else
        session_->explicitTransaction().commitRetaining();
    rollbackOnly_ = false;
}

void Connection::rollback() {
    if (depth_ == 0)
        return;
    if (--depth_ == 0 && session_)
        session_->explicitTransaction().rollback();
    else
        rollbackOnly_ = true;
}

void Connection::preloadColumnDescriptions(const std::vector<std::string>& tables) {
    ensureOpen();
    FbSession& s = *session_;
    if (depth_ > 0) {
        s.loadRelationMeta(tables, s.explicitTransaction().handle());
        return;
    }
    FbTransaction tr = s.begin(true);
    s.loadRelationMeta(tables, tr.handle());
    tr.commit();
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
    // A statement with parameters is kept prepared; one without is prepared, run and freed.
    auto run = [&](isc_tr_handle* tr) {
        std::unique_ptr<FbStatement> once;
        FbStatement* statement = nullptr;
        if (params.empty()) {
            once = std::make_unique<FbStatement>(s);
            once->prepare(tr, sql, false);
            statement = once.get();
        } else {
            statement = &s.preparedStatement(tr, sql);
        }
        statement->bind(tr, params);
        statement->execute(tr);
        return statement->rowsAffected();
    };
    if (depth_ > 0)
        return run(s.explicitTransaction().handle());
    FbTransaction tr = s.begin(false);
    const std::int64_t affected = run(tr.handle());
    tr.commit();
    return affected;
}

} // namespace envio
