// Bad input, each with a clear outcome and nothing lost: quotes and "--" in article codes, user names and
// failure messages; events without their numeric key; a destination that lacks a table; an origin table
// wider than the destination's; an oversized, binary server list.

#include "access/Login.h"
#include "app/FailureTranslation.h"
#include "app/ServerList.h"
#include "faults/FaultFixture.h"

#include <random>

using namespace envio;
using namespace envio::test;

namespace {

class BadInputTest : public FaultTest {
protected:
    // "stamped" or "pending" for each event.
    std::vector<std::string> states(const std::vector<int>& ids) {
        std::vector<std::string> out;
        for (int id : ids)
            out.push_back(state(id));
        return out;
    }
};

// Codes that would change what a statement selects or deletes if their quotes were not doubled.
TEST_F(BadInputTest, QuotesAndDashesInArticleCodesStayInsideTheirLiterals) {
    const std::vector<std::string> codes{"O'NEIL--1", "X' OR 'A'='A", "--'; --", "''"};
    std::string originRows;
    for (std::size_t i = 0; i < codes.size(); ++i) {
        const std::string c = sqlTextLiteral(codes[i]);
        const std::string n = std::to_string(i + 1);
        originRows += fullArticle(codes[i], "ARTICULO " + codes[i], static_cast<int>(i)) + ";" +
                      "INSERT INTO PRECIOS_ARTICULO (LIPR_COD, ARTI_COD, PRAR_FIJO) VALUES (1, " + c +
                      ", 10" + n + ");INSERT INTO PRECIOS_FUTUROS_ARTICULOS VALUES (1, " + c + ", 20" + n +
                      ", NULL, 1, 1);INSERT INTO DESCUENTOS_PRECIOS_DET VALUES (1, " + c + ", " + n +
                      ", 1, " + c + ");";
    }
    makeServerOrigin().run(originRows);
    TestDatabase& norte = addServerDestination("002", "Sucursal Norte");
    // Rows of plain codes that a statement broken open would also reach.
    norte.run("INSERT INTO PRECIOS_ARTICULO (LIPR_COD, ARTI_COD, PRAR_FIJO) VALUES (2, 'A-0001', 7);"
              "INSERT INTO PRECIOS_ARTICULO (LIPR_COD, ARTI_COD, PRAR_FIJO) VALUES (2, 'X', 8);"
              "INSERT INTO DESCUENTOS_PRECIOS_DET VALUES (2, 'A-0001', 9, 1, 'queda');"
              "INSERT INTO DESCUENTOS_PRECIOS_DET VALUES (2, 'X', 9, 1, 'queda')");
    std::vector<int> ids;
    for (const std::string& code : codes) {
        ids.push_back(addEvent(EventSpec(101, std::nullopt, code, "I")));
        ids.push_back(addEvent(EventSpec(126, 1, code)));
        ids.push_back(addEvent(EventSpec(1126, 1, code)));
        ids.push_back(addEvent(EventSpec(2291, 1, code)));
        // Deletes of rows the destination does not hold, with the same codes, under other keys.
        ids.push_back(addEvent(EventSpec(126, 2, code, "D")));
        ids.push_back(addEvent(EventSpec(2291, 2, code, "A")));
        ids.push_back(addEvent(EventSpec(1126, 2, code, "D")));
    }
    connectThrough(nullptr);

    ASSERT_EQ(run(), RunOutcome::Completed);

    EXPECT_EQ(states(ids), std::vector<std::string>(ids.size(), "stamped"));
    EXPECT_TRUE(boxes().isEmpty());
    const std::vector<std::pair<std::string, std::string>> sent{
        {std::string("select ") + kArticleColumns + " from articulo", ""},
        {"select lipr_cod, arti_cod, prar_fijo from precios_articulo", " where lipr_cod = 1"},
        {"select prfu_id, arti_cod, prfa_precio, prfa_porc from precios_futuros_articulos",
         " where prfu_id = 1"},
        {"select * from descuentos_precios_det", " where dctp_id = 1"}};
    for (const auto& [select, where] : sent)
        EXPECT_EQ(norte.rows(select + where + " order by arti_cod"),
                  origin().rows(select + " order by arti_cod"))
            << select;
    EXPECT_EQ(norte.scalar("select count(*) from articulo"), std::to_string(codes.size()));
    EXPECT_EQ(
        norte.rows("select arti_cod, prar_fijo from precios_articulo where lipr_cod = 2 order by arti_cod"),
        (std::vector<std::string>{"A-0001|7.0000", "X|8.0000"}))
        << "the deletes touched no other row";
    EXPECT_EQ(norte.scalar("select count(*) from descuentos_precios_det where dctp_id = 2"), "2");
}

// A user whose name holds a quote and "--" logs in, connects and sends: the name reaches the one statement
// that carries it as a literal, and the attachments as it is.
TEST_F(BadInputTest, QuotesAndDashesInUserNames) {
    const std::string user = "O'BRIEN--";
    QTemporaryDir root;
    const std::string server = root.path().toStdString();
    auto grantAll = [&](TestDatabase& db, std::initializer_list<const char*> tables) {
        std::string script;
        for (const char* t : tables)
            script += std::string("GRANT ALL ON ") + t + " TO PUBLIC;";
        db.run(script);
    };
    TestDatabase general({"general.sql"}, TestDatabase::Route::Embedded, "datos/general.fdb", server);
    general.run("INSERT INTO COMPANIA (COMP_COD, COM_NOMBRE) VALUES ('001', 'Casa matriz');"
                "INSERT INTO USUARIO (USUA_COD, USUA_NOMBRE) VALUES (" +
                sqlTextLiteral(user) + ", 'Usuario con comillas')");
    grantAll(general, {"COMPANIA", "USUARIO"});
    TestDatabase company({"company.sql"}, TestDatabase::Route::Embedded, "datos/001/vertano.fdb", server);
    TestDatabase norte({"company.sql"}, TestDatabase::Route::Embedded, "datos/002/vertano.fdb", server);
    for (TestDatabase* db : {&company, &norte})
        grantAll(*db, {"REPLICA_EVENTOS", "REPLICA_PRECIOS", "CONFIGURACION", "ARTICULO", "PRECIOS_ARTICULO",
                       "PRECIOS_FUTUROS", "PRECIOS_FUTUROS_ARTICULOS", "DESCUENTOS_PRECIOS",
                       "DESCUENTOS_PRECIOS_DET"});
    company.run("INSERT INTO CONFIGURACION VALUES ('INVENTARIO', 'ARTICULOS', 'NOMBRE DE USUARIO PARA "
                "REPLICACION DE ARTICULOS', " +
                sqlTextLiteral(user) +
                ");"
                "INSERT INTO REPLICA_PRECIOS VALUES (1, 'Sucursal Norte', " +
                sqlTextLiteral(server) +
                ", '002');"
                "INSERT INTO PRECIOS_FUTUROS VALUES (1, 'LISTA ESCOLAR 2025', '2025-01-20', 5.5, 1, 'N', " +
                sqlTextLiteral(user) +
                ");"
                "INSERT INTO REPLICA_EVENTOS (RPEV_ID, RPEV_COMPANIA, RPEV_TIPO, RPEV_IDDOC, RPEV_USUARIO) "
                "VALUES (1, '002', 1125, 1, " +
                sqlTextLiteral(user) + ")");

    // The embedded engine takes the name without a password.
    Login login(session_.general());
    ASSERT_NO_THROW(login.run(server, "o'brien--", "", session_.loginState()));
    EXPECT_EQ(session_.loginState().user, user);
    companies_.load();
    destinationList_.setCompanyKey(std::string("001"));
    ASSERT_NO_THROW(destinationList_.connectOrigin());

    ASSERT_EQ(run(), RunOutcome::Completed);
    EXPECT_EQ(session_.credentials().user, user);
    EXPECT_EQ(company.scalar("select case when rpev_fecrep is null then 'pending' else 'stamped' end from "
                             "replica_eventos"),
              "stamped");
    EXPECT_EQ(norte.rows("select prfu_id, prfu_usuario from precios_futuros"),
              std::vector<std::string>{"1|" + user});
    EXPECT_TRUE(dialogs_.calls().empty());
    session_.general().disconnect();
    session_.destination().disconnect();
    session_.origin().disconnect();
}

// A refusal whose text carries quotes and "--" is noted on its event whole, as the journal has it.
TEST_F(BadInputTest, QuotesAndDashesInFailureMessagesAreNotedIntact) {
    makeServerOrigin().run(
        "INSERT INTO PRECIOS_FUTUROS VALUES (1, 'RECHAZAR', '2025-01-20', 5.5, 1, 'N', 'DEMO');"
        "INSERT INTO PRECIOS_FUTUROS VALUES (2, 'LISTA', '2025-01-20', 5.5, 1, 'N', 'DEMO')");
    TestDatabase& norte = addServerDestination("002", "Sucursal Norte");
    norte.run("CREATE EXCEPTION CON_COMILLAS 'Precio rechazado -- ver ''nota'' de O''Brien; -- fin';"
              "SET TERM ^ ;"
              "CREATE TRIGGER PRECIOS_FUTUROS_COMILLAS FOR PRECIOS_FUTUROS ACTIVE BEFORE INSERT AS BEGIN"
              "  IF (NEW.PRFU_NOMBRE = 'RECHAZAR') THEN EXCEPTION CON_COMILLAS;"
              "END^"
              "SET TERM ; ^");
    const int refused = addEvent(EventSpec(1125, 1));
    const int next = addEvent(EventSpec(1125, 2));
    connectThrough(nullptr);

    ASSERT_EQ(run(), RunOutcome::Completed);

    const std::vector<std::string> journal = install_.errorEntries();
    ASSERT_EQ(journal.size(), 1u);
    EXPECT_NE(journal.front().find("Precio rechazado -- ver 'nota' de O'Brien; -- fin"), std::string::npos)
        << journal.front();
    EXPECT_EQ(note(refused), journal.front());
    EXPECT_EQ(state(refused), "pending");
    EXPECT_EQ(state(next), "stamped");
    EXPECT_EQ(origin().scalar("select count(*) from replica_eventos where rpev_error is not null"), "1")
        << "the note went to its event only";
    EXPECT_EQ(norte.scalar("select prfu_nombre from precios_futuros"), "LISTA");
}

// An event of a type that needs RPEV_IDDOC without one: the run is abandoned with the server's text at that
// event every time, the events before it are stamped, and those after it wait until it is deleted.
TEST_F(BadInputTest, EventWithoutItsNumericKeyStopsEveryRunAtItself) {
    makeServerOrigin().run(
        "INSERT INTO PRECIOS_FUTUROS VALUES (1, 'LISTA 1', '2025-01-20', 5.5, 1, 'N', 'DEMO');"
        "INSERT INTO PRECIOS_FUTUROS VALUES (2, 'LISTA 2', '2025-01-20', 5.5, 1, 'N', 'DEMO')");
    TestDatabase& norte = addServerDestination("002", "Sucursal Norte");
    connectThrough(nullptr);
    const std::vector<EventSpec> keyless{EventSpec(126, std::nullopt, "A-0001"),
                                         EventSpec(126, std::nullopt, "A-0001", "D"),
                                         EventSpec(1125, std::nullopt),
                                         EventSpec(1125, std::nullopt, std::nullopt, "D"),
                                         EventSpec(1126, std::nullopt, "A-0001"),
                                         EventSpec(1126, std::nullopt, "A-0001", "D"),
                                         EventSpec(229, std::nullopt),
                                         EventSpec(229, std::nullopt, std::nullopt, "D"),
                                         EventSpec(2291, std::nullopt, "A-0001"),
                                         EventSpec(2291, std::nullopt, "A-0001", "A")};
    for (const EventSpec& bad : keyless) {
        const std::string what = std::to_string(bad.type) + " " + bad.oper.value_or("");
        norte.run("DELETE FROM PRECIOS_FUTUROS");
        const int before = addEvent(EventSpec(1125, 1));
        const int broken = addEvent(bad);
        const int after = addEvent(EventSpec(1125, 2));

        // The first of them is tried twice: a later run stops at it again.
        for (int attempt = 0; attempt < (&bad == &keyless.front() ? 2 : 1); ++attempt) {
            const std::string message = failingRun();
            EXPECT_EQ(message.rfind("SQL Server Error: ", 0), 0u) << what << ": " << message;
            EXPECT_EQ(translateFailure(message),
                      QStringLiteral("Se presento el siguiente error: ") + fromAnsi(message))
                << what;
            EXPECT_EQ(states({before, broken, after}),
                      (std::vector<std::string>{"stamped", "pending", "pending"}))
                << what;
            EXPECT_EQ(note(broken), "<null>") << what;
            EXPECT_EQ(norte.rows("select prfu_id from precios_futuros"), std::vector<std::string>{"1"})
                << what;
        }
        // The operator deletes the event; the next run sends the rest.
        origin().run("DELETE FROM REPLICA_EVENTOS WHERE RPEV_ID = " + std::to_string(broken));
        ASSERT_EQ(run(), RunOutcome::Completed) << what;
        EXPECT_EQ(state(after), "stamped") << what;
        EXPECT_EQ(norte.rows("select prfu_id from precios_futuros order by 1"),
                  (std::vector<std::string>{"1", "2"}))
            << what;
    }
    EXPECT_TRUE(boxes().isEmpty());
}

// A destination without the table of an event: abandoned with the server's text; the destinations after it
// wait for the next run.
TEST_F(BadInputTest, DestinationWithoutTheTableAbandonsTheRun) {
    makeServerOrigin().run(
        "INSERT INTO PRECIOS_FUTUROS VALUES (1, 'LISTA 1', '2025-01-20', 5.5, 1, 'N', 'DEMO');"
        "INSERT INTO DESCUENTOS_PRECIOS_DET VALUES (1, 'A-0001', 10, 1, 'Cuadernos')");
    TestDatabase& norte = addServerDestination("002", "Sucursal Norte");
    TestDatabase& sur = addServerDestination("003", "Sucursal Sur");
    norte.run("DROP TABLE PRECIOS_FUTUROS");
    const int before = addEvent(EventSpec(2291, 1, "A-0001"));
    const int copy = addEvent(EventSpec(1125, 1));
    const int remove = addEvent(EventSpec(1125, 1, std::nullopt, "D"));
    const int sent = addEvent(EventSpec(1125, 1).to("003"));
    connectThrough(nullptr);

    const std::string message = failingRun();
    EXPECT_EQ(message.rfind("SQL Server Error: ", 0), 0u) << message;
    EXPECT_NE(message.find("PRECIOS_FUTUROS"), std::string::npos) << message;
    EXPECT_EQ(states({before, copy, remove, sent}),
              (std::vector<std::string>{"stamped", "pending", "pending", "pending"}));
    EXPECT_EQ(norte.scalar("select count(*) from descuentos_precios_det"), "1");
    EXPECT_EQ(sur.scalar("select count(*) from precios_futuros"), "0");
    EXPECT_TRUE(boxes().isEmpty());

    // The delete alone fails the same way.
    origin().run("DELETE FROM REPLICA_EVENTOS WHERE RPEV_ID = " + std::to_string(copy));
    const std::string again = failingRun();
    EXPECT_EQ(again.rfind("SQL Server Error: ", 0), 0u) << again;
    EXPECT_EQ(state(remove), "pending");

    // With the table back, the next run sends the rest.
    norte.run(
        "CREATE TABLE PRECIOS_FUTUROS (PRFU_ID INTEGER NOT NULL, PRFU_NOMBRE VARCHAR(60), PRFU_FECHA DATE, "
        "PRFU_PORC NUMERIC(15,4), LIPR_COD SMALLINT, PRFU_APLICADO CHAR(1), PRFU_USUARIO VARCHAR(20))");
    ASSERT_EQ(run(), RunOutcome::Completed);
    EXPECT_EQ(states({remove, sent}), (std::vector<std::string>{"stamped", "stamped"}));
    EXPECT_EQ(sur.scalar("select prfu_nombre from precios_futuros"), "LISTA 1");
}

// Positional copy into a destination table that lacks the origin's last column: the destination's columns
// are filled and the extra origin column is left behind.
TEST_F(BadInputTest, OriginWiderThanTheDestinationCopiesTheDestinationsColumns) {
    makeServerOrigin().run(
        "INSERT INTO PRECIOS_FUTUROS VALUES (1, 'LISTA 1', '2025-01-20', 5.5, 1, 'N', 'DEMO');"
        "INSERT INTO PRECIOS_FUTUROS_ARTICULOS VALUES (1, 'A-0001', 3700.1235, 3600, 5.71, 100.5);"
        "INSERT INTO DESCUENTOS_PRECIOS VALUES (1, 'TEMPORADA', 10, '2025-01-15', '2025-02-28', 1, 'S');"
        "INSERT INTO DESCUENTOS_PRECIOS_DET VALUES (1, 'A-0001', 10, 1, 'Cuadernos')");
    TestDatabase& norte = addServerDestination("002", "Sucursal Norte");
    norte.run("ALTER TABLE PRECIOS_FUTUROS DROP PRFU_USUARIO;"
              "ALTER TABLE PRECIOS_FUTUROS_ARTICULOS DROP PRFA_REDONDEO;"
              "ALTER TABLE DESCUENTOS_PRECIOS DROP DCTP_ACTIVO;"
              "ALTER TABLE DESCUENTOS_PRECIOS_DET DROP DCPD_OBS");
    const std::vector<int> ids{addEvent(EventSpec(1125, 1)), addEvent(EventSpec(1126, 1, "A-0001")),
                               addEvent(EventSpec(229, 1)), addEvent(EventSpec(2291, 1, "A-0001"))};
    connectThrough(nullptr);

    ASSERT_EQ(run(), RunOutcome::Completed);

    EXPECT_EQ(states(ids), std::vector<std::string>(ids.size(), "stamped"));
    EXPECT_TRUE(boxes().isEmpty());
    EXPECT_EQ(
        norte.rows("select * from precios_futuros"),
        origin().rows("select prfu_id, prfu_nombre, prfu_fecha, prfu_porc, lipr_cod, prfu_aplicado from "
                      "precios_futuros"));
    EXPECT_EQ(norte.rows("select * from precios_futuros_articulos"),
              origin().rows("select prfu_id, arti_cod, prfa_precio, prfa_precioant, prfa_porc from "
                            "precios_futuros_articulos"));
    EXPECT_EQ(norte.rows("select * from descuentos_precios"),
              origin().rows("select dctp_id, dctp_nombre, dctp_porc, dctp_desde, dctp_hasta, lipr_cod from "
                            "descuentos_precios"));
    EXPECT_EQ(norte.rows("select * from descuentos_precios_det"),
              origin().rows("select dctp_id, arti_cod, dcpd_porc, dcpd_cantmin from descuentos_precios_det"));
}

// A server list of over 10 MB with over-long lines and every byte value: it loads, every entry is at most
// 255 bytes, and the short lines between the long ones come through whole, in order.
TEST_F(BadInputTest, HugeBinaryServerListLoads) {
    std::mt19937 random(7);
    std::uniform_int_distribution<int> byteDist(0, 255);
    std::string content;
    std::vector<std::string> markers;
    for (int i = 0; content.size() < 10 * 1024 * 1024 + 1; ++i) {
        // A long run of arbitrary bytes (line ends included), then a line end, then a marker line.
        const std::size_t length = i % 7 == 0 ? 1024 * 1024 : static_cast<std::size_t>(byteDist(random)) * 40;
        for (std::size_t k = 0; k < length; ++k)
            content.push_back(static_cast<char>(byteDist(random)));
        content += "\n\n";
        markers.push_back("srv" + std::to_string(i) + ":/vertano/\xF1\x01");
        content += markers.back() + "\r\n";
    }
    content += std::string(300, '\0'); // no line end at the end
    const QString path = install_.directory() + QStringLiteral("/SERVIDORES.cfg");
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(content.data(), static_cast<qint64>(content.size())),
                  static_cast<qint64>(content.size()));
    }

    const std::vector<std::string> servers = loadServerList();

    ASSERT_FALSE(servers.empty());
    std::size_t next = 0;
    for (const std::string& s : servers) {
        ASSERT_LE(s.size(), 255u);
        if (next < markers.size() && s == markers[next])
            ++next;
    }
    EXPECT_EQ(next, markers.size()) << "markers found in order";
    EXPECT_EQ(servers.back(), markers.back());
    EXPECT_TRUE(dialogs_.calls().empty());
}

} // namespace
