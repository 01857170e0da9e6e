// A server that goes away in the middle of a send run: the destination's or the origin's, reached through a
// relay that the test cuts at a chosen moment. Every event stamped before the cut has its rows in the
// destination, the event being applied leaves nothing half-written, and the next run once the server is
// back finishes the rest. Company 003, reached straight and sent first, receives the same events and is the
// measure of what 002 must end up holding.

#include "app/FailureTranslation.h"
#include "faults/FaultFixture.h"

#include <algorithm>

using namespace envio;
using namespace envio::test;

namespace {

// One event of the workload and the destination rows that belong to it.
struct Work {
    EventSpec event;
    std::string rowsQuery;
};

std::vector<Work> workload() {
    return {
        {EventSpec(101, std::nullopt, "A-0001", "I"), "select * from articulo where arti_cod = 'A-0001'"},
        {EventSpec(101, std::nullopt, "A-0002", "I"), "select * from articulo where arti_cod = 'A-0002'"},
        {EventSpec(126, 1, "A-0001"),
         "select * from precios_articulo where lipr_cod = 1 and arti_cod = 'A-0001'"},
        {EventSpec(126, 2, "A-0001"),
         "select * from precios_articulo where lipr_cod = 2 and arti_cod = 'A-0001'"},
        {EventSpec(126, 3, "A-0002", "D"),
         "select * from precios_articulo where lipr_cod = 3 and arti_cod = 'A-0002'"},
        {EventSpec(1125, 1), "select * from precios_futuros where prfu_id = 1"},
        {EventSpec(1125, 2, std::nullopt, "I"), "select * from precios_futuros where prfu_id = 2"},
        {EventSpec(1126, 1, "A-0001"),
         "select * from precios_futuros_articulos where prfu_id = 1 and arti_cod = 'A-0001'"},
        {EventSpec(1126, 1, "A-0002"),
         "select * from precios_futuros_articulos where prfu_id = 1 and arti_cod = 'A-0002'"},
        {EventSpec(229, 1), "select * from descuentos_precios where dctp_id = 1 order by lipr_cod"},
        {EventSpec(2291, 1, "A-0001"),
         "select * from descuentos_precios_det where dctp_id = 1 and arti_cod = 'A-0001'"},
        {EventSpec(2291, 2, "A-0002", "A"),
         "select * from descuentos_precios_det where dctp_id = 2 and arti_cod = 'A-0002'"},
    };
}

const std::string kOriginData =
    fullArticle("A-0001", "CUADERNO COSIDO 100 HOJAS", 1) + ";" + fullArticle("A-0002", "LAPICERO NEGRO", 2) +
    ";INSERT INTO PRECIOS_ARTICULO (LIPR_COD, ARTI_COD, PRAR_FIJO, PRAR_MARGEN, PRAR_AUTO) VALUES (1, "
    "'A-0001', "
    "1250.5, 12.25, 'S');"
    "INSERT INTO PRECIOS_ARTICULO (LIPR_COD, ARTI_COD, PRAR_FIJO, PRAR_MARGEN, PRAR_AUTO) VALUES (2, "
    "'A-0001', "
    "1300, 10, 'N');"
    "INSERT INTO PRECIOS_FUTUROS VALUES (1, 'LISTA ESCOLAR 2025', '2025-01-20', 5.5, 1, 'N', 'DEMO');"
    "INSERT INTO PRECIOS_FUTUROS VALUES (2, 'AJUSTE PAPEL FEBRERO', '2025-02-01', 3.25, 2, 'N', 'DEMO');"
    "INSERT INTO PRECIOS_FUTUROS_ARTICULOS VALUES (1, 'A-0001', 3700.1235, NULL, 5.71, 100.5);"
    "INSERT INTO PRECIOS_FUTUROS_ARTICULOS VALUES (1, 'A-0002', 1400, 1350, 3.7, 50);"
    "INSERT INTO DESCUENTOS_PRECIOS VALUES (1, 'TEMPORADA ESCOLAR', 10, '2025-01-15', '2025-02-28', 1, 'S');"
    "INSERT INTO DESCUENTOS_PRECIOS VALUES (1, 'TEMPORADA ESCOLAR', 12, '2025-01-15', '2025-02-28', 2, 'S');"
    "INSERT INTO DESCUENTOS_PRECIOS_DET VALUES (1, 'A-0001', 15, 2, 'Cuadernos')";

// What every destination holds before the first run: rows that two events delete.
const std::string kDestinationData =
    "INSERT INTO PRECIOS_ARTICULO (LIPR_COD, ARTI_COD, PRAR_FIJO) VALUES (3, 'A-0002', 500);"
    "INSERT INTO DESCUENTOS_PRECIOS_DET VALUES (2, 'A-0002', 5, 1, 'Lapiceros')";

const QString kNetworkTranslation = QStringLiteral("No se encontró el equipo servidor con nombre ");

class ServerGoesAwayTest : public FaultTest {
protected:
    // Origin, then the measure 003 (straight) and 002 (through the relay when destinationCut), each given the
    // whole workload. Connects through the relay when the origin is the one to go away.
    void prepare(bool destinationCut) {
        makeServerOrigin().run(kOriginData);
        control_ = &addServerDestination("003", "Sucursal Sur");
        target_ = &addServerDestination("002", "Sucursal Norte", {}, destinationCut ? &proxy_ : nullptr);
        control_->run(kDestinationData);
        target_->run(kDestinationData);
        work_ = workload();
        std::string script;
        int id = 0;
        for (const Work& w : work_) {
            script += eventInsert(EventSpec(w.event).to("003"), ++id) + ";";
            script += eventInsert(w.event, ++id) + ";";
            events_.push_back(id);
            before_.push_back(target_->rows(w.rowsQuery));
        }
        origin().run(script);
        connectThrough(destinationCut ? nullptr : &proxy_);
    }

    // "stamped" or "pending" for every event of 002, in workload order.
    std::vector<std::string> states() {
        return origin().rows("select case when rpev_fecrep is null then 'pending' else 'stamped' end from "
                             "replica_eventos where rpev_compania = '002' order by rpev_id");
    }

    // Pumps of the run while 002's events are applied: 1 before its first event.
    int targetPump() {
        return view_.captions.isEmpty() || !view_.captions.back().endsWith(QStringLiteral("Norte"))
                   ? 0
                   : ++targetPumps_;
    }

    // After an abandoned run: the first `stamped` events of 002 are stamped with their rows as the measure
    // holds them; the others are pending with their rows untouched, except `committed`, whose rows arrived
    // before its stamp was lost.
    void expectCutAfter(std::size_t stamped, std::optional<std::size_t> committed = std::nullopt) {
        const std::vector<std::string> now = states();
        ASSERT_EQ(now.size(), work_.size());
        for (std::size_t i = 0; i < work_.size(); ++i) {
            const std::string what =
                "event " + std::to_string(i + 1) + " (" + std::to_string(work_[i].event.type) + ")";
            if (i < stamped || i == committed) {
                EXPECT_EQ(now[i], i < stamped ? "stamped" : "pending") << what;
                EXPECT_EQ(target_->rows(work_[i].rowsQuery), control_->rows(work_[i].rowsQuery)) << what;
            } else {
                EXPECT_EQ(now[i], "pending") << what;
                EXPECT_EQ(target_->rows(work_[i].rowsQuery), before_[i]) << what << ": nothing half-written";
            }
        }
    }

    // The server is back: the next run sends the rest, and 002 ends up as the measure.
    void expectNextRunFinishes() {
        proxy_.restore();
        dialogs_.clearCalls();
        ASSERT_EQ(run(), RunOutcome::Completed);
        EXPECT_EQ(origin().scalar("select count(*) from replica_eventos where rpev_fecrep is null"), "0");
        EXPECT_EQ(priceData(*target_), priceData(*control_));
        EXPECT_EQ(target_->scalar("select count(*) from descuentos_precios"), "1")
            << "both origin rows of the discount land on one destination row, once";
    }

    TcpProxy proxy_;
    TestDatabase* control_ = nullptr;
    TestDatabase* target_ = nullptr;
    std::vector<Work> work_;
    std::vector<int> events_;
    std::vector<std::vector<std::string>> before_;
    int targetPumps_ = 0;
};

TEST_F(ServerGoesAwayTest, DestinationGoesAwayBetweenEvents) {
    prepare(true);
    view_.onProcessMessages = [&] {
        if (targetPump() == 5)
            proxy_.cut();
    };
    const std::string message = failingRun();
    EXPECT_TRUE(translateFailure(message).startsWith(kNetworkTranslation)) << message;
    expectCutAfter(4);
    EXPECT_TRUE(view_.panelShown());
    EXPECT_FALSE(view_.timerOn());
    EXPECT_TRUE(boxes().isEmpty()) << "the caller shows the failure";

    view_.onProcessMessages = nullptr;
    expectNextRunFinishes();
}

// The destination goes away while the first write of the future price list 2 runs: the write is
// rolled back with its transaction, the failure is noted on the event, and the run is abandoned.
TEST_F(ServerGoesAwayTest, DestinationGoesAwayWhileARowIsWritten) {
    prepare(true);
    session_.destination().setStatementObserver([&](const std::string& sql,
                                                    const std::vector<Value>& params) {
        if (sql.rfind("insert into PRECIOS_FUTUROS\r\n", 0) == 0 && !params.empty() &&
            params.front() == Value::integer(2) &&
            session_.destination().parameters().value("Database").find("/datos/002/") != std::string::npos)
            proxy_.cut();
    });
    const std::string message = failingRun();
    EXPECT_TRUE(translateFailure(message).startsWith(kNetworkTranslation)) << message;
    expectCutAfter(6);
    EXPECT_TRUE(note(events_[6]).find("Unable to complete network request") != std::string::npos)
        << note(events_[6]);
    EXPECT_TRUE(translateFailure(install_.errorEntries().back()).startsWith(kNetworkTranslation));

    session_.destination().setStatementObserver(nullptr);
    expectNextRunFinishes();
}

// The rows of an event are written in one transaction of the destination: cut after the first of two
// discount rows, the event stays pending with none of them kept, and the next run writes it whole.
TEST_F(ServerGoesAwayTest, DiscountCutBetweenItsRowsIsCompletedByTheNextRun) {
    prepare(true);
    session_.destination().setStatementObserver([&](const std::string& sql, const std::vector<Value>&) {
        if (sql.rfind("update DESCUENTOS_PRECIOS ", 0) == 0 &&
            session_.destination().parameters().value("Database").find("/datos/002/") != std::string::npos)
            proxy_.cut();
    });
    const std::string message = failingRun();
    EXPECT_TRUE(translateFailure(message).startsWith(kNetworkTranslation)) << message;
    const std::vector<std::string> now = states();
    EXPECT_EQ(std::count(now.begin(), now.end(), "stamped"), 9);
    EXPECT_EQ(now[9], "pending");
    EXPECT_EQ(target_->scalar("select count(*) from descuentos_precios"), "0");

    session_.destination().setStatementObserver(nullptr);
    expectNextRunFinishes();
}

TEST_F(ServerGoesAwayTest, OriginGoesAwayBetweenEvents) {
    prepare(false);
    view_.onProcessMessages = [&] {
        if (targetPump() == 6)
            proxy_.cut();
    };
    const std::string message = failingRun();
    EXPECT_TRUE(translateFailure(message).startsWith(kNetworkTranslation)) << message;
    expectCutAfter(5);

    // The same window sends again once the server is back, without connecting anew.
    view_.onProcessMessages = nullptr;
    expectNextRunFinishes();
}

// The origin goes away when the article price of list 2 has reached the destination and its stamp is
// being written: the event stays pending with its row sent, and the next run sends it again, to the same
// effect.
TEST_F(ServerGoesAwayTest, OriginGoesAwayBeforeAStamp) {
    prepare(false);
    int stamps = 0;
    session_.origin().setStatementObserver([&](const std::string& sql, const std::vector<Value>&) {
        if (sql.rfind("UPDATE REPLICA_EVENTOS SET RPEV_FECREP", 0) == 0 && ++stamps == 12 + 4)
            proxy_.cut();
    });
    const std::string message = failingRun();
    EXPECT_TRUE(translateFailure(message).startsWith(kNetworkTranslation)) << message;
    expectCutAfter(3, 3);

    session_.origin().setStatementObserver(nullptr);
    expectNextRunFinishes();
}

} // namespace
