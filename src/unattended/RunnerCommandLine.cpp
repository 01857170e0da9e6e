#include "unattended/RunnerCommandLine.h"

#include <charconv>
#include <string_view>

namespace envio {

RunnerCommandLine RunnerCommandLine::parse(int argc, char** argv) {
    RunnerCommandLine line;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view a = argv[i];
        if (optionsEnded) {
            line.positional.emplace_back(a);
        } else if (a == "--") {
            optionsEnded = true;
        } else if (a == "--help" || a == "-h") {
            line.help = true;
        } else if (a == "--version") {
            line.version = true;
        } else if (a == "--password-file" || a == "--summary-json") {
            if (i + 1 >= argc) {
                line.error = std::string(a) + " necesita un nombre de archivo";
                return line;
            }
            (a == "--password-file" ? line.passwordFile : line.summaryJson) = argv[++i];
        } else if (a == "--parallel") {
            const std::string_view n = i + 1 < argc ? std::string_view(argv[i + 1]) : std::string_view();
            int lanes = 0;
            const auto [end, failure] = std::from_chars(n.data(), n.data() + n.size(), lanes);
            if (n.empty() || failure != std::errc() || end != n.data() + n.size() || lanes < 1 ||
                lanes > 32) {
                line.error = "--parallel necesita un número de 1 a 32";
                return line;
            }
            line.lanes = lanes;
            ++i;
        } else {
            line.positional.emplace_back(a);
        }
    }
    return line;
}

std::string runnerUsage() {
    return "uso: envio-precios-run [opciones] SERVIDOR USUARIO CLAVE COMPAÑÍA_ORIGEN [1]\n"
           "Un envío de los eventos pendientes de la compañía origen a sus compañías destino.\n"
           "  CLAVE  la clave del usuario; \"-\" la lee del archivo de --password-file o de "
           "ENVIO_PASSWORD_FILE\n"
           "  1      no reintentar los eventos que ya fallaron\n"
           "opciones:\n"
           "  --password-file ARCHIVO  archivo con la clave (primera línea; sin permisos para otros "
           "usuarios)\n"
           "  --summary-json ARCHIVO   resumen del envío para programas de supervisión\n"
           "  --parallel N             compañías destino servidas a la vez (1 a 32; por omisión \"Paralelo\" "
           "del archivo de configuración, o 4)\n"
           "  --help                   esta ayuda\n"
           "  --version                la versión\n"
           "códigos de salida:\n"
           "  0    el envío terminó\n"
           "  1    un fallo abandonó el envío, o falló un paso anterior (ingreso, conexión)\n"
           "  2    el envío no se hizo: sin compañía origen, u otro envío del mismo directorio de "
           "instalación en "
           "curso\n"
           "  64   uso incorrecto (argumentos, archivo de la clave)\n"
           "  130  detenido por SIGINT, 143 detenido por SIGTERM, tras terminar el evento en curso\n";
}

} // namespace envio
