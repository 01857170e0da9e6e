#pragma once

#include "DbTestUtil.h"
#include "db/Connection.h"
#include "db/Error.h"
#include "db/Provider.h"
#include "db/Query.h"
#include "db/StagedDataset.h"
#include "db/ValueConvert.h"

#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace envio {

// Readable values in failure output.
inline void PrintTo(const Value& v, std::ostream* os) {
    if (v.isNull()) {
        *os << "NULL";
        return;
    }
    if (v.kind() == Value::Kind::String && v.asString().size() > 80) {
        *os << "<" << v.asString().size() << " bytes>";
        return;
    }
    *os << "'" << valueText(v) << "'";
}

} // namespace envio

namespace envio::test {

// A staged dataset with the provider and query it reads and writes through.
struct Staged {
    Staged(Connection& connection, const std::string& name, const std::string& queryText,
           bool acceptsCommandText, std::vector<FieldDef> fields = {})
        : query("Q" + name, connection), provider("P" + name, query, acceptsCommandText),
          ds(name, provider, std::move(fields)) {
        if (!queryText.empty())
            query.add(queryText);
    }
    Query query;
    Provider provider;
    StagedDataset ds;
};

// The fixed field list of the destination list.
inline std::vector<FieldDef> destinationListFields() {
    return {FieldDef{"RPPR_ID", FieldType::Integer, 0, true, "Id", false},
            FieldDef{"RPPR_NOMBRE", FieldType::String, 60, false, "Nombre", false},
            FieldDef{"RPPR_SERVIDOR", FieldType::String, 60, false, "Servidor", false},
            FieldDef{"RPPR_COD", FieldType::String, 3, true, "CodCia", true}};
}

// Every statement a connection executes, with its parameters, while the log lives.
class StatementLog {
public:
    struct Sent {
        std::string sql;
        std::vector<Value> params;
    };
    explicit StatementLog(Connection& connection) : connection_(connection) {
        connection_.setStatementObserver([this](const std::string& sql, const std::vector<Value>& params) {
            sent.push_back({sql, params});
        });
    }
    ~StatementLog() { connection_.setStatementObserver({}); }
    StatementLog(const StatementLog&) = delete;
    StatementLog& operator=(const StatementLog&) = delete;

    std::vector<Sent> sent;

private:
    Connection& connection_;
};

// The text of the failure an action raises, or "<no failure>".
inline std::string failureOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const Error& e) {
        return e.what();
    }
    return "<no failure>";
}

// One update-error call as the handler saw it.
struct UpdateErrorCall {
    Provider* sender = nullptr;
    StagedDataset* rows = nullptr;
    std::string failure;
    UpdateKind kind = UpdateKind::Modify;
    UpdateResponse responseIn = UpdateResponse::Skip;
};

} // namespace envio::test
