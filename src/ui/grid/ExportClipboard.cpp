#include "ui/grid/ExportClipboard.h"

#include "base/AnsiCodec.h"
#include "ui/grid/ExportCsv.h"
#include "ui/grid/ExportGridsel.h"
#include "ui/grid/ExportRtf.h"
#include "ui/grid/ExportText.h"

namespace envio {

namespace {

QByteArray terminated(QByteArray bytes, int zeros) {
    bytes.append(zeros, '\0');
    return bytes;
}

} // namespace

QString ansiTextClipboardFormat() {
    return QStringLiteral("text/plain;charset=windows-1252");
}
QString desktopTextClipboardFormat() {
    return QStringLiteral("text/plain");
}
QString unicodeTextClipboardFormat() {
    return QStringLiteral("text/plain;charset=utf-16le");
}
QString csvClipboardFormat() {
    return QStringLiteral("Csv");
}
QString rtfClipboardFormat() {
    return QStringLiteral("Rich Text Format");
}
QString gridselClipboardFormat() {
    return QStringLiteral("GRIDSEL");
}

std::vector<ClipboardItem> gridClipboardItems(const GridSnapshot& grid, GridSelection::State selection) {
    return {
        {ansiTextClipboardFormat(), terminated(exportText(grid, selection), 1)},
        {unicodeTextClipboardFormat(), terminated(exportUnicodeText(grid, selection), 2)},
        {csvClipboardFormat(), terminated(exportCsv(grid, selection), 1)},
        {rtfClipboardFormat(), terminated(exportRtf(grid, selection), 1)},
        {gridselClipboardFormat(), exportGridsel(grid, selection)},
        // What other programs of the desktop paste: the Unicode text as UTF-8, without a terminator.
        {desktopTextClipboardFormat(), fromAnsi(exportText(grid, selection).toStdString()).toUtf8()},
    };
}

void copyGridToClipboard(const GridSnapshot& grid, GridSelection::State selection) {
    dialogs().setClipboard(gridClipboardItems(grid, selection));
}

} // namespace envio
