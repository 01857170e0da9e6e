#include "replication/PendingEvents.h"

#include "replication/ReplicationSession.h"
#include "support/ScriptedDialogs.h"
#include "support/TestDatabase.h"

#include <gtest/gtest.h>

using namespace envio;
using namespace envio::test;

namespace {

class PendingEventsTest : public ::testing::Test {
protected:
    void SetUp() override {
        origin = std::make_unique<TestDatabase>(std::vector<std::string>{"company.sql"});
        origin->run("insert into TIPO_DOCUMENTO (TIDO_COD, TIDO_NOMCORTO) values (126, 'PRECIO');"
                    "insert into TIPO_DOCUMENTO (TIDO_COD, TIDO_NOMCORTO) values (229, 'DESCUENTO');");
        // 1: listed; 2: article event, never listed; 3: stamped, never listed; 4: failed, listed;
        // 5: type without a name; 6: listed.
        origin->run("insert into REPLICA_EVENTOS (RPEV_ID, RPEV_COMPANIA, RPEV_TIPO, RPEV_CODIGO, RPEV_OPER) "
                    "values (1, "
                    "'002', 126, 'A-1', 'M');"
                    "insert into REPLICA_EVENTOS (RPEV_ID, RPEV_COMPANIA, RPEV_TIPO, RPEV_CODIGO, RPEV_OPER) "
                    "values (2, "
                    "'002', 101, 'A-2', 'I');"
                    "insert into REPLICA_EVENTOS (RPEV_ID, RPEV_COMPANIA, RPEV_TIPO, RPEV_CODIGO, "
                    "RPEV_FECREP) values (3, "
                    "'002', 126, 'A-3', '2026-01-01');"
                    "insert into REPLICA_EVENTOS (RPEV_ID, RPEV_COMPANIA, RPEV_TIPO, RPEV_CODIGO, "
                    "RPEV_ERROR) values (4, "
                    "'003', 229, 'A''4', 'fallo');"
                    "insert into REPLICA_EVENTOS (RPEV_ID, RPEV_COMPANIA, RPEV_TIPO, RPEV_CODIGO) values (5, "
                    "'003', 1125, "
                    "'');"
                    "insert into REPLICA_EVENTOS (RPEV_ID, RPEV_COMPANIA, RPEV_TIPO, RPEV_CODIGO) values (6, "
                    "'003', 2291, "
                    "'A-6');");
        session = std::make_unique<ReplicationSession>();
        session->origin().setParameter("Database", origin->location());
        // The destination connection points nowhere: the list must not depend on it.
        session->destination().setParameter("Database", origin->directory() + "/nowhere.fdb");
    }

    // "id:type name" of every listed row, in the order shown.
    static std::vector<std::string> listed(PendingEvents& p) {
        StagedDataset& list = p.list();
        const int id = list.fieldByName("RPEV_ID").index();
        const int name = list.fieldByName("NomTipo").index();
        std::vector<std::string> out;
        for (int r = 0; r < list.recordCount(); ++r) {
            const Value& n = list.valueAt(r, name);
            out.push_back(std::to_string(list.valueAt(r, id).asInteger()) + ":" +
                          (n.isNull() ? "" : n.asString()));
        }
        return out;
    }

    std::unique_ptr<TestDatabase> origin;
    std::unique_ptr<ReplicationSession> session;
    ScriptedDialogs desktop;
    ScopedDialogs scope{desktop};
};

} // namespace

TEST_F(PendingEventsTest, ListsPendingPriceEventsWithTheirTypeNames) {
    PendingEvents pending(*session);
    pending.open();
    EXPECT_EQ(listed(pending), (std::vector<std::string>{"1:PRECIO", "4:DESCUENTO", "5:", "6:"}));
    EXPECT_EQ(pending.list().fieldByName("RPEV_CODIGO").displayName(), "C\xf3"
                                                                       "digo");
    EXPECT_EQ(pending.list().fieldByName("NomTipo").displayName(), "Tipo doc");
    EXPECT_FALSE(session->destination().isOpen());
}

TEST_F(PendingEventsTest, DeleteAsksFirstAndKeepsThePosition) {
    PendingEvents pending(*session);
    pending.open();
    pending.list().setRecNo(2); // event 4, whose code holds a quote

    desktop.setNextConfirm(false);
    EXPECT_FALSE(pending.deleteCurrent());
    ASSERT_EQ(desktop.calls().size(), 1u);
    EXPECT_EQ(desktop.calls()[0].kind, ScriptedDialogs::Kind::Confirm);
    EXPECT_EQ(desktop.calls()[0].caption, QStringLiteral("Confirm"));
    EXPECT_EQ(desktop.calls()[0].text,
              QStringLiteral("Esta seguro de borrar el evento para el documento A'4?"));
    EXPECT_EQ(origin->scalar("select count(*) from REPLICA_EVENTOS where RPEV_ID = 4"), "1");

    desktop.setNextConfirm(true);
    EXPECT_TRUE(pending.deleteCurrent());
    EXPECT_EQ(origin->scalar("select count(*) from REPLICA_EVENTOS where RPEV_ID = 4"), "0");
    EXPECT_EQ(listed(pending), (std::vector<std::string>{"1:PRECIO", "5:", "6:"}));
    EXPECT_EQ(pending.list().recNo(), 2) << "the same ordinal position stays current";
    EXPECT_EQ(pending.list().fieldByName("RPEV_ID").AsInteger(), 5);
}

TEST_F(PendingEventsTest, DeleteOnAnEmptyListDoesNothing) {
    origin->run("delete from REPLICA_EVENTOS");
    PendingEvents pending(*session);
    pending.open();
    EXPECT_FALSE(pending.deleteCurrent());
    EXPECT_TRUE(desktop.calls().empty());
}
