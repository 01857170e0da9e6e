#include "support/TestDatabase.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <arpa/inet.h>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <gtest/gtest.h>
#include <ibase.h>
#include <netinet/in.h>
#include <sstream>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace envio::test {

namespace {

std::string statusText(const ISC_STATUS* status) {
    std::string out;
    const ISC_STATUS* p = status;
    char buf[1024];
    while (fb_interpret(buf, sizeof buf, &p) > 0) {
        if (!out.empty())
            out += "\n";
        out += buf;
    }
    return out;
}

void check(const ISC_STATUS* status, const std::string& what) {
    if (status[0] == 1 && status[1])
        throw std::runtime_error(what + ": " + statusText(status));
}

// The server's administrator password for every test of the process and the programs it starts:
// ISC_PASSWORD when set, else the one the Debian package wrote for SYSDBA (ISC_PASSWORD="...").
[[maybe_unused]] const bool passwordKnown = [] {
    if (std::getenv("ISC_PASSWORD"))
        return true;
    std::ifstream file("/etc/firebird/3.0/SYSDBA.password");
    std::string line;
    while (std::getline(file, line)) {
        const std::string key = "ISC_PASSWORD=";
        if (line.rfind(key, 0) != 0)
            continue;
        std::string value = line.substr(key.size());
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            value = value.substr(1, value.size() - 2);
        ::setenv("ISC_PASSWORD", value.c_str(), 0);
        ::setenv("ISC_USER", "SYSDBA", 0);
        return true;
    }
    return false;
}();

std::string password() {
    const char* p = std::getenv("ISC_PASSWORD");
    return p ? p : "";
}

struct Attachment {
    isc_db_handle db = 0;
    // asyncWrites: switches the database's forced (synchronous) writes off for good; a test database need not
    // survive a crash, and every commit would otherwise wait for the disk.
    explicit Attachment(const std::string& location, bool asyncWrites = false) {
        ISC_STATUS_ARRAY status{};
        std::string dpb{char(isc_dpb_version1)};
        auto add = [&](char item, const std::string& v) {
            dpb += item;
            dpb += static_cast<char>(v.size());
            dpb += v;
        };
        add(isc_dpb_user_name, "SYSDBA");
        if (!password().empty())
            add(isc_dpb_password, password());
        if (asyncWrites)
            add(isc_dpb_force_write, std::string(1, '\0'));
        isc_attach_database(status, 0, location.c_str(), &db, static_cast<short>(dpb.size()), dpb.data());
        check(status, "attach " + location);
    }
    ~Attachment() {
        ISC_STATUS_ARRAY status{};
        if (db)
            isc_detach_database(status, &db);
    }
};

} // namespace

std::string fixturePath(const std::string& name) {
    return std::string(ENVIO_FIXTURE_DIR) + "/" + name;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<std::string> splitScript(const std::string& script) {
    std::vector<std::string> out;
    std::string term = ";";
    std::string current;
    std::size_t i = 0;
    const std::size_t n = script.size();
    auto flush = [&] {
        std::size_t a = current.find_first_not_of(" \t\r\n");
        if (a != std::string::npos) {
            std::size_t b = current.find_last_not_of(" \t\r\n");
            std::string stmt = current.substr(a, b - a + 1);
            std::string upper = stmt;
            for (char& c : upper)
                c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            if (upper.rfind("SET TERM", 0) == 0) {
                std::string rest = stmt.substr(8);
                std::size_t s = rest.find_first_not_of(" \t\r\n");
                std::size_t e = rest.find_last_not_of(" \t\r\n");
                term = rest.substr(s, e - s + 1);
            } else if (upper != "COMMIT" && upper.rfind("SET ", 0) != 0) {
                out.push_back(stmt);
            }
        }
        current.clear();
    };
    while (i < n) {
        if (script.compare(i, 2, "--") == 0) {
            while (i < n && script[i] != '\n')
                ++i;
            continue;
        }
        if (script.compare(i, 2, "/*") == 0) {
            const std::size_t e = script.find("*/", i + 2);
            i = e == std::string::npos ? n : e + 2;
            continue;
        }
        if (script[i] == '\'' || script[i] == '"') {
            const char q = script[i];
            current += script[i++];
            while (i < n) {
                current += script[i];
                if (script[i++] == q) {
                    if (i < n && script[i] == q) {
                        current += script[i++];
                        continue;
                    }
                    break;
                }
            }
            continue;
        }
        // "SET TERM x ;" ends with the old terminator, which may differ from the new one.
        if (script.compare(i, term.size(), term) == 0) {
            flush();
            i += term.size();
            continue;
        }
        current += script[i++];
    }
    flush();
    return out;
}

TestDatabase::TestDatabase(const std::vector<std::string>& fixtures, Route route, const std::string& fileName,
                           const std::string& directory) {
    if (directory.empty()) {
        dir_ = std::make_unique<QTemporaryDir>(QDir::tempPath() + "/envio-test-XXXXXX");
        if (!dir_->isValid())
            throw std::runtime_error("cannot create a temporary directory");
        dirPath_ = dir_->path();
    } else {
        dirPath_ = QString::fromStdString(directory);
    }
    QFile::setPermissions(dirPath_, QFile::permissions(dirPath_) | QFile::ReadOther | QFile::ExeOther |
                                        QFile::WriteOther);
    file_ = (dirPath_ + "/" + QString::fromStdString(fileName)).toStdString();
    // A file name with directories ("datos/002/vertano.fdb") gets them created, open to the server's account.
    for (QString sub = QFileInfo(QString::fromStdString(file_)).absolutePath();
         sub.startsWith(dirPath_ + "/"); sub = QFileInfo(sub).absolutePath()) {
        QDir().mkpath(sub);
        QFile::setPermissions(sub, QFile::permissions(sub) | QFile::ReadOther | QFile::ExeOther |
                                       QFile::WriteOther);
    }
    location_ = route == Route::Server ? "localhost:" + file_ : file_;
    {
        const std::string sql = "CREATE DATABASE '" + location_ + "' USER 'SYSDBA'" +
                                (password().empty() ? std::string() : " PASSWORD '" + password() + "'") +
                                " PAGE_SIZE 8192 DEFAULT CHARACTER SET NONE";
        ISC_STATUS_ARRAY status{};
        isc_db_handle db = 0;
        isc_tr_handle tr = 0;
        isc_dsql_execute_immediate(status, &db, &tr, 0, sql.c_str(), 3, nullptr);
        check(status, "create " + location_);
        isc_detach_database(status, &db);
    }
    { const Attachment writesAsync(location_, true); }
    for (const std::string& f : fixtures)
        runFixture(f);
}

TestDatabase::~TestDatabase() = default;

std::string TestDatabase::directory() const {
    return dirPath_.toStdString();
}

void TestDatabase::runFixture(const std::string& name) const {
    run(readFile(fixturePath(name)));
}

void TestDatabase::run(const std::string& script) const {
    Attachment a(location_);
    for (const std::string& stmt : splitScript(script)) {
        ISC_STATUS_ARRAY status{};
        isc_tr_handle tr = 0;
        isc_start_transaction(status, &tr, 1, &a.db, 0, nullptr);
        check(status, "start");
        isc_dsql_execute_immediate(status, &a.db, &tr, 0, stmt.c_str(), 3, nullptr);
        if (status[0] == 1 && status[1]) {
            const std::string text = statusText(status);
            ISC_STATUS_ARRAY ignored{};
            isc_rollback_transaction(ignored, &tr);
            throw std::runtime_error("statement failed: " + stmt + "\n" + text);
        }
        isc_commit_transaction(status, &tr);
        check(status, "commit");
    }
}

std::vector<std::string> TestDatabase::rows(const std::string& sql) const {
    // Goes through isql-like raw calls: every column cast to text by the server.
    Attachment a(location_);
    ISC_STATUS_ARRAY status{};
    isc_tr_handle tr = 0;
    isc_start_transaction(status, &tr, 1, &a.db, 0, nullptr);
    check(status, "start");
    isc_stmt_handle stmt = 0;
    isc_dsql_allocate_statement(status, &a.db, &stmt);
    XSQLDA* out = static_cast<XSQLDA*>(std::calloc(1, XSQLDA_LENGTH(64)));
    out->version = SQLDA_VERSION1;
    out->sqln = 64;
    isc_dsql_prepare(status, &tr, &stmt, 0, sql.c_str(), 3, out);
    if (status[0] == 1 && status[1]) {
        std::free(out);
        std::string text = statusText(status);
        isc_rollback_transaction(status, &tr);
        throw std::runtime_error("query failed: " + sql + "\n" + text);
    }
    std::vector<std::vector<char>> data(static_cast<std::size_t>(out->sqld));
    std::vector<short> nulls(static_cast<std::size_t>(out->sqld));
    for (int i = 0; i < out->sqld; ++i) {
        XSQLVAR& v = out->sqlvar[i];
        // Ask for every column as text.
        if ((v.sqltype & ~1) != SQL_BLOB) {
            v.sqltype = SQL_VARYING | 1;
            v.sqllen = 8190;
            v.sqlscale = 0;
        }
        data[static_cast<std::size_t>(i)].resize(static_cast<std::size_t>(v.sqllen) + 2);
        v.sqldata = data[static_cast<std::size_t>(i)].data();
        v.sqlind = &nulls[static_cast<std::size_t>(i)];
    }
    isc_dsql_execute(status, &tr, &stmt, 1, nullptr);
    check(status, "execute");
    std::vector<std::string> result;
    while (isc_dsql_fetch(status, &stmt, 1, out) == 0) {
        std::string line;
        for (int i = 0; i < out->sqld; ++i) {
            if (i)
                line += "|";
            const XSQLVAR& v = out->sqlvar[i];
            if (*v.sqlind < 0) {
                line += "<null>";
            } else if ((v.sqltype & ~1) == SQL_BLOB) {
                ISC_QUAD id;
                std::memcpy(&id, v.sqldata, sizeof id);
                isc_blob_handle blob = 0;
                ISC_STATUS_ARRAY st{};
                isc_open_blob2(st, &a.db, &tr, &blob, &id, 0, nullptr);
                char seg[4096];
                unsigned short got = 0;
                std::string content;
                while (true) {
                    ISC_STATUS rc = isc_get_segment(st, &blob, &got, sizeof seg, seg);
                    if (rc != 0 && st[1] != isc_segment)
                        break;
                    content.append(seg, got);
                }
                isc_close_blob(st, &blob);
                line += content;
            } else {
                unsigned short len;
                std::memcpy(&len, v.sqldata, 2);
                line.append(v.sqldata + 2, len);
            }
        }
        result.push_back(line);
    }
    isc_dsql_free_statement(status, &stmt, DSQL_drop);
    std::free(out);
    isc_commit_transaction(status, &tr);
    return result;
}

std::string TestDatabase::scalar(const std::string& sql) const {
    const auto r = rows(sql);
    if (r.empty())
        return "";
    const auto bar = r.front().find('|');
    return bar == std::string::npos ? r.front() : r.front().substr(0, bar);
}

bool serverAvailable() {
    if (password().empty())
        return false;
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0)
        return false;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(3050);
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    ::close(fd);
    return ok;
}

} // namespace envio::test

namespace {

// Stops the embedded engine's threads before the process ends, so that nothing of it runs while the
// leak checker looks at the heap.
class FirebirdShutdown : public ::testing::Environment {
public:
    void TearDown() override { fb_shutdown(0, fb_shutrsn_app_stopped); }
};

[[maybe_unused]] ::testing::Environment* const shutdownEnvironment =
    ::testing::AddGlobalTestEnvironment(new FirebirdShutdown);

} // namespace
