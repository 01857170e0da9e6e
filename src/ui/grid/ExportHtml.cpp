#include "ui/grid/ExportHtml.h"

#include "base/AnsiCodec.h"
#include "ui/grid/ExportPlan.h"

namespace envio {

namespace {

const QLatin1String kEol("\r\n");

QString hexColour(GridRgb c) {
    return QStringLiteral("%1%2%3")
        .arg(c.red, 2, 16, QLatin1Char('0'))
        .arg(c.green, 2, 16, QLatin1Char('0'))
        .arg(c.blue, 2, 16, QLatin1Char('0'))
        .toUpper();
}

QString alignmentWord(GridAlignment alignment) {
    switch (alignment) {
    case GridAlignment::Right:
        return QStringLiteral("RIGHT");
    case GridAlignment::Center:
        return QStringLiteral("CENTER");
    case GridAlignment::Left:
        break;
    }
    return QStringLiteral("LEFT");
}

QString escaped(const QString& text) {
    if (text.isEmpty())
        return QStringLiteral("&nbsp;");
    QString out = text;
    out.replace(QLatin1Char('&'), QLatin1String("&amp;"));
    out.replace(QLatin1Char('<'), QLatin1String("&lt;"));
    out.replace(QLatin1Char('>'), QLatin1String("&gt;"));
    out.replace(QLatin1Char('"'), QLatin1String("&quot;"));
    return out;
}

QString fontWrapped(const GridSnapshot& grid, const QString& text) {
    return QStringLiteral("<FONT STYLE=\"font-family: ") + grid.fontName + QStringLiteral("; font-size: ") +
           QString::number(grid.fontPointSize) + QStringLiteral("pt; color: #") +
           hexColour(grid.palette.windowText) + QStringLiteral("\">") + escaped(text) +
           QStringLiteral("</FONT>");
}

QString tableStartTag(const GridSnapshot& grid) {
    const GridLook& look = grid.look;
    QString borders;
    if (!look.verticalLines && !look.horizontalLines)
        borders = QStringLiteral("BORDER=0 CELLSPACING=0 CELLPADDING=");
    else if (look.lines3D)
        borders = QStringLiteral("BORDER=1 CELLSPACING=0 CELLPADDING=");
    else
        borders = QStringLiteral("BORDER=0 CELLSPACING=1 CELLPADDING=");
    const QString padding = look.flat ? QStringLiteral("1") : QStringLiteral("2");
    return QStringLiteral("<table ") + borders + padding + QStringLiteral(" BGCOLOR=#") +
           hexColour(grid.palette.buttonFace) + QStringLiteral(">");
}

} // namespace

QByteArray exportHtml(const GridSnapshot& grid, GridSelection::State selection) {
    const ExportPlan plan = planExport(grid, selection);
    QString out;
    out += QStringLiteral("<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 3.2//EN\">") + kEol;
    out += QStringLiteral("<html>") + kEol;
    out += QStringLiteral("<head>") + kEol;
    out += QStringLiteral("<title>") + kEol;
    out += grid.name + kEol;
    out += QStringLiteral("</title>") + kEol;
    out += QStringLiteral("</head>") + kEol;
    out += QStringLiteral("<body>") + kEol;
    out += tableStartTag(grid) + kEol + kEol;

    if (plan.titles) {
        out += QStringLiteral("<TR>") + kEol;
        for (int c : plan.columns) {
            const GridColumn& column = grid.columns[static_cast<std::size_t>(c)];
            out += QStringLiteral("  <TD WIDTH=") + QString::number(column.width) +
                   QStringLiteral(" ALIGN=\"") + alignmentWord(GridAlignment::Left) + QStringLiteral("\">") +
                   fontWrapped(grid, column.title) + QStringLiteral("</TD>") + kEol;
        }
        out += QStringLiteral("</TR>") + kEol;
    }
    const QString background = hexColour(grid.palette.window);
    for (int r : plan.rows) {
        out += QStringLiteral("<TR>") + kEol;
        for (int c : plan.columns) {
            const GridColumn& column = grid.columns[static_cast<std::size_t>(c)];
            out += QStringLiteral("  <TD WIDTH=") + QString::number(column.width) +
                   QStringLiteral(" ALIGN=\"") + alignmentWord(column.alignment) +
                   QStringLiteral("\" BGCOLOR=#") + background + QStringLiteral(">") +
                   fontWrapped(grid, grid.cell(r, c).text) + QStringLiteral("</TD>") + kEol;
        }
        out += QStringLiteral("</TR>") + kEol;
    }

    out += QStringLiteral("</table>") + kEol;
    out += QStringLiteral("</body>") + kEol;
    out += QStringLiteral("</html>") + kEol;

    const std::string bytes = toAnsi(out);
    return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

} // namespace envio
