#pragma once

#include <string>

namespace envio {

// The server string, upper-cased user name and scrambled password left by a successful login; the main
// window later opens the origin company database with them.
struct LoginState {
    std::string server;
    std::string user;
    std::string scrambledPassword;
};

} // namespace envio
