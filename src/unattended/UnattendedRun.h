#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace envio {

// Exit codes of the headless runner.
enum RunExit : int {
    ExitCompleted = 0,
    ExitFailed = 1,  // a failure abandoned the run, or a step before it failed
    ExitRefused = 2, // no origin company shown (e.g. a code that is not in COMPANIA)
    ExitUsage = 64,
};

// The unattended sequence done once, for servers without a display: log in with the server string, user and
// password, load the company list, choose the origin company, connect, and perform one send run.
// args are the five positional arguments of the program's command line (the program path excluded), in the
// system's encoding. Progress captions and per-destination summaries go to `out`; every text the program
// would show in a box goes to standard error at once.
struct RunOptions {
    std::optional<std::string> passwordFile; // where a password argument "-" is read from
    std::optional<std::string> summaryJson;  // where the machine-readable summary goes
    int lanes = 0;                           // destinations served at once; 0 takes the settings file's
};
int runUnattended(const std::vector<std::string>& args, std::ostream& out, const RunOptions& options = {});

} // namespace envio
