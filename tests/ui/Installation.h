#pragma once

#include "support/InstallDirectorySettings.h"
#include "support/TestDatabase.h"

#include <QByteArray>
#include <QTemporaryDir>
#include <map>
#include <memory>
#include <optional>
#include <string>

namespace envio::test {

// A Vertano installation in a temporary directory: the general database, company databases under
// datos/<code>/vertano.fdb, the server list naming the directory, and the settings file that points at the
// directory. While it lives XDG_CONFIG_DIRS names its settings.
class Installation {
public:
    explicit Installation(TestDatabase::Route route = TestDatabase::Route::Embedded);
    ~Installation();
    Installation(const Installation&) = delete;
    Installation& operator=(const Installation&) = delete;

    // The installation directory.
    std::string directory() const;
    // The server string that reaches it: the directory itself, or "localhost:" and the directory.
    std::string server() const;

    TestDatabase& general() { return *general_; }
    // A company database, created with the company schema on first use.
    TestDatabase& company(const std::string& code);

    // A row of the general database's company list.
    void listCompany(const std::string& code, const std::string& name);
    // The destination credentials of an origin company.
    void setReplicationCredentials(const std::string& origin);
    // A row of an origin's destination list, on this installation's server.
    void addDestination(const std::string& origin, int id, const std::string& name, const std::string& code);
    // A pending event of an origin for a destination; returns its RPEV_ID.
    int addEvent(const std::string& origin, const std::string& destination, int type,
                 const std::string& letter, const std::string& code, std::optional<int> document,
                 const std::string& error = {});

    // Lines of a journal of the installation directory ("TARNELO.TXT", "errortarnelo.txt").
    std::vector<std::string> journal(const std::string& name) const;

private:
    TestDatabase::Route route_;
    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<TestDatabase> general_;
    std::map<std::string, std::unique_ptr<TestDatabase>> companies_;
    InstallDirectorySettings settings_;
    int events_ = 0;
};

} // namespace envio::test
