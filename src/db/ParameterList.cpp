#include "db/ParameterList.h"

#include <algorithm>
#include <cstdlib>

namespace envio {

bool equalsIgnoreCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
               auto lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; };
               return lower(x) == lower(y);
           });
}

std::string toLowerAscii(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c + 32);
    return out;
}

std::string toUpperAscii(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 32);
    return out;
}

std::vector<std::string>::iterator ParameterList::find(std::string_view name) {
    return std::find_if(entries_.begin(), entries_.end(), [&](const std::string& e) {
        const auto eq = e.find('=');
        return equalsIgnoreCase(std::string_view(e).substr(0, eq), name);
    });
}

void ParameterList::set(std::string_view name, std::string_view value) {
    auto it = find(name);
    if (value.empty()) {
        if (it != entries_.end())
            entries_.erase(it);
        return;
    }
    std::string entry = std::string(name) + "=" + std::string(value);
    if (it != entries_.end())
        *it = std::move(entry);
    else
        entries_.push_back(std::move(entry));
}

std::optional<std::string> ParameterList::get(std::string_view name) const {
    for (const std::string& e : entries_) {
        const auto eq = e.find('=');
        if (equalsIgnoreCase(std::string_view(e).substr(0, eq), name))
            return eq == std::string::npos ? std::string() : e.substr(eq + 1);
    }
    return std::nullopt;
}

namespace {

std::string defaultPassword() {
    const char* p = std::getenv("ISC_PASSWORD");
    return p ? p : "";
}

ParameterList companyList(const char* database, const char* dialect) {
    std::vector<std::string> entries{"BlobSize=-1",
                                     "CommitRetain=False",
                                     std::string("Database=") + database,
                                     "ErrorResourceFile=",
                                     "LocaleCode=0000",
                                     "Password=" + defaultPassword(),
                                     "RoleName=RoleName",
                                     "ServerCharSet=",
                                     std::string("SQLDialect=") + dialect,
                                     "Interbase TransIsolation=ReadCommited",
                                     "User_Name=sysdba",
                                     "WaitOnLocks=True",
                                     "Trim Char=False"};
    return ParameterList(std::move(entries));
}

} // namespace

ParameterList storedOriginParameters() {
    return companyList("C:\\vertano2021\\sop\\vertano.fdb", "3");
}

ParameterList storedDestinationParameters() {
    return companyList("c:\\vertano2021\\sop\\vertano.fdb", "1");
}

ParameterList storedGeneralParameters() {
    return ParameterList({"user_name=SYSDBA", "password=" + defaultPassword()});
}

} // namespace envio
