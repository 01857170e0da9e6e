#include "ui/UnattendedStart.h"

#include "base/AnsiCodec.h"
#include "ui/Tfaccesopr.h"
#include "ui/Tfprincipalpr.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

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

void runUnattendedStart(Tfprincipalpr& principal, Tfaccesopr& login, const StartArguments& arguments) {
    login.ServidorDes->setEditText(arguments.server);
    login.TUsuades->setText(arguments.user);
    login.TClavedes->setText(arguments.password);
    login.SpeedButton1Click();

    principal.setSerDes1(fromAnsi(principal.principal().loginState.server));
    principal.setCompanyKey(toAnsi(arguments.company));
    if (arguments.noRetryErrors())
        principal.CkError->setChecked(true);
    principal.AdvGlowButton2Click();
    principal.SpeedButton1Click();
}

} // namespace envio
