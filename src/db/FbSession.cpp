#include "db/FbSession.h"

#include "base/AnsiCodec.h"
#include "db/Connection.h"
#include "db/FbStatement.h"

#include <cstring>

namespace envio {

std::vector<std::string> statusLines(const ISC_STATUS* status) {
    std::vector<std::string> lines;
    const ISC_STATUS* p = status;
    char buffer[1024];
    while (fb_interpret(buffer, sizeof buffer, &p) > 0)
        lines.emplace_back(buffer);
    return lines;
}

namespace {

[[noreturn]] void raiseStatus(Connection& owner, const ISC_STATUS* status) {
    owner.raiseStatus(status);
}

} // namespace

FbTransaction::FbTransaction(Connection& owner, isc_db_handle* db, const TransactionOptions& options,
                             bool readOnly)
    : owner_(&owner) {
    std::vector<char> tpb{isc_tpb_version3, readOnly ? char(isc_tpb_read) : char(isc_tpb_write)};
    switch (options.isolation) {
    case TransactionOptions::Isolation::RepeatableRead:
        tpb.push_back(isc_tpb_concurrency);
        break;
    case TransactionOptions::Isolation::DirtyRead:
    case TransactionOptions::Isolation::ReadCommitted:
        // Firebird has no dirty reads; both read the latest committed versions.
        tpb.push_back(isc_tpb_read_committed);
        tpb.push_back(isc_tpb_rec_version);
        break;
    }
    tpb.push_back(options.waitOnLocks ? isc_tpb_wait : isc_tpb_nowait);
    if (options.waitOnLocks && options.lockTimeoutSeconds > 0) {
        tpb.push_back(isc_tpb_lock_timeout);
        tpb.push_back(4);
        for (int shift = 0; shift < 32; shift += 8)
            tpb.push_back(static_cast<char>((options.lockTimeoutSeconds >> shift) & 0xFF));
    }
    ISC_STATUS_ARRAY status{};
    if (isc_start_transaction(status, &handle_, 1, db, static_cast<unsigned short>(tpb.size()), tpb.data())) {
        handle_ = 0;
        raiseStatus(owner, status);
    }
}

FbTransaction::~FbTransaction() {
    if (handle_) {
        ISC_STATUS_ARRAY status{};
        isc_rollback_transaction(status, &handle_);
    }
}

FbTransaction::FbTransaction(FbTransaction&& other) noexcept : owner_(other.owner_), handle_(other.handle_) {
    other.handle_ = 0;
}

FbTransaction& FbTransaction::operator=(FbTransaction&& other) noexcept {
    if (this != &other) {
        if (handle_) {
            ISC_STATUS_ARRAY status{};
            isc_rollback_transaction(status, &handle_);
        }
        owner_ = other.owner_;
        handle_ = other.handle_;
        other.handle_ = 0;
    }
    return *this;
}

void FbTransaction::commit() {
    if (!handle_)
        return;
    ISC_STATUS_ARRAY status{};
    if (isc_commit_transaction(status, &handle_))
        raiseStatus(*owner_, status);
    handle_ = 0;
}

void FbTransaction::commitRetaining() {
    ISC_STATUS_ARRAY status{};
    if (handle_ && isc_commit_retaining(status, &handle_))
        raiseStatus(*owner_, status);
}

void FbTransaction::rollbackRetaining() {
    ISC_STATUS_ARRAY status{};
    if (handle_ && isc_rollback_retaining(status, &handle_))
        raiseStatus(*owner_, status);
}

void FbTransaction::rollback() {
    if (!handle_)
        return;
    ISC_STATUS_ARRAY status{};
    if (isc_rollback_transaction(status, &handle_)) {
        // A rollback that fails (the attachment is gone) still leaves nothing to finish here.
        handle_ = 0;
        raiseStatus(*owner_, status);
    }
    handle_ = 0;
}

namespace {

void addString(std::vector<char>& dpb, char item, const std::string& value) {
    const std::size_t n = std::min<std::size_t>(value.size(), 255);
    dpb.push_back(item);
    dpb.push_back(static_cast<char>(n));
    dpb.insert(dpb.end(), value.begin(), value.begin() + static_cast<std::ptrdiff_t>(n));
}

} // namespace

FbSession::FbSession(Connection& owner, const std::string& database, const std::string& user,
                     const std::string& password, const std::string& role, int dialect,
                     TransactionOptions options)
    : owner_(owner), dialect_(dialect), options_(options) {
    // Texts of the program are code-page bytes; the client library takes the strings of an attachment in
    // UTF-8 when told so, whatever the locale of the process (a user name with "ñ" must still log in).
    auto utf8 = [](const std::string& bytes) { return fromAnsi(bytes).toUtf8().toStdString(); };
    std::vector<char> dpb{isc_dpb_version1};
    dpb.push_back(isc_dpb_utf8_filename);
    dpb.push_back(0);
    if (!user.empty())
        addString(dpb, isc_dpb_user_name, utf8(user));
    if (!password.empty())
        addString(dpb, isc_dpb_password, utf8(password));
    if (!role.empty())
        addString(dpb, isc_dpb_sql_role_name, utf8(role));
    dpb.push_back(isc_dpb_sql_dialect);
    dpb.push_back(1);
    dpb.push_back(static_cast<char>(dialect));
    ISC_STATUS_ARRAY status{};
    const std::string location = utf8(database);
    if (isc_attach_database(status, static_cast<short>(location.size()), location.c_str(), &db_,
                            static_cast<short>(dpb.size()), dpb.data())) {
        db_ = 0;
        raiseStatus(owner, status);
    }
}

FbSession::~FbSession() {
    prepared_.clear();
    ISC_STATUS_ARRAY status{};
    if (explicit_.active())
        isc_rollback_transaction(status, explicit_.handle());
    if (db_)
        isc_detach_database(status, &db_);
}

FbStatement& FbSession::preparedStatement(isc_tr_handle* tr, const std::string& sql, bool withMetadata) {
    constexpr std::size_t kMostStatements = 64;
    const std::string key = (withMetadata ? "M" : "-") + sql;
    if (auto it = prepared_.find(key); it != prepared_.end())
        return *it->second;
    if (prepared_.size() >= kMostStatements)
        prepared_.clear();
    auto statement = std::make_unique<FbStatement>(*this);
    statement->prepare(tr, sql, withMetadata);
    return *prepared_.emplace(key, std::move(statement)).first->second;
}

const std::map<std::string, FbSession::ColumnMeta>& FbSession::relationMeta(const std::string& relation,
                                                                            isc_tr_handle* tr) {
    auto it = relations_.find(relation);
    if (it != relations_.end())
        return it->second;
    loadRelationMeta({relation}, tr);
    return relations_[relation];
}

void FbSession::loadRelationMeta(const std::vector<std::string>& relations, isc_tr_handle* tr) {
    std::vector<Value> missing;
    std::string marks;
    for (const std::string& relation : relations) {
        if (relations_.count(relation))
            continue;
        missing.push_back(Value::string(relation));
        marks += marks.empty() ? "?" : ", ?";
    }
    if (missing.empty())
        return;
    auto trimmed = [](const Value& v) {
        std::string name = v.isNull() ? std::string() : v.asString();
        while (!name.empty() && name.back() == ' ')
            name.pop_back();
        return name;
    };
    std::map<std::string, std::map<std::string, ColumnMeta>> read;
    for (const Value& relation : missing)
        read[relation.asString()];
    FbStatement stmt(*this);
    stmt.prepare(tr,
                 "select rf.rdb$relation_name, rf.rdb$field_name, f.rdb$field_precision, "
                 "case when f.rdb$computed_blr is null then 0 else 1 end "
                 "from rdb$relation_fields rf join rdb$fields f on f.rdb$field_name = rf.rdb$field_source "
                 "where rf.rdb$relation_name in (" +
                     marks + ")",
                 false);
    stmt.bind(tr, missing);
    stmt.execute(tr);
    std::vector<Value> row;
    while (stmt.fetch(tr, row)) {
        ColumnMeta m;
        m.precision = row[2].isNull() ? 0 : static_cast<int>(row[2].asInteger());
        m.computed = !row[3].isNull() && row[3].asInteger() != 0;
        read[trimmed(row[0])].emplace(trimmed(row[1]), m);
    }
    for (auto& [relation, meta] : read)
        relations_.emplace(relation, std::move(meta));
}

} // namespace envio
