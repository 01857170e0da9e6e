#include "access/Login.h"

#include "access/Scramble.h"
#include "db/SqlLiteral.h"

namespace envio {

Login::Login(Connection& generalDatabase)
    : QusuarioDes("QusuarioDes", generalDatabase), PUsuarioDes("PUsuarioDes", QusuarioDes, true),
      CusuarioDes("CusuarioDes", PUsuarioDes,
                  {FieldDef{"USUA_NOMBRE", FieldType::String, 60, false, "", false}}),
      general_(generalDatabase) {
    QusuarioDes.add("select * from usuario");
}

std::string upperCaseUserName(const std::string& user) {
    std::string out = user;
    for (char& c : out)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return out;
}

void Login::run(const std::string& server, const std::string& user, const std::string& password,
                LoginState& state, const std::function<void(bool)>& status) {
    if (status)
        status(true);
    general_.disconnect();
    general_.setParameter("Database", server + "/" + "datos" + "/" + "general.fdb");
    general_.setParameter("User_Name", user);
    general_.setParameter("password", password);
    general_.connect();
    state.user = upperCaseUserName(user);
    state.scrambledPassword = ScrambleText(password);
    state.server = server;
    CusuarioDes.close();
    // Quotes inside the name are doubled so that no name can break the statement open.
    CusuarioDes.setCommandText("select usua_nombre from usuario where usua_cod = " +
                               sqlTextLiteral(state.user));
    CusuarioDes.open();
    CusuarioDes.close();
    if (status)
        status(false);
}

} // namespace envio
