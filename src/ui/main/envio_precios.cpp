#include "app/Dialogs.h"
#include "ui/Application.h"
#include "ui/QtDialogs.h"
#include "ui/Tfprincipalpr.h"
#include "app/StartArguments.h"

int main(int argc, char** argv) {
    envio::Application app(argc, argv);
    // The application title; the windows keep their own captions.
    QApplication::setApplicationName(envio::applicationTitle());

    envio::QtDialogs desktop;
    envio::setDialogs(&desktop);

    int result = 0;
    {
        envio::Tfprincipalpr principal(envio::StartArguments::fromCommandLine(QCoreApplication::arguments()));
        principal.show();
        result = QApplication::exec();
    }
    envio::setDialogs(nullptr);
    return result;
}
