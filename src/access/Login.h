#pragma once

#include "access/LoginState.h"
#include "db/Connection.h"
#include "db/Provider.h"
#include "db/Query.h"
#include "db/StagedDataset.h"

#include <functional>
#include <string>

namespace envio {

// The login of the access window without its widgets: proves the typed server, user and password by
// connecting the general database, leaves the LoginState, and reads the user's row.
class Login {
public:
    explicit Login(Connection& generalDatabase);

    Query QusuarioDes;
    Provider PUsuarioDes;
    StagedDataset CusuarioDes;

    // Runs the login. `status` is told when to show and hide "Conectando con el servidor Destino".
    // A failure (connect or user query) propagates; the LoginState keeps what the failure left.
    void run(const std::string& server, const std::string& user, const std::string& password,
             LoginState& state, const std::function<void(bool visible)>& status = {});

private:
    Connection& general_;
};

// The user name as the login keeps it: a to z upper-cased, every other byte unchanged.
std::string upperCaseUserName(const std::string& user);

} // namespace envio
