#include "ui/UnattendedStart.h"

#include "db/AnsiCodec.h"
#include "ui/LoginWindow.h"
#include "ui/MainWindow.h"

namespace envio {

StartArguments StartArguments::fromCommandLine(const QStringList& arguments) {
    StartArguments a;
    auto at = [&](qsizetype position) {
        return position < arguments.size() ? arguments.at(position) : QString();
    };
    a.server = at(1);
    a.user = at(2);
    a.password = at(3);
    a.company = at(4);
    a.noRetry = at(5);
    return a;
}

void runUnattendedStart(MainWindow& principal, LoginWindow& login, const StartArguments& arguments) {
    login.fillIn(arguments.server, arguments.user, arguments.password);
    login.logIn();

    principal.showServer(fromAnsi(principal.principal().loginState.server));
    principal.setCompanyKey(toAnsi(arguments.company));
    if (arguments.noRetryErrors())
        principal.setNoRetryErrors(true);
    principal.connectOrigin();
    principal.sendNow();
}

} // namespace envio
