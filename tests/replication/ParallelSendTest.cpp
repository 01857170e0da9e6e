// A send run serving several destinations at once: every event applied, stamped or noted as when served one
// after another, and each destination's journal lines kept together.

#include "ReplicationFixture.h"

#include <QDeadlineTimer>
#include <QThread>
#include <map>

using namespace envio;
using namespace envio::test;

namespace {

class ParallelSendTest : public ReplicationTest {};

TEST_F(ParallelSendTest, FiveDestinationsOneRefusingOneUnreachable) {
    makeOrigin();
    std::map<std::string, TestDatabase*> reachable;
    reachable["002"] = &addDestination("002", "Sucursal Norte");
    reachable["003"] = &addDestination("003", "Sucursal Sur", {"company_triggers.sql"});
    addDestinationEntry("004", "Sucursal Lejana", "127.0.0.1/3059:/x");
    reachable["005"] = &addDestination("005", "Sucursal Este");
    reachable["006"] = &addDestination("006", "Sucursal Oeste");
    for (int list = 1; list <= 3; ++list)
        origin().run("INSERT INTO PRECIOS_FUTUROS VALUES (" + std::to_string(list) + ", 'LISTA " +
                     std::to_string(list) + "', '2025-01-20', 5.5, 1, 'N', 'DEMO')");
    origin().run(fullArticle("A-0004", "RECHAZAR", 4));

    std::map<int, std::string> destinationOf;
    const int refused = addEvent(EventSpec(101, std::nullopt, "A-0004", "I").to("003"));
    destinationOf[refused] = "003";
    for (int list = 1; list <= 3; ++list)
        for (const char* code : {"002", "003", "004", "005", "006"})
            destinationOf[addEvent(EventSpec(1125, list).to(code))] = code;
    connect();

    // While the refusal's box is up, the other destinations are served to the end and Sucursal Sur waits.
    std::vector<int> othersPendingDuringBox;
    std::string surNextDuringBox;
    dialogs_.whileErrorShown = [&] {
        const QDeadlineTimer deadline(20000);
        auto othersPending = [&] {
            return std::stoi(
                origin().scalar("select count(*) from replica_eventos where rpev_fecrep is null and "
                                "rpev_compania in ('002', '005', '006')"));
        };
        while (othersPending() > 0 && !deadline.hasExpired())
            QThread::msleep(20);
        othersPendingDuringBox.push_back(othersPending());
        surNextDuringBox = state(refused + 2);
    };

    ASSERT_EQ(run(4), RunOutcome::Completed);
    EXPECT_EQ(othersPendingDuringBox, std::vector<int>{0});
    EXPECT_EQ(surNextDuringBox, "pending");

    for (const auto& [id, code] : destinationOf) {
        if (id == refused) {
            EXPECT_EQ(state(id), "pending");
            EXPECT_NE(note(id).find("ARTICULO_RECHAZO"), std::string::npos) << note(id);
        } else if (code == "004") {
            EXPECT_EQ(state(id), "pending") << id;
            EXPECT_EQ(note(id), "<null>") << id;
        } else {
            EXPECT_EQ(state(id), "stamped") << id << " for " << code;
        }
    }
    for (const auto& [code, db] : reachable)
        EXPECT_EQ(db->scalar("select count(*) from precios_futuros"), "3") << code;

    // Each destination's lines form one block: its "Inicio" line, then exactly its own events.
    const std::vector<std::string> audit = install_.auditEntries();
    std::map<std::string, int> blocks;
    for (std::size_t i = 0; i < audit.size();) {
        ASSERT_EQ(audit[i].rfind("Inicio,", 0), 0u) << audit[i];
        const std::string code = audit[i].substr(7, 3);
        const int read = std::stoi(audit[i].substr(11));
        ++blocks[code];
        ++i;
        const int applied = code == "004" ? 0 : read;
        for (int k = 0; k < applied; ++k, ++i) {
            ASSERT_LT(i, audit.size());
            EXPECT_EQ(destinationOf[std::stoi(audit[i])], code) << audit[i];
        }
    }
    EXPECT_EQ(blocks,
              (std::map<std::string, int>{{"002", 1}, {"003", 1}, {"004", 1}, {"005", 1}, {"006", 1}}));
    EXPECT_EQ(install_.errorEntries().size(), 2u) << "the refusal and the unreachable destination";

    ASSERT_EQ(view_.done.size(), 5u);
    int failed = 0, applied = 0;
    for (const DestinationSummary& d : view_.done) {
        failed += d.failed;
        applied += d.applied;
        EXPECT_EQ(d.connected, d.code != "004") << d.code;
    }
    EXPECT_EQ(failed, 1);
    EXPECT_EQ(applied, 12);
    EXPECT_EQ(boxes().size(), 1);
    // The bar counts the events of every destination together.
    ASSERT_FALSE(view_.ranges.empty());
    EXPECT_EQ(view_.ranges.back(), 13);
    EXPECT_EQ(view_.positions.back(), 13);
    EXPECT_TRUE(view_.timerOn());
    EXPECT_FALSE(view_.panelShown());
}

} // namespace
