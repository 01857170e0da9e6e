#include "replication/OperatorTexts.h"

#include "base/AnsiCodec.h"

namespace envio {

std::string noOriginText() {
    return ansi("Debe indicar las compañías origen y destino.");
}

std::string notConnectedText(const char* action) {
    return ansi("Debe conectarse a la compañía origen (botón \"Conectar\") antes de ") + ansi(action) + ".";
}

std::string busyText(const char* action, bool pluralObject) {
    return ansi(pluralObject ? "No se pueden " : "No se puede ") + action +
           ansi(" mientras se envía información; espere a que termine el envío.");
}

} // namespace envio
