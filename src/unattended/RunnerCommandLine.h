#pragma once

#include <optional>
#include <string>
#include <vector>

namespace envio {

// The runner's command line: its options, then the five positional arguments as the operator's program takes
// them. Only the known options below are options; anything else is a positional argument, so that a password
// that begins with a dash still goes through ("--" ends the options).
struct RunnerCommandLine {
    bool help = false;
    bool version = false;
    std::optional<std::string> passwordFile; // --password-file FILE
    std::optional<std::string> summaryJson;  // --summary-json FILE
    int lanes = 0;                           // --parallel N; 0 when not given
    std::vector<std::string> positional;
    std::string error; // a usage error, empty when the line was understood

    static RunnerCommandLine parse(int argc, char** argv);
};

// What --help prints: the synopsis, the arguments, the options and every exit code.
std::string runnerUsage();

} // namespace envio
