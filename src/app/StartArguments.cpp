#include "app/StartArguments.h"

#include "base/AnsiCodec.h"

namespace envio {

StartArguments StartArguments::fromCommandLine(const QStringList& arguments) {
    auto at = [&](qsizetype position) {
        return position < arguments.size() ? toAnsi(arguments.at(position)) : std::string();
    };
    StartArguments a;
    a.server = at(1);
    a.user = at(2);
    a.password = at(3);
    a.company = at(4);
    a.noRetry = at(5) == "1";
    return a;
}

QStringList StartArguments::decode(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    return arguments;
}

} // namespace envio
