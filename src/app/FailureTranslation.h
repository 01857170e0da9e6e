#pragma once

#include <QString>
#include <string>

namespace envio {

// The text shown to the operator for a failure nobody else handled. The message is in code-page bytes.
// A rejected user name or password, a database file that cannot be opened and a server that cannot be
// reached get a Spanish explanation; every other failure is shown whole after a Spanish prefix.
QString translateFailure(const std::string& message);

} // namespace envio
