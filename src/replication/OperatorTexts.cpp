#include "replication/OperatorTexts.h"

#include "base/AnsiCodec.h"

namespace envio {

std::string noOriginText() {
    return ansi("Debe indicar las compañías origen y destino.");
}

std::string notConnectedText() {
    return ansi("Debe conectarse a la compañía origen (botón \"Conectar\") antes de enviar.");
}

std::string busyText(const char* action) {
    return ansi("No se puede ") + action +
           ansi(" mientras se envía información; espere a que termine el envío.");
}

} // namespace envio
