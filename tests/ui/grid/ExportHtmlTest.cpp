#include "ui/grid/ExportHtml.h"

#include "GridTestList.h"

#include <gtest/gtest.h>

namespace envio {
namespace {

using gridtest::bytes;
using gridtest::emptyList;
using gridtest::sampleList;
using gridtest::withColumns;
using State = GridSelection::State;

#define HTML_PREFIX                                                                                          \
    "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 3.2//EN\">\r\n"                                                \
    "<html>\r\n"                                                                                             \
    "<head>\r\n"                                                                                             \
    "<title>\r\n"                                                                                            \
    "GridPendientes\r\n"                                                                                     \
    "</title>\r\n"                                                                                           \
    "</head>\r\n"                                                                                            \
    "<body>\r\n"                                                                                             \
    "<table BORDER=1 CELLSPACING=0 CELLPADDING=2 BGCOLOR=#D4D0C8>\r\n"                                       \
    "\r\n"

#define HTML_SUFFIX                                                                                          \
    "</table>\r\n"                                                                                           \
    "</body>\r\n"                                                                                            \
    "</html>\r\n"

#define FONT "<FONT STYLE=\"font-family: MS Sans Serif; font-size: 8pt; color: #000080\">"

TEST(ExportHtml, TitleRowThenRowsWithWidthsAlignmentsColoursAndEscapes) {
    const GridSnapshot grid = withColumns(sampleList(), {1, 2});
    EXPECT_EQ(exportHtml(grid, State::All),
              bytes(HTML_PREFIX "<TR>\r\n"
                                "  <TD WIDTH=85 ALIGN=\"LEFT\">" FONT "C\xF3"
                                "digo</FONT></TD>\r\n"
                                "  <TD WIDTH=41 ALIGN=\"LEFT\">" FONT "PtVt</FONT></TD>\r\n"
                                "</TR>\r\n"
                                "<TR>\r\n"
                                "  <TD WIDTH=85 ALIGN=\"LEFT\" BGCOLOR=#FFFFF0>" FONT
                                "A;&quot;1&quot;</FONT></TD>\r\n"
                                "  <TD WIDTH=41 ALIGN=\"RIGHT\" BGCOLOR=#FFFFF0>" FONT "3</FONT></TD>\r\n"
                                "</TR>\r\n"
                                "<TR>\r\n"
                                "  <TD WIDTH=85 ALIGN=\"LEFT\" BGCOLOR=#FFFFF0>" FONT "Se\xF1"
                                "al\t\xE1</FONT></TD>\r\n"
                                "  <TD WIDTH=41 ALIGN=\"RIGHT\" BGCOLOR=#FFFFF0>" FONT "-7</FONT></TD>\r\n"
                                "</TR>\r\n" HTML_SUFFIX));
}

TEST(ExportHtml, NothingSelectedGivesTheFocusedCellWithMarkupEscaped) {
    GridSnapshot grid = sampleList();
    grid.currentRow = 1;
    grid.focusedColumn = 4;
    EXPECT_EQ(exportHtml(grid, State::None),
              bytes(HTML_PREFIX "<TR>\r\n"
                                "  <TD WIDTH=150 ALIGN=\"LEFT\" BGCOLOR=#FFFFF0>" FONT
                                "C:\\datos\\{x} &lt;a &amp; b&gt;</FONT></TD>\r\n"
                                "</TR>\r\n" HTML_SUFFIX));
}

TEST(ExportHtml, AmpersandIsEscapedBeforeTheOtherEntities) {
    GridSnapshot grid = sampleList();
    grid.rows[0][1].text = QStringLiteral("&lt;\"&\"");
    grid.focusedColumn = 1;
    EXPECT_EQ(exportHtml(grid, State::None),
              bytes(HTML_PREFIX "<TR>\r\n"
                                "  <TD WIDTH=85 ALIGN=\"LEFT\" BGCOLOR=#FFFFF0>" FONT
                                "&amp;lt;&quot;&amp;&quot;</FONT></TD>\r\n"
                                "</TR>\r\n" HTML_SUFFIX));
}

TEST(ExportHtml, NothingSelectedOnAnEmptyListGivesOneNonBreakingSpaceCell) {
    EXPECT_EQ(exportHtml(emptyList(), State::None),
              bytes(HTML_PREFIX "<TR>\r\n"
                                "  <TD WIDTH=65 ALIGN=\"LEFT\" BGCOLOR=#FFFFF0>" FONT "&nbsp;</FONT></TD>\r\n"
                                "</TR>\r\n" HTML_SUFFIX));
}

TEST(ExportHtml, EverythingSelectedOnAnEmptyListGivesTheTitleRowOnly) {
    const GridSnapshot grid = withColumns(emptyList(), {3, 0});
    EXPECT_EQ(exportHtml(grid, State::All),
              bytes(HTML_PREFIX "<TR>\r\n"
                                "  <TD WIDTH=76 ALIGN=\"LEFT\">" FONT "Fecha</FONT></TD>\r\n"
                                "  <TD WIDTH=65 ALIGN=\"LEFT\">" FONT "Tipo doc</FONT></TD>\r\n"
                                "</TR>\r\n" HTML_SUFFIX));
}

TEST(ExportHtml, TableBordersFollowTheGridLinesAndFlatLook) {
    GridSnapshot grid = emptyList();
    grid.columns.clear();
    grid.name = QStringLiteral("Otra");
    grid.palette.buttonFace = GridRgb{1, 171, 205};
    const QByteArray head =
        "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 3.2//EN\">\r\n<html>\r\n<head>\r\n<title>\r\n"
        "Otra\r\n</title>\r\n</head>\r\n<body>\r\n";

    grid.look.flat = true;
    grid.look.lines3D = false;
    EXPECT_EQ(exportHtml(grid, State::All),
              head + "<table BORDER=0 CELLSPACING=1 CELLPADDING=1 BGCOLOR=#01ABCD>\r\n\r\n<TR>\r\n</TR>\r\n" +
                  HTML_SUFFIX);

    grid.look.verticalLines = false;
    grid.look.horizontalLines = false;
    EXPECT_EQ(exportHtml(grid, State::All),
              head + "<table BORDER=0 CELLSPACING=0 CELLPADDING=1 BGCOLOR=#01ABCD>\r\n\r\n<TR>\r\n</TR>\r\n" +
                  HTML_SUFFIX);
}

} // namespace
} // namespace envio
