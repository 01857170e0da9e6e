#pragma once

#include "db/Column.h"
#include "db/Value.h"

#include <cstdint>
#include <ibase.h>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace envio {

class Connection;
class FbStatement;

// Collects the text of a client-library status vector: one line per message.
std::vector<std::string> statusLines(const ISC_STATUS* status);

// Transaction options of a connection, taken from its parameter list when it connects.
struct TransactionOptions {
    enum class Isolation { ReadCommitted, RepeatableRead, DirtyRead } isolation = Isolation::ReadCommitted;
    bool waitOnLocks = true;
    int lockTimeoutSeconds = 0; // how long a wait for a lock may last; 0 waits without a limit
};

// A transaction handle that rolls back when it is dropped without commit.
class FbTransaction {
public:
    FbTransaction() = default;
    FbTransaction(Connection& owner, isc_db_handle* db, const TransactionOptions& options, bool readOnly);
    ~FbTransaction();
    FbTransaction(FbTransaction&& other) noexcept;
    FbTransaction& operator=(FbTransaction&& other) noexcept;

    isc_tr_handle* handle() { return &handle_; }
    bool active() const { return handle_ != 0; }
    void commit();
    void rollback();
    // End the work done so far and keep the transaction going.
    void commitRetaining();
    void rollbackRetaining();

private:
    Connection* owner_ = nullptr;
    isc_tr_handle handle_ = 0;
};

// The attachment behind an open connection, with what the statement layer caches about its tables.
class FbSession {
public:
    FbSession(Connection& owner, const std::string& database, const std::string& user,
              const std::string& password, const std::string& role, int dialect, TransactionOptions options);
    ~FbSession();
    FbSession(const FbSession&) = delete;
    FbSession& operator=(const FbSession&) = delete;

    Connection& owner() { return owner_; }
    isc_db_handle* db() { return &db_; }
    int dialect() const { return dialect_; }
    const TransactionOptions& options() const { return options_; }

    FbTransaction begin(bool readOnly) { return FbTransaction(owner_, &db_, options_, readOnly); }

    // The transaction of the connection's explicit transaction, when one is open.
    FbTransaction& explicitTransaction() { return explicit_; }

    struct ColumnMeta {
        int precision = 0;
        bool computed = false;
    };
    // Declared precision and computed flag of the columns of a table, read once per attachment.
    const std::map<std::string, ColumnMeta>& relationMeta(const std::string& relation, isc_tr_handle* tr);
    // Reads those of several tables at once, for the ones not read yet.
    void loadRelationMeta(const std::vector<std::string>& relations, isc_tr_handle* tr);

    // A statement of this attachment prepared once for a text executed again and again (the generated writes
    // and the selects that take their values as parameters). Prepared statements outlive transactions; the
    // cache is emptied when it grows past a bound. withMetadata as for FbStatement::prepare (selects read
    // through queries want it).
    FbStatement& preparedStatement(isc_tr_handle* tr, const std::string& sql, bool withMetadata = false);

private:
    Connection& owner_;
    isc_db_handle db_ = 0;
    int dialect_;
    TransactionOptions options_;
    FbTransaction explicit_;
    std::map<std::string, std::map<std::string, ColumnMeta>> relations_;
    std::map<std::string, std::unique_ptr<FbStatement>> prepared_;
};

} // namespace envio
