#include "ui/grid/ExportText.h"

#include "base/AnsiCodec.h"
#include "ui/grid/ExportPlan.h"

namespace envio {

namespace {

QString quote(const QString& text) {
    QString result = text;
    result.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + result + QLatin1Char('"');
}

} // namespace

QString delimitedText(const GridSnapshot& grid, GridSelection::State selection, QChar separator,
                      bool quoted) {
    const ExportPlan plan = planExport(grid, selection);
    QString out;
    bool firstLine = true;
    auto startLine = [&] {
        if (!firstLine)
            out += QLatin1String("\r\n");
        firstLine = false;
    };
    auto writeCell = [&](bool first, const QString& text) {
        if (!first)
            out += separator;
        out += quoted ? quote(text) : text;
    };

    if (plan.titles) {
        startLine();
        bool first = true;
        for (int c : plan.columns) {
            writeCell(first, grid.columns[static_cast<std::size_t>(c)].title);
            first = false;
        }
    }
    for (int r : plan.rows) {
        startLine();
        bool first = true;
        for (int c : plan.columns) {
            writeCell(first, grid.cell(r, c).text);
            first = false;
        }
    }
    return out;
}

QByteArray exportText(const GridSnapshot& grid, GridSelection::State selection) {
    const std::string bytes = toAnsi(delimitedText(grid, selection, QLatin1Char('\t'), false));
    return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

QByteArray exportUnicodeText(const GridSnapshot& grid, GridSelection::State selection) {
    const QString text = fromAnsi(toAnsi(delimitedText(grid, selection, QLatin1Char('\t'), false)));
    QByteArray out;
    out.reserve(text.size() * 2);
    for (const QChar c : text) {
        const char16_t unit = c.unicode();
        out.append(static_cast<char>(unit & 0xFF));
        out.append(static_cast<char>(unit >> 8));
    }
    return out;
}

} // namespace envio
