#pragma once

#include "ui/grid/GridSelection.h"
#include "ui/grid/GridSnapshot.h"

#include <QByteArray>
#include <QChar>
#include <QString>

namespace envio {

// Lines of cells: one line per row (the title row first when exported), lines separated by CR LF with none
// after the last, cells separated by separator. Unquoted cells are written as they are; quoted cells are
// enclosed in double quotes with every double quote inside doubled.
QString delimitedText(const GridSnapshot& grid, GridSelection::State selection, QChar separator, bool quoted);

// Tab-separated text in the ANSI code page, no byte-order mark.
QByteArray exportText(const GridSnapshot& grid, GridSelection::State selection);

// The tab-separated text as UTF-16 little-endian code units, no byte-order mark. The characters are those
// the ANSI text holds: a character the code page lacks comes out as '?' here too.
QByteArray exportUnicodeText(const GridSnapshot& grid, GridSelection::State selection);

} // namespace envio
