#pragma once

#include <QStringList>
#include <string>

namespace envio {

// The five positional arguments of the command line: server string, user name, password, origin company code
// and the no-retry switch, as code-page bytes. The program's own path comes first and is not used; arguments
// after the fifth are ignored. A company code means nobody is there to log in: the start is unattended.
struct StartArguments {
    std::string server;
    std::string user;
    std::string password;
    std::string company;
    bool noRetry = false; // only "1" ticks "No reintentar errores"

    // The arguments as the process received them, program path first, decoded from the system's encoding.
    static StartArguments fromCommandLine(const QStringList& arguments);
    // Decodes the raw command line without the toolkit, which would take options such as "-reverse" for
    // itself.
    static QStringList decode(int argc, char** argv);

    bool unattended() const { return !company.empty(); }
};

} // namespace envio
