// The error capture: rows refused by a destination, rows that cannot be posted, the note on the event being
// applied, the error journal and the box shown to the operator.

#include "ReplicationFixture.h"
#include "db/Error.h"

using namespace envio;
using namespace envio::test;

namespace {

using Kind = ScriptedDialogs::Kind;

class ErrorCaptureTest : public ReplicationTest {
protected:
    // The origin and Sucursal Sur (003), which refuses marked rows (company_triggers.sql).
    TestDatabase& prepare() {
        makeOrigin();
        return addDestination("003", "Sucursal Sur", {"company_triggers.sql"});
    }
    static std::string withoutLast(const std::string& s) { return s.substr(0, s.size() - 1); }
};

TEST_F(ErrorCaptureTest, RefusedRowIsNotedJournaledShownAndLeftPending) {
    TestDatabase& sur = prepare();
    origin().run(fullArticle("A-0004", "RECHAZAR", 4) +
                 ";INSERT INTO PRECIOS_FUTUROS VALUES (2, 'AJUSTE PAPEL FEBRERO', '2025-02-01', 3.25, 1, "
                 "'N', 'DEMO')");
    const int refused = addEvent(EventSpec(101, std::nullopt, "A-0004", "I").to("003"));
    const int next = addEvent(EventSpec(1125, 2).to("003"));
    connect();

    ASSERT_EQ(run(), RunOutcome::Completed);

    const std::vector<std::string> journal = install_.errorEntries();
    ASSERT_EQ(journal.size(), 1u);
    const std::string message = journal.front();
    EXPECT_NE(message.find("Fila rechazada por el destino"), std::string::npos) << message;
    EXPECT_NE(message.find("'ARTICULO_RECHAZO'"), std::string::npos) << message;
    EXPECT_EQ(note(refused), message) << "stored whole, its quotes intact";
    EXPECT_EQ(state(refused), "pending");
    EXPECT_EQ(sur.scalar("select count(*) from articulo"), "0") << "the apply was rolled back";
    ASSERT_EQ(dialogs_.calls().size(), 2u);
    EXPECT_EQ(dialogs_.calls()[0].kind, Kind::Beep);
    EXPECT_EQ(dialogs_.calls()[1],
              (ScriptedDialogs::Call{Kind::Error, QStringLiteral("Error"), fromAnsi(withoutLast(message))}));
    EXPECT_EQ(state(next), "stamped") << "the run goes on with the next event";
    EXPECT_EQ(sur.scalar("select prfu_nombre from precios_futuros"), "AJUSTE PAPEL FEBRERO");
    EXPECT_TRUE(view_.timerOn());
    ASSERT_EQ(view_.done.size(), 1u);
    EXPECT_EQ(view_.done.front().failed, 1);
    EXPECT_EQ(view_.done.front().applied, 1);

    // Tried again by the next run, unless failed events are left out.
    ASSERT_EQ(run(), RunOutcome::Completed);
    EXPECT_EQ(install_.errorEntries().size(), 2u);
    view_.noRetry = true;
    ASSERT_EQ(run(), RunOutcome::Completed);
    EXPECT_EQ(install_.auditEntries().back(), "Inicio,003,0");
    EXPECT_EQ(install_.errorEntries().size(), 2u);
}

TEST_F(ErrorCaptureTest, EveryOriginRowOfADiscountIsTriedAfterARefusal) {
    TestDatabase& sur = prepare();
    origin().run(
        "INSERT INTO DESCUENTOS_PRECIOS VALUES (1, 'RECHAZAR', 10, '2025-01-15', '2025-02-28', 1, 'S');"
        "INSERT INTO DESCUENTOS_PRECIOS VALUES (1, 'TEMPORADA', 12, '2025-01-15', '2025-02-28', 2, 'S');"
        "INSERT INTO DESCUENTOS_PRECIOS_DET VALUES (1, 'A-0001', 10, 1, 'Cuadernos')");
    const int discount = addEvent(EventSpec(229, 1).to("003"));
    const int line = addEvent(EventSpec(2291, 1, "A-0001").to("003"));
    connect();

    ASSERT_EQ(run(), RunOutcome::Completed);

    EXPECT_EQ(sur.rows("select dctp_nombre, lipr_cod from descuentos_precios"),
              std::vector<std::string>{"TEMPORADA|2"});
    EXPECT_EQ(state(discount), "pending") << "a later row that is written does not clear the failure";
    EXPECT_NE(note(discount).find("DESCUENTOS_PRECIOS_RECHAZO"), std::string::npos) << note(discount);
    EXPECT_EQ(boxes().size(), 1);
    EXPECT_EQ(state(line), "stamped");
}

TEST_F(ErrorCaptureTest, RowThatCannotBePostedEndsTheRunSilently) {
    makeOrigin();
    TestDatabase& norte = addDestination("002", "Sucursal Norte");
    // The origin lets an article go without description and type; the destination requires both.
    origin().run("ALTER TABLE ARTICULO ALTER ARTI_DES DROP NOT NULL;"
                 "ALTER TABLE ARTICULO ALTER ARTI_TIPO DROP NOT NULL;"
                 "INSERT INTO ARTICULO (ARTI_COD, ARTI_PRECIO) VALUES ('A-0009', 100)");
    const int before = addEvent(EventSpec(1125, 1, std::nullopt, "D"));
    const int unposted = addEvent(EventSpec(101, std::nullopt, "A-0009", "I"));
    const int after = addEvent(EventSpec(1125, 2, std::nullopt, "D"));
    connect();

    EXPECT_THROW(run(), SilentAbort);

    EXPECT_EQ(install_.errorEntries(), std::vector<std::string>{"Field 'ARTI_DES' must have a value"});
    EXPECT_EQ(note(unposted), "Field 'ARTI_DES' must have a value");
    ASSERT_EQ(dialogs_.calls().size(), 2u);
    EXPECT_EQ(dialogs_.calls()[0].kind, Kind::Beep);
    EXPECT_EQ(dialogs_.calls()[1].kind, Kind::Error);
    EXPECT_EQ(dialogs_.calls()[1].text, QStringLiteral("Los campos ARTI_DES, ARTI_TIPO,  son obligatorios."));
    EXPECT_EQ(state(before), "stamped");
    EXPECT_EQ(state(unposted), "pending");
    EXPECT_EQ(state(after), "pending");
    EXPECT_EQ(norte.scalar("select count(*) from articulo"), "0");
    EXPECT_TRUE(view_.panelShown());
    EXPECT_FALSE(view_.timerOn());
    EXPECT_FALSE(session_.sendInProgress());

    // Once the origin row is mended, the next run starts clean and sends it.
    origin().run("UPDATE ARTICULO SET ARTI_DES = 'CUADERNO', ARTI_TIPO = 'P' WHERE ARTI_COD = 'A-0009'");
    ASSERT_EQ(run(), RunOutcome::Completed);
    EXPECT_EQ(norte.rows("select arti_cod, arti_des from articulo"),
              std::vector<std::string>{"A-0009|CUADERNO"});
    EXPECT_EQ(state(unposted), "stamped");
    EXPECT_EQ(state(after), "stamped");
}

TEST_F(ErrorCaptureTest, FailureOutsideARunMarksNoEvent) {
    makeOrigin();
    addDestination("002", "Sucursal Norte");
    const int broken = addEvent(EventSpec(1125, std::nullopt, std::nullopt, "D"));
    const int other = addEvent(EventSpec(1125, 2, std::nullopt, "D"));
    connect();
    EXPECT_THROW(run(), Error);

    // The destination list editor: a row without its company code cannot be posted...
    session_.destinationList().insert();
    session_.destinationList().fieldByName("RPPR_ID").setAsInteger(9);
    session_.destinationList().fieldByName("RPPR_NOMBRE").setAsString("Sucursal Centro");
    EXPECT_THROW(session_.destinationList().post(), SilentAbort);
    session_.destinationList().cancel();
    // ...and a row whose id is taken is refused by the origin.
    session_.destinationList().insert();
    session_.destinationList().fieldByName("RPPR_ID").setAsInteger(1);
    session_.destinationList().fieldByName("RPPR_COD").setAsString("005");
    session_.destinationList().post();
    EXPECT_NO_THROW(destinationList_.save());

    EXPECT_EQ(origin().scalar("select count(*) from replica_eventos where rpev_error is not null"), "0");
    EXPECT_EQ(note(broken), "<null>");
    EXPECT_EQ(note(other), "<null>");
    const std::vector<std::string> journal = install_.errorEntries();
    ASSERT_EQ(journal.size(), 2u);
    EXPECT_EQ(journal[0], "Field 'CodCia' must have a value");
    EXPECT_NE(journal[1].find("PK_REPLICA_PRECIOS"), std::string::npos) << journal[1];
    EXPECT_EQ(boxes(), (QStringList{QStringLiteral("Los campos RPPR_COD,  son obligatorios."),
                                    fromAnsi(withoutLast(journal[1]))}));
    EXPECT_EQ(origin().scalar("select count(*) from replica_precios"), "1");
}

TEST_F(ErrorCaptureTest, LongMessageIsCutToTheSizeOfTheNote) {
    makeOrigin();
    TestDatabase& norte = addDestination("002", "Sucursal Norte");
    // A refusal raised deep inside nested procedures: a long text followed by a long call trace.
    norte.run("CREATE EXCEPTION LARGA 'x';"
              "SET TERM ^ ;"
              "CREATE PROCEDURE RECHAZO (N INTEGER) AS BEGIN"
              "  IF (N > 0) THEN EXECUTE PROCEDURE RECHAZO (N - 1);"
              "  ELSE EXCEPTION LARGA RPAD('Fila rechazada: ', 1000, '*');"
              "END^"
              "CREATE TRIGGER PRECIOS_FUTUROS_RECHAZO FOR PRECIOS_FUTUROS ACTIVE BEFORE INSERT AS BEGIN"
              "  EXECUTE PROCEDURE RECHAZO (200);"
              "END^"
              "SET TERM ; ^");
    origin().run("INSERT INTO PRECIOS_FUTUROS VALUES (1, 'LISTA', '2025-01-20', 5.5, 1, 'N', 'DEMO')");
    const int refused = addEvent(EventSpec(1125, 1));
    const int next = addEvent(EventSpec(1125, 2, std::nullopt, "D"));
    connect();

    ASSERT_EQ(run(), RunOutcome::Completed);

    const std::vector<std::string> journal = install_.errorEntries();
    ASSERT_EQ(journal.size(), 1u);
    ASSERT_GT(journal.front().size(), 2048u) << "the journal keeps the whole message";
    EXPECT_EQ(note(refused), journal.front().substr(0, 2048));
    EXPECT_EQ(boxes(), QStringList{fromAnsi(withoutLast(journal.front()))});
    EXPECT_EQ(state(refused), "pending");
    EXPECT_EQ(state(next), "stamped");
}

TEST_F(ErrorCaptureTest, BoxTextsOfFailuresReportedDirectly) {
    // No database is involved: the event list is closed, so nothing is noted.
    StagedDataset& rows = session_.destinationRows();
    UpdateResponse response = UpdateResponse::Skip;
    session_.errorCapture().handleError(
        nullptr, nullptr, Error("Record not found or changed by another user"), UpdateKind::Delete, response);
    EXPECT_EQ(response, UpdateResponse::Abort);
    session_.errorCapture().handleError(nullptr, &rows, Error("Key violation."), UpdateKind::Modify,
                                        response);
    DataAction action = DataAction::Fail;
    session_.errorCapture().handleClientError(rows, Error("Key violation."), action);
    EXPECT_EQ(action, DataAction::Abort);
    Query senderQuery("QDestino", session_.destination());
    Provider sender("PDestino", senderQuery, true);
    session_.errorCapture().handleError(&sender, &rows,
                                        Error("Fie\xF1"
                                              "a"),
                                        UpdateKind::Insert, response);

    EXPECT_EQ(boxes(),
              (QStringList{QStringLiteral("Record not found or changed by another use"),
                           QStringLiteral("Ya existe un registro con el mismo "),
                           QStringLiteral("Ya existe un registro con el mismo "), QStringLiteral("Fieñ")}));
    EXPECT_EQ(dialogs_.texts(Kind::Beep).size(), 4);
    EXPECT_EQ(install_.errorEntries(),
              (std::vector<std::string>{"Record not found or changed by another user", "Key violation.",
                                        "Key violation.",
                                        "Fie\xF1"
                                        "a"}));
}

} // namespace
