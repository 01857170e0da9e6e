#include "ui/grid/ExportGridsel.h"

#include "GridTestList.h"

#include <gtest/gtest.h>

namespace envio {
namespace {

using gridtest::bytes;
using gridtest::column;
using gridtest::emptyList;
using gridtest::integer;
using gridtest::sampleList;
using gridtest::utf16le;
using State = GridSelection::State;

TEST(ExportGridsel, HeaderThenOneTaggedValuePerCellWithoutTitles) {
    EXPECT_EQ(exportGridsel(sampleList(), State::All),
              bytes("GRIDSEL\x01"
                    "\x05\x00\x00\x00"
                    "\x01\x00\x01\x00\x01\x00\x01\x00\x01\x00"
                    // row 0: looked-up field as its key "126" in UTF-16, text, integer 3, 5 March 2024 as day
                    // 45356, NULL
                    "\x07\x06\x00\x00\x00"
                    "1"
                    "\x00"
                    "2"
                    "\x00"
                    "6"
                    "\x00"
                    "\x05\x05\x00\x00\x00"
                    "A;\"1\""
                    "\x03\x03\x00\x00\x00"
                    "\x04\x00\x00\x00\x00\x80\x25\xE6\x40"
                    "\x02"
                    // row 1: NULL looked-up field, text, -7, NULL date, text
                    "\x02"
                    "\x05\x07\x00\x00\x00"
                    "Se\xF1"
                    "al\t\xE1"
                    "\x03\xF9\xFF\xFF\xFF"
                    "\x02"
                    "\x05\x14\x00\x00\x00"
                    "C:\\datos\\{x} <a & b>"
                    "\x00"));
}

TEST(ExportGridsel, NothingSelectedGivesOneColumnAndTheFocusedCell) {
    EXPECT_EQ(exportGridsel(sampleList(), State::None), bytes("GRIDSEL\x01"
                                                              "\x01\x00\x00\x00"
                                                              "\x01\x00"
                                                              "\x07\x06\x00\x00\x00"
                                                              "1"
                                                              "\x00"
                                                              "2"
                                                              "\x00"
                                                              "6"
                                                              "\x00"
                                                              "\x00"));
}

TEST(ExportGridsel, EmptyListGivesANullCellOrNoCells) {
    EXPECT_EQ(exportGridsel(emptyList(), State::None), bytes("GRIDSEL\x01"
                                                             "\x01\x00\x00\x00"
                                                             "\x01\x00"
                                                             "\x02"
                                                             "\x00"));
    EXPECT_EQ(exportGridsel(emptyList(), State::All), bytes("GRIDSEL\x01"
                                                            "\x05\x00\x00\x00"
                                                            "\x01\x00\x01\x00\x01\x00\x01\x00\x01\x00"
                                                            "\x00"));
}

TEST(ExportGridsel, EveryKindGetsItsTag) {
    GridSnapshot grid;
    grid.columns = {
        GridColumn{QStringLiteral("Sin campo"), 40, GridAlignment::Left, std::nullopt},
        column("Precio", 40, GridAlignment::Right, "PRECIO", FieldType::Float),
        column("Desc", 40, GridAlignment::Right, "DESCUENTO", FieldType::ExactDecimal),
        column("Grande", 40, GridAlignment::Right, "GRANDE", FieldType::LargeInt),
        column("Hora", 40, GridAlignment::Left, "HORA", FieldType::Time),
        column("Antes", 40, GridAlignment::Left, "ANTES", FieldType::DateTime),
        column("Después", 40, GridAlignment::Left, "DESPUES", FieldType::DateTime),
        column("Foto", 40, GridAlignment::Left, "FOTO", FieldType::BinaryBlob),
        column("Nota", 40, GridAlignment::Left, "NOTA", FieldType::TextBlob),
        column("Tipo", 40, GridAlignment::Left, "TIPO", FieldType::String, true),
    };
    GridCell lookup = gridtest::text("Precio");
    lookup.keyValues = {QStringLiteral("a b"), QStringLiteral("c,d"), QStringLiteral("e\"f"),
                        QStringLiteral("g")};
    grid.rows = {{
        gridtest::text("x"),
        GridCell{QStringLiteral("2.5"), Value::floating(2.5), {}},
        GridCell{QStringLiteral("-0.75"), Value::decimal(-75, 2), {}},
        integer(12345678901),
        GridCell{QStringLiteral("18:00:00"), Value::time(QTime(18, 0)), {}},
        GridCell{QStringLiteral("29/12/1899 06:00:00"),
                 Value::dateTime(QDateTime(QDate(1899, 12, 29), QTime(6, 0))),
                 {}},
        GridCell{QStringLiteral("01/01/1900 12:00:00"),
                 Value::dateTime(QDateTime(QDate(1900, 1, 1), QTime(12, 0))),
                 {}},
        GridCell{QStringLiteral("(BLOB)"), Value::string(std::string("\x00\xFF", 2)), {}},
        gridtest::text("ñ"),
        lookup,
    }};
    const QByteArray expected =
        bytes("GRIDSEL\x01"
              "\x0A\x00\x00\x00"
              "\x01\x00\x01\x00\x01\x00\x01\x00\x01\x00\x01\x00\x01\x00\x01\x00\x01\x00\x01\x00"
              "\x01"
              "\x04\x00\x00\x00\x00\x00\x00\x04\x40"
              "\x04\x00\x00\x00\x00\x00\x00\xE8\xBF"
              "\x05\x0B\x00\x00\x00"
              "12345678901"
              "\x04\x00\x00\x00\x00\x00\x00\xE8\x3F"
              "\x04\x00\x00\x00\x00\x00\x00\xF4\xBF"
              "\x04\x00\x00\x00\x00\x00\x00\x04\x40"
              "\x06\x02\x00\x00\x00\x00\xFF"
              "\x05\x01\x00\x00\x00\xF1"
              "\x07\x28\x00\x00\x00") +
        utf16le(u"\"a b\",\"c,d\",\"e\"\"f\",g") + QByteArray(1, '\0');
    EXPECT_EQ(exportGridsel(grid, State::All), expected);
}

TEST(ExportGridsel, DayNumbersCountFromTheLastDayOf1899) {
    EXPECT_EQ(dayNumber(QDate(1899, 12, 30), QTime(0, 0)), 0.0);
    EXPECT_EQ(dayNumber(QDate(1900, 1, 1), QTime(18, 0)), 2.75);
    EXPECT_EQ(dayNumber(QDate(1899, 12, 29), QTime(6, 0)), -1.25);
    EXPECT_EQ(dayNumber(QDate(2024, 3, 5), QTime()), 45356.0);
}

TEST(ExportGridsel, CommaListQuotesOnlyValuesThatNeedIt) {
    EXPECT_EQ(commaList({}), QString());
    EXPECT_EQ(commaList({QStringLiteral("126")}), QStringLiteral("126"));
    EXPECT_EQ(commaList({QStringLiteral("1"), QStringLiteral("x y"), QStringLiteral("")}),
              QStringLiteral("1,\"x y\","));
}

} // namespace
} // namespace envio
