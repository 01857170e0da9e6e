#pragma once

#include <QString>
#include <QStringList>

namespace envio {

class LoginWindow;
class MainWindow;

// The five command-line arguments: server string, user name, password, origin company code and the no-retry
// switch. The program's own path comes first and is not used; arguments after the fifth are ignored.
struct StartArguments {
    QString server;
    QString user;
    QString password;
    QString company;
    QString noRetry;

    static StartArguments fromCommandLine(const QStringList& arguments);

    // A company code on the command line means nobody is there to log in.
    bool unattended() const { return !company.isEmpty(); }
    // Only "1" ticks "No reintentar errores".
    bool noRetryErrors() const { return noRetry == QLatin1String("1"); }
};

// The unattended start: logs in with the arguments without showing the login window, loads the company list,
// picks the origin company, connects and runs the first send. A failure in any step abandons the steps after
// it and is raised to the caller.
void runUnattendedStart(MainWindow& principal, LoginWindow& login, const StartArguments& arguments);

} // namespace envio
