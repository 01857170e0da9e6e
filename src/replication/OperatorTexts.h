#pragma once

#include <string>

namespace envio {

// Spanish texts the program says about send runs, in the code page of the journals and the database.
std::string noOriginText();     // a run without an origin company
std::string notConnectedText(); // a run before "Conectar"
std::string busyText(const char* action);

} // namespace envio
