#include "app/StopRequest.h"
#include "unattended/RunnerCommandLine.h"
#include "unattended/UnattendedRun.h"

#include <QCoreApplication>
#include <iostream>

int main(int argc, char** argv) {
    envio::stop::installHandlers();
    const envio::RunnerCommandLine line = envio::RunnerCommandLine::parse(argc, argv);
    if (line.help) {
        std::cout << envio::runnerUsage();
        return envio::ExitCompleted;
    }
    if (line.version) {
        std::cout << "envio-precios-run " ENVIO_VERSION "\n";
        return envio::ExitCompleted;
    }
    if (!line.error.empty()) {
        std::cerr << "envio-precios-run: " << line.error << "\n" << envio::runnerUsage();
        return envio::ExitUsage;
    }
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Envio precios"));
    envio::RunOptions options;
    options.passwordFile = line.passwordFile;
    options.lanes = line.lanes;
    options.summaryJson = line.summaryJson;
    return envio::runUnattended(line.positional, std::cout, options);
}
