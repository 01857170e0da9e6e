#pragma once

#include <string>

namespace envio {

// Spanish texts the program says about send runs, in the code page of the journals and the database.
std::string noOriginText(); // a run without an origin company
// An action refused before "Conectar"; `action` is UTF-8 source text, "enviar" for a send run.
std::string notConnectedText(const char* action = "enviar");
// An action refused while a send run is in progress; `action` is already in the code page. With a plural
// object ("abrir los eventos pendientes") the verb agrees: "No se pueden abrir...".
std::string busyText(const char* action, bool pluralObject = false);

} // namespace envio
