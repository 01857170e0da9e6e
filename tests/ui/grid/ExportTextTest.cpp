#include "ui/grid/ExportText.h"

#include "GridTestList.h"
#include "ui/grid/ExportCsv.h"

#include <gtest/gtest.h>

namespace envio {
namespace {

using gridtest::bytes;
using gridtest::emptyList;
using gridtest::sampleList;
using gridtest::utf16le;
using State = GridSelection::State;

TEST(ExportText, AllRowsUnderTitlesSeparatedByTabAndCrLfWithoutTrailingLineEnd) {
    EXPECT_EQ(exportText(sampleList(), State::All), bytes("Tipo doc\tC\xF3"
                                                          "digo\tPtVt\tFecha\tMensaje de error\r\n"
                                                          "Precio\tA;\"1\"\t3\t05/03/2024\t\r\n"
                                                          "\tSe\xF1"
                                                          "al\t\xE1\t-7\t\tC:\\datos\\{x} <a & b>"));
}

TEST(ExportText, NothingSelectedGivesTheFocusedCellAloneWithItsTabUnchanged) {
    GridSnapshot grid = sampleList();
    grid.currentRow = 1;
    grid.focusedColumn = 1;
    EXPECT_EQ(exportText(grid, State::None), bytes("Se\xF1"
                                                   "al\t\xE1"));
}

TEST(ExportText, NothingSelectedOnAnEmptyListGivesAnEmptyText) {
    EXPECT_EQ(exportText(emptyList(), State::None), QByteArray());
}

TEST(ExportText, EverythingSelectedOnAnEmptyListGivesTheTitlesOnly) {
    EXPECT_EQ(exportText(emptyList(), State::All), bytes("Tipo doc\tC\xF3"
                                                         "digo\tPtVt\tFecha\tMensaje de error"));
}

TEST(ExportText, GridWithoutTitlesWritesOnlyTheRows) {
    GridSnapshot grid = gridtest::withColumns(sampleList(), {2});
    grid.look.titlesShown = false;
    EXPECT_EQ(exportText(grid, State::All), bytes("3\r\n-7"));
}

TEST(ExportText, LineBreakInsideAValueIsWrittenUnchanged) {
    GridSnapshot grid = sampleList();
    grid.rows[0][4] = gridtest::text("uno\r\ndos");
    grid.focusedColumn = 4;
    EXPECT_EQ(exportText(grid, State::None), bytes("uno\r\ndos"));
}

TEST(ExportText, CharactersOutsideTheCodePageBecomeQuestionMarks) {
    GridSnapshot grid = sampleList();
    grid.rows[0][1].text = QString::fromUtf8("€ 中");
    grid.focusedColumn = 1;
    EXPECT_EQ(exportText(grid, State::None), bytes("\x80 ?"));
}

TEST(ExportUnicodeText, SameLayoutAsUtf16LittleEndianWithoutByteOrderMark) {
    EXPECT_EQ(exportUnicodeText(sampleList(), State::All),
              utf16le(u"Tipo doc\tCódigo\tPtVt\tFecha\tMensaje de error\r\n"
                      u"Precio\tA;\"1\"\t3\t05/03/2024\t\r\n"
                      u"\tSeñal\tá\t-7\t\tC:\\datos\\{x} <a & b>"));
}

TEST(ExportUnicodeText, IsConvertedFromTheAnsiText) {
    GridSnapshot grid = sampleList();
    grid.rows[0][1].text = QString::fromUtf8("€ 中");
    grid.focusedColumn = 1;
    EXPECT_EQ(exportUnicodeText(grid, State::None), utf16le(u"€ ?"));
}

TEST(ExportUnicodeText, EmptyCasesGiveNoBytesOrTheTitles) {
    EXPECT_EQ(exportUnicodeText(emptyList(), State::None), QByteArray());
    EXPECT_EQ(exportUnicodeText(emptyList(), State::All),
              utf16le(u"Tipo doc\tCódigo\tPtVt\tFecha\tMensaje de error"));
}

TEST(ExportCsv, EveryCellQuotedWithQuotesDoubledAndSemicolonsKept) {
    EXPECT_EQ(exportCsv(sampleList(), State::All),
              bytes("\"Tipo doc\";\"C\xF3"
                    "digo\";\"PtVt\";\"Fecha\";\"Mensaje de error\"\r\n"
                    "\"Precio\";\"A;\"\"1\"\"\";\"3\";\"05/03/2024\";\"\"\r\n"
                    "\"\";\"Se\xF1"
                    "al\t\xE1\";\"-7\";\"\";\"C:\\datos\\{x} <a & b>\""));
}

TEST(ExportCsv, NothingSelectedGivesTheFocusedCellInQuotes) {
    GridSnapshot grid = sampleList();
    grid.focusedColumn = 1;
    EXPECT_EQ(exportCsv(grid, State::None), bytes("\"A;\"\"1\"\"\""));
}

TEST(ExportCsv, EmptyListGivesTwoQuotesOrTheQuotedTitles) {
    EXPECT_EQ(exportCsv(emptyList(), State::None), bytes("\"\""));
    EXPECT_EQ(exportCsv(emptyList(), State::All), bytes("\"Tipo doc\";\"C\xF3"
                                                        "digo\";\"PtVt\";\"Fecha\";\"Mensaje de error\""));
}

} // namespace
} // namespace envio
