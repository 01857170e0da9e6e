#include "db/ChangeWriter.h"

#include "db/Connection.h"
#include "db/Query.h"
#include "db/WriteBack.h"

#include <optional>

namespace envio {

int ChangeWriter::write(const std::string& statement, std::vector<Change>& changes, int maxErrors) {
    Query& query = provider_.query();
    Connection& conn = query.connection();
    if (!conn.inTransaction()) {
        conn.startTransaction();
        provider_.setTransactionStarted(true);
    }
    // The rows go back to the table they were read from, whatever the query has executed since.
    const std::string table = writeback::tableName(statement);
    const int dialect = conn.dialect();
    int failures = 0;
    auto endTransaction = [&](bool ok) {
        if (!provider_.transactionStarted())
            return;
        provider_.setTransactionStarted(false);
        if (ok)
            conn.commit();
        else
            conn.rollback();
    };
    try {
        for (Change& e : changes) {
            const UpdateKind kind = e.kind == Change::Kind::Insert   ? UpdateKind::Insert
                                    : e.kind == Change::Kind::Modify ? UpdateKind::Modify
                                                                     : UpdateKind::Delete;
            try {
                if (table.empty())
                    throw Error("Unable to resolve records.  Table name not found.");
                std::vector<const Field*> assigned, keys;
                std::vector<Value> newValues, oldValues;
                for (const auto& f : fields_.fields()) {
                    const int col = fields_.columnOf(f->index());
                    if (col < 0)
                        continue;
                    const auto c = static_cast<std::size_t>(col);
                    if (e.kind != Change::Kind::Delete && !f->readOnly() && c < e.assigned.size() &&
                        e.assigned[c]) {
                        assigned.push_back(f.get());
                        newValues.push_back(e.newValues[c]);
                    }
                    if (e.kind != Change::Kind::Insert && writeback::identifiesRow(*f)) {
                        keys.push_back(f.get());
                        oldValues.push_back(c < e.oldValues.size() ? e.oldValues[c] : Value());
                    }
                }
                std::optional<writeback::Statement> stmt;
                if (e.kind == Change::Kind::Insert)
                    stmt = writeback::insert(table, dialect, assigned, newValues);
                else if (e.kind == Change::Kind::Modify)
                    stmt = writeback::update(table, dialect, assigned, newValues, keys, oldValues);
                else
                    stmt = writeback::remove(table, dialect, keys, oldValues);
                if (!stmt)
                    continue;
                const std::int64_t affected = conn.execute(stmt->text, stmt->params);
                if (affected > 1) {
                    // The write must not stand; in the caller's transaction that undoes the whole of it.
                    if (!provider_.transactionStarted())
                        conn.setRollbackOnly();
                    endTransaction(false);
                    throw Error("Update affected more than 1 record.");
                }
                if (affected < 1)
                    throw Error("Record not found or changed by another user");
            } catch (const SilentAbort&) {
                throw;
            } catch (const Error& failure) {
                UpdateResponse response =
                    failures >= maxErrors ? UpdateResponse::Abort : UpdateResponse::Skip;
                if (provider_.onUpdateError())
                    provider_.onUpdateError()(&provider_, &dataset_, failure, kind, response);
                ++failures;
                if (failures > maxErrors || response == UpdateResponse::Abort)
                    break;
            }
        }
    } catch (...) {
        try {
            endTransaction(false);
        } catch (...) {
        }
        throw;
    }
    endTransaction(failures <= maxErrors && failures == 0);
    return failures;
}

} // namespace envio
