#pragma once

#include "app/StartArguments.h"
#include "replication/SendRun.h"

#include <string>

namespace envio {

// The operations the unattended start performs, as the operator's program and the headless runner each
// provide them.
class UnattendedSteps {
public:
    virtual ~UnattendedSteps() = default;

    // The login with the given server string, user name and password; leaves the login state.
    virtual void logIn(const std::string& server, const std::string& user, const std::string& password) = 0;
    // Shows the login's server string, which loads the company list.
    virtual void showServer() = 0;
    // Sets the origin company selector's key, whether or not the list holds that code.
    virtual void chooseCompany(const std::string& code) = 0;
    // Ticks "No reintentar errores".
    virtual void tickNoRetry() = 0;
    // "Conectar".
    virtual void connectOrigin() = 0;
    // "Enviar": one send run.
    virtual RunOutcome send() = 0;
};

// The unattended start: logs in with the arguments, loads the company list, picks the origin company, ticks
// "No reintentar errores" when asked, connects and performs the first send run. A failure in any step
// abandons the steps after it and is raised to the caller.
RunOutcome runUnattendedSequence(UnattendedSteps& steps, const StartArguments& arguments);

} // namespace envio
