#pragma once

// Send runs over databases served by the real server, some of them reached through a relay that a test can
// cut: an origin company (001) and destination companies, each in a directory of its own laid out as the
// suite lays it out (<server string>/datos/<code>/vertano.fdb).

#include "db/Error.h"
#include "faults/TcpProxy.h"
#include "replication/ReplicationFixture.h"

#include <map>

namespace envio::test {

class FaultTest : public ReplicationTest {
protected:
    void SetUp() override {
        ReplicationTest::SetUp();
        if (!serverAvailable())
            GTEST_SKIP()
                << "the database server does not answer on 127.0.0.1:3050 (or ISC_PASSWORD is unset)";
    }
    void TearDown() override {
        // The attachments go before the relay and the database files.
        session_.destination().disconnect();
        session_.origin().disconnect();
        ReplicationTest::TearDown();
    }

    // The server string of a database's directory, through the relay or straight to the server.
    static std::string serverOf(const TestDatabase& db, const TcpProxy* via) {
        return via ? via->through(db.directory()) : "localhost:" + db.directory();
    }

    // The origin company database on the server, with the replication credentials in CONFIGURACION.
    TestDatabase& makeServerOrigin(const std::vector<std::string>& extra = {}) {
        std::vector<std::string> fixtures{"company.sql"};
        fixtures.insert(fixtures.end(), extra.begin(), extra.end());
        origin_ =
            std::make_unique<TestDatabase>(fixtures, TestDatabase::Route::Server, "datos/001/vertano.fdb");
        origin_->run("INSERT INTO CONFIGURACION VALUES ('INVENTARIO', 'ARTICULOS', 'NOMBRE DE USUARIO PARA "
                     "REPLICACION DE ARTICULOS', 'SYSDBA');INSERT INTO CONFIGURACION VALUES ('INVENTARIO', "
                     "'ARTICULOS', 'CLAVE DE USUARIO PARA REPLICACION DE ARTICULOS', " +
                     sqlTextLiteral(adminPassword()) + ");");
        return *origin_;
    }

    // A destination company database on the server, entered in the destination list with a server string
    // through `via` when given.
    TestDatabase& addServerDestination(const std::string& code, const std::string& name,
                                       const std::vector<std::string>& extra = {},
                                       const TcpProxy* via = nullptr) {
        std::vector<std::string> fixtures{"company.sql"};
        fixtures.insert(fixtures.end(), extra.begin(), extra.end());
        destinations_.push_back(std::make_unique<TestDatabase>(fixtures, TestDatabase::Route::Server,
                                                               "datos/" + code + "/vertano.fdb"));
        TestDatabase& db = *destinations_.back();
        addDestinationEntry(code, name, serverOf(db, via));
        return db;
    }

    // Logs in with the origin's server string (through `via` when given) and performs "Conectar" for 001.
    void connectThrough(const TcpProxy* via) {
        session_.loginState() = LoginState{serverOf(*origin_, via), "SYSDBA", ScrambleText(adminPassword())};
        destinationList_.setCompanyKey(std::string("001"));
        destinationList_.connectOrigin();
    }

    // One send run that must end in a failure: its message ("" when the run was not abandoned, which the
    // caller's expectations then report).
    std::string failingRun() {
        try {
            const RunOutcome outcome = run();
            ADD_FAILURE() << "the run was not abandoned (outcome " << static_cast<int>(outcome) << ")";
        } catch (const SilentAbort&) {
            ADD_FAILURE() << "the run ended silently";
        } catch (const Error& e) {
            return e.what();
        }
        return {};
    }

    // Every row of the replicated tables of a company, table by table, in a stable order.
    static std::map<std::string, std::vector<std::string>> priceData(const TestDatabase& db) {
        std::map<std::string, std::vector<std::string>> data;
        for (const char* table :
             {"ARTICULO", "PRECIOS_ARTICULO", "PRECIOS_FUTUROS", "PRECIOS_FUTUROS_ARTICULOS",
              "DESCUENTOS_PRECIOS", "DESCUENTOS_PRECIOS_DET"})
            data[table] = db.rows(std::string("select * from ") + table + " order by 1, 2");
        return data;
    }
};

} // namespace envio::test
