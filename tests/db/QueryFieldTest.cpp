#include "DbTestUtil.h"
#include "db/Error.h"
#include "db/Query.h"

using namespace envio;
using namespace envio::test;

namespace {

class QueryFieldTest : public RegionalFormats {
protected:
    void SetUp() override {
        RegionalFormats::SetUp();
        db = std::make_unique<TestDatabase>(std::vector<std::string>{"types.sql"});
        db->run(
            "insert into ALLTYPES (ID, C_SMALLINT, C_INTEGER, C_BIGINT, C_NUM92, C_NUM144, C_NUM152, "
            "C_NUM184, "
            "C_NUM106, C_DEC188, C_FLOAT, C_DOUBLE, C_CHAR, C_VARCHAR, C_DATE, C_TIME, C_TIMESTAMP, C_TEXT, "
            "C_BINARY, C_REQUIRED) values (1, -7, 123456, 9000000000, 12.50, 1.2345, 1234567.25, 1.2346, "
            "0.031250, 0.09375, 1.5, 2.25, '01', 'abc', '2026-03-04', '13:14:15', '2026-03-04 05:06:07', "
            "'long text', 'bin', 'req')");
        db->run("insert into ALLTYPES (ID, C_REQUIRED) values (2, 'x')");
        conn = companyConnection(*db);
    }
    std::unique_ptr<TestDatabase> db;
    std::unique_ptr<Connection> conn;
};

} // namespace

TEST_F(QueryFieldTest, TypesFollowTheServersDescription) {
    Query q("Q", *conn);
    q.add("select * from ALLTYPES order by ID");
    q.open();
    struct Expect {
        const char* name;
        FieldType type;
        int precision, scale, size;
    };
    const Expect expected[] = {
        {"C_SMALLINT", FieldType::Integer, 0, 0, 0},
        {"C_INTEGER", FieldType::Integer, 0, 0, 0},
        {"C_BIGINT", FieldType::LargeInt, 0, 0, 0},
        {"C_NUM92", FieldType::ShortDecimal, 9, 2, 0},
        {"C_NUM144", FieldType::ShortDecimal, 14, 4, 0},
        {"C_NUM152", FieldType::ExactDecimal, 15, 2, 0},
        {"C_NUM184", FieldType::ExactDecimal, 18, 4, 0},
        {"C_NUM106", FieldType::ExactDecimal, 10, 6, 0},
        {"C_DEC188", FieldType::ExactDecimal, 18, 8, 0},
        {"C_FLOAT", FieldType::Float, 0, 0, 0},
        {"C_DOUBLE", FieldType::Float, 0, 0, 0},
        {"C_CHAR", FieldType::String, 0, 0, 3},
        {"C_VARCHAR", FieldType::String, 0, 0, 60},
        {"C_DATE", FieldType::Date, 0, 0, 0},
        {"C_TIME", FieldType::Time, 0, 0, 0},
        {"C_TIMESTAMP", FieldType::DateTime, 0, 0, 0},
        {"C_TEXT", FieldType::TextBlob, 0, 0, 0},
        {"C_BINARY", FieldType::BinaryBlob, 0, 0, 0},
    };
    for (const Expect& e : expected) {
        SCOPED_TRACE(e.name);
        Field& f = q.fieldByName(e.name);
        EXPECT_EQ(f.type(), e.type);
        if (e.precision) {
            EXPECT_EQ(f.precision(), e.precision);
        }
        EXPECT_EQ(f.scale(), e.scale);
        if (e.size) {
            EXPECT_EQ(f.size(), e.size);
        }
    }
    EXPECT_TRUE(q.fieldByName("C_CHAR").fixedLength());
    EXPECT_FALSE(q.fieldByName("C_VARCHAR").fixedLength());
    EXPECT_TRUE(q.fieldByName("ID").required());
    EXPECT_TRUE(q.fieldByName("C_REQUIRED").required());
    EXPECT_FALSE(q.fieldByName("C_INTEGER").required());
    EXPECT_TRUE(q.fieldByName("C_COMPUTED").readOnly());
    EXPECT_FALSE(q.fieldByName("C_INTEGER").readOnly());
}

TEST_F(QueryFieldTest, ReadAccessorsAndNulls) {
    Query q("Q", *conn);
    q.add("select * from ALLTYPES order by ID");
    q.open();
    EXPECT_EQ(q.fieldByName("c_char").AsString(), "01 ") << "CHAR keeps its trailing blank";
    EXPECT_EQ(q.fieldByName("C_SMALLINT").AsString(), "-7");
    EXPECT_EQ(q.fieldByName("C_NUM92").AsString(), "12,5");
    EXPECT_EQ(q.fieldByName("C_NUM92").AsInteger(), 12);
    EXPECT_EQ(q.fieldByName("C_DATE").AsString(), "04/03/2026");
    EXPECT_EQ(q.fieldByName("C_TIME").AsString(), "13:14:15");
    EXPECT_EQ(q.fieldByName("C_TIMESTAMP").AsString(), "04/03/2026 05:06:07");
    EXPECT_EQ(q.fieldByName("C_TEXT").AsString(), "long text");
    EXPECT_EQ(q.fieldByName("C_BINARY").AsVariant(), Value::string("bin"));
    EXPECT_EQ(q.fieldByName("C_BIGINT").AsInteger(), 9000000000LL);
    EXPECT_EQ(q.fieldByName("C_COMPUTED").AsInteger(), 246912);

    // Currency: four decimals, halves to the even neighbour; exact decimals through a double.
    EXPECT_EQ(q.fieldByName("C_NUM184").AsCurrency().units, 12346);
    EXPECT_EQ(q.fieldByName("C_NUM106").AsCurrency().units, 312) << "0.03125 reads 0.0312";
    EXPECT_EQ(q.fieldByName("C_DEC188").AsCurrency().units, 938) << "0.09375 reads 0.0938";
    EXPECT_EQ(q.fieldByName("C_NUM152").AsCurrency().units, 12345672500LL);
    EXPECT_EQ(q.fieldByName("C_DOUBLE").AsCurrency().units, 22500);
    EXPECT_EQ(q.fieldByName("C_INTEGER").AsCurrency().units, 1234560000LL);

    q.next();
    ASSERT_FALSE(q.eof());
    Field& i = q.fieldByName("C_INTEGER");
    EXPECT_TRUE(i.isNull());
    EXPECT_EQ(i.AsString(), "");
    EXPECT_EQ(i.AsInteger(), 0);
    EXPECT_TRUE(i.AsVariant().isNull());
    EXPECT_EQ(q.fieldByName("C_NUM184").AsCurrency().units, 0);
    EXPECT_EQ(q.fieldByName("C_TEXT").AsVariant(), Value::string("")) << "a NULL BLOB reads as empty content";
    EXPECT_EQ(q.fieldByName("C_DATE").AsString(), "");
    q.next();
    EXPECT_TRUE(q.eof());
}

TEST_F(QueryFieldTest, ExactDecimalWithMoreThanFourDecimalsRoundsHalfEven) {
    db->run("insert into ALLTYPES (ID, C_NUM106, C_DEC188, C_REQUIRED) values (3, 1.234560, 0.03125, 'z')");
    Query q("Q", *conn);
    q.add("select C_NUM106, C_DEC188 from ALLTYPES where ID = 3");
    q.open();
    EXPECT_EQ(q.field(0).AsCurrency().units, 12346) << "1.23456 reads 1.2346";
    EXPECT_EQ(q.field(1).AsCurrency().units, 312);
}

TEST_F(QueryFieldTest, LinesJoinWithCrLfAndNamesRepeatWithSuffixes) {
    db->run("insert into ALLTYPES_DET (ID, ALLTYPES_ID, C_VARCHAR) values (10, 1, 'det')");
    Query q("Q", *conn);
    q.add("select a.ID, a.C_VARCHAR, d.ID, d.C_VARCHAR, d.ID");
    q.add("from ALLTYPES a join ALLTYPES_DET d on d.ALLTYPES_ID = a.ID");
    EXPECT_EQ(q.text(),
              "select a.ID, a.C_VARCHAR, d.ID, d.C_VARCHAR, d.ID\r\nfrom ALLTYPES a join ALLTYPES_DET d on "
              "d.ALLTYPES_ID = a.ID");
    q.open();
    ASSERT_EQ(q.fieldCount(), 5);
    EXPECT_EQ(q.field(0).name(), "ID");
    EXPECT_EQ(q.field(2).name(), "ID_1");
    EXPECT_EQ(q.field(3).name(), "C_VARCHAR_1");
    EXPECT_EQ(q.field(4).name(), "ID_2");
    EXPECT_EQ(q.fieldByName("c_varchar_1").AsString(), "det");
}

TEST_F(QueryFieldTest, FailureTextsCarryTheQueryName) {
    Query q("Qcopiades", *conn);
    auto message = [](auto&& f) {
        try {
            f();
        } catch (const Error& e) {
            return std::string(e.what());
        }
        return std::string("<no failure>");
    };
    EXPECT_EQ(message([&] { q.next(); }), "Qcopiades: Cannot perform this operation on a closed dataset");
    EXPECT_EQ(message([&] { q.open(); }), "Missing query, table name or procedure name");
    EXPECT_EQ(message([&] { q.execSQL(); }), "Qcopiades: No SQL statement available");
    q.add("select ID from ALLTYPES");
    q.open();
    EXPECT_EQ(message([&] { q.execSQL(); }), "Qcopiades: Cannot perform this operation on an open dataset");
    EXPECT_EQ(message([&] { q.fieldByName("NOPE"); }), "Qcopiades: Field 'NOPE' not found");
    q.close();
    EXPECT_EQ(message([&] { q.fieldByName("ID"); }), "Qcopiades: Field 'ID' not found")
        << "the fields of a closed query are gone";

    q.clear();
    q.add("select NOPE from ALLTYPES");
    const std::string refused = message([&] { q.open(); });
    EXPECT_EQ(refused.rfind("SQL Server Error: ", 0), 0u) << refused;
    EXPECT_NE(refused.find("NOPE"), std::string::npos) << refused;
    EXPECT_FALSE(q.isOpen()) << "a refused statement leaves the query closed";

    q.clear();
    q.add("update ALLTYPES set C_INTEGER = 1");
    EXPECT_EQ(q.execSQL(), 2);
    EXPECT_FALSE(q.isOpen());
}

TEST_F(QueryFieldTest, DialectOneConnectionReadsADialectThreeDatabase) {
    auto cia = companyConnection(*db, 1, "DBCia");
    Query q("Q", *cia);
    q.add("SELECT * FROM ALLTYPES WHERE ID = 1");
    q.open();
    EXPECT_EQ(q.fieldByName("C_DATE").type(), FieldType::Date);
    EXPECT_EQ(q.fieldByName("C_NUM184").type(), FieldType::ExactDecimal);
    EXPECT_EQ(q.fieldByName("C_NUM184").AsCurrency().units, 12346);
    EXPECT_EQ(q.fieldByName("C_CHAR").AsString(), "01 ");
}
