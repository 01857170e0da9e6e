#pragma once

#include <optional>
#include <string>

namespace envio {

// The password given as "-" on the command line is read from a file, so that it never shows in the process
// list or the shell history: the file named by the option, else by ENVIO_PASSWORD_FILE. The file must be a
// regular file that neither the group nor others may read; its first line, without its line end, is the
// password. Every refusal raises an Error with a Spanish text that names the file, never its contents.
std::string readPasswordFile(const std::string& path);

// The password to use for a given password argument: the argument itself, or the file's when it is "-".
std::string resolvePassword(const std::string& argument, const std::optional<std::string>& passwordFile);

} // namespace envio
