#pragma once

#include "db/Field.h"
#include "db/Value.h"

#include <optional>
#include <string>
#include <vector>

namespace envio {

// Generation of the statements that write a staged dataset's changes back to its table.
namespace writeback {

// The first name after the first FROM keyword of a statement (any letter case, dots kept, a trailing ";"
// removed; text literals and quoted identifiers are not searched); empty when there is none.
std::string tableName(const std::string& statement);

// A table or column name as the connection's dialect wants it: bare on dialect 1, double-quoted
// (each dotted part) on dialect 3. A table name already starting or ending with a quote is kept as it
// is; any other table name is upper-cased inside its quotes, as the server reads an unquoted name.
std::string quoteName(const std::string& name, int dialect, bool isTable);

struct Statement {
    std::string text;
    std::vector<Value> params;
};

// Fields eligible to identify a row: data columns except BLOBs and strings longer than 8190.
bool identifiesRow(const Field& f);

Statement insert(const std::string& table, int dialect, const std::vector<const Field*>& fields,
                 const std::vector<Value>& values);
// nullopt when no column was assigned (nothing to send). Throws for a row without identifying columns.
std::optional<Statement> update(const std::string& table, int dialect,
                                const std::vector<const Field*>& assigned,
                                const std::vector<Value>& newValues, const std::vector<const Field*>& keys,
                                const std::vector<Value>& oldValues);
Statement remove(const std::string& table, int dialect, const std::vector<const Field*>& keys,
                 const std::vector<Value>& oldValues);

} // namespace writeback
} // namespace envio
