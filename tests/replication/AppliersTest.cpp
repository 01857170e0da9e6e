// The event appliers seen through send runs over real origin and destination databases: what each event type
// copies or deletes, its operation letter, the copy modes and the positional copy.

#include "ReplicationFixture.h"
#include "db/Error.h"

using namespace envio;
using namespace envio::test;

namespace {

class AppliersTest : public ReplicationTest {
protected:
    // The origin company and one destination, Sucursal Norte (002).
    TestDatabase& prepare(const std::vector<std::string>& destinationExtra = {}) {
        makeOrigin();
        return addDestination("002", "Sucursal Norte", destinationExtra);
    }
    std::string articleRow(TestDatabase& db, const std::string& code) {
        return db.scalar("select count(*) from articulo where arti_cod = " + sqlTextLiteral(code)) == "1"
                   ? db.rows(std::string("select ") + kArticleColumns +
                             " from articulo where arti_cod = " + sqlTextLiteral(code))
                         .front()
                   : std::string();
    }
};

TEST_F(AppliersTest, ArticleOverwritesItsReplicatedColumnsAndKeepsTheCompanysOwn) {
    TestDatabase& dest = prepare();
    origin().run(fullArticle("A-0001", "CUADERNO COSIDO 100 HOJAS", 1) + ";" +
                 fullArticle("A-0002", "LAPICERO TINTA NEGRA", 2));
    dest.run(fullArticle("A-0001", "CUADERNO (COPIA VIEJA)", 8));
    const std::string localBefore =
        dest.rows("select ARTI_COSTO, ARTI_UBICACION, ARTI_FECMOD, ARTI_CODBARRAS, "
                  "ARTI_ACTIVO from articulo where arti_cod = 'A-0001'")
            .front();
    ASSERT_NE(articleRow(dest, "A-0001"), articleRow(origin(), "A-0001"));
    const int existing = addEvent(EventSpec(101, std::nullopt, "A-0001", "I"));
    const int added = addEvent(EventSpec(101, std::nullopt, "A-0002", "I"));
    connect();

    EXPECT_EQ(run(), RunOutcome::Completed);

    EXPECT_EQ(articleRow(dest, "A-0001"), articleRow(origin(), "A-0001"));
    EXPECT_EQ(
        dest.rows("select ARTI_COSTO, ARTI_UBICACION, ARTI_FECMOD, ARTI_CODBARRAS, ARTI_ACTIVO from articulo "
                  "where arti_cod = 'A-0001'")
            .front(),
        localBefore)
        << "columns outside the 47 keep the destination's values";
    EXPECT_EQ(articleRow(dest, "A-0002"), articleRow(origin(), "A-0002")) << "a new article is inserted";
    EXPECT_EQ(state(existing), "stamped");
    EXPECT_EQ(state(added), "stamped");
    EXPECT_TRUE(boxes().isEmpty());
}

TEST_F(AppliersTest, CopyModesTurnNullsAndRoundAmounts) {
    TestDatabase& dest = prepare();
    // Every column the modes treat differently starts non-NULL in the destination.
    dest.run(fullArticle("A-0003", "BORRADOR (COPIA VIEJA)", 5));
    origin().run(
        "INSERT INTO ARTICULO (ARTI_COD, ARTI_DES, ARTI_TIPO, ARTI_PESO, ARTI_ANCHO, ARTI_ALTO, "
        "ARTI_PORCSOBR) VALUES ('A-0003', 'BORRADOR DE NATA', 'P', 0.03125, 0.09375, 1.234567, -2.71828)");
    const int id = addEvent(EventSpec(101, std::nullopt, "A-0003", "I"));
    connect();

    ASSERT_EQ(run(), RunOutcome::Completed);
    EXPECT_EQ(state(id), "stamped");

    // Currency copy: NULL arrives as 0, never as NULL.
    EXPECT_EQ(dest.rows("select ARTI_PRECIO, ARTI_CONSUMO, ARTI_IMPOTRO, ARTI_MAX, ARTI_MIN, ARTI_VALORBONO, "
                        "ARTI_MERMA, ARTI_LARGO from articulo where arti_cod = 'A-0003'"),
              std::vector<std::string>{"0.0000|0.0000|0.00|0.0000|0.0000|0.0000|0.0000|0.00"});
    // More than four decimals: rounded to four, halves to the even neighbour (312.5 -> 312, 937.5 -> 938).
    EXPECT_EQ(
        dest.rows("select cast(ARTI_PESO * 100000 as bigint), cast(ARTI_ANCHO * 100000 as bigint), "
                  "cast(ARTI_ALTO * 100000 as bigint), cast(ARTI_PORCSOBR * 100000 as bigint) from articulo "
                  "where arti_cod = 'A-0003'"),
        std::vector<std::string>{"3120|9380|123460|-271830"});
    // Text copy: NULL arrives as empty text.
    for (const char* column : {"ARTI_OBS", "ARTI_TERCERO", "ARTI_INVIMA", "ARTI_INALC", "ARTI_DTOMAX",
                               "ARTI_CUM", "ARTI_POSARANCEL", "ARTI_MERMAENT", "ARTI_MERMAPOR"})
        EXPECT_EQ(dest.scalar(std::string("select coalesce(") + column + ", 'x') from articulo"), "")
            << column;
    // Value copy: NULL stays NULL, but a BLOB is left with content of length 0.
    EXPECT_EQ(dest.rows("select GRUP_COD, ARTI_FECHA, ARTI_DIAS, ARTI_DESCORTA, ARTI_SOBTOT from articulo"),
              std::vector<std::string>{"<null>|<null>|<null>|<null>|<null>"});
    EXPECT_EQ(dest.scalar("select coalesce(octet_length(ARTI_FOTO), 0) from articulo"), "0");
}

TEST_F(AppliersTest, ArticlePriceIsFoundByCodeAndListAndDeletedByLetterD) {
    TestDatabase& dest = prepare();
    origin().run(
        "INSERT INTO PRECIOS_ARTICULO (LIPR_COD, ARTI_COD, PRAR_FIJO, PRAR_MARGEN, PRAR_UTIL, PRAR_AUTO, "
        "PRAR_FECACT, PRAR_CONSUMO, PRAR_COMI, PRAR_COMIMONTO, PRAR_CANTMIN, PRAR_DTO1, PRAR_DTO2, "
        "PRAR_COMIC, PRAR_REDON, PRAR_ESCALAS) VALUES "
        "(1, 'A-0001', 3500, 40, 1400, 'S', '2025-01-08', 3200, 2, 70, 1, 0, 0, 0, 50, 'N');"
        "INSERT INTO PRECIOS_ARTICULO (LIPR_COD, ARTI_COD, PRAR_MARGEN, PRAR_UTIL, PRAR_AUTO, PRAR_FECACT, "
        "PRAR_CONSUMO, PRAR_COMI, PRAR_COMIMONTO, PRAR_CANTMIN, PRAR_DTO1, PRAR_DTO2, PRAR_COMIC, "
        "PRAR_REDON, PRAR_ESCALAS) VALUES (2, 'A-0001', 33.3333, 1050, 'S', '2025-01-08', 2900, 1.5, 47.25, "
        "12, 1, 2, 3, 50, 'S')");
    dest.run(
        "INSERT INTO PRECIOS_ARTICULO (LIPR_COD, ARTI_COD, PRAR_FIJO, PRAR_MARGEN, PRAR_FECACT, PRAR_REDON) "
        "VALUES (1, 'A-0001', 3000, 30, '2024-06-01', 10);"
        "INSERT INTO PRECIOS_ARTICULO (LIPR_COD, ARTI_COD, PRAR_FIJO, PRAR_MARGEN, PRAR_FECACT, PRAR_REDON) "
        "VALUES (2, 'A-0001', 2800, 30, '2024-06-02', 10);"
        "INSERT INTO PRECIOS_ARTICULO (LIPR_COD, ARTI_COD, PRAR_FIJO, PRAR_FECACT) "
        "VALUES (3, 'A-0001', 2600, '2024-06-03')");
    const int copyNull = addEvent(EventSpec(126, 2, "A-0001"));
    const int remove = addEvent(EventSpec(126, 1, "A-0001", "D"));
    const int absent = addEvent(EventSpec(126, 3, "A-0001", "I"));
    const int deleteNothing = addEvent(EventSpec(126, 9, "A-0001", "D"));
    connect();

    ASSERT_EQ(run(), RunOutcome::Completed);

    const char* replicated =
        "select LIPR_COD, ARTI_COD, PRAR_FIJO, PRAR_MARGEN, PRAR_UTIL, PRAR_AUTO, PRAR_CONSUMO, "
        "PRAR_COMI, PRAR_COMIMONTO, PRAR_CANTMIN, PRAR_DTO1, PRAR_DTO2, PRAR_COMIC, PRAR_REDON, "
        "PRAR_ESCALAS from precios_articulo where lipr_cod = 2";
    EXPECT_EQ(
        dest.rows(replicated),
        std::vector<std::string>{"2|A-0001|0.0000|33.3333|1050.0000|S|2900.0000|1.5000|47.25|12.0000|1.0000|"
                                 "2.0000|3.0000|50|S"})
        << "a NULL price arrives as 0";
    EXPECT_EQ(dest.scalar("select PRAR_FECACT from precios_articulo where lipr_cod = 2"), "2024-06-02")
        << "a column outside the 15 keeps its value";
    EXPECT_EQ(dest.scalar("select count(*) from precios_articulo where lipr_cod = 1"), "0");
    EXPECT_EQ(dest.rows("select LIPR_COD, PRAR_FIJO from precios_articulo where lipr_cod = 3"),
              std::vector<std::string>{"3|2600.0000"})
        << "an event whose origin row is gone writes nothing";
    for (int id : {copyNull, remove, absent, deleteNothing})
        EXPECT_EQ(state(id), "stamped") << id;
}

TEST_F(AppliersTest, FuturePriceListsAndTheirLinesAreCopiedByPosition) {
    TestDatabase& dest = prepare();
    // The destination declares the rounding as an exact decimal, where the origin has a float.
    dest.run(
        "DROP TABLE PRECIOS_FUTUROS_ARTICULOS;"
        "CREATE TABLE PRECIOS_FUTUROS_ARTICULOS (PRFU_ID INTEGER NOT NULL, ARTI_COD VARCHAR(20) NOT NULL, "
        "PRFA_PRECIO NUMERIC(18,4), PRFA_PRECIOANT NUMERIC(18,4), PRFA_PORC NUMERIC(9,2), PRFA_REDONDEO "
        "NUMERIC(18,4))");
    origin().run(
        "INSERT INTO PRECIOS_FUTUROS VALUES (1, 'LISTA ESCOLAR 2025', '2025-01-20', 5.5, 1, 'N', 'DEMO');"
        "INSERT INTO PRECIOS_FUTUROS_ARTICULOS VALUES (1, 'A-0001', 3700.1235, NULL, 5.71, 100.03125);"
        "INSERT INTO PRECIOS_FUTUROS_ARTICULOS VALUES (1, 'A-0002', 1400, 1350, 3.7, 50.09375)");
    dest.run(
        "INSERT INTO PRECIOS_FUTUROS VALUES (1, 'LISTA ESCOLAR (BORRADOR)', '2025-01-31', 4, 1, 'S', 'X');"
        "INSERT INTO PRECIOS_FUTUROS VALUES (7, 'LISTA RETIRADA', '2025-01-31', 4, 1, 'N', 'X');"
        "INSERT INTO PRECIOS_FUTUROS_ARTICULOS VALUES (1, 'A-0001', 1, 1, 1, 1);"
        "INSERT INTO PRECIOS_FUTUROS_ARTICULOS VALUES (1, 'A-0005', 4400, 4200, 4.76, 100)");
    const std::vector<int> ids{
        addEvent(EventSpec(1125, 1, std::nullopt, "I")), addEvent(EventSpec(1125, 7, std::nullopt, "D")),
        addEvent(EventSpec(1126, 1, "A-0001")),          addEvent(EventSpec(1126, 1, "A-0002", "M")),
        addEvent(EventSpec(1126, 1, "A-0005", "D")),
    };
    connect();

    ASSERT_EQ(run(), RunOutcome::Completed);

    EXPECT_EQ(dest.rows("select * from precios_futuros order by prfu_id"),
              origin().rows("select * from precios_futuros order by prfu_id"));
    // The destination's exact decimals are currency-copied: NULL to 0, four decimals, halves to even
    // (1000312.5 -> 1000312, 500937.5 -> 500938).
    EXPECT_EQ(dest.rows("select * from precios_futuros_articulos order by arti_cod"),
              (std::vector<std::string>{"1|A-0001|3700.1235|0.0000|5.71|100.0312",
                                        "1|A-0002|1400.0000|1350.0000|3.70|50.0938"}));
    for (int id : ids)
        EXPECT_EQ(state(id), "stamped") << id;
}

TEST_F(AppliersTest, DiscountLinesAreDeletedOnlyByLetterA) {
    TestDatabase& dest = prepare();
    origin().run(
        "INSERT INTO DESCUENTOS_PRECIOS VALUES (1, 'TEMPORADA ESCOLAR', 10, '2025-01-15', '2025-02-28', "
        "1, 'S');"
        "INSERT INTO DESCUENTOS_PRECIOS_DET VALUES (1, 'A-0001', 10, 1, 'Cuadernos');"
        "INSERT INTO DESCUENTOS_PRECIOS_DET VALUES (1, 'A-0002', 5, 12, 'Por docena');"
        "INSERT INTO DESCUENTOS_PRECIOS_DET VALUES (1, 'A-0003', 15, 1, 'Borradores')");
    dest.run("INSERT INTO DESCUENTOS_PRECIOS VALUES (2, 'VIEJO', 1, '2024-01-01', '2024-02-01', 1, 'S');"
             "INSERT INTO DESCUENTOS_PRECIOS VALUES (2, 'VIEJO', 2, '2024-01-01', '2024-02-01', 2, 'S');"
             "INSERT INTO DESCUENTOS_PRECIOS_DET VALUES (1, 'A-0003', 15, 1, 'Borradores');"
             "INSERT INTO DESCUENTOS_PRECIOS_DET VALUES (1, 'A-0004', 20, 1, 'Resmas')");
    const std::vector<int> ids{
        addEvent(EventSpec(229, 1, std::nullopt, "I")), addEvent(EventSpec(229, 2, std::nullopt, "D")),
        addEvent(EventSpec(2291, 1, "A-0001", "D")),    addEvent(EventSpec(2291, 1, "A-0002")),
        addEvent(EventSpec(2291, 1, "A-0003", "A")),    addEvent(EventSpec(2291, 1, "A-0004", "a")),
    };
    connect();

    ASSERT_EQ(run(), RunOutcome::Completed);

    EXPECT_EQ(dest.rows("select * from descuentos_precios"),
              origin().rows("select * from descuentos_precios"))
        << "letter D deletes both rows of discount 2";
    EXPECT_EQ(
        dest.rows("select * from descuentos_precios_det order by arti_cod"),
        (std::vector<std::string>{"1|A-0001|10.0000|1.0000|Cuadernos", "1|A-0002|5.0000|12.0000|Por docena",
                                  "1|A-0004|20.0000|1.0000|Resmas"}))
        << "D and no letter copy a line, A deletes it, a lower-case a copies (the line is gone in the "
           "origin)";
    for (int id : ids)
        EXPECT_EQ(state(id), "stamped") << id;
}

TEST_F(AppliersTest, ArticleEventsWithoutLetterIAreNeverReadNorApplied) {
    TestDatabase& dest = prepare();
    origin().run(fullArticle("A-0001", "CUADERNO NUEVO", 1));
    dest.run(fullArticle("A-0001", "CUADERNO VIEJO", 2));
    const std::string before = articleRow(dest, "A-0001");
    std::vector<int> passed;
    for (const std::optional<std::string>& letter :
         std::vector<std::optional<std::string>>{"D", "A", "M", "i", {}})
        passed.push_back(addEvent(EventSpec(101, std::nullopt, "A-0001", letter)));
    const int price = addEvent(EventSpec(126, 1, "A-0001", "D"));
    connect();

    ASSERT_EQ(run(), RunOutcome::Completed);

    EXPECT_EQ(articleRow(dest, "A-0001"), before);
    for (int id : passed) {
        EXPECT_EQ(state(id), "pending") << id;
        EXPECT_EQ(note(id), "<null>") << id;
    }
    EXPECT_EQ(state(price), "stamped");
    EXPECT_EQ(install_.auditEntries(),
              (std::vector<std::string>{"Inicio,002,1", std::to_string(price) + ",126,A-0001"}))
        << "the passed-over events are not even read";
}

TEST_F(AppliersTest, EveryOriginRowOfADiscountLandsOnTheFirstDestinationRow) {
    TestDatabase& dest = prepare();
    origin().run(
        "INSERT INTO DESCUENTOS_PRECIOS VALUES (4, 'LISTA 1', 10, '2025-01-15', '2025-02-28', 1, 'S');"
        "INSERT INTO DESCUENTOS_PRECIOS VALUES (4, 'LISTA 2', 12, '2025-01-15', '2025-02-28', 2, 'N');"
        "INSERT INTO DESCUENTOS_PRECIOS_DET VALUES (6, 'A-0001', 7, 1, 'Origen')");
    dest.run("INSERT INTO DESCUENTOS_PRECIOS_DET VALUES (6, 'A-0001', 1, 1, 'Primera');"
             "INSERT INTO DESCUENTOS_PRECIOS_DET VALUES (6, 'A-0001', 2, 2, 'Segunda')");
    const int discount = addEvent(EventSpec(229, 4));
    const int line = addEvent(EventSpec(2291, 6, "A-0001"));
    connect();

    ASSERT_EQ(run(), RunOutcome::Completed);

    EXPECT_EQ(dest.rows("select * from descuentos_precios"),
              std::vector<std::string>{"4|LISTA 2|12.0000|2025-01-15|2025-02-28|2|N"})
        << "the first origin row is inserted, the second overwrites it";
    EXPECT_EQ(dest.rows("select * from descuentos_precios_det order by dcpd_cantmin"),
              (std::vector<std::string>{"6|A-0001|7.0000|1.0000|Origen", "6|A-0001|2.0000|2.0000|Segunda"}))
        << "only the first destination row is overwritten";
    EXPECT_EQ(state(discount), "stamped");
    EXPECT_EQ(state(line), "stamped");
}

TEST_F(AppliersTest, PositionalCopyFollowsTheDestinationsColumnOrder) {
    TestDatabase& dest = prepare();
    dest.run(
        "DROP TABLE PRECIOS_FUTUROS;"
        "CREATE TABLE PRECIOS_FUTUROS (PRFU_ID INTEGER NOT NULL, PRFU_USUARIO VARCHAR(20), PRFU_FECHA DATE, "
        "PRFU_PORC NUMERIC(15,4), LIPR_COD SMALLINT, PRFU_APLICADO CHAR(1), PRFU_NOMBRE VARCHAR(60))");
    origin().run(
        "INSERT INTO PRECIOS_FUTUROS VALUES (1, 'AJUSTE DE PAPEL DE FEBRERO', '2025-02-01', 3.25, 1, 'N', "
        "'DEMO')");
    const int id = addEvent(EventSpec(1125, 1));
    connect();

    ASSERT_EQ(run(), RunOutcome::Completed);

    EXPECT_EQ(dest.rows("select PRFU_ID, PRFU_USUARIO, PRFU_NOMBRE from precios_futuros"),
              std::vector<std::string>{"1|AJUSTE DE PAPEL DE F|DEMO"})
        << "values go to the column at the same position, cut to its size";
    EXPECT_EQ(state(id), "stamped");
}

TEST_F(AppliersTest, PositionalCopyIntoAWiderTableAbandonsTheRun) {
    TestDatabase& dest = prepare();
    dest.run("ALTER TABLE DESCUENTOS_PRECIOS_DET ADD DCPD_EXTRA VARCHAR(10)");
    origin().run("INSERT INTO DESCUENTOS_PRECIOS_DET VALUES (1, 'A-0001', 10, 1, 'Cuadernos')");
    const int before = addEvent(EventSpec(1125, 5, std::nullopt, "D"));
    const int wide = addEvent(EventSpec(2291, 1, "A-0001"));
    const int after = addEvent(EventSpec(1125, 6, std::nullopt, "D"));
    connect();

    try {
        run();
        ADD_FAILURE() << "the run was not abandoned";
    } catch (const SilentAbort&) {
        ADD_FAILURE() << "an index failure is not a silent abort";
    } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()), "List index out of bounds (5)");
    }

    EXPECT_EQ(dest.scalar("select count(*) from descuentos_precios_det"), "0");
    EXPECT_EQ(state(before), "stamped");
    EXPECT_EQ(state(wide), "pending");
    EXPECT_EQ(note(wide), "<null>");
    EXPECT_EQ(state(after), "pending");
    EXPECT_TRUE(view_.panelShown());
    EXPECT_FALSE(view_.timerOn());
    EXPECT_FALSE(session_.sendInProgress());
}

TEST_F(AppliersTest, QuotesInArticleCodesAreDoubled) {
    TestDatabase& dest = prepare();
    origin().run(
        fullArticle("O'NEIL-1", "LIBRETA O'NEIL", 3) +
        ";INSERT INTO PRECIOS_ARTICULO (LIPR_COD, ARTI_COD, PRAR_FIJO) VALUES (1, 'O''NEIL-1', 1250);"
        "INSERT INTO DESCUENTOS_PRECIOS_DET VALUES (3, 'O''NEIL-1', 5, 1, 'Libretas')");
    const std::vector<int> ids{addEvent(EventSpec(101, std::nullopt, "O'NEIL-1", "I")),
                               addEvent(EventSpec(126, 1, "O'NEIL-1")),
                               addEvent(EventSpec(2291, 3, "O'NEIL-1"))};
    connect();

    ASSERT_EQ(run(), RunOutcome::Completed);

    EXPECT_EQ(articleRow(dest, "O'NEIL-1"), articleRow(origin(), "O'NEIL-1"));
    EXPECT_EQ(dest.rows("select LIPR_COD, ARTI_COD, PRAR_FIJO from precios_articulo"),
              std::vector<std::string>{"1|O'NEIL-1|1250.0000"});
    EXPECT_EQ(dest.rows("select ARTI_COD from descuentos_precios_det"), std::vector<std::string>{"O'NEIL-1"});
    for (int id : ids)
        EXPECT_EQ(state(id), "stamped") << id;
}

} // namespace
