// A connection whose server goes away under it: the failure names the network, so the operator is told the
// server cannot be reached; the connection re-attaches at its next use once the server is back, but never
// in the middle of a transaction of the attachment that was lost.

#include "app/FailureTranslation.h"
#include "db/Connection.h"
#include "db/Error.h"
#include "db/ParameterList.h"
#include "db/Query.h"
#include "faults/TcpProxy.h"
#include "support/TestDatabase.h"

#include <gtest/gtest.h>

using namespace envio;
using namespace envio::test;

namespace {

class ConnectionLostTest : public testing::Test {
protected:
    void SetUp() override {
        if (!serverAvailable())
            GTEST_SKIP()
                << "the database server does not answer on 127.0.0.1:3050 (or ISC_PASSWORD is unset)";
        db_ = std::make_unique<TestDatabase>(std::vector<std::string>{}, TestDatabase::Route::Server);
        db_->run("CREATE TABLE T (N INTEGER);INSERT INTO T VALUES (1);INSERT INTO T VALUES (2)");
        connection_ = std::make_unique<Connection>("DBCia", storedDestinationParameters());
        connection_->setParameter("Database", proxy_.through(db_->filePath()));
        connection_->setParameter("User_Name", "SYSDBA");
    }
    void TearDown() override {
        if (connection_)
            connection_->disconnect();
    }

    static std::string failureOf(const char* what, const std::function<void()>& action) {
        try {
            action();
        } catch (const Error& e) {
            return e.what();
        }
        ADD_FAILURE() << what << ": no failure";
        return {};
    }

    TcpProxy proxy_;
    std::unique_ptr<TestDatabase> db_;
    std::unique_ptr<Connection> connection_;
};

TEST_F(ConnectionLostTest, ReadsFailWithTheNetworkAndResumeOnceTheServerIsBack) {
    Query q("Qcopiades", *connection_);
    q.add("select n from t order by n");
    q.open();
    ASSERT_EQ(q.field(0).AsInteger(), 1);
    q.close();

    proxy_.cut();
    const std::string lost = failureOf("open", [&] { q.open(); });
    EXPECT_EQ(lost.rfind("SQL Server Error: Unable to complete network request to host \"127.0.0.1\".", 0),
              0u)
        << lost;
    EXPECT_EQ(translateFailure(lost),
              QStringLiteral("No se encontró el equipo servidor con nombre 127.0.0.1"));
    EXPECT_FALSE(q.isOpen());
    EXPECT_TRUE(connection_->isOpen()) << "still connected as far as its callers know";

    // While the server is away every use fails with the network.
    const std::string away = failureOf("open again", [&] { q.open(); });
    EXPECT_EQ(translateFailure(away),
              QStringLiteral("No se encontró el equipo servidor con nombre 127.0.0.1"))
        << away;
    EXPECT_FALSE(q.isOpen());

    proxy_.restore();
    q.open();
    EXPECT_EQ(q.field(0).AsInteger(), 1);
    q.next();
    EXPECT_EQ(q.field(0).AsInteger(), 2);
    q.close();
    EXPECT_EQ(connection_->execute("update t set n = n + 10"), 2);
}

TEST_F(ConnectionLostTest, TransactionOfTheLostAttachmentMustEndFirst) {
    connection_->startTransaction();
    EXPECT_EQ(connection_->execute("insert into t values (3)"), 1);
    proxy_.cut();
    const std::string lost = failureOf("insert 4", [&] { connection_->execute("insert into t values (4)"); });
    EXPECT_TRUE(translateFailure(lost).startsWith(QStringLiteral("No se encontró el equipo servidor")))
        << lost;

    proxy_.restore();
    // Still inside the transaction that died with the attachment: no statement runs outside it.
    failureOf("insert 5", [&] { connection_->execute("insert into t values (5)"); });
    EXPECT_TRUE(connection_->inTransaction());
    try {
        connection_->rollback(); // the library may or may not still report the lost attachment here
    } catch (const Error&) {
    }
    EXPECT_FALSE(connection_->inTransaction());

    EXPECT_EQ(connection_->execute("insert into t values (6)"), 1);
    EXPECT_EQ(db_->rows("select n from t order by n"), (std::vector<std::string>{"1", "2", "6"}))
        << "the lost transaction left nothing behind";
}

} // namespace
