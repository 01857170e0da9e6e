#include "unattended/UnattendedSequence.h"

namespace envio {

RunOutcome runUnattendedSequence(UnattendedSteps& steps, const StartArguments& arguments) {
    steps.logIn(arguments.server, arguments.user, arguments.password);
    steps.showServer();
    steps.chooseCompany(arguments.company);
    if (arguments.noRetry)
        steps.tickNoRetry();
    steps.connectOrigin();
    return steps.send();
}

} // namespace envio
