#pragma once

#include "app/Dialogs.h"
#include "ui/grid/GridSelection.h"
#include "ui/grid/GridSnapshot.h"

#include <QString>
#include <vector>

namespace envio {

// Clipboard format names of a grid copy.
QString ansiTextClipboardFormat(); // the tab-separated text in the ANSI code page
QString
desktopTextClipboardFormat(); // "text/plain": the same text in UTF-8, for the other programs of the desktop
QString unicodeTextClipboardFormat(); // "text/plain;charset=utf-16le": the same text in UTF-16
QString csvClipboardFormat();         // "Csv"
QString rtfClipboardFormat();         // "Rich Text Format"
QString gridselClipboardFormat();     // "GRIDSEL"

// The five representations of the selection that one copy places together, in this order: ANSI text,
// Unicode text, CSV, RTF, GRIDSEL. Text formats end with their terminator (a zero byte, two for UTF-16).
std::vector<ClipboardItem> gridClipboardItems(const GridSnapshot& grid, GridSelection::State selection);

// Replaces the clipboard contents with the representations above.
void copyGridToClipboard(const GridSnapshot& grid, GridSelection::State selection);

} // namespace envio
