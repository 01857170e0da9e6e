#include "db/WriteBack.h"

#include "StagedTestUtil.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

using namespace envio;
using namespace envio::test;

namespace {

class WriteBackBase : public RegionalFormats {
protected:
    void SetUp() override {
        RegionalFormats::SetUp();
        db = std::make_unique<TestDatabase>(
            std::vector<std::string>{"types.sql", "company.sql", "company_triggers.sql", "writeback.sql"});
        db->run("insert into REPLICA_PRECIOS values (1, 'Norte', 'srv1', '001');"
                "insert into REPLICA_PRECIOS values (2, 'Sur', null, '002');"
                "insert into REPLICA_PRECIOS values (3, 'Este', 'srv3', '003');");
        conn = companyConnection(*db);
        cia = companyConnection(*db, 1, "DBCia");
    }

    std::unique_ptr<Staged> destinationList() {
        return std::make_unique<Staged>(*conn, "Creplicac", "SELECT * FROM REPLICA_PRECIOS", false,
                                        destinationListFields());
    }

    // The destination dataset of the appliers: dialect 1, statements given as command text.
    std::unique_ptr<Staged> destination(const std::string& select) {
        auto d = std::make_unique<Staged>(*cia, "CDestino", "", true);
        d->ds.setCommandText(select);
        d->ds.open();
        return d;
    }

    // Records every update-error call and answers with `answer` (unchanged when not set).
    void recordUpdateErrors(Provider& provider, std::optional<UpdateResponse> answer = std::nullopt) {
        provider.setOnUpdateError([this, answer](Provider* sender, StagedDataset* rows, const Error& failure,
                                                 UpdateKind kind, UpdateResponse& response) {
            calls.push_back(UpdateErrorCall{sender, rows, failure.what(), kind, response});
            if (answer)
                response = *answer;
        });
    }

    std::unique_ptr<TestDatabase> db;
    std::unique_ptr<Connection> conn;
    std::unique_ptr<Connection> cia;
    std::vector<UpdateErrorCall> calls;
};

class WriteBackStatementTest : public WriteBackBase {};
class WriteBackParameterTest : public WriteBackBase {};
class WriteBackFailureTest : public WriteBackBase {};
class WriteBackTransactionTest : public WriteBackBase {};
class StagedExecuteTest : public WriteBackBase {};

// A typed row of ALLTYPES written by the database itself.
const char* kTypedRow =
    "insert into ALLTYPES (ID, C_SMALLINT, C_INTEGER, C_BIGINT, C_NUM92, C_NUM144, C_NUM152, "
    "C_NUM184, C_NUM106, C_DEC188, C_FLOAT, C_DOUBLE, C_CHAR, C_VARCHAR, C_DATE, C_TIME, "
    "C_TIMESTAMP, C_TEXT, C_BINARY, C_LONGVARCHAR, C_REQUIRED) values (1, -7, 123456, "
    "9000000000, 12.50, 1.2345, 1234567.25, 1.2346, 0.031250, 0.09375, 1.1, 0.1, '01', 'abc', "
    "'2026-03-04', '13:14:15.5', '2026-03-04 05:06:07.123', 'long text', 'bin', 'long', 'req')";

// An ARTICULO row with values in most kinds of column.
const char* kArticle =
    "insert into ARTICULO (ARTI_COD, ARTI_DES, GRUP_COD, ARTI_TIPO, ARTI_EXIST, ARTI_FECHA, "
    "ARTI_PRECIO, ARTI_IMPOTRO, ARTI_PESO, ARTI_LARGO, ARTI_OBS, ARTI_FOTO, ARTI_DIAS, "
    "ARTI_FECMOD, ARTI_CICLO, ARTI_PORCSOBR) values ('A1', 'Tornillo', null, 'P', 10.125, "
    "'2026-03-04', 1234.5678, 0.07, 0.1, 12.34, 'nota', 'foto', 30, "
    "'2026-03-04 05:06:07.123', 2, 33.3)";

} // namespace

// ---- generated statements ---------------------------------------------------------------------------------

TEST_F(WriteBackStatementTest, EmptyLogSendsNothing) {
    auto c = destinationList();
    c->ds.open();
    StatementLog log(*conn);
    EXPECT_EQ(c->ds.applyUpdates(0), 0);
    c->ds.edit();
    EXPECT_EQ(c->ds.applyUpdates(0), 0) << "an unchanged edit is cancelled, not applied";
    EXPECT_EQ(c->ds.state(), DatasetState::Browse);
    EXPECT_TRUE(log.sent.empty());
    EXPECT_FALSE(conn->inTransaction());

    c->ds.edit();
    c->ds.post();
    EXPECT_EQ(c->ds.changeCount(), 1);
    EXPECT_EQ(c->ds.applyUpdates(0), 0) << "a row with no column assigned counts as applied";
    EXPECT_TRUE(log.sent.empty());
    EXPECT_EQ(c->ds.changeCount(), 0);
}

TEST_F(WriteBackStatementTest, RowsGoBackToTheTableTheyWereReadFrom) {
    db->run(kArticle);
    Staged s(*conn, "CDestino", "", true);
    s.ds.setCommandText("SELECT * FROM REPLICA_PRECIOS WHERE RPPR_ID = 1");
    s.ds.open();
    s.ds.setCommandText("DELETE FROM ARTICULO WHERE ARTI_COD = 'nada'");
    s.ds.execute();
    s.ds.edit();
    s.ds.fieldByName("RPPR_NOMBRE").setAsString("Norte 2");
    StatementLog log(*conn);
    EXPECT_EQ(s.ds.applyUpdates(0), 0);
    ASSERT_EQ(log.sent.size(), 1u);
    EXPECT_EQ(log.sent[0].sql.rfind("update \"REPLICA_PRECIOS\"  set\r\n", 0), 0u) << log.sent[0].sql;
    EXPECT_EQ(db->scalar("select RPPR_NOMBRE from REPLICA_PRECIOS where RPPR_ID = 1"), "Norte 2");
}

TEST_F(WriteBackStatementTest, ArticleInsertOfThreeColumnsOnDialectOne) {
    db->run("ALTER TABLE ARTICULO ALTER COLUMN ARTI_TIPO SET DEFAULT 'P'");
    auto d = destination("SELECT ARTI_COD, ARTI_DES, GRUP_COD FROM ARTICULO WHERE ARTI_COD = 'A1'");
    ASSERT_TRUE(d->ds.isEmpty());
    d->ds.insert();
    d->ds.fieldByName("ARTI_COD").setAsString("A1");
    d->ds.fieldByName("ARTI_DES").setAsString("Tornillo");
    d->ds.fieldByName("GRUP_COD").setAsString("01");
    d->ds.post();
    StatementLog log(*cia);
    EXPECT_EQ(d->ds.applyUpdates(0), 0);
    ASSERT_EQ(log.sent.size(), 1u);
    EXPECT_EQ(log.sent[0].sql, "insert into ARTICULO\r\n"
                               "  (ARTI_COD, ARTI_DES, GRUP_COD)\r\n"
                               "values\r\n"
                               "  (?, ?, ?)\r\n");
    EXPECT_EQ(log.sent[0].params,
              (std::vector<Value>{Value::string("A1"), Value::string("Tornillo"), Value::string("01")}));
    EXPECT_EQ(db->rows("select ARTI_COD, ARTI_DES, GRUP_COD, ARTI_TIPO, ARTI_ACTIVO from ARTICULO"),
              std::vector<std::string>{"A1|Tornillo|01 |P|S"});
    EXPECT_EQ(d->ds.changeCount(), 0);
}

TEST_F(WriteBackStatementTest, InsertListsOnlyTheAssignedColumnsInFieldOrder) {
    auto d = destination("SELECT * FROM ARTICULO WHERE ARTI_COD = 'A2'");
    d->ds.insert();
    d->ds.fieldByName("ARTI_TIPO").setAsString("P");
    d->ds.fieldByName("ARTI_UNIDAD").clear();
    d->ds.fieldByName("ARTI_DES").setAsString("Tuerca");
    d->ds.fieldByName("ARTI_COD").setAsString("A2");
    d->ds.post();
    StatementLog log(*cia);
    EXPECT_EQ(d->ds.applyUpdates(0), 0);
    ASSERT_EQ(log.sent.size(), 1u);
    EXPECT_EQ(log.sent[0].sql, "insert into ARTICULO\r\n"
                               "  (ARTI_COD, ARTI_DES, ARTI_TIPO, ARTI_UNIDAD)\r\n"
                               "values\r\n"
                               "  (?, ?, ?, ?)\r\n");
    EXPECT_EQ(log.sent[0].params, (std::vector<Value>{Value::string("A2"), Value::string("Tuerca"),
                                                      Value::string("P"), Value()}));
    EXPECT_EQ(db->scalar("select ARTI_ACTIVO from ARTICULO where ARTI_COD = 'A2'"), "S")
        << "a column nobody assigned keeps its default";
}

TEST_F(WriteBackStatementTest, UpdateComparesANullOldValueWithIsNull) {
    db->run(kArticle);
    auto d = destination("SELECT ARTI_COD, ARTI_DES, GRUP_COD, ARTI_PRECIO, ARTI_FECHA FROM ARTICULO WHERE "
                         "ARTI_COD = 'A1'");
    d->ds.edit();
    d->ds.fieldByName("ARTI_DES").setAsString("Tornillo largo");
    d->ds.post();
    StatementLog log(*cia);
    EXPECT_EQ(d->ds.applyUpdates(0), 0);
    ASSERT_EQ(log.sent.size(), 1u);
    EXPECT_EQ(log.sent[0].sql, "update ARTICULO  set\r\n"
                               " ARTI_DES = ?\r\n"
                               "where\r\n"
                               " ARTI_COD = ? and\r\n"
                               " ARTI_DES = ? and\r\n"
                               " GRUP_COD is null and\r\n"
                               " ARTI_PRECIO = ? and\r\n"
                               " ARTI_FECHA = ?\r\n");
    const auto& p = log.sent[0].params;
    ASSERT_EQ(p.size(), 5u) << "the NULL column takes no parameter";
    EXPECT_EQ(p[0], Value::string("Tornillo largo"));
    EXPECT_EQ(p[1], Value::string("A1"));
    EXPECT_EQ(p[2], Value::string("Tornillo"));
    EXPECT_EQ(valueText(p[3]), "1234,5678");
    EXPECT_EQ(p[4], Value::date(QDate(2026, 3, 4)));
    EXPECT_EQ(db->scalar("select ARTI_DES from ARTICULO"), "Tornillo largo");
}

TEST_F(WriteBackStatementTest, DialectThreeQuotesEveryName) {
    auto c = destinationList();
    c->ds.open();
    c->ds.setRecNo(2);
    c->ds.edit();
    c->ds.fieldByName("RPPR_NOMBRE").setAsString("Sur 2");
    c->ds.post();
    c->ds.last();
    c->ds.remove();
    c->ds.insert();
    c->ds.fieldByName("RPPR_ID").setAsInteger(9);
    c->ds.fieldByName("RPPR_NOMBRE").setAsString("Oeste");
    c->ds.fieldByName("RPPR_COD").setAsString("009");
    c->ds.post();
    StatementLog log(*conn);
    EXPECT_EQ(c->ds.applyUpdates(0), 0);
    ASSERT_EQ(log.sent.size(), 3u);
    EXPECT_EQ(log.sent[0].sql, "update \"REPLICA_PRECIOS\"  set\r\n"
                               " \"RPPR_NOMBRE\" = ?\r\n"
                               "where\r\n"
                               " \"RPPR_ID\" = ? and\r\n"
                               " \"RPPR_NOMBRE\" = ? and\r\n"
                               " \"RPPR_SERVIDOR\" is null and\r\n"
                               " \"RPPR_COD\" = ?\r\n");
    EXPECT_EQ(log.sent[0].params, (std::vector<Value>{Value::string("Sur 2"), Value::integer(2),
                                                      Value::string("Sur"), Value::string("002")}));
    EXPECT_EQ(log.sent[1].sql, "delete from \"REPLICA_PRECIOS\" \r\n"
                               "where\r\n"
                               " \"RPPR_ID\" = ? and\r\n"
                               " \"RPPR_NOMBRE\" = ? and\r\n"
                               " \"RPPR_SERVIDOR\" = ? and\r\n"
                               " \"RPPR_COD\" = ?\r\n");
    EXPECT_EQ(log.sent[1].params, (std::vector<Value>{Value::integer(3), Value::string("Este"),
                                                      Value::string("srv3"), Value::string("003")}));
    EXPECT_EQ(log.sent[2].sql, "insert into \"REPLICA_PRECIOS\"\r\n"
                               "  (\"RPPR_ID\", \"RPPR_NOMBRE\", \"RPPR_COD\")\r\n"
                               "values\r\n"
                               "  (?, ?, ?)\r\n");
    EXPECT_EQ(db->rows("select * from REPLICA_PRECIOS order by RPPR_ID"),
              (std::vector<std::string>{"1|Norte|srv1|001", "2|Sur 2|<null>|002", "9|Oeste|<null>|009"}));
}

TEST_F(WriteBackStatementTest, TableNameComesFromTheFirstFrom) {
    EXPECT_EQ(
        writeback::tableName("select * from replica_eventos r WHERE R.rpev_fecrep IS NULL order by rpev_id"),
        "replica_eventos");
    EXPECT_EQ(writeback::tableName("SELECT a.X\r\nFROM\r\n  PRECIOS_ARTICULO a join ARTICULO b on 1 = 1"),
              "PRECIOS_ARTICULO");
    EXPECT_EQ(writeback::tableName("select * From ARTICULO;"), "ARTICULO");
    EXPECT_EQ(writeback::tableName("select fromage, x_from from OWNER.TABLA where y = 1"), "OWNER.TABLA");
    EXPECT_EQ(writeback::tableName("select 'from here' as t from \"minusculas\" m"), "\"minusculas\"");
    EXPECT_EQ(writeback::tableName("select 1 as x"), "");
}

TEST_F(WriteBackStatementTest, DialectThreeTableNamesMeanWhatTheServerReads) {
    db->run("insert into NOKEY (NAME, AMOUNT) values ('a', 1)");
    db->run("insert into \"minusculas\" (ID, NAME) values (1, 'uno')");
    Staged lower(*conn, "CBorrar", "", true);
    lower.ds.setCommandText("select name, amount from nokey");
    lower.ds.open();
    lower.ds.edit();
    lower.ds.fieldByName("AMOUNT").setAsInteger(2);
    StatementLog log(*conn);
    EXPECT_EQ(lower.ds.applyUpdates(0), 0) << "an unquoted name stands for its upper-case form";
    ASSERT_EQ(log.sent.size(), 1u);
    EXPECT_EQ(log.sent[0].sql.rfind("update \"NOKEY\"  set\r\n", 0), 0u) << log.sent[0].sql;
    EXPECT_EQ(db->scalar("select AMOUNT from NOKEY"), "2.0000");

    Staged quoted(*conn, "CDestino", "", true);
    quoted.ds.setCommandText("select * from \"minusculas\"");
    quoted.ds.open();
    quoted.ds.edit();
    quoted.ds.fieldByName("NAME").setAsString("one");
    EXPECT_EQ(quoted.ds.applyUpdates(0), 0);
    EXPECT_EQ(log.sent.back().sql.rfind("update \"minusculas\"  set\r\n", 0), 0u) << "a quoted name is kept";
    EXPECT_EQ(db->scalar("select NAME from \"minusculas\""), "one");
}

TEST_F(WriteBackStatementTest, RowsAreIdentifiedByEveryColumnButBlobsAndLongStrings) {
    db->run(kTypedRow);
    Staged s(*conn, "CDestino", "", true);
    s.ds.setCommandText("select * from ALLTYPES where ID = 1");
    s.ds.open();
    s.ds.edit();
    s.ds.fieldByName("C_VARCHAR").setAsString("xyz");
    s.ds.post();
    StatementLog log(*conn);
    EXPECT_EQ(s.ds.applyUpdates(0), 0) << "floats, decimals, times and date-times find their row again";
    ASSERT_EQ(log.sent.size(), 1u);
    std::string expected = "update \"ALLTYPES\"  set\r\n \"C_VARCHAR\" = ?\r\nwhere\r\n";
    const std::vector<std::string> keys{"ID",       "C_SMALLINT",  "C_INTEGER",  "C_BIGINT",  "C_NUM92",
                                        "C_NUM144", "C_NUM152",    "C_NUM184",   "C_NUM106",  "C_DEC188",
                                        "C_FLOAT",  "C_DOUBLE",    "C_CHAR",     "C_VARCHAR", "C_DATE",
                                        "C_TIME",   "C_TIMESTAMP", "C_COMPUTED", "C_REQUIRED"};
    for (std::size_t i = 0; i < keys.size(); ++i)
        expected += " \"" + keys[i] + "\" = ?" + (i + 1 < keys.size() ? " and" : "") + "\r\n";
    EXPECT_EQ(log.sent[0].sql, expected);
    EXPECT_EQ(log.sent[0].params.size(), keys.size() + 1);
    EXPECT_EQ(db->scalar("select C_VARCHAR from ALLTYPES"), "xyz");

    s.ds.remove();
    EXPECT_EQ(s.ds.applyUpdates(0), 0);
    EXPECT_EQ(db->scalar("select count(*) from ALLTYPES"), "0");
}

TEST_F(WriteBackStatementTest, ArticleRowIsFoundAgainOnDialectOne) {
    db->run(kArticle);
    auto d = destination("SELECT * FROM ARTICULO WHERE ARTI_COD = 'A1'");
    d->ds.edit();
    d->ds.fieldByName("ARTI_DES").setAsString("Tornillo largo");
    d->ds.fieldByName("ARTI_OBS").setAsString("otra nota");
    StatementLog log(*cia);
    EXPECT_EQ(d->ds.applyUpdates(0), 0);
    ASSERT_EQ(log.sent.size(), 1u);
    EXPECT_EQ(
        log.sent[0].sql.rfind("update ARTICULO  set\r\n ARTI_DES = ?,\r\n ARTI_OBS = ?\r\nwhere\r\n", 0), 0u)
        << log.sent[0].sql;
    EXPECT_EQ(log.sent[0].sql.find("ARTI_FOTO"), std::string::npos);
    EXPECT_EQ(db->rows("select ARTI_DES, ARTI_OBS from ARTICULO"),
              std::vector<std::string>{"Tornillo largo|otra nota"});

    d->ds.remove();
    EXPECT_EQ(d->ds.applyUpdates(0), 0);
    EXPECT_EQ(log.sent.back().sql.rfind("delete from ARTICULO \r\nwhere\r\n ARTI_COD = ? and\r\n", 0), 0u);
    EXPECT_EQ(db->scalar("select count(*) from ARTICULO"), "0");
}

// ---- parameters by field type -----------------------------------------------------------------------------

TEST_F(WriteBackParameterTest, EveryTypeIsBoundAsItsFieldType) {
    Staged s(*conn, "CDestino", "", true);
    s.ds.setCommandText("select * from ALLTYPES");
    s.ds.open();
    s.ds.insert();
    auto f = [&](const char* name) -> Field& { return s.ds.fieldByName(name); };
    f("ID").setAsInteger(10);
    f("C_SMALLINT").setAsInteger(-7);
    f("C_INTEGER").setAsString("123456");
    f("C_BIGINT").setAsVariant(Value::integer(9000000000LL));
    f("C_NUM92").setAsString("12,5");
    f("C_NUM144").setAsCurrency(Currency{12345});
    f("C_NUM152").setAsVariant(Value::decimal(123456725, 2));
    f("C_NUM184").setAsCurrency(Currency{12346});
    f("C_NUM106").setAsString("0,03125");
    f("C_DEC188").setAsString("0,09375");
    f("C_FLOAT").setAsString("1,5");
    f("C_DOUBLE").setAsVariant(Value::floating(2.25));
    f("C_CHAR").setAsString("01");
    f("C_VARCHAR").setAsString("a'b");
    f("C_DATE").setAsString("04/03/2026");
    f("C_TIME").setAsString("13:14:15");
    f("C_TIMESTAMP").setAsString("04/03/2026 05:06:07");
    f("C_TEXT").setAsString("long text");
    f("C_BINARY").setAsVariant(Value::string(std::string("\0\x01\xff", 3)));
    f("C_LONGVARCHAR").setAsString(std::string(9000, 'L'));
    f("C_REQUIRED").setAsString("req");
    s.ds.post();
    EXPECT_EQ(s.ds.applyUpdates(0), 0);
    EXPECT_EQ(
        db->rows("select ID, C_SMALLINT, C_INTEGER, C_BIGINT, C_NUM92, C_NUM144, C_NUM152, C_NUM184, "
                 "C_NUM106, C_DEC188, C_FLOAT, C_DOUBLE, C_CHAR, C_VARCHAR, C_DATE, C_TIME, C_TIMESTAMP, "
                 "C_TEXT, C_REQUIRED, char_length(C_LONGVARCHAR) from ALLTYPES"),
        std::vector<std::string>{"10|-7|123456|9000000000|12.50|1.2345|1234567.25|1.2346|0.031250|"
                                 "0.09375000|1.5000000|2.250000000000000|01 |a'b|2026-03-04|"
                                 "13:14:15.0000|04-MAR-2026 5:06:07.0000|long text|req|9000"});
    EXPECT_EQ(db->scalar("select C_BINARY from ALLTYPES"), std::string("\0\x01\xff", 3));
}

TEST_F(WriteBackParameterTest, NullsAreBoundAsNull) {
    Staged s(*conn, "CDestino", "", true);
    s.ds.setCommandText("select * from ALLTYPES");
    s.ds.open();
    s.ds.insert();
    for (int i = 0; i < s.ds.fieldCount(); ++i)
        if (!s.ds.field(i).readOnly())
            s.ds.field(i).clear();
    s.ds.fieldByName("ID").setAsInteger(11);
    s.ds.fieldByName("C_REQUIRED").setAsString("x");
    s.ds.post();
    StatementLog log(*conn);
    EXPECT_EQ(s.ds.applyUpdates(0), 0);
    ASSERT_EQ(log.sent.size(), 1u);
    EXPECT_EQ(log.sent[0].params.size(), 21u) << "every writable column was assigned";
    EXPECT_EQ(
        db->rows("select C_SMALLINT, C_INTEGER, C_BIGINT, C_NUM92, C_NUM184, C_FLOAT, C_DOUBLE, C_CHAR, "
                 "C_VARCHAR, C_DATE, C_TIME, C_TIMESTAMP, C_TEXT, C_BINARY, C_LONGVARCHAR from ALLTYPES"),
        std::vector<std::string>{"<null>|<null>|<null>|<null>|<null>|<null>|<null>|<null>|<null>|<null>|"
                                 "<null>|<null>|<null>|<null>|<null>"});
}

TEST_F(WriteBackParameterTest, EmptyTextStoresNullEmptyStringOrEmptyContent) {
    db->run(kTypedRow);
    Staged s(*conn, "CDestino", "", true);
    s.ds.setCommandText("select * from ALLTYPES where ID = 1");
    s.ds.open();
    s.ds.edit();
    for (const char* name : {"C_INTEGER", "C_DATE", "C_NUM92", "C_NUM184", "C_VARCHAR", "C_TEXT", "C_BINARY"})
        s.ds.fieldByName(name).setAsString("");
    s.ds.fieldByName("C_REQUIRED").setAsString(std::string(70, 'r'));
    s.ds.post();
    EXPECT_EQ(s.ds.applyUpdates(0), 0);
    EXPECT_EQ(
        db->rows("select C_INTEGER, C_DATE, C_NUM92, C_NUM184, char_length(C_VARCHAR), octet_length(C_TEXT), "
                 "octet_length(C_BINARY), char_length(C_REQUIRED) from ALLTYPES"),
        std::vector<std::string>{"<null>|<null>|<null>|<null>|0|0|0|20"})
        << "numbers and dates become NULL, strings and BLOBs empty, long text is cut to the column";
}

TEST_F(WriteBackParameterTest, MegabyteBlobsRoundTrip) {
    std::string binary(1 << 20, '\0');
    for (std::size_t i = 0; i < binary.size(); ++i)
        binary[i] = static_cast<char>((i * 7 + i / 256) & 0xFF);
    const std::string text(1 << 20, 't');
    Staged s(*conn, "CDestino", "", true);
    s.ds.setCommandText("select ID, C_TEXT, C_BINARY, C_REQUIRED from ALLTYPES");
    s.ds.open();
    s.ds.insert();
    s.ds.fieldByName("ID").setAsInteger(1);
    s.ds.fieldByName("C_TEXT").setAsString(text);
    s.ds.fieldByName("C_BINARY").setAsVariant(Value::string(binary));
    s.ds.fieldByName("C_REQUIRED").setAsString("r");
    s.ds.post();
    EXPECT_EQ(s.ds.applyUpdates(0), 0);
    EXPECT_EQ(db->rows("select octet_length(C_TEXT), octet_length(C_BINARY) from ALLTYPES"),
              std::vector<std::string>{"1048576|1048576"});
    s.ds.close();
    s.ds.open();
    EXPECT_TRUE(s.ds.fieldByName("C_TEXT").AsString() == text);
    EXPECT_TRUE(s.ds.fieldByName("C_BINARY").AsVariant() == Value::string(binary));

    s.ds.edit();
    s.ds.fieldByName("C_BINARY").setAsVariant(Value::string(binary.substr(0, 1000)));
    EXPECT_EQ(s.ds.applyUpdates(0), 0) << "BLOBs are assigned but never compared";
    EXPECT_EQ(db->scalar("select octet_length(C_BINARY) from ALLTYPES"), "1000");
}

// ---- failed rows ------------------------------------------------------------------------------------------

TEST_F(WriteBackFailureTest, RowChangedByAnotherUserRollsBackAndStaysPending) {
    auto c = destinationList();
    c->ds.open();
    recordUpdateErrors(c->provider);
    c->ds.insert();
    c->ds.fieldByName("RPPR_ID").setAsInteger(9);
    c->ds.fieldByName("RPPR_COD").setAsString("009");
    c->ds.post();
    c->ds.setRecNo(2);
    ASSERT_EQ(c->ds.fieldByName("RPPR_ID").AsInteger(), 1);
    c->ds.edit();
    c->ds.fieldByName("RPPR_NOMBRE").setAsString("Norte 2");
    c->ds.post();
    db->run("delete from REPLICA_PRECIOS where RPPR_ID = 1");

    StatementLog log(*conn);
    EXPECT_EQ(c->ds.applyUpdates(0), 1);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].failure, "Record not found or changed by another user");
    EXPECT_EQ(calls[0].sender, &c->provider);
    EXPECT_EQ(calls[0].rows, &c->ds);
    EXPECT_EQ(calls[0].kind, UpdateKind::Modify);
    EXPECT_EQ(calls[0].responseIn, UpdateResponse::Abort);
    EXPECT_EQ(log.sent.size(), 2u);
    EXPECT_FALSE(conn->inTransaction());
    EXPECT_EQ(db->rows("select RPPR_ID from REPLICA_PRECIOS order by RPPR_ID"),
              (std::vector<std::string>{"2", "3"}))
        << "the insert before the failed row was rolled back";
    EXPECT_EQ(c->ds.changeCount(), 2) << "the log is kept";
    EXPECT_EQ(c->ds.fieldByName("RPPR_NOMBRE").AsString(), "Norte 2");
    EXPECT_EQ(c->ds.recordCount(), 4);

    EXPECT_EQ(c->ds.applyUpdates(0), 1) << "applying again meets the same failure";
    EXPECT_EQ(calls.size(), 2u);
    c->ds.close();
    c->ds.open();
    EXPECT_EQ(c->ds.changeCount(), 0);
    EXPECT_EQ(c->ds.recordCount(), 2) << "reopening shows the database rows";
}

TEST_F(WriteBackFailureTest, UpdateOfTwoIdenticalRowsFailsAndWritesNothing) {
    db->run("insert into NOKEY (NAME, AMOUNT) values ('a', 1.5);"
            "insert into NOKEY (NAME, AMOUNT) values ('a', 1.5);");
    Staged s(*conn, "CDestino", "", true);
    recordUpdateErrors(s.provider);
    s.ds.setCommandText("select * from NOKEY");
    s.ds.open();
    s.ds.edit();
    s.ds.fieldByName("AMOUNT").setAsString("2");
    s.ds.post();
    EXPECT_EQ(s.ds.applyUpdates(0), 1);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].failure, "Update affected more than 1 record.");
    EXPECT_FALSE(conn->inTransaction());
    EXPECT_EQ(db->rows("select AMOUNT from NOKEY"), (std::vector<std::string>{"1.5000", "1.5000"}));

    s.ds.cancelUpdates();
    s.ds.remove();
    EXPECT_EQ(s.ds.applyUpdates(0), 1);
    EXPECT_EQ(calls.back().failure, "Update affected more than 1 record.");
    EXPECT_EQ(calls.back().kind, UpdateKind::Delete);
    EXPECT_EQ(db->scalar("select count(*) from NOKEY"), "2");
}

TEST_F(WriteBackFailureTest, RefusedRowStopsTheApplyWhateverTheHandlerAnswers) {
    for (UpdateResponse answer : {UpdateResponse::Abort, UpdateResponse::Skip}) {
        SCOPED_TRACE(static_cast<int>(answer));
        calls.clear();
        auto d = destination("SELECT ARTI_COD, ARTI_DES, ARTI_TIPO FROM ARTICULO");
        recordUpdateErrors(d->provider, answer);
        for (const char* des : {"uno", "RECHAZAR", "tres"}) {
            d->ds.insert();
            d->ds.fieldByName("ARTI_COD").setAsString(des);
            d->ds.fieldByName("ARTI_DES").setAsString(des);
            d->ds.fieldByName("ARTI_TIPO").setAsString("P");
            d->ds.post();
        }
        StatementLog log(*cia);
        EXPECT_EQ(d->ds.applyUpdates(0), 1);
        EXPECT_EQ(log.sent.size(), 2u) << "no later row is tried";
        ASSERT_EQ(calls.size(), 1u);
        EXPECT_EQ(calls[0].failure.rfind("SQL Server Error: ", 0), 0u) << calls[0].failure;
        EXPECT_NE(calls[0].failure.find("Fila rechazada por el destino"), std::string::npos)
            << calls[0].failure;
        EXPECT_EQ(calls[0].kind, UpdateKind::Insert);
        EXPECT_EQ(db->scalar("select count(*) from ARTICULO"), "0");
        EXPECT_EQ(d->ds.changeCount(), 3);
    }
}

TEST_F(WriteBackFailureTest, RefusedRowWithoutAHandlerIsCountedNotRaised) {
    auto d = destination("SELECT ARTI_COD, ARTI_DES, ARTI_TIPO FROM ARTICULO");
    d->ds.insert();
    d->ds.fieldByName("ARTI_COD").setAsString("X");
    d->ds.fieldByName("ARTI_DES").setAsString("RECHAZAR");
    d->ds.fieldByName("ARTI_TIPO").setAsString("P");
    d->ds.post();
    EXPECT_EQ(d->ds.applyUpdates(0), 1);
    EXPECT_FALSE(cia->inTransaction());

    d->ds.edit();
    d->ds.fieldByName("ARTI_DES").setAsString("Aceptado");
    EXPECT_EQ(d->ds.applyUpdates(0), 0) << "the corrected pending row is written";
    EXPECT_EQ(d->ds.changeCount(), 0);
    EXPECT_EQ(db->rows("select ARTI_COD, ARTI_DES from ARTICULO"), std::vector<std::string>{"X|Aceptado"});
}

TEST_F(WriteBackFailureTest, FailureRaisedInsideTheHandlerEndsTheApply) {
    auto c = destinationList();
    c->ds.open();
    c->ds.insert();
    c->ds.fieldByName("RPPR_ID").setAsInteger(9);
    c->ds.fieldByName("RPPR_COD").setAsString("009");
    c->ds.post();
    c->ds.insert();
    c->ds.fieldByName("RPPR_ID").setAsInteger(1); // primary key taken
    c->ds.fieldByName("RPPR_COD").setAsString("010");
    c->ds.post();

    c->provider.setOnUpdateError(
        [&](Provider*, StagedDataset*, const Error& failure, UpdateKind, UpdateResponse&) {
            EXPECT_TRUE(conn->inTransaction()) << "the transaction is open while the handler runs";
            throw Error("nota: " + std::string(failure.what()).substr(0, 16));
        });
    EXPECT_EQ(failureOf([&] { c->ds.applyUpdates(0); }), "nota: SQL Server Error");
    EXPECT_FALSE(conn->inTransaction());
    EXPECT_EQ(db->scalar("select count(*) from REPLICA_PRECIOS"), "3") << "nothing was written";
    EXPECT_EQ(c->ds.changeCount(), 2);

    c->provider.setOnUpdateError(
        [](Provider*, StagedDataset*, const Error&, UpdateKind, UpdateResponse&) { throw SilentAbort(); });
    EXPECT_THROW(c->ds.applyUpdates(0), SilentAbort);
    EXPECT_FALSE(conn->inTransaction());
    EXPECT_EQ(db->scalar("select count(*) from REPLICA_PRECIOS"), "3");
}

TEST_F(WriteBackFailureTest, RowsWithoutKeyOrTableFailLikeAnyOtherRow) {
    db->run("insert into BLOBONLY (NOTE) values ('n')");
    Staged s(*conn, "CDestino", "", true);
    recordUpdateErrors(s.provider);
    s.ds.setCommandText("select * from BLOBONLY");
    s.ds.open();
    s.ds.edit();
    s.ds.fieldByName("NOTE").setAsString("m");
    StatementLog log(*conn);
    EXPECT_EQ(s.ds.applyUpdates(0), 1);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].failure, "Unable to find record.  No key specified");
    EXPECT_TRUE(log.sent.empty());

    Staged block(*conn, "CDestino", "", true);
    recordUpdateErrors(block.provider);
    block.ds.setCommandText("execute block returns (X integer) as begin X = 1; suspend; end");
    block.ds.open();
    ASSERT_EQ(block.ds.recordCount(), 1);
    block.ds.edit();
    block.ds.fieldByName("X").setAsInteger(2);
    EXPECT_EQ(block.ds.applyUpdates(0), 1);
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[1].failure, "Unable to resolve records.  Table name not found.");
    EXPECT_TRUE(log.sent.empty());
    EXPECT_FALSE(conn->inTransaction());
}

// ---- transaction and change log ---------------------------------------------------------------------------

TEST_F(WriteBackTransactionTest, SuccessfulApplyCommitsAndMergesTheLog) {
    auto c = destinationList();
    c->ds.open();
    c->ds.setRecNo(2);
    c->ds.edit();
    c->ds.fieldByName("RPPR_SERVIDOR").setAsString("srv2");
    c->ds.post();
    EXPECT_EQ(c->ds.applyUpdates(0), 0);
    EXPECT_FALSE(conn->inTransaction());
    EXPECT_EQ(c->ds.changeCount(), 0);
    EXPECT_EQ(db->scalar("select RPPR_SERVIDOR from REPLICA_PRECIOS where RPPR_ID = 2"), "srv2")
        << "committed: another attachment sees it";

    c->ds.cancelUpdates();
    EXPECT_EQ(c->ds.fieldByName("RPPR_SERVIDOR").AsString(), "srv2")
        << "applied values are the fetched ones now";
    c->ds.edit();
    c->ds.fieldByName("RPPR_SERVIDOR").setAsString("srv2b");
    StatementLog log(*conn);
    EXPECT_EQ(c->ds.applyUpdates(0), 0);
    ASSERT_EQ(log.sent.size(), 1u);
    EXPECT_EQ(log.sent[0].params,
              (std::vector<Value>{Value::string("srv2b"), Value::integer(2), Value::string("Sur"),
                                  Value::string("srv2"), Value::string("002")}))
        << "the next update compares with the applied values";
    c->ds.refresh();
    EXPECT_EQ(c->ds.fieldByName("RPPR_SERVIDOR").AsString(), "srv2b");
}

TEST_F(WriteBackTransactionTest, ATransactionAlreadyOpenIsLeftToItsOwner) {
    auto c = destinationList();
    c->ds.open();
    conn->startTransaction();
    c->ds.edit();
    c->ds.fieldByName("RPPR_NOMBRE").setAsString("Norte 2");
    EXPECT_EQ(c->ds.applyUpdates(0), 0);
    EXPECT_TRUE(conn->inTransaction());
    EXPECT_EQ(conn->transactionDepth(), 1);
    EXPECT_EQ(db->scalar("select RPPR_NOMBRE from REPLICA_PRECIOS where RPPR_ID = 1"), "Norte");
    conn->commit();
    EXPECT_EQ(db->scalar("select RPPR_NOMBRE from REPLICA_PRECIOS where RPPR_ID = 1"), "Norte 2");
}

TEST_F(WriteBackTransactionTest, ClosedConnectionUnderOpenRowsConnectsAgainOnApply) {
    auto c = destinationList();
    c->ds.open();
    conn->disconnect();
    EXPECT_EQ(c->ds.recordCount(), 3);
    EXPECT_EQ(c->ds.fieldByName("RPPR_NOMBRE").AsString(), "Norte");
    c->ds.edit();
    c->ds.fieldByName("RPPR_NOMBRE").setAsString("Norte 2");
    EXPECT_EQ(c->ds.applyUpdates(0), 0);
    EXPECT_TRUE(conn->isOpen());
    EXPECT_EQ(db->scalar("select RPPR_NOMBRE from REPLICA_PRECIOS where RPPR_ID = 1"), "Norte 2");
}

// ---- execute ----------------------------------------------------------------------------------------------

TEST_F(StagedExecuteTest, DeleteOfNoRowSucceedsSilently) {
    auto d = std::make_unique<Staged>(*cia, "CDestino", "", true);
    d->ds.setCommandText("DELETE from PRECIOS_ARTICULO where arti_cod = 'A' and lipr_cod = 3");
    StatementLog log(*cia);
    d->ds.execute();
    ASSERT_EQ(log.sent.size(), 1u);
    EXPECT_EQ(log.sent[0].sql, "DELETE from PRECIOS_ARTICULO where arti_cod = 'A' and lipr_cod = 3");
    EXPECT_TRUE(log.sent[0].params.empty());
    EXPECT_FALSE(d->ds.isOpen());
    EXPECT_FALSE(cia->inTransaction());
}

TEST_F(StagedExecuteTest, StatementIsCommittedAtOnceAndLeavesTheRowsAlone) {
    auto c = std::make_unique<Staged>(*conn, "CBorrar", "", true);
    c->ds.setCommandText("select * from REPLICA_PRECIOS");
    c->ds.open();
    c->ds.setCommandText("DELETE FROM REPLICA_PRECIOS WHERE RPPR_ID = 2");
    c->ds.execute();
    EXPECT_EQ(db->scalar("select count(*) from REPLICA_PRECIOS"), "2");
    EXPECT_TRUE(c->ds.isOpen());
    EXPECT_EQ(c->ds.recordCount(), 3);
}

TEST_F(StagedExecuteTest, FailureIsRaisedWithItsTextAndNoHandler) {
    auto c = std::make_unique<Staged>(*conn, "CBorrar", "", true);
    int handlerCalls = 0;
    c->provider.setOnUpdateError(
        [&](Provider*, StagedDataset*, const Error&, UpdateKind, UpdateResponse&) { ++handlerCalls; });
    auto handler = [&](StagedDataset&, const Error&, DataAction&) { ++handlerCalls; };
    c->ds.setOnEditError(handler);
    c->ds.setOnPostError(handler);
    c->ds.setOnDeleteError(handler);
    c->ds.setCommandText("DELETE FROM NO_SUCH_TABLE WHERE X = 1");
    const std::string failure = failureOf([&] { c->ds.execute(); });
    EXPECT_EQ(failure.rfind("SQL Server Error: ", 0), 0u) << failure;
    EXPECT_NE(failure.find("NO_SUCH_TABLE"), std::string::npos) << failure;
    EXPECT_EQ(handlerCalls, 0);
    EXPECT_FALSE(conn->inTransaction());
}
