#include "ui/grid/ExportBiff.h"

#include "GridTestList.h"

#include <gtest/gtest.h>

namespace envio {
namespace {

using gridtest::bytes;
using gridtest::column;
using gridtest::emptyList;
using gridtest::integer;
using gridtest::sampleList;
using State = GridSelection::State;

#define BOF_RECORD "\x09\x08\x08\x00\x00\x00\x10\x00\x00\x00\x00\x00"
#define EOF_RECORD "\x0A\x00\x00\x00"
#define TITLE_LABELS                                                                                         \
    "\x04\x02\x10\x00"                                                                                       \
    "\x00\x00\x00\x00\x00\x00\x08\x00"                                                                       \
    "Tipo doc"                                                                                               \
    "\x04\x02\x0E\x00"                                                                                       \
    "\x00\x00\x01\x00\x00\x00\x06\x00"                                                                       \
    "C\xF3"                                                                                                  \
    "digo"                                                                                                   \
    "\x04\x02\x0C\x00"                                                                                       \
    "\x00\x00\x02\x00\x00\x00\x04\x00"                                                                       \
    "PtVt"                                                                                                   \
    "\x04\x02\x0D\x00"                                                                                       \
    "\x00\x00\x03\x00\x00\x00\x05\x00"                                                                       \
    "Fecha"                                                                                                  \
    "\x04\x02\x18\x00"                                                                                       \
    "\x00\x00\x04\x00\x00\x00\x10\x00"                                                                       \
    "Mensaje de error"

TEST(ExportBiff, TitlesInRowZeroThenOneRecordPerCellByKind) {
    EXPECT_EQ(exportBiff(sampleList(), State::All),
              bytes(BOF_RECORD TITLE_LABELS
                    // row 1: looked-up text, text, 3 as RK (3 * 4 + 2), a date as its text, NULL
                    "\x04\x02\x0E\x00"
                    "\x01\x00\x00\x00\x00\x00\x06\x00"
                    "Precio"
                    "\x04\x02\x0D\x00"
                    "\x01\x00\x01\x00\x00\x00\x05\x00"
                    "A;\"1\""
                    "\x7E\x02\x0A\x00"
                    "\x01\x00\x02\x00\x00\x00\x0E\x00\x00\x00"
                    "\x04\x02\x12\x00"
                    "\x01\x00\x03\x00\x00\x00\x0A\x00"
                    "05/03/2024"
                    "\x01\x02\x06\x00"
                    "\x01\x00\x04\x00\x17\x00"
                    // row 2: NULL looked-up field, text with TAB, -7 as RK (-26), NULL date, text
                    "\x01\x02\x06\x00"
                    "\x02\x00\x00\x00\x17\x00"
                    "\x04\x02\x0F\x00"
                    "\x02\x00\x01\x00\x00\x00\x07\x00"
                    "Se\xF1"
                    "al\t\xE1"
                    "\x7E\x02\x0A\x00"
                    "\x02\x00\x02\x00\x00\x00\xE6\xFF\xFF\xFF"
                    "\x01\x02\x06\x00"
                    "\x02\x00\x03\x00\x17\x00"
                    "\x04\x02\x1C\x00"
                    "\x02\x00\x04\x00\x00\x00\x14\x00"
                    "C:\\datos\\{x} <a & b>" EOF_RECORD));
}

TEST(ExportBiff, NothingSelectedGivesOneCellAtRowZeroColumnZero) {
    GridSnapshot grid = sampleList();
    grid.currentRow = 1;
    grid.focusedColumn = 2;
    EXPECT_EQ(exportBiff(grid, State::None),
              bytes(BOF_RECORD "\x7E\x02\x0A\x00"
                               "\x00\x00\x00\x00\x00\x00\xE6\xFF\xFF\xFF" EOF_RECORD));
    grid.focusedColumn = 1;
    EXPECT_EQ(exportBiff(grid, State::None), bytes(BOF_RECORD "\x04\x02\x0F\x00"
                                                              "\x00\x00\x00\x00\x00\x00\x07\x00"
                                                              "Se\xF1"
                                                              "al\t\xE1" EOF_RECORD));
}

TEST(ExportBiff, NothingSelectedOnAnEmptyListGivesOneBlank) {
    EXPECT_EQ(exportBiff(emptyList(), State::None), bytes(BOF_RECORD "\x01\x02\x06\x00"
                                                                     "\x00\x00\x00\x00\x17\x00" EOF_RECORD));
}

TEST(ExportBiff, EverythingSelectedOnAnEmptyListGivesTheTitlesOnly) {
    EXPECT_EQ(exportBiff(emptyList(), State::All), bytes(BOF_RECORD TITLE_LABELS EOF_RECORD));
}

TEST(ExportBiff, FractionalKindsAsNumbersOtherKindsAsLabelsAndAColumnWithoutFieldBlank) {
    GridSnapshot grid;
    grid.look.titlesShown = false;
    grid.columns = {
        GridColumn{QStringLiteral("Sin campo"), 40, GridAlignment::Left, std::nullopt},
        column("Precio", 40, GridAlignment::Right, "PRECIO", FieldType::Float),
        column("Desc", 40, GridAlignment::Right, "DESCUENTO", FieldType::ShortDecimal),
        column("Grande", 40, GridAlignment::Right, "GRANDE", FieldType::LargeInt),
        column("Hora", 40, GridAlignment::Left, "HORA", FieldType::Time),
        column("Nota", 40, GridAlignment::Left, "NOTA", FieldType::String),
    };
    grid.rows = {{
        gridtest::text("x"),
        GridCell{QStringLiteral("2.5"), Value::floating(2.5), {}},
        GridCell{QStringLiteral("-0.75"), Value::decimal(-75, 2), {}},
        integer(12345678901),
        GridCell{QStringLiteral("10:30:00"), Value::time(QTime(10, 30)), {}},
        gridtest::text(""),
    }};
    EXPECT_EQ(exportBiff(grid, State::All), bytes(BOF_RECORD "\x01\x02\x06\x00"
                                                             "\x00\x00\x00\x00\x17\x00"
                                                             "\x03\x02\x0E\x00"
                                                             "\x00\x00\x01\x00\x00\x00"
                                                             "\x00\x00\x00\x00\x00\x00\x04\x40"
                                                             "\x03\x02\x0E\x00"
                                                             "\x00\x00\x02\x00\x00\x00"
                                                             "\x00\x00\x00\x00\x00\x00\xE8\xBF"
                                                             "\x04\x02\x13\x00"
                                                             "\x00\x00\x03\x00\x00\x00\x0B\x00"
                                                             "12345678901"
                                                             "\x04\x02\x10\x00"
                                                             "\x00\x00\x04\x00\x00\x00\x08\x00"
                                                             "10:30:00"
                                                             "\x04\x02\x08\x00"
                                                             "\x00\x00\x05\x00\x00\x00\x00\x00" EOF_RECORD));
}

// An RK holds 30 bits of integer; integers beyond them keep their value as a NUMBER.
TEST(ExportBiff, IntegersOutsideTheRkRangeBecomeNumbers) {
    GridSnapshot grid;
    grid.look.titlesShown = false;
    grid.columns = {column("N", 40, GridAlignment::Right, "N", FieldType::Integer)};
    grid.rows = {{integer(536870911)}, {integer(536870912)}, {integer(-536870912)}, {integer(-536870913)}};
    EXPECT_EQ(exportBiff(grid, State::All), bytes(BOF_RECORD "\x7E\x02\x0A\x00"
                                                             "\x00\x00\x00\x00\x00\x00\xFE\xFF\xFF\x7F"
                                                             "\x03\x02\x0E\x00"
                                                             "\x01\x00\x00\x00\x00\x00"
                                                             "\x00\x00\x00\x00\x00\x00\xC0\x41"
                                                             "\x7E\x02\x0A\x00"
                                                             "\x02\x00\x00\x00\x00\x00\x02\x00\x00\x80"
                                                             "\x03\x02\x0E\x00"
                                                             "\x03\x00\x00\x00\x00\x00"
                                                             "\x00\x00\x80\x00\x00\x00\xC0\xC1" EOF_RECORD));
}

// The sheet's 16-bit row numbers end at 65 535: the rows past it are left out rather than written over the
// first ones.
TEST(ExportBiff, RowsPastTheLastAddressableRowAreLeftOut) {
    GridSnapshot grid;
    grid.columns = {column("N", 40, GridAlignment::Right, "N", FieldType::Integer)};
    for (int i = 0; i < 70000; ++i)
        grid.rows.push_back({integer(i)});
    const QByteArray out = exportBiff(grid, State::All);

    int records = 0;
    int lastRow = 0; // the title row
    qsizetype pos = 0;
    std::uint16_t id = 0;
    auto u16 = [&](qsizetype at) {
        return static_cast<std::uint16_t>(static_cast<unsigned char>(out[at]) |
                                          (static_cast<unsigned char>(out[at + 1]) << 8));
    };
    while (pos + 4 <= out.size()) {
        id = u16(pos);
        const std::uint16_t length = u16(pos + 2);
        if (id == 0x027E) {
            const int row = u16(pos + 4);
            ASSERT_EQ(row, lastRow + 1) << "record " << records;
            lastRow = row;
        }
        ++records;
        pos += 4 + length;
    }
    EXPECT_EQ(pos, out.size());
    EXPECT_EQ(id, 0x000A);
    EXPECT_EQ(lastRow, 65535);
    // BOF, the title, 65 535 data rows, EOF.
    EXPECT_EQ(records, 1 + 1 + 65535 + 1);
}

} // namespace
} // namespace envio
