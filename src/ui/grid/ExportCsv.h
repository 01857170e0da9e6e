#pragma once

#include "ui/grid/GridSelection.h"
#include "ui/grid/GridSnapshot.h"

#include <QByteArray>

namespace envio {

// Semicolon-separated values in the ANSI code page: every title and value in double quotes (an empty one
// as two double quotes), double quotes inside doubled, CR LF between lines and none after the last.
QByteArray exportCsv(const GridSnapshot& grid, GridSelection::State selection);

} // namespace envio
