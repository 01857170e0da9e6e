#include "StagedTestUtil.h"

#include <memory>
#include <string>
#include <vector>

using namespace envio;
using namespace envio::test;

namespace {

// A company database with three destination entries, two document types, pending events and typed rows.
class StagedBase : public RegionalFormats {
protected:
    void SetUp() override {
        RegionalFormats::SetUp();
        db = std::make_unique<TestDatabase>(std::vector<std::string>{"types.sql", "company.sql"});
        db->run("insert into REPLICA_PRECIOS values (1, 'Norte', 'srv1', '001');"
                "insert into REPLICA_PRECIOS values (2, 'Sur', null, '002');"
                "insert into REPLICA_PRECIOS values (3, 'Este', 'srv3', '003');");
        conn = companyConnection(*db);
    }

    void seedTypes() {
        db->run(
            "insert into ALLTYPES (ID, C_INTEGER, C_VARCHAR, C_REQUIRED) values (1, 7, 'pera', 'a');"
            "insert into ALLTYPES (ID, C_INTEGER, C_VARCHAR, C_REQUIRED) values (2, 3, 'Manzana', 'b');"
            "insert into ALLTYPES (ID, C_INTEGER, C_VARCHAR, C_REQUIRED) values (3, 9, 'uva', 'c');"
            "insert into ALLTYPES (ID, C_INTEGER, C_VARCHAR, C_REQUIRED) values (4, null, 'manzana', 'd');");
    }

    std::unique_ptr<Staged> destinationList() {
        return std::make_unique<Staged>(*conn, "Creplicac", "SELECT * FROM REPLICA_PRECIOS", false,
                                        destinationListFields());
    }

    // The column values of every row, in the dataset's current order.
    static std::vector<std::string> rowsOf(StagedDataset& ds, const std::vector<std::string>& fields) {
        std::vector<std::string> out;
        for (ds.first(); !ds.eof(); ds.next()) {
            std::string line;
            for (const std::string& f : fields) {
                if (!line.empty())
                    line += "|";
                line += ds.fieldByName(f).isNull() ? "<null>" : ds.fieldByName(f).AsString();
            }
            out.push_back(line);
        }
        return out;
    }

    std::unique_ptr<TestDatabase> db;
    std::unique_ptr<Connection> conn;
};

class StagedOpenTest : public StagedBase {};
class StagedEditTest : public StagedBase {};
class StagedErrorEventTest : public StagedBase {};
class StagedChangeLogTest : public StagedBase {};
class StagedRefreshTest : public StagedBase {};
class StagedLookupTest : public StagedBase {};
class StagedOrderFilterTest : public StagedBase {};

} // namespace

// ---- opening: command text and field lists ----------------------------------------------------------------

TEST_F(StagedOpenTest, CommandTextOnAProviderThatRefusesItFailsTheOpen) {
    auto c = destinationList();
    c->ds.setCommandText("SELECT * FROM REPLICA_PRECIOS");
    EXPECT_EQ(failureOf([&] { c->ds.open(); }), "CommandText changes are not allowed");
    EXPECT_FALSE(c->ds.isOpen());
    EXPECT_EQ(c->ds.state(), DatasetState::Inactive);
    EXPECT_EQ(failureOf([&] { c->ds.execute(); }), "CommandText changes are not allowed");

    c->ds.setCommandText("");
    c->ds.open();
    EXPECT_EQ(c->ds.recordCount(), 3) << "without command text the query's own statement is read";
    EXPECT_EQ(c->ds.state(), DatasetState::Browse);
    EXPECT_EQ(c->ds.fieldByName("RPPR_NOMBRE").AsString(), "Norte") << "the first row is current";
}

TEST_F(StagedOpenTest, CommandTextReplacesTheQueryTextAtTheNextOpen) {
    Staged s(*conn, "CBorrar", "select * from REPLICA_PRECIOS", true);
    s.ds.setCommandText("select RPPR_ID from REPLICA_PRECIOS where RPPR_ID > 1");
    s.ds.open();
    EXPECT_EQ(s.ds.recordCount(), 2);
    EXPECT_EQ(s.ds.fieldCount(), 1);
    s.ds.setCommandText("select RPPR_COD from REPLICA_PRECIOS where RPPR_ID = 3");
    EXPECT_EQ(s.ds.recordCount(), 2) << "the new command text waits for the next open";
    s.ds.close();
    s.ds.open();
    ASSERT_EQ(s.ds.recordCount(), 1);
    EXPECT_EQ(s.ds.field(0).AsString(), "003");
    EXPECT_EQ(s.query.text(), "select RPPR_COD from REPLICA_PRECIOS where RPPR_ID = 3");
}

TEST_F(StagedOpenTest, FixedFieldListBindsByNameWithLabelsSizesAndRequiredFlags) {
    auto c = destinationList();
    c->ds.open();
    ASSERT_EQ(c->ds.fieldCount(), 4);
    Field& cod = c->ds.fieldByName("rppr_cod");
    EXPECT_EQ(cod.name(), "RPPR_COD");
    EXPECT_EQ(cod.displayName(), "CodCia");
    EXPECT_TRUE(cod.required());
    EXPECT_TRUE(cod.fixedLength());
    EXPECT_EQ(cod.size(), 3);
    EXPECT_EQ(cod.AsString(), "001");
    EXPECT_EQ(c->ds.fieldByName("RPPR_ID").displayName(), "Id");
    EXPECT_TRUE(c->ds.fieldByName("RPPR_ID").required());
    EXPECT_FALSE(c->ds.fieldByName("RPPR_NOMBRE").required());
    EXPECT_EQ(c->ds.fieldByName("RPPR_NOMBRE").size(), 60);
}

TEST_F(StagedOpenTest, ResultColumnsOutsideAFixedListAreNotReachable) {
    Staged s(*conn, "CEventos", "", true,
             {FieldDef{"RPPR_ID", FieldType::Integer, 0, true, "", false},
              FieldDef{"RPPR_NOMBRE", FieldType::String, 60, false, "", false}});
    s.ds.setCommandText("select * from REPLICA_PRECIOS");
    s.ds.open();
    EXPECT_EQ(s.ds.fieldCount(), 2);
    EXPECT_EQ(failureOf([&] { s.ds.fieldByName("RPPR_COD"); }), "CEventos: Field 'RPPR_COD' not found");
}

TEST_F(StagedOpenTest, FixedFieldWithoutItsColumnFailsWithTheDisplayName) {
    Staged s(*conn, "Creplicac", "", true, destinationListFields());
    s.ds.setCommandText("select RPPR_ID, RPPR_NOMBRE, RPPR_SERVIDOR from REPLICA_PRECIOS");
    EXPECT_EQ(failureOf([&] { s.ds.open(); }), "Creplicac: Field 'CodCia' not found");
    EXPECT_FALSE(s.ds.isOpen());

    Staged plain(*conn, "CEventos", "", true, {FieldDef{"RPEV_ID", FieldType::Integer, 0, true, "", false}});
    plain.ds.setCommandText("select RPPR_ID from REPLICA_PRECIOS");
    EXPECT_EQ(failureOf([&] { plain.ds.open(); }), "CEventos: Field 'RPEV_ID' not found")
        << "without a label the name is shown";
}

TEST_F(StagedOpenTest, FixedFieldOfAnotherTypeFailsWithTypeMismatch) {
    Staged s(*conn, "Creplicac", "", true,
             {FieldDef{"RPPR_ID", FieldType::String, 10, true, "Id", false},
              FieldDef{"RPPR_COD", FieldType::String, 3, true, "CodCia", true}});
    s.ds.setCommandText("SELECT * FROM REPLICA_PRECIOS");
    EXPECT_EQ(failureOf([&] { s.ds.open(); }),
              "Creplicac: Type mismatch for field 'Id', expecting: String actual: Integer");
    EXPECT_FALSE(s.ds.isOpen());
}

TEST_F(StagedOpenTest, RefusedStatementLeavesItInactive) {
    Staged s(*conn, "CDestino", "", true);
    s.ds.setCommandText("select * from NO_SUCH_TABLE");
    const std::string failure = failureOf([&] { s.ds.open(); });
    EXPECT_EQ(failure.rfind("SQL Server Error: ", 0), 0u) << failure;
    EXPECT_NE(failure.find("NO_SUCH_TABLE"), std::string::npos) << failure;
    EXPECT_FALSE(s.ds.isOpen());
}

TEST_F(StagedOpenTest, ClosedDatasetRefusesOperationsWithoutCallingHandlers) {
    auto c = destinationList();
    int calls = 0;
    auto handler = [&](StagedDataset&, const Error&, DataAction&) { ++calls; };
    c->ds.setOnEditError(handler);
    c->ds.setOnPostError(handler);
    c->ds.setOnDeleteError(handler);
    c->provider.setOnUpdateError(
        [&](Provider*, StagedDataset*, const Error&, UpdateKind, UpdateResponse&) { ++calls; });
    const std::string closed = "Creplicac: Cannot perform this operation on a closed dataset";
    EXPECT_EQ(failureOf([&] { c->ds.next(); }), closed);
    EXPECT_EQ(failureOf([&] { c->ds.insert(); }), closed);
    EXPECT_EQ(failureOf([&] { c->ds.edit(); }), closed);
    EXPECT_EQ(failureOf([&] { c->ds.remove(); }), closed);
    EXPECT_EQ(failureOf([&] { c->ds.applyUpdates(0); }), closed);
    EXPECT_EQ(failureOf([&] { c->ds.cancelUpdates(); }), closed);
    EXPECT_EQ(failureOf([&] { c->ds.refresh(); }), closed);
    EXPECT_EQ(calls, 0);

    c->ds.open();
    c->ds.edit();
    c->ds.fieldByName("RPPR_NOMBRE").setAsString("changed");
    c->ds.close();
    EXPECT_EQ(c->ds.state(), DatasetState::Inactive) << "closing in edit drops the pending row";
    c->ds.close();
    c->ds.open();
    EXPECT_EQ(c->ds.fieldByName("RPPR_NOMBRE").AsString(), "Norte");
    EXPECT_EQ(c->ds.changeCount(), 0);
}

TEST_F(StagedOpenTest, IndexFieldsComeFromTheOrderByOfTheOpeningStatement) {
    db->run("insert into REPLICA_EVENTOS (RPEV_ID, RPEV_COMPANIA, RPEV_TIPO) values (1, '001', 126)");
    Staged ev(*conn, "CEventos", "", true);
    ev.ds.setCommandText(
        "select * from replica_eventos where rpev_fecrep is null order by rpev_fecreg, rpev_horareg");
    ev.ds.open();
    EXPECT_TRUE(ev.ds.fieldByName("RPEV_FECREG").isIndexField());
    EXPECT_TRUE(ev.ds.fieldByName("RPEV_HORAREG").isIndexField());
    EXPECT_FALSE(ev.ds.fieldByName("RPEV_ID").isIndexField());
    ev.ds.close();

    ev.ds.setCommandText(
        "select * from replica_eventos r WHERE R.rpev_fecrep IS NULL and r.rpev_error is null "
        "order by r.rpev_id desc");
    ev.ds.open();
    EXPECT_TRUE(ev.ds.fieldByName("RPEV_ID").isIndexField());
    EXPECT_FALSE(ev.ds.fieldByName("RPEV_FECREG").isIndexField()) << "flags follow the latest open";
    ev.ds.close();

    ev.ds.setCommandText("select * from replica_eventos");
    ev.ds.open();
    for (int i = 0; i < ev.ds.fieldCount(); ++i)
        EXPECT_FALSE(ev.ds.field(i).isIndexField()) << ev.ds.field(i).name();
    ev.ds.close();

    ev.ds.setCommandText("select RPEV_ID, RPEV_CODIGO from replica_eventos order by 2");
    ev.ds.open();
    EXPECT_TRUE(ev.ds.fieldByName("RPEV_CODIGO").isIndexField()) << "a column named by its position";
    EXPECT_FALSE(ev.ds.fieldByName("RPEV_ID").isIndexField());
}

TEST_F(StagedOpenTest, FieldsOfAFixedListOutliveCloseAndOpen) {
    auto c = destinationList();
    c->ds.open();
    Field& nombre = c->ds.fieldByName("RPPR_NOMBRE");
    c->ds.close();
    db->run("update REPLICA_PRECIOS set RPPR_NOMBRE = 'Septentrion' where RPPR_ID = 1");
    c->ds.open();
    EXPECT_EQ(&nombre, &c->ds.fieldByName("RPPR_NOMBRE"));
    EXPECT_EQ(nombre.AsString(), "Septentrion");
}

// ---- editing in memory ------------------------------------------------------------------------------------

TEST_F(StagedEditTest, InsertPostAndCancelChangeStateRowsAndLog) {
    auto c = destinationList();
    c->ds.open();
    c->ds.insert();
    EXPECT_EQ(c->ds.state(), DatasetState::Insert);
    for (int i = 0; i < c->ds.fieldCount(); ++i)
        EXPECT_TRUE(c->ds.field(i).isNull()) << "a new row starts with every field NULL";
    c->ds.fieldByName("RPPR_ID").setAsInteger(9);
    c->ds.fieldByName("RPPR_COD").setAsString("009");
    c->ds.cancel();
    EXPECT_EQ(c->ds.state(), DatasetState::Browse);
    EXPECT_EQ(c->ds.recordCount(), 3);
    EXPECT_EQ(c->ds.changeCount(), 0);

    c->ds.insert();
    c->ds.fieldByName("RPPR_ID").setAsInteger(9);
    c->ds.fieldByName("RPPR_COD").setAsString("009");
    c->ds.post();
    EXPECT_EQ(c->ds.state(), DatasetState::Browse);
    EXPECT_EQ(c->ds.recordCount(), 4);
    EXPECT_EQ(c->ds.changeCount(), 1);
    EXPECT_EQ(c->ds.fieldByName("RPPR_ID").AsInteger(), 9) << "the posted row is current";
    EXPECT_EQ(db->scalar("select count(*) from REPLICA_PRECIOS"), "3") << "nothing reaches the database";
}

TEST_F(StagedEditTest, EditCancelRestoresAndEditOnEmptyInserts) {
    auto c = destinationList();
    c->ds.open();
    c->ds.next();
    c->ds.edit();
    EXPECT_EQ(c->ds.state(), DatasetState::Edit);
    c->ds.fieldByName("RPPR_NOMBRE").setAsString("Sur nuevo");
    c->ds.edit();
    EXPECT_EQ(c->ds.fieldByName("RPPR_NOMBRE").AsString(), "Sur nuevo") << "edit while editing does nothing";
    c->ds.cancel();
    EXPECT_EQ(c->ds.fieldByName("RPPR_NOMBRE").AsString(), "Sur");
    EXPECT_EQ(c->ds.changeCount(), 0);

    Staged empty(*conn, "CDestino", "", true);
    empty.ds.setCommandText("select * from REPLICA_PRECIOS where RPPR_ID = 99");
    empty.ds.open();
    EXPECT_TRUE(empty.ds.isEmpty());
    empty.ds.edit();
    EXPECT_EQ(empty.ds.state(), DatasetState::Insert);
}

TEST_F(StagedEditTest, InsertPostsAChangedRowFirstAndDropsAnUnchangedOne) {
    auto c = destinationList();
    c->ds.open();
    c->ds.edit();
    c->ds.insert();
    EXPECT_EQ(c->ds.changeCount(), 0) << "an unchanged edit is cancelled";
    c->ds.cancel();
    c->ds.edit();
    c->ds.fieldByName("RPPR_NOMBRE").setAsString("Norte 2");
    c->ds.insert();
    EXPECT_EQ(c->ds.state(), DatasetState::Insert);
    EXPECT_EQ(c->ds.changeCount(), 1) << "a changed edit is posted";
    c->ds.cancel();
    c->ds.first();
    EXPECT_EQ(c->ds.fieldByName("RPPR_NOMBRE").AsString(), "Norte 2");
}

TEST_F(StagedEditTest, WritingAFieldNeedsEditOrInsertAndAWritableField) {
    seedTypes();
    Staged s(*conn, "CDestino", "select * from ALLTYPES order by ID", true);
    s.ds.open();
    EXPECT_EQ(failureOf([&] { s.ds.fieldByName("C_VARCHAR").setAsString("x"); }),
              "CDestino: Dataset not in edit or insert mode");
    s.ds.edit();
    EXPECT_EQ(failureOf([&] { s.ds.fieldByName("C_COMPUTED").setAsInteger(1); }),
              "Field 'C_COMPUTED' cannot be modified");
    EXPECT_EQ(s.ds.fieldByName("C_COMPUTED").AsInteger(), 14);
}

TEST_F(StagedEditTest, WrittenTextIsCutOrStoredAsNullByFieldType) {
    seedTypes();
    Staged s(*conn, "CDestino", "select * from ALLTYPES order by ID", true);
    s.ds.open();
    s.ds.edit();
    const std::string seventy(70, 'x');
    s.ds.fieldByName("C_VARCHAR").setAsString(seventy);
    EXPECT_EQ(s.ds.fieldByName("C_VARCHAR").AsString(), std::string(60, 'x'));
    const std::pair<const char*, const char*> typed[] = {
        {"C_INTEGER", "5"}, {"C_DATE", "04/03/2026"}, {"C_NUM92", "1,5"},
        {"C_NUM184", "2"},  {"C_DOUBLE", "2,5"},      {"C_TIMESTAMP", "04/03/2026 10:00:00"}};
    for (const auto& [name, text] : typed) {
        s.ds.fieldByName(name).setAsString(text);
        EXPECT_FALSE(s.ds.fieldByName(name).isNull()) << name;
        s.ds.fieldByName(name).setAsString("");
        EXPECT_TRUE(s.ds.fieldByName(name).isNull()) << name;
    }
    s.ds.fieldByName("C_TEXT").setAsString("");
    EXPECT_FALSE(s.ds.fieldByName("C_TEXT").isNull()) << "an empty BLOB is content of length 0";
    EXPECT_EQ(s.ds.fieldByName("C_TEXT").AsVariant(), Value::string(""));
    s.ds.fieldByName("C_REQUIRED").setAsString("");
    EXPECT_FALSE(s.ds.fieldByName("C_REQUIRED").isNull())
        << "empty text into a string stores an empty string";
    s.ds.post();
    EXPECT_EQ(s.ds.changeCount(), 1);
}

TEST_F(StagedEditTest, RequiredCheckNamesTheDisplayLabelBeforeAnythingIsLogged) {
    auto c = destinationList();
    c->ds.open();
    c->ds.insert();
    EXPECT_EQ(failureOf([&] { c->ds.post(); }), "Field 'Id' must have a value")
        << "fields are visited in order";
    c->ds.fieldByName("RPPR_ID").setAsInteger(9);
    c->ds.fieldByName("RPPR_NOMBRE").setAsString("Oeste");
    EXPECT_EQ(failureOf([&] { c->ds.post(); }), "Field 'CodCia' must have a value");
    EXPECT_EQ(c->ds.state(), DatasetState::Insert) << "a failed post stays in insert";
    EXPECT_EQ(c->ds.changeCount(), 0);
    EXPECT_EQ(c->ds.recordCount(), 3);
    c->ds.fieldByName("RPPR_COD").setAsString("009");
    c->ds.post();
    EXPECT_EQ(c->ds.changeCount(), 1);

    c->ds.edit();
    c->ds.fieldByName("RPPR_COD").clear();
    EXPECT_EQ(failureOf([&] { c->ds.post(); }), "Field 'CodCia' must have a value");
    EXPECT_EQ(c->ds.state(), DatasetState::Edit);
    EXPECT_EQ(c->ds.changeCount(), 1);
}

TEST_F(StagedEditTest, DeleteRemovesTheCurrentRowOrCancelsAnInsertion) {
    auto c = destinationList();
    c->ds.open();
    c->ds.insert();
    c->ds.fieldByName("RPPR_ID").setAsInteger(9);
    c->ds.remove();
    EXPECT_EQ(c->ds.state(), DatasetState::Browse);
    EXPECT_EQ(c->ds.recordCount(), 3);
    EXPECT_EQ(c->ds.changeCount(), 0) << "delete while inserting cancels the insertion";

    c->ds.next();
    c->ds.remove();
    EXPECT_EQ(c->ds.recordCount(), 2);
    EXPECT_EQ(c->ds.changeCount(), 1);
    EXPECT_EQ(rowsOf(c->ds, {"RPPR_ID"}), (std::vector<std::string>{"1", "3"}));

    Staged empty(*conn, "CDestino", "", true);
    empty.ds.setCommandText("select * from REPLICA_PRECIOS where RPPR_ID = 99");
    empty.ds.open();
    EXPECT_EQ(failureOf([&] { empty.ds.remove(); }),
              "CDestino: Cannot perform this operation on an empty dataset");
}

// ---- error events -----------------------------------------------------------------------------------------

TEST_F(StagedErrorEventTest, PostErrorHandlerDecidesFailAbortOrRetry) {
    auto c = destinationList();
    c->ds.open();
    std::vector<std::string> seen;
    DataAction answer = DataAction::Fail;
    c->ds.setOnPostError([&](StagedDataset& ds, const Error& failure, DataAction& action) {
        EXPECT_EQ(&ds, &c->ds);
        EXPECT_EQ(action, DataAction::Fail) << "the action starts as fail";
        seen.push_back(failure.what());
        if (answer == DataAction::Retry)
            ds.fieldByName("RPPR_COD").setAsString("009");
        action = answer;
    });
    c->ds.insert();
    c->ds.fieldByName("RPPR_ID").setAsInteger(9);

    EXPECT_EQ(failureOf([&] { c->ds.post(); }), "Field 'CodCia' must have a value");
    EXPECT_EQ(seen, std::vector<std::string>{"Field 'CodCia' must have a value"});
    EXPECT_EQ(c->ds.state(), DatasetState::Insert);

    answer = DataAction::Abort;
    EXPECT_THROW(c->ds.post(), SilentAbort);
    EXPECT_EQ(seen.size(), 2u);
    EXPECT_EQ(c->ds.state(), DatasetState::Insert);
    EXPECT_EQ(c->ds.changeCount(), 0);

    answer = DataAction::Retry;
    c->ds.post();
    EXPECT_EQ(seen.size(), 3u) << "the retried post succeeds without a further call";
    EXPECT_EQ(c->ds.state(), DatasetState::Browse);
    EXPECT_EQ(c->ds.changeCount(), 1);
    EXPECT_EQ(c->ds.fieldByName("RPPR_COD").AsString(), "009");
}

TEST_F(StagedErrorEventTest, DeleteErrorHandlerSeesTheEmptyDatasetFailure) {
    Staged s(*conn, "CDestino", "", true);
    s.ds.setCommandText("select * from REPLICA_PRECIOS where RPPR_ID = 99");
    s.ds.open();
    std::string seen;
    s.ds.setOnDeleteError([&](StagedDataset&, const Error& failure, DataAction& action) {
        seen = failure.what();
        action = DataAction::Abort;
    });
    EXPECT_THROW(s.ds.remove(), SilentAbort);
    EXPECT_EQ(seen, "CDestino: Cannot perform this operation on an empty dataset");
}

TEST_F(StagedErrorEventTest, ApplyPostsThroughThePostErrorEvent) {
    auto c = destinationList();
    c->ds.open();
    StatementLog log(*conn);
    int calls = 0;
    c->ds.setOnPostError([&](StagedDataset&, const Error&, DataAction& action) {
        ++calls;
        action = DataAction::Abort;
    });
    c->ds.insert();
    c->ds.fieldByName("RPPR_ID").setAsInteger(9);
    EXPECT_THROW(c->ds.applyUpdates(0), SilentAbort);
    EXPECT_EQ(calls, 1);
    EXPECT_TRUE(log.sent.empty());
    EXPECT_FALSE(conn->inTransaction());
}

TEST_F(StagedErrorEventTest, ConversionFailuresNeverReachTheHandlers) {
    seedTypes();
    Staged s(*conn, "CDestino", "select * from ALLTYPES order by ID", true);
    int calls = 0;
    auto handler = [&](StagedDataset&, const Error&, DataAction& action) {
        ++calls;
        action = DataAction::Abort;
    };
    s.ds.setOnEditError(handler);
    s.ds.setOnPostError(handler);
    s.ds.open();
    s.ds.edit();
    EXPECT_EQ(failureOf([&] { s.ds.fieldByName("C_INTEGER").setAsString("abc"); }),
              "'abc' is not a valid integer value for field 'C_INTEGER'");
    EXPECT_EQ(failureOf([&] { s.ds.fieldByName("C_NUM92").setAsString("1x"); }),
              "'1x' is not a valid floating point value for field 'C_NUM92'");
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(s.ds.state(), DatasetState::Edit);
    EXPECT_EQ(s.ds.fieldByName("C_INTEGER").AsInteger(), 7);
}

// ---- change log and cancel updates ------------------------------------------------------------------------

TEST_F(StagedChangeLogTest, ChangesOfOneRowMergeIntoOneEntry) {
    auto c = destinationList();
    c->ds.open();
    c->ds.edit();
    c->ds.fieldByName("RPPR_NOMBRE").setAsString("a");
    c->ds.post();
    c->ds.edit();
    c->ds.fieldByName("RPPR_SERVIDOR").setAsString("b");
    c->ds.post();
    EXPECT_EQ(c->ds.changeCount(), 1) << "two edits of one row";

    c->ds.insert();
    c->ds.fieldByName("RPPR_ID").setAsInteger(9);
    c->ds.fieldByName("RPPR_COD").setAsString("009");
    c->ds.post();
    c->ds.edit();
    c->ds.fieldByName("RPPR_NOMBRE").setAsString("nueva");
    c->ds.post();
    EXPECT_EQ(c->ds.changeCount(), 2) << "an inserted row edited again";
    c->ds.remove();
    EXPECT_EQ(c->ds.changeCount(), 1) << "an inserted row deleted again leaves nothing";

    c->ds.first();
    c->ds.remove();
    EXPECT_EQ(c->ds.changeCount(), 1) << "an edited row deleted becomes one deletion";
    c->ds.remove();
    EXPECT_EQ(c->ds.changeCount(), 2);
}

TEST_F(StagedChangeLogTest, CancelUpdatesRestoresTheRowsAsFetched) {
    auto c = destinationList();
    c->ds.open();
    const std::vector<std::string> fields{"RPPR_ID", "RPPR_NOMBRE", "RPPR_SERVIDOR", "RPPR_COD"};
    const auto fetched = rowsOf(c->ds, fields);

    c->ds.setRecNo(2);
    c->ds.remove(); // Sur
    c->ds.first();
    c->ds.insert(); // before Norte
    c->ds.fieldByName("RPPR_ID").setAsInteger(9);
    c->ds.fieldByName("RPPR_COD").setAsString("009");
    c->ds.post();
    c->ds.last();
    c->ds.edit(); // Este
    c->ds.fieldByName("RPPR_NOMBRE").setAsString("Este 2");
    c->ds.post();
    c->ds.setRecNo(2);
    ASSERT_EQ(c->ds.fieldByName("RPPR_ID").AsInteger(), 1);
    c->ds.remove(); // Norte
    c->ds.first();
    ASSERT_EQ(c->ds.fieldByName("RPPR_ID").AsInteger(), 9);
    c->ds.remove(); // the inserted row
    c->ds.first();
    c->ds.edit();
    c->ds.fieldByName("RPPR_SERVIDOR").setAsString("pending");

    c->ds.cancelUpdates();
    EXPECT_EQ(c->ds.state(), DatasetState::Browse);
    EXPECT_EQ(c->ds.changeCount(), 0);
    EXPECT_EQ(rowsOf(c->ds, fields), fetched);
}

// ---- refresh ----------------------------------------------------------------------------------------------

TEST_F(StagedRefreshTest, PendingChangesBlockTheRefresh) {
    auto c = destinationList();
    c->ds.open();
    c->ds.edit();
    c->ds.fieldByName("RPPR_NOMBRE").setAsString("Norte 2");
    EXPECT_EQ(failureOf([&] { c->ds.refresh(); }), "Creplicac: Must apply updates before refreshing data");
    EXPECT_EQ(c->ds.changeCount(), 1) << "the edited row was posted first";
    EXPECT_EQ(c->ds.state(), DatasetState::Browse);
    c->ds.cancelUpdates();
    c->ds.edit();
    c->ds.refresh();
    EXPECT_EQ(c->ds.state(), DatasetState::Browse) << "an unchanged edit is cancelled";
}

TEST_F(StagedRefreshTest, RereadsRowsAndKeepsTheOrdinalPosition) {
    auto c = destinationList();
    c->ds.open();
    c->ds.setRecNo(3);
    db->run("update REPLICA_PRECIOS set RPPR_NOMBRE = 'Oriente' where RPPR_ID = 3;"
            "insert into REPLICA_PRECIOS values (4, 'Oeste', null, '004');");
    c->ds.refresh();
    EXPECT_EQ(c->ds.recordCount(), 4);
    EXPECT_EQ(c->ds.recNo(), 3);
    EXPECT_EQ(c->ds.fieldByName("RPPR_NOMBRE").AsString(), "Oriente");
}

TEST_F(StagedRefreshTest, FailedRefreshKeepsTheRows) {
    auto c = destinationList();
    c->ds.open();
    conn->disconnect();
    conn->setParameter("Database", db->directory() + "/missing.fdb");
    const std::string failure = failureOf([&] { c->ds.refresh(); });
    EXPECT_EQ(failure.rfind("SQL Server Error: ", 0), 0u) << failure;
    EXPECT_TRUE(c->ds.isOpen());
    EXPECT_EQ(c->ds.recordCount(), 3);
    EXPECT_EQ(c->ds.fieldByName("RPPR_NOMBRE").AsString(), "Norte");
    conn->setParameter("Database", db->location());
    c->ds.refresh();
    EXPECT_EQ(c->ds.recordCount(), 3);
}

TEST_F(StagedRefreshTest, RefreshReadsTheOpeningStatementAfterAnExecute) {
    Staged s(*conn, "CDestino", "", true);
    s.ds.setCommandText("select * from REPLICA_PRECIOS order by RPPR_ID");
    s.ds.open();
    s.ds.setCommandText("delete from REPLICA_PRECIOS where RPPR_ID = 1");
    s.ds.execute();
    EXPECT_EQ(s.ds.recordCount(), 3) << "execute leaves the rows alone";
    s.ds.refresh();
    EXPECT_EQ(s.ds.recordCount(), 2);
    EXPECT_EQ(db->scalar("select count(*) from REPLICA_PRECIOS"), "2") << "the delete ran once";
}

// ---- lookup fields ----------------------------------------------------------------------------------------

TEST_F(StagedLookupTest, ValueComesFromTheOtherDatasetOrIsEmpty) {
    db->run("insert into TIPO_DOCUMENTO values (126, 'PRECIO', 'Precio de articulo');"
            "insert into TIPO_DOCUMENTO values (101, 'ART', 'Articulo');"
            "insert into REPLICA_EVENTOS (RPEV_ID, RPEV_COMPANIA, RPEV_TIPO) values (1, '001', 126);"
            "insert into REPLICA_EVENTOS (RPEV_ID, RPEV_COMPANIA, RPEV_TIPO) values (2, '001', 999);");
    auto cia = companyConnection(*db, 1, "DBCia");
    Staged tipos(*cia, "CTipodoc", " select * from TIPO_DOCUMENTO", false);
    Staged errores(
        *conn, "CErroresenv",
        "select * from replica_eventos r WHERE R.rpev_fecrep IS NULL and r.rpev_error is null order by "
        "rpev_id",
        true,
        {FieldDef{"RPEV_ID", FieldType::Integer, 0, true, "", false},
         FieldDef{"RPEV_COMPANIA", FieldType::String, 60, true, "Servidor", false},
         FieldDef{"RPEV_TIPO", FieldType::Integer, 0, true, "", false}});
    errores.ds.addLookup(
        LookupDef{"NomTipo", 10, "Tipo doc", "RPEV_TIPO", &tipos.ds, "TIDO_COD", "TIDO_NOMCORTO"});
    errores.ds.open();
    EXPECT_TRUE(tipos.ds.isOpen()) << "opening the owner opens the looked-up dataset first";
    Field& nom = errores.ds.fieldByName("NomTipo");
    EXPECT_EQ(nom.displayName(), "Tipo doc");
    EXPECT_EQ(nom.AsString(), "PRECIO");
    errores.ds.next();
    EXPECT_EQ(nom.AsString(), "") << "no matching row";

    errores.ds.edit();
    EXPECT_EQ(failureOf([&] { nom.setAsString("x"); }), "Field 'Tipo doc' cannot be modified");
    errores.ds.fieldByName("RPEV_TIPO").setAsInteger(101);
    EXPECT_EQ(nom.AsString(), "ART") << "the lookup follows the edited key";
    errores.ds.cancel();
    EXPECT_EQ(nom.AsString(), "");
}

// ---- named indexes and filter -----------------------------------------------------------------------------

TEST_F(StagedOrderFilterTest, NamedIndexOrdersWithDescendingFieldsAndMovesToTheFirstRow) {
    seedTypes();
    Staged s(*conn, "CErroresenv", "select ID, C_INTEGER, C_VARCHAR from ALLTYPES order by ID", true);
    s.ds.open();
    s.ds.setRecNo(3);
    s.ds.addIndex(IndexDef{"SortIndexEh", {"C_VARCHAR", "ID"}, {"ID"}});
    s.ds.setIndexName("SortIndexEh");
    EXPECT_EQ(s.ds.recNo(), 1) << "changing the order moves to the first row";
    EXPECT_EQ(rowsOf(s.ds, {"ID"}), (std::vector<std::string>{"4", "2", "1", "3"}))
        << "texts ignore letter case; equal texts by ID descending";

    s.ds.addIndex(IndexDef{"SortIndexEh", {"C_INTEGER"}, {"C_INTEGER"}});
    s.ds.setIndexName("SortIndexEh");
    EXPECT_EQ(rowsOf(s.ds, {"ID"}), (std::vector<std::string>{"3", "1", "2", "4"}))
        << "NULL is the lowest value";

    s.ds.setIndexName("");
    EXPECT_EQ(rowsOf(s.ds, {"ID"}), (std::vector<std::string>{"1", "2", "3", "4"}));
    s.ds.setIndexName("SortIndexEh");
    s.ds.deleteIndex("SortIndexEh");
    EXPECT_EQ(rowsOf(s.ds, {"ID"}), (std::vector<std::string>{"1", "2", "3", "4"}))
        << "deleting the current index returns to the natural order";

    s.ds.addIndex(IndexDef{"ByName", {"C_VARCHAR"}, {}});
    s.ds.setIndexName("ByName");
    s.ds.addIndex(IndexDef{"Broken", {"NO_SUCH_FIELD"}, {}});
    EXPECT_THROW(s.ds.setIndexName("Broken"), Error);
    EXPECT_EQ(s.ds.indexName(), "ByName") << "a refused index leaves the order in force";
    EXPECT_EQ(rowsOf(s.ds, {"ID"}), (std::vector<std::string>{"2", "4", "1", "3"}))
        << "equal names keep fetched order";
    s.ds.refresh();
    EXPECT_EQ(rowsOf(s.ds, {"ID"}), (std::vector<std::string>{"2", "4", "1", "3"}));
}

TEST_F(StagedOrderFilterTest, FilterAndIndexWorkOnRowsInMemoryAndSurviveRefresh) {
    seedTypes();
    Staged s(*conn, "CErroresenv", "select ID, C_INTEGER, C_VARCHAR from ALLTYPES order by ID", true);
    s.ds.open();
    s.ds.addIndex(IndexDef{"SortIndexEh", {"C_INTEGER"}, {"C_INTEGER"}});
    s.ds.setIndexName("SortIndexEh");
    s.ds.setFilterText("C_INTEGER > 5");
    s.ds.setFiltered(true);
    EXPECT_EQ(s.ds.recordCount(), 2);
    EXPECT_EQ(rowsOf(s.ds, {"ID"}), (std::vector<std::string>{"3", "1"}));

    db->run("insert into ALLTYPES (ID, C_INTEGER, C_VARCHAR, C_REQUIRED) values (5, 8, 'kiwi', 'e');"
            "insert into ALLTYPES (ID, C_INTEGER, C_VARCHAR, C_REQUIRED) values (6, 1, 'lima', 'f');");
    s.ds.refresh();
    EXPECT_EQ(s.ds.filterText(), "C_INTEGER > 5");
    EXPECT_EQ(rowsOf(s.ds, {"ID"}), (std::vector<std::string>{"3", "5", "1"}));

    s.ds.setFilterText("C_VARCHAR like 'man%'");
    EXPECT_EQ(rowsOf(s.ds, {"ID"}), (std::vector<std::string>{"2", "4"}));
    s.ds.setFiltered(false);
    EXPECT_EQ(s.ds.recordCount(), 6);
}

TEST_F(StagedOrderFilterTest, ChangingOrderOrFilterDuringAnEditPostsItToItsOwnRow) {
    seedTypes();
    Staged s(*conn, "CErroresenv", "select ID, C_INTEGER, C_VARCHAR from ALLTYPES order by ID", true);
    s.ds.open();
    s.ds.setRecNo(3);
    s.ds.edit();
    s.ds.fieldByName("C_VARCHAR").setAsString("uva negra");
    s.ds.setFilterText("C_INTEGER > 5");
    s.ds.setFiltered(true);
    EXPECT_EQ(s.ds.state(), DatasetState::Browse);
    EXPECT_EQ(s.ds.changeCount(), 1);

    s.ds.first();
    ASSERT_EQ(s.ds.fieldByName("ID").AsInteger(), 1);
    s.ds.edit();
    s.ds.fieldByName("C_VARCHAR").setAsString("pera verde");
    s.ds.addIndex(IndexDef{"SortIndexEh", {"C_INTEGER"}, {"C_INTEGER"}});
    s.ds.setIndexName("SortIndexEh");
    EXPECT_EQ(s.ds.changeCount(), 2);
    s.ds.setFiltered(false);
    s.ds.setIndexName("");
    EXPECT_EQ(rowsOf(s.ds, {"ID", "C_VARCHAR"}),
              (std::vector<std::string>{"1|pera verde", "2|Manzana", "3|uva negra", "4|manzana"}));
}

TEST_F(StagedOrderFilterTest, EditsUnderAFilterAreLoggedAndCancelled) {
    seedTypes();
    Staged s(*conn, "CErroresenv", "select ID, C_INTEGER, C_VARCHAR from ALLTYPES order by ID", true);
    s.ds.open();
    s.ds.setFilterText("C_INTEGER > 5");
    s.ds.setFiltered(true);
    ASSERT_EQ(s.ds.fieldByName("ID").AsInteger(), 1);
    s.ds.edit();
    s.ds.fieldByName("C_INTEGER").setAsInteger(0);
    s.ds.post();
    EXPECT_EQ(s.ds.recordCount(), 1) << "the edited row no longer passes the filter";
    s.ds.remove();
    EXPECT_EQ(s.ds.recordCount(), 0);
    EXPECT_EQ(s.ds.changeCount(), 2);
    s.ds.cancelUpdates();
    EXPECT_EQ(rowsOf(s.ds, {"ID", "C_INTEGER"}), (std::vector<std::string>{"1|7", "3|9"}));
}
