// A destination that refuses the same rows run after run (company_triggers.sql markers): the refused events
// stay pending with the destination's message in their note, and the events of other keys that come after
// them keep flowing in every run.

#include "faults/FaultFixture.h"

using namespace envio;
using namespace envio::test;

namespace {

class RefusedRowTest : public FaultTest {};

TEST_F(RefusedRowTest, RefusedEventsStayPendingWhileOthersFlowRunAfterRun) {
    makeServerOrigin().run(
        fullArticle("A-0004", "RECHAZAR", 4) + ";" +
        "INSERT INTO PRECIOS_ARTICULO (LIPR_COD, ARTI_COD, PRAR_FIJO) VALUES (1, 'A-0005', -1);"
        "INSERT INTO PRECIOS_FUTUROS_ARTICULOS VALUES (1, 'A-0006', -10, NULL, 1, 1);"
        "INSERT INTO DESCUENTOS_PRECIOS VALUES (7, 'RECHAZAR', 10, '2025-01-15', '2025-02-28', 1, 'S');"
        "INSERT INTO DESCUENTOS_PRECIOS_DET VALUES (7, 'A-0007', -5, 1, 'Negativo')");
    TestDatabase& sur = addServerDestination("003", "Sucursal Sur", {"company_triggers.sql"});
    const std::vector<int> refused{
        addEvent(EventSpec(101, std::nullopt, "A-0004", "I").to("003")),
        addEvent(EventSpec(126, 1, "A-0005").to("003")), addEvent(EventSpec(1126, 1, "A-0006").to("003")),
        addEvent(EventSpec(229, 7).to("003")), addEvent(EventSpec(2291, 7, "A-0007").to("003"))};
    connectThrough(nullptr);

    for (int round = 1; round <= 3; ++round) {
        // Each round the suite registers new changes of other keys after the refused ones.
        const std::string n = std::to_string(round);
        origin().run("INSERT INTO PRECIOS_FUTUROS VALUES (" + n + ", 'LISTA " + n + "', '2025-01-20', " + n +
                     ", 1, 'N', 'DEMO');"
                     "INSERT INTO PRECIOS_ARTICULO (LIPR_COD, ARTI_COD, PRAR_FIJO) VALUES (" +
                     n + ", 'B-000" + n + "', 10" + n + ")");
        const std::vector<int> flowing{addEvent(EventSpec(1125, round).to("003")),
                                       addEvent(EventSpec(126, round, "B-000" + n).to("003"))};
        const std::size_t journaled = install_.errorEntries().size();
        dialogs_.clearCalls();

        ASSERT_EQ(run(), RunOutcome::Completed) << "round " << round;

        const std::vector<std::string> journal = install_.errorEntries();
        ASSERT_EQ(journal.size(), journaled + refused.size()) << "round " << round;
        for (std::size_t i = 0; i < refused.size(); ++i) {
            EXPECT_EQ(state(refused[i]), "pending") << "round " << round << ", event " << refused[i];
            EXPECT_EQ(note(refused[i]), journal[journaled + i]) << "round " << round;
            EXPECT_NE(note(refused[i]).find("Fila rechazada por el destino"), std::string::npos)
                << note(refused[i]);
        }
        EXPECT_EQ(boxes().size(), static_cast<qsizetype>(refused.size()));
        for (int id : flowing)
            EXPECT_EQ(state(id), "stamped") << "round " << round << ", event " << id;
        EXPECT_EQ(sur.scalar("select count(*) from precios_futuros"), n);
        EXPECT_EQ(sur.scalar("select prar_fijo from precios_articulo where arti_cod = 'B-000" + n + "'"),
                  "10" + n + ".0000");
        EXPECT_EQ(
            sur.rows("select (select count(*) from articulo), (select count(*) from descuentos_precios), "
                     "(select count(*) from descuentos_precios_det), (select count(*) from "
                     "precios_futuros_articulos), (select count(*) from precios_articulo where arti_cod = "
                     "'A-0005') from rdb$database"),
            std::vector<std::string>{"0|0|0|0|0"})
            << "nothing of a refused row is left behind";
        EXPECT_TRUE(view_.timerOn());
    }

    // Once the origin rows are mended, the next run sends them; their last notes stay as a record.
    origin().run("UPDATE ARTICULO SET ARTI_DES = 'CUADERNO' WHERE ARTI_COD = 'A-0004';"
                 "UPDATE PRECIOS_ARTICULO SET PRAR_FIJO = 1 WHERE ARTI_COD = 'A-0005';"
                 "UPDATE PRECIOS_FUTUROS_ARTICULOS SET PRFA_PRECIO = 10 WHERE ARTI_COD = 'A-0006';"
                 "UPDATE DESCUENTOS_PRECIOS SET DCTP_NOMBRE = 'TEMPORADA' WHERE DCTP_ID = 7;"
                 "UPDATE DESCUENTOS_PRECIOS_DET SET DCPD_PORC = 5 WHERE DCTP_ID = 7");
    ASSERT_EQ(run(), RunOutcome::Completed);
    for (int id : refused) {
        EXPECT_EQ(state(id), "stamped") << id;
        EXPECT_NE(note(id).find("Fila rechazada por el destino"), std::string::npos) << note(id);
    }
    EXPECT_EQ(sur.scalar("select arti_des from articulo where arti_cod = 'A-0004'"), "CUADERNO");
    EXPECT_EQ(sur.scalar("select dctp_nombre from descuentos_precios where dctp_id = 7"), "TEMPORADA");
}

// With "No reintentar errores" ticked the refused events are left out of the reading, so they can neither
// block nor be tried; the rest still flows.
TEST_F(RefusedRowTest, NoRetryLeavesRefusedEventsAsideAndTheRestFlows) {
    makeServerOrigin().run(
        fullArticle("A-0004", "RECHAZAR", 4) +
        ";INSERT INTO PRECIOS_FUTUROS VALUES (1, 'LISTA 1', '2025-01-20', 1, 1, 'N', 'DEMO')");
    TestDatabase& sur = addServerDestination("003", "Sucursal Sur", {"company_triggers.sql"});
    const int refused = addEvent(EventSpec(101, std::nullopt, "A-0004", "I").to("003"));
    connectThrough(nullptr);
    ASSERT_EQ(run(), RunOutcome::Completed);
    const std::string first = note(refused);
    ASSERT_NE(first, "<null>");

    view_.noRetry = true;
    const int later = addEvent(EventSpec(1125, 1).to("003"));
    dialogs_.clearCalls();
    ASSERT_EQ(run(), RunOutcome::Completed);
    EXPECT_EQ(state(refused), "pending");
    EXPECT_EQ(note(refused), first);
    EXPECT_EQ(state(later), "stamped");
    EXPECT_EQ(sur.scalar("select prfu_nombre from precios_futuros"), "LISTA 1");
    EXPECT_TRUE(dialogs_.calls().empty());
    EXPECT_EQ(install_.auditEntries().back(), std::to_string(later) + ",1125,");
}

} // namespace
