#include "DbTestUtil.h"
#include "db/Error.h"
#include "db/Query.h"

#include <algorithm>

using namespace envio;
using namespace envio::test;

TEST(ParameterList, NamesMatchInAnyCaseAndReplaceInPlace) {
    ParameterList p = storedOriginParameters();
    const auto before = p.entries();
    p.set("password", "secret");
    ASSERT_EQ(p.entries().size(), before.size());
    const auto pos =
        std::find(p.entries().begin(), p.entries().end(), "password=secret") - p.entries().begin();
    EXPECT_EQ(pos, 5) << "the Password entry keeps its place, renamed as now given";
    EXPECT_EQ(p.value("PASSWORD"), "secret");

    p.set("password", "");
    EXPECT_EQ(p.entries().size(), before.size() - 1);
    EXPECT_FALSE(p.get("Password").has_value());

    p.set("Database", "x.fdb");
    EXPECT_EQ(p.entries()[2], "Database=x.fdb");
    p.set("NewEntry", "1");
    EXPECT_EQ(p.entries().back(), "NewEntry=1");
}

TEST(ParameterList, StoredListsCarryTheFixedConfiguration) {
    const ParameterList envio = storedOriginParameters();
    const ParameterList cia = storedDestinationParameters();
    EXPECT_EQ(envio.entries().front(), "BlobSize=-1");
    EXPECT_EQ(envio.value("Database"), "C:\\vertano2021\\sop\\vertano.fdb");
    EXPECT_EQ(cia.value("Database"), "c:\\vertano2021\\sop\\vertano.fdb");
    EXPECT_EQ(envio.value("SQLDialect"), "3");
    EXPECT_EQ(cia.value("SQLDialect"), "1");
    EXPECT_EQ(envio.value("RoleName"), "RoleName");
    EXPECT_EQ(envio.entries().back(), "Trim Char=False");
    EXPECT_EQ(envio.value("Password"), std::getenv("ISC_PASSWORD") ? std::getenv("ISC_PASSWORD") : "");
    const ParameterList general = storedGeneralParameters();
    EXPECT_EQ(general.entries().front(), "user_name=SYSDBA");
}

TEST(Connection, ConnectsImplicitlyWhenAQueryOpens) {
    TestDatabase db({"types.sql"});
    auto conn = companyConnection(db);
    Query q("Qcopiades", *conn);
    q.add("select count(*) from ALLTYPES");
    EXPECT_FALSE(conn->isOpen());
    q.open();
    EXPECT_TRUE(conn->isOpen());
    EXPECT_EQ(q.field(0).AsInteger(), 0);
    conn->disconnect();
    EXPECT_FALSE(q.isOpen()) << "disconnecting closes the connection's queries";
    EXPECT_FALSE(conn->isOpen());
}

TEST(Connection, FailedConnectKeepsParametersAndStaysClosed) {
    TestDatabase db;
    Connection conn("DBCia", storedDestinationParameters());
    conn.setParameter("Database", db.directory() + "/missing.fdb");
    const auto before = conn.parameters().entries();
    try {
        conn.connect();
        FAIL() << "connect to a missing file succeeded";
    } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()).rfind("SQL Server Error: ", 0), 0u) << e.what();
        EXPECT_NE(std::string(e.what()).find("missing.fdb"), std::string::npos) << e.what();
    }
    EXPECT_FALSE(conn.isOpen());
    EXPECT_EQ(conn.parameters().entries(), before);
    conn.setParameter("Database", "  " + db.location() + "  ");
    conn.connect();
    EXPECT_TRUE(conn.isOpen()) << "the location is trimmed";
}

TEST(Connection, StatementsOutsideATransactionAreCommittedAtOnce) {
    TestDatabase db({"types.sql"});
    auto writer = companyConnection(db);
    auto reader = companyConnection(db, 1, "DBCia");
    EXPECT_EQ(writer->execute("insert into ALLTYPES (ID, C_REQUIRED) values (1, 'a')"), 1);
    Query q("Q", *reader);
    q.add("select count(*) from ALLTYPES");
    q.open();
    EXPECT_EQ(q.field(0).AsInteger(), 1) << "another connection sees the row at once";
    q.close();

    writer->startTransaction();
    EXPECT_TRUE(writer->inTransaction());
    writer->execute("insert into ALLTYPES (ID, C_REQUIRED) values (2, 'b')");
    q.open();
    EXPECT_EQ(q.field(0).AsInteger(), 1) << "uncommitted rows stay invisible";
    q.close();
    writer->rollback();
    EXPECT_FALSE(writer->inTransaction());
    q.open();
    EXPECT_EQ(q.field(0).AsInteger(), 1);
    q.close();

    writer->startTransaction();
    writer->execute("update ALLTYPES set C_INTEGER = 5 where ID = ?", {Value::integer(1)});
    writer->commit();
    EXPECT_EQ(db.scalar("select C_INTEGER from ALLTYPES where ID = 1"), "5");
}

TEST(Connection, ReadsLeaveNoTransactionBehind) {
    TestDatabase db({"types.sql"});
    auto conn = companyConnection(db);
    conn->execute("insert into ALLTYPES (ID, C_REQUIRED) values (1, 'a')");
    const std::string others =
        "select count(*) from mon$transactions t where t.mon$attachment_id <> current_connection "
        "and t.mon$attachment_id in (select mon$attachment_id from mon$attachments where "
        "mon$system_flag = 0)";
    const std::string before = db.scalar(others);
    {
        Query q("Q", *conn);
        q.add("select * from ALLTYPES");
        q.open();
        EXPECT_NE(db.scalar(others), before) << "an open cursor holds its transaction";
        q.close();
    }
    EXPECT_EQ(db.scalar(others), before) << "closing the cursor ends its transaction";
}

class ServerConnection : public ::testing::Test {
protected:
    void SetUp() override {
        if (!serverAvailable())
            GTEST_SKIP() << "no Firebird server on 127.0.0.1:3050 (run scripts/start-firebird)";
    }
};

TEST_F(ServerConnection, WrongPasswordGivesTheServersText) {
    TestDatabase db({}, TestDatabase::Route::Server);
    Connection conn("DBEnvio", storedOriginParameters());
    conn.setParameter("Database", db.location());
    conn.setParameter("User_Name", "SYSDBA");
    conn.setParameter("password", "definitely-wrong");
    try {
        conn.connect();
        FAIL();
    } catch (const Error& e) {
        EXPECT_NE(std::string(e.what()).find("Your user name and password are not defined"),
                  std::string::npos)
            << e.what();
    }
    EXPECT_FALSE(conn.isOpen());
}

TEST_F(ServerConnection, MissingFileAndUnreachableHost) {
    TestDatabase db({}, TestDatabase::Route::Server);
    Connection general("DbGeneraldes", storedGeneralParameters(), Connection::ErrorStyle::General);
    general.setParameter("Database", "localhost:" + db.directory() + "/datos/general.fdb");
    try {
        general.connect();
        FAIL();
    } catch (const Error& e) {
        const std::string text = e.what();
        EXPECT_NE(text.find("I/O error"), std::string::npos) << text;
        EXPECT_NE(text.find(db.directory() + "/datos/general.fdb\""), std::string::npos) << text;
        EXPECT_EQ(text.rfind("SQL Server Error", 0), std::string::npos) << "general database: no prefix";
        EXPECT_NE(text.back(), '.') << "the final period is removed";
        EXPECT_NE(text.find("\r\n"), std::string::npos) << "lines joined with CR LF";
    }
    Connection cia("DBCia", storedDestinationParameters());
    cia.setParameter("Database", "127.0.0.1/3059:" + db.filePath());
    try {
        cia.connect();
        FAIL();
    } catch (const Error& e) {
        EXPECT_NE(std::string(e.what()).find("Unable to complete network request to host \"127.0.0.1\""),
                  std::string::npos)
            << e.what();
    }
}

TEST_F(ServerConnection, EmptyPasswordRemovesTheEntry) {
    TestDatabase db({}, TestDatabase::Route::Server);
    Connection conn("DBEnvio", storedOriginParameters());
    conn.setParameter("Database", db.location());
    conn.setParameter("password", "");
    EXPECT_FALSE(conn.parameters().get("Password").has_value());
    // Without a password of its own the client library falls back to ISC_PASSWORD, Firebird's convention.
    conn.connect();
    EXPECT_TRUE(conn.isOpen());
}

TEST(Connection, CodePageUserNamesReachTheLibraryIntact) {
    // The program holds a user name with "Ñ" as Windows-1252 bytes; the client library takes it as UTF-8
    // whatever the locale of the process.
    TestDatabase db({"types.sql"});
    Connection conn("DBEnvio", storedOriginParameters());
    conn.setParameter("Database", db.location());
    conn.setParameter("User_Name", "PE\xd1"
                                   "A");
    conn.connect();
    EXPECT_TRUE(conn.isOpen());
    Query q("Q", conn);
    q.add("select current_user from rdb$database");
    q.open();
    EXPECT_EQ(q.field(0).AsString().substr(0, 6), "PE\xc3\x91"
                                                  "A")
        << "the engine keeps the name in UTF-8";
}
