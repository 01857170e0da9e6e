#include "unattended/UnattendedRun.h"

#include <QCoreApplication>

#include <iostream>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Envio precios"));
    std::vector<std::string> args(argv + 1, argv + argc);
    return envio::runUnattended(args, std::cout);
}
