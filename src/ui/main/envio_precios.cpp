#include "app/Dialogs.h"
#include "app/PasswordFile.h"
#include "app/StartArguments.h"
#include "app/StopRequest.h"
#include "base/AnsiCodec.h"
#include "db/Error.h"
#include "ui/Application.h"
#include "ui/MainWindow.h"
#include "ui/QtDialogs.h"

#include <cstring>
#include <iostream>

namespace {

const char* const kUsage =
    "uso: envio-precios [SERVIDOR USUARIO CLAVE COMPAÑÍA_ORIGEN [1]]\n"
    "Sin argumentos pide el ingreso; con la compañía origen ingresa, se conecta y envía solo, luego cada 60 "
    "s.\n"
    "  CLAVE  la clave del usuario; \"-\" la lee del archivo que nombra ENVIO_PASSWORD_FILE\n"
    "  1      no reintentar los eventos que ya fallaron\n";

} // namespace

int main(int argc, char** argv) {
    // A stop asked for by a signal ends the program once the run in progress has finished its event.
    envio::stop::installHandlers([] {
        // Before the application object exists, or after it is gone, there is no loop to end: the process
        // then ends on its own shortly, as no event is in progress.
        if (QCoreApplication* application = QCoreApplication::instance())
            QMetaObject::invokeMethod(
                application, [] { envio::endProcess(); }, Qt::QueuedConnection);
    });
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::cout << "envio-precios " ENVIO_VERSION "\n";
        return 0;
    }
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::cout << kUsage;
        return 0;
    }
    // The five arguments are taken as given, before the toolkit takes options such as "-reverse" for itself.
    envio::StartArguments arguments =
        envio::StartArguments::fromCommandLine(envio::StartArguments::decode(argc, argv));
    try {
        if (arguments.password == "-")
            arguments.password = envio::toAnsi(
                QString::fromLocal8Bit(envio::resolvePassword(arguments.password, std::nullopt).c_str()));
    } catch (const envio::Error& e) {
        std::cerr << "envio-precios: " << e.what() << std::endl;
        return 64;
    }

    // The toolkit sees the program's name alone: every argument is the program's own.
    int toolkitArgc = 1;
    char* toolkitArgv[] = {argv[0], nullptr};
    envio::Application app(toolkitArgc, toolkitArgv);
    // The application title; the windows keep their own captions.
    QApplication::setApplicationName(envio::applicationTitle());

    envio::QtDialogs desktop;
    envio::setDialogs(&desktop);

    int result = 0;
    {
        envio::MainWindow principal(std::move(arguments));
        principal.show();
        result = QApplication::exec();
    }
    envio::setDialogs(nullptr);
    return envio::stop::requested() ? envio::stop::exitCode() : result;
}
