#pragma once

#include <QString>
#include <string>
#include <vector>

namespace envio {

// The server strings of a server list file, in file order, as code-page bytes: one entry per line ended by
// CR LF, LF or CR (a CR swallows the byte after it, whatever it is); duplicates and empty entries are kept
// and a last line without a line end is dropped. An unreadable or absent file gives an empty list; reading
// never fails.
std::vector<std::string> readServerList(const QString& path);

// The server list "SERVIDORES.cfg" of the installation directory.
std::vector<std::string> loadServerList();

} // namespace envio
