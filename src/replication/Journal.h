#pragma once

#include <string>

namespace envio {

// The audit journal "TARNELO.TXT" and the error journal "errortarnelo.txt" in the installation directory.
// Each call appends one line: the regional short date, the regional long time, then the fields, separated by
// commas and ended by CR LF. Fields are code-page bytes and are written exactly as given (commas and line
// breaks included). A line that cannot be written is lost without a word: journaling never fails towards
// the caller.
void archivo_auditoria(const std::string& first, const std::string& second, const std::string& third);
void archivo_errores(const std::string& text);

} // namespace envio
