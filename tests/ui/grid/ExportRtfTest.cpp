#include "ui/grid/ExportRtf.h"

#include "GridTestList.h"

#include <gtest/gtest.h>

namespace envio {
namespace {

using gridtest::bytes;
using gridtest::emptyList;
using gridtest::sampleList;
using gridtest::withColumns;
using State = GridSelection::State;

#define BORDERS                                                                                              \
    R"(\clbrdrl\brdrs\brdrcf0)"                                                                              \
    "\r\n"                                                                                                   \
    R"(\clbrdrt\brdrs\brdrcf0)"                                                                              \
    "\r\n"                                                                                                   \
    R"(\clbrdrb\brdrs\brdrcf0)"                                                                              \
    "\r\n"                                                                                                   \
    R"(\clbrdrr\brdrs\brdrcf0)"                                                                              \
    "\r\n"

// Columns Código (85 px) and PtVt (41 px) at 192 pixels per inch: 637.5 and 307.5 twips, each truncated.
TEST(ExportRtf, TablesThenTitleRowAndRowsWithRunningCellEdges) {
    GridSnapshot grid = withColumns(sampleList(), {1, 2});
    grid.pixelsPerInch = 192;
    EXPECT_EQ(exportRtf(grid, State::All),
              bytes(R"({\rtf0\ansi)"
                    "\r\n"
                    R"({\colortbl\red0\green0\blue0;\red255\green255\blue255;\red212\green208\blue200;)"
                    R"(\red0\green0\blue128;\red255\green255\blue240;})"
                    "\r\n"
                    R"({\fonttbl\f0\fnil MS Sans Serif;})"
                    "\r\n"
                    // title row
                    R"(\trowd\trgaph40)"
                    "\r\n" BORDERS R"(\clshdng10000\clcfpat2\cellx637)"
                    "\r\n" BORDERS R"(\clshdng10000\clcfpat2\cellx944)"
                    "\r\n"
                    R"({\trrh0)"
                    "\r\n"
                    R"(\pard\intbl{\ql\sb24\sa24\fs16\f0\cf3\cb2 C)"
                    "\xF3"
                    R"(digo\cell})"
                    "\r\n"
                    R"(\pard\intbl{\ql\sb24\sa24\fs16\f0\cf3\cb2 PtVt\cell})"
                    "\r\n"
                    R"(\pard\intbl\row})"
                    "\r\n"
                    // first row
                    R"(\trowd\trgaph40)"
                    "\r\n" BORDERS R"(\clshdng10000\clcfpat4\cellx637)"
                    "\r\n" BORDERS R"(\clshdng10000\clcfpat4\cellx944)"
                    "\r\n"
                    R"({\trrh0)"
                    "\r\n"
                    R"(\pard\intbl{\ql\sb24\sa24\fs16\f0\cf3\cb4 A;"1"\cell})"
                    "\r\n"
                    R"(\pard\intbl{\qr\sb24\sa24\fs16\f0\cf3\cb4 3\cell})"
                    "\r\n"
                    R"(\pard\intbl\row})"
                    "\r\n"
                    // second row
                    R"(\trowd\trgaph40)"
                    "\r\n" BORDERS R"(\clshdng10000\clcfpat4\cellx637)"
                    "\r\n" BORDERS R"(\clshdng10000\clcfpat4\cellx944)"
                    "\r\n"
                    R"({\trrh0)"
                    "\r\n"
                    R"(\pard\intbl{\ql\sb24\sa24\fs16\f0\cf3\cb4 Se)"
                    "\xF1"
                    "al\t\xE1"
                    R"(\cell})"
                    "\r\n"
                    R"(\pard\intbl{\qr\sb24\sa24\fs16\f0\cf3\cb4 -7\cell})"
                    "\r\n"
                    R"(\pard\intbl\row})"
                    "\r\n"
                    "}"));
}

// Without a title row the cell background is the first new colour, the text colour the second.
TEST(ExportRtf, NothingSelectedGivesTheFocusedCellWithBackslashAndBracesEscaped) {
    GridSnapshot grid = sampleList();
    grid.currentRow = 1;
    grid.focusedColumn = 4;
    EXPECT_EQ(exportRtf(grid, State::None),
              bytes(R"({\rtf0\ansi)"
                    "\r\n"
                    R"({\colortbl\red0\green0\blue0;\red255\green255\blue255;\red212\green208\blue200;)"
                    R"(\red255\green255\blue240;\red0\green0\blue128;})"
                    "\r\n"
                    R"({\fonttbl\f0\fnil MS Sans Serif;})"
                    "\r\n"
                    R"(\trowd\trgaph40)"
                    "\r\n" BORDERS R"(\clshdng10000\clcfpat3\cellx2250)"
                    "\r\n"
                    R"({\trrh0)"
                    "\r\n"
                    R"(\pard\intbl{\ql\sb24\sa24\fs16\f0\cf4\cb3 C:\\datos\\\{x\} <a & b>\cell})"
                    "\r\n"
                    R"(\pard\intbl\row})"
                    "\r\n"
                    "}"));
}

// The desktop's usual colours are already in the table: black text on white, titles on the button face.
TEST(ExportRtf, EverythingSelectedOnAnEmptyListGivesTheTitleRowOnly) {
    GridSnapshot grid = withColumns(emptyList(), {0});
    grid.palette = GridPalette{GridRgb{255, 255, 255}, GridRgb{0, 0, 0}, GridRgb{192, 192, 192}};
    grid.pixelsPerInch = 120;
    EXPECT_EQ(exportRtf(grid, State::All),
              bytes(R"({\rtf0\ansi)"
                    "\r\n"
                    R"({\colortbl\red0\green0\blue0;\red255\green255\blue255;\red192\green192\blue192;})"
                    "\r\n"
                    R"({\fonttbl\f0\fnil MS Sans Serif;})"
                    "\r\n"
                    R"(\trowd\trgaph40)"
                    "\r\n" BORDERS R"(\clshdng10000\clcfpat2\cellx780)"
                    "\r\n"
                    R"({\trrh0)"
                    "\r\n"
                    R"(\pard\intbl{\ql\sb24\sa24\fs16\f0\cf0\cb2 Tipo doc\cell})"
                    "\r\n"
                    R"(\pard\intbl\row})"
                    "\r\n"
                    "}"));
}

TEST(ExportRtf, NothingSelectedOnAnEmptyListGivesOneEmptyCellInAFlatGrid) {
    GridSnapshot grid = emptyList();
    grid.palette = GridPalette{GridRgb{255, 255, 255}, GridRgb{0, 0, 0}, GridRgb{255, 255, 255}};
    grid.look.flat = true;
    grid.fontName = QStringLiteral("Tahoma");
    grid.fontPointSize = 10;
    EXPECT_EQ(exportRtf(grid, State::None),
              bytes(R"({\rtf0\ansi)"
                    "\r\n"
                    R"({\colortbl\red0\green0\blue0;\red255\green255\blue255;\red255\green255\blue255;})"
                    "\r\n"
                    R"({\fonttbl\f0\fnil Tahoma;})"
                    "\r\n"
                    R"(\trowd\trgaph40)"
                    "\r\n" BORDERS R"(\clshdng10000\clcfpat1\cellx975)"
                    "\r\n"
                    R"({\trrh0)"
                    "\r\n"
                    R"(\pard\intbl{\ql\sb12\sa12\fs20\f0\cf0\cb1 \cell})"
                    "\r\n"
                    R"(\pard\intbl\row})"
                    "\r\n"
                    "}"));
}

} // namespace
} // namespace envio
