#pragma once

#include <QTemporaryDir>
#include <memory>
#include <string>
#include <vector>

namespace envio::test {

// A fresh Firebird database in its own temporary directory, built from SQL fixtures.
// Embedded databases are plain file paths; server databases are reached as "localhost:<path>".
class TestDatabase {
public:
    enum class Route { Embedded, Server };

    // fixtures: file names under tests/fixtures, run in order after the database is created.
    // fileName may name subdirectories of the temporary directory ("datos/002/vertano.fdb"); they are
    // created. directory: build it there instead of in a temporary directory of its own (several databases of
    // one installation); the caller keeps the directory alive.
    explicit TestDatabase(const std::vector<std::string>& fixtures = {}, Route route = Route::Embedded,
                          const std::string& fileName = "test.fdb", const std::string& directory = {});
    ~TestDatabase();
    TestDatabase(const TestDatabase&) = delete;
    TestDatabase& operator=(const TestDatabase&) = delete;

    // The location to give a connection's "Database" parameter.
    const std::string& location() const { return location_; }
    const std::string& filePath() const { return file_; }
    std::string directory() const;

    // Runs SQL statements (";"-separated, SET TERM understood), committing each one.
    void run(const std::string& script) const;
    void runFixture(const std::string& name) const;

    // The first column of the first row of a query, as text ("<null>" for NULL, "" for no row).
    std::string scalar(const std::string& sql) const;
    // Every row of a query, columns joined with "|", NULL as "<null>".
    std::vector<std::string> rows(const std::string& sql) const;

private:
    std::unique_ptr<QTemporaryDir> dir_;
    QString dirPath_;
    std::string file_;
    std::string location_;
};

// Splits a script into statements; exposed for the tests of the loader itself.
std::vector<std::string> splitScript(const std::string& script);

std::string fixturePath(const std::string& name);
std::string readFile(const std::string& path);

// True when the server answers on 127.0.0.1:3050 and the SYSDBA password is known.
bool serverAvailable();

} // namespace envio::test
