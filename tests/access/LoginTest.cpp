// The login operation against a real general database: the LoginState it leaves, the user query, and what a
// failed attempt leaves behind.

#include "access/Login.h"

#include "access/Scramble.h"
#include "app/FailureTranslation.h"
#include "db/Error.h"
#include "db/ParameterList.h"
#include "support/TestDatabase.h"

#include <cstdlib>
#include <gtest/gtest.h>

using namespace envio;
using namespace envio::test;

namespace {

std::string adminPassword() {
    const char* p = std::getenv("ISC_PASSWORD");
    return p ? p : "";
}

// The general database of an installation: <server string>/datos/general.fdb.
class LoginTest : public testing::Test {
protected:
    void build(TestDatabase::Route route = TestDatabase::Route::Embedded,
               const std::vector<std::string>& fixtures = {"general.sql"}) {
        general_ = std::make_unique<TestDatabase>(fixtures, route, "datos/general.fdb");
        // As in the suite's installations, every user may read the user table.
        if (!fixtures.empty())
            general_->run("GRANT SELECT ON USUARIO TO PUBLIC");
        server_ = (route == TestDatabase::Route::Server ? "localhost:" : "") + general_->directory();
    }

    // Runs the login and records the status panel.
    void login(const std::string& user, const std::string& password, const std::string& server) {
        login_.run(server, user, password, state_, [this](bool visible) { panel_.push_back(visible); });
    }
    void login(const std::string& user, const std::string& password) { login(user, password, server_); }

    std::unique_ptr<TestDatabase> general_;
    std::string server_;
    Connection general{"DbGeneraldes", storedGeneralParameters(), Connection::ErrorStyle::General};
    Login login_{general};
    LoginState state_;
    std::vector<bool> panel_;
};

TEST(UserName, OnlyLettersAToZChangeCase) {
    // "josé ñandú-2" in the code page.
    EXPECT_EQ(upperCaseUserName("jos\xE9 \xF1"
                                "and\xFA-2"),
              "JOS\xE9 \xF1"
              "AND\xFA-2");
    EXPECT_EQ(upperCaseUserName("\xC1"
                                "ngel"),
              "\xC1"
              "NGEL");
    EXPECT_EQ(upperCaseUserName(""), "");
}

TEST_F(LoginTest, UserNameIsKeptUpperCasedAndThePasswordScrambled) {
    build();
    const std::string typed = "demo_user";

    login(typed, adminPassword());

    EXPECT_EQ(state_.user, "DEMO_USER");
    EXPECT_EQ(state_.server, server_);
    EXPECT_EQ(state_.scrambledPassword.size(), adminPassword().size());
    EXPECT_EQ(UnscrambleText(state_.scrambledPassword), adminPassword());
    if (!adminPassword().empty()) {
        EXPECT_NE(state_.scrambledPassword, adminPassword());
    }
    EXPECT_TRUE(general.isOpen()) << "the general database stays connected";
    EXPECT_EQ(general.parameters().value("User_Name"), typed)
        << "the database is opened with the name as typed";
    EXPECT_EQ(general.parameters().value("Database"), server_ + "/datos/general.fdb");
    EXPECT_EQ(login_.CusuarioDes.commandText(),
              "select usua_nombre from usuario where usua_cod = 'DEMO_USER'");
    EXPECT_FALSE(login_.CusuarioDes.isOpen());
    EXPECT_EQ(panel_, (std::vector<bool>{true, false}));
}

TEST_F(LoginTest, QuoteInTheUserNameIsDoubledInTheUserQuery) {
    build();
    general_->run("INSERT INTO USUARIO (USUA_COD, USUA_NOMBRE) VALUES ('O''BRIEN', 'Pat O''Brien')");

    EXPECT_NO_THROW(login("o'brien", adminPassword()));

    EXPECT_EQ(state_.user, "O'BRIEN");
    EXPECT_EQ(login_.CusuarioDes.commandText(),
              "select usua_nombre from usuario where usua_cod = 'O''BRIEN'");
    EXPECT_EQ(panel_, (std::vector<bool>{true, false}));
}

TEST_F(LoginTest, FailedConnectLeavesTheLoginStateAsItWas) {
    build();
    const LoginState before{"antes", "ANTES", ScrambleText("clave")};
    state_ = before;

    EXPECT_THROW(login("sysdba", adminPassword(), server_ + "/no-existe"), Error);

    EXPECT_EQ(state_.server, before.server);
    EXPECT_EQ(state_.user, before.user);
    EXPECT_EQ(state_.scrambledPassword, before.scrambledPassword);
    EXPECT_FALSE(general.isOpen());
    EXPECT_EQ(panel_, std::vector<bool>{true}) << "the status panel stays shown";

    // A second attempt starts clean and replaces location and parameters.
    login("sysdba", adminPassword());
    EXPECT_EQ(state_.server, server_);
    EXPECT_EQ(general.parameters().value("Database"), server_ + "/datos/general.fdb");
}

TEST_F(LoginTest, FailedUserQueryComesAfterTheLoginStateIsStored) {
    build(TestDatabase::Route::Embedded, {}); // a general database without its tables

    EXPECT_THROW(login("demo", adminPassword()), Error);

    EXPECT_EQ(state_.user, "DEMO");
    EXPECT_EQ(state_.server, server_);
    EXPECT_EQ(panel_, std::vector<bool>{true});
}

TEST_F(LoginTest, ServerRejectsAWrongPasswordWithItsOwnText) {
    if (!serverAvailable())
        GTEST_SKIP() << "no Firebird server on 127.0.0.1:3050 (run scripts/start-firebird)";
    build(TestDatabase::Route::Server);

    std::string message;
    try {
        login("sysdba", adminPassword() + "-mal");
    } catch (const Error& e) {
        message = e.what();
    }
    EXPECT_NE(message.find("Your user name and password are not defined"), std::string::npos) << message;
    EXPECT_EQ(message.rfind("SQL Server Error", 0), std::string::npos)
        << "the general database words it alone";
    EXPECT_EQ(translateFailure(message), QStringLiteral("El nombre de Usuario o la clave son incorrectas."));
    EXPECT_TRUE(state_.user.empty());

    login("sysdba", adminPassword());
    EXPECT_EQ(state_.user, "SYSDBA");
    EXPECT_EQ(state_.server, server_);
}

} // namespace
