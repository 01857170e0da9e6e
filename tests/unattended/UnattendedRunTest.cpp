// The headless runner over a small installation: general database, origin company 001 and destination 002
// under one server string, the installation directory found through a settings file.

#include "unattended/UnattendedRun.h"

#include "replication/ReplicationFixture.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <sstream>

using namespace envio;
using namespace envio::test;

namespace {

class UnattendedRunTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(root_.isValid());
        install_.storeDirectory(root_.path());
        regional::setOverride(
            regional::Formats{QStringLiteral("dd/MM/yyyy"), QStringLiteral("HH:mm:ss"), QChar(',')});
        const std::string root = server();
        general_ = std::make_unique<TestDatabase>(std::vector<std::string>{"general.sql"},
                                                  TestDatabase::Route::Embedded, "datos/general.fdb", root);
        general_->run("INSERT INTO COMPANIA (COMP_COD, COM_NOMBRE) VALUES ('001', 'Casa matriz');"
                      "INSERT INTO COMPANIA (COMP_COD, COM_NOMBRE) VALUES ('002', 'Sucursal Norte');"
                      "INSERT INTO USUARIO (USUA_COD, USUA_NOMBRE) VALUES ('SYSDBA', 'Administrador')");
        origin_ =
            std::make_unique<TestDatabase>(std::vector<std::string>{"company.sql"},
                                           TestDatabase::Route::Embedded, "datos/001/vertano.fdb", root);
        origin_->run(
            "INSERT INTO CONFIGURACION VALUES ('INVENTARIO', 'ARTICULOS', 'NOMBRE DE USUARIO PARA "
            "REPLICACION DE ARTICULOS', 'SYSDBA');"
            "INSERT INTO CONFIGURACION VALUES ('INVENTARIO', 'ARTICULOS', 'CLAVE DE USUARIO PARA "
            "REPLICACION DE ARTICULOS', " +
            sqlTextLiteral(adminPassword()) +
            ");"
            "INSERT INTO REPLICA_PRECIOS VALUES (1, 'Sucursal Norte', " +
            sqlTextLiteral(root) +
            ", '002');"
            "INSERT INTO PRECIOS_FUTUROS VALUES (1, 'LISTA ESCOLAR 2025', '2025-01-20', 5.5, 1, 'N', 'DEMO');"
            "INSERT INTO REPLICA_EVENTOS (RPEV_ID, RPEV_COMPANIA, RPEV_TIPO, RPEV_IDDOC, RPEV_FECREG, "
            "RPEV_HORAREG, RPEV_OPER) VALUES (1, '002', 1125, 1, '2025-01-10', '08:00:00', 'I');"
            "INSERT INTO REPLICA_EVENTOS (RPEV_ID, RPEV_COMPANIA, RPEV_TIPO, RPEV_IDDOC, RPEV_FECREG, "
            "RPEV_HORAREG, RPEV_OPER, RPEV_ERROR) VALUES (2, '002', 1125, 2, '2025-01-10', '08:00:01', 'D', "
            "'Fallo anterior')");
        destination_ =
            std::make_unique<TestDatabase>(std::vector<std::string>{"company.sql"},
                                           TestDatabase::Route::Embedded, "datos/002/vertano.fdb", root);
    }
    void TearDown() override { regional::setOverride(std::nullopt); }

    std::string server() const { return root_.path().toStdString(); }
    std::string state(int id) {
        return origin_->scalar("select case when rpev_fecrep is null then 'pending' else 'stamped' end from "
                               "replica_eventos where rpev_id = " +
                               std::to_string(id));
    }
    int run(const std::vector<std::string>& args) {
        out_.str({});
        return runUnattended(args, out_);
    }
    QStringList messages() const { return dialogs_.texts(ScriptedDialogs::Kind::Message); }

    QTemporaryDir root_;
    Installation install_;
    ScriptedDialogs dialogs_;
    ScopedDialogs dialogsGuard_{dialogs_};
    std::unique_ptr<TestDatabase> general_;
    std::unique_ptr<TestDatabase> origin_;
    std::unique_ptr<TestDatabase> destination_;
    std::ostringstream out_;
};

TEST_F(UnattendedRunTest, CompletedRunSendsEveryPendingEvent) {
    EXPECT_EQ(run({server(), "sysdba", adminPassword(), "001"}), ExitCompleted);

    EXPECT_EQ(state(1), "stamped");
    EXPECT_EQ(state(2), "stamped") << "failed events are retried without the switch";
    EXPECT_EQ(destination_->scalar("select prfu_nombre from precios_futuros"), "LISTA ESCOLAR 2025");
    EXPECT_EQ(install_.auditEntries(), (std::vector<std::string>{"Inicio,002,2", "1,1125,", "2,1125,"}));
    EXPECT_TRUE(dialogs_.calls().empty());
    EXPECT_NE(out_.str().find("Transmitiendo informaci\u00f3n de Sucursal Norte"), std::string::npos)
        << out_.str();
}

TEST_F(UnattendedRunTest, OnlyTheValueOneLeavesFailedEventsOut) {
    EXPECT_EQ(run({server(), "sysdba", adminPassword(), "001", "1"}), ExitCompleted);
    EXPECT_EQ(state(1), "stamped");
    EXPECT_EQ(state(2), "pending");

    for (const char* other : {"01", " 1", "si"}) {
        origin_->run("UPDATE REPLICA_EVENTOS SET RPEV_FECREP = NULL");
        EXPECT_EQ(run({server(), "sysdba", adminPassword(), "001", other}), ExitCompleted);
        EXPECT_EQ(state(2), "stamped") << "switch '" << other << "'";
    }
}

TEST_F(UnattendedRunTest, CompanyMissingFromTheCompanyListIsRefused) {
    // The company's database exists, but the general database does not list it.
    TestDatabase unlisted({"company.sql"}, TestDatabase::Route::Embedded, "datos/009/vertano.fdb", server());

    EXPECT_EQ(run({server(), "sysdba", adminPassword(), "009"}), ExitRefused);

    EXPECT_EQ(messages(), QStringList{QStringLiteral("Debe indicar las compañías origen y destino.")});
    EXPECT_FALSE(QFile::exists(install_.auditPath()));
    EXPECT_EQ(state(1), "pending");
}

TEST_F(UnattendedRunTest, UnreachableServerFails) {
    EXPECT_EQ(run({"127.0.0.1/3059:/x", "sysdba", adminPassword(), "001"}), ExitFailed);

    ASSERT_EQ(messages().size(), 1);
    EXPECT_EQ(messages().front(), QStringLiteral("No se encontró el equipo servidor con nombre 127.0.0.1"));
    EXPECT_EQ(state(1), "pending");
}

TEST_F(UnattendedRunTest, AbandonedRunFailsWithTheTranslatedMessage) {
    origin_->run("UPDATE REPLICA_EVENTOS SET RPEV_IDDOC = NULL WHERE RPEV_ID = 1");

    EXPECT_EQ(run({server(), "sysdba", adminPassword(), "001"}), ExitFailed);

    ASSERT_EQ(messages().size(), 1);
    EXPECT_TRUE(
        messages().front().startsWith(QStringLiteral("Se presento el siguiente error: SQL Server Error: ")))
        << messages().front().toStdString();
    EXPECT_EQ(state(1), "pending");
    EXPECT_EQ(state(2), "pending");
}

TEST_F(UnattendedRunTest, WrongArgumentsAreAUsageError) {
    const std::vector<std::vector<std::string>> wrong{
        {},
        {server(), "sysdba", adminPassword()},
        {server(), "sysdba", adminPassword(), ""},
        {server(), "sysdba", adminPassword(), "001", "1", "extra"},
    };
    for (const auto& args : wrong)
        EXPECT_EQ(run(args), ExitUsage) << args.size() << " arguments";
    EXPECT_TRUE(dialogs_.calls().empty());
    EXPECT_TRUE(out_.str().empty());
    EXPECT_FALSE(QFile::exists(install_.auditPath()));
    EXPECT_EQ(state(1), "pending");
}

TEST_F(UnattendedRunTest, ProgramExitCodes) {
    TestDatabase unlisted({"company.sql"}, TestDatabase::Route::Embedded, "datos/009/vertano.fdb", server());
    auto runProgram = [](const QStringList& args, QByteArray* errors = nullptr) {
        QProcess process;
        process.start(QStringLiteral(ENVIO_RUN_BINARY), args);
        EXPECT_TRUE(process.waitForFinished(60000)) << args.join(' ').toStdString();
        if (errors)
            *errors = process.readAllStandardError();
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    };
    const QString root = QString::fromStdString(server());
    const QString password = QString::fromStdString(adminPassword());

    QByteArray errors;
    EXPECT_EQ(runProgram({root, QStringLiteral("sysdba"), password, QStringLiteral("009")}, &errors), 2);
    EXPECT_TRUE(errors.contains("Debe indicar las compa\xC3\xB1\xC3\xAD"
                                "as origen y destino."))
        << errors.toStdString();
    EXPECT_EQ(runProgram({QStringLiteral("127.0.0.1/3059:/x"), QStringLiteral("sysdba"), password,
                          QStringLiteral("001")}),
              1);
    EXPECT_EQ(runProgram({root, QStringLiteral("sysdba")}), 64);
    EXPECT_EQ(state(1), "pending");

    EXPECT_EQ(runProgram({root, QStringLiteral("sysdba"), password, QStringLiteral("001")}), 0);
    EXPECT_EQ(state(1), "stamped");
    EXPECT_EQ(destination_->scalar("select count(*) from precios_futuros"), "1");
}

} // namespace
