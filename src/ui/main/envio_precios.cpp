#include "app/Dialogs.h"
#include "ui/Application.h"
#include "ui/MainWindow.h"
#include "ui/QtDialogs.h"
#include "ui/UnattendedStart.h"

int main(int argc, char** argv) {
    envio::Application app(argc, argv);
    // The application title; the windows keep their own captions.
    QApplication::setApplicationName(envio::applicationTitle());

    envio::QtDialogs desktop;
    envio::setDialogs(&desktop);

    int result = 0;
    {
        envio::MainWindow principal(envio::StartArguments::fromCommandLine(QCoreApplication::arguments()));
        principal.show();
        result = QApplication::exec();
    }
    envio::setDialogs(nullptr);
    return result;
}
