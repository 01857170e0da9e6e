#pragma once

// The headless runner as a program over an installation on the database server: the general database, the
// origin company 001 and the destination 002, whose trigger refuses a future price list named "RECHAZAR".

#include "faults/FaultFixture.h"

#include <QProcess>
#include <QTemporaryDir>

namespace envio::test {

class RunnerTest : public FaultTest {
protected:
    void SetUp() override {
        FaultTest::SetUp();
        if (IsSkipped())
            return;
        ASSERT_TRUE(root_.isValid());
        const std::string root = root_.path().toStdString();
        general_ = std::make_unique<TestDatabase>(std::vector<std::string>{"general.sql"},
                                                  TestDatabase::Route::Server, "datos/general.fdb", root);
        general_->run("INSERT INTO COMPANIA (COMP_COD, COM_NOMBRE) VALUES ('001', 'Casa matriz');"
                      "INSERT INTO COMPANIA (COMP_COD, COM_NOMBRE) VALUES ('002', 'Sucursal Norte')");
        origin_ = std::make_unique<TestDatabase>(std::vector<std::string>{"company.sql"},
                                                 TestDatabase::Route::Server, "datos/001/vertano.fdb", root);
        origin_->run("INSERT INTO CONFIGURACION VALUES ('INVENTARIO', 'ARTICULOS', 'NOMBRE DE USUARIO PARA "
                     "REPLICACION DE ARTICULOS', 'SYSDBA');INSERT INTO CONFIGURACION VALUES ('INVENTARIO', "
                     "'ARTICULOS', 'CLAVE DE USUARIO PARA REPLICACION DE ARTICULOS', " +
                     sqlTextLiteral(adminPassword()) +
                     ");"
                     "INSERT INTO PRECIOS_FUTUROS VALUES (1, 'LISTA 1', '2025-01-20', 5.5, 1, 'N', 'DEMO');"
                     "INSERT INTO PRECIOS_FUTUROS VALUES (2, 'RECHAZAR', '2025-01-20', 5.5, 1, 'N', 'DEMO')");
        norte_ = std::make_unique<TestDatabase>(std::vector<std::string>{"company.sql"},
                                                TestDatabase::Route::Server, "datos/002/vertano.fdb", root);
        norte_->run("CREATE EXCEPTION REFUSED 'Lista rechazada';"
                    "SET TERM ^ ;"
                    "CREATE TRIGGER PRECIOS_FUTUROS_RECHAZO FOR PRECIOS_FUTUROS ACTIVE BEFORE INSERT AS BEGIN"
                    "  IF (NEW.PRFU_NOMBRE = 'RECHAZAR') THEN EXCEPTION REFUSED;"
                    "END^"
                    "SET TERM ; ^");
    }

    std::string server() const { return "localhost:" + root_.path().toStdString(); }

    struct Outcome {
        int code = -1;
        QByteArray out;
        QByteArray err;
    };
    QStringList arguments(const std::string& server, const std::string& company) const {
        return {QString::fromStdString(server), QStringLiteral("sysdba"),
                QString::fromStdString(adminPassword()), QString::fromStdString(company)};
    }
    Outcome runProgram(const std::string& server, const std::string& company) {
        QProcess process;
        process.start(QStringLiteral(ENVIO_RUN_BINARY), arguments(server, company));
        return finished(process);
    }
    // Waits for a started runner and gives what it left.
    static Outcome finished(QProcess& process) {
        Outcome o;
        if (!process.waitForFinished(120000)) {
            process.kill();
            process.waitForFinished();
            ADD_FAILURE() << "the runner did not finish";
            return o;
        }
        o.code = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        o.out = process.readAllStandardOutput();
        o.err = process.readAllStandardError();
        return o;
    }

    QTemporaryDir root_;
    std::unique_ptr<TestDatabase> general_;
    std::unique_ptr<TestDatabase> norte_;
};

} // namespace envio::test
