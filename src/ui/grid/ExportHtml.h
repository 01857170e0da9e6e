#pragma once

#include "ui/grid/GridSelection.h"
#include "ui/grid/GridSnapshot.h"

#include <QByteArray>

namespace envio {

// An HTML 3.2 document in the ANSI code page holding one table: the title row on the button-face colour,
// then the rows, each cell in its width, alignment, font and colours. Lines end with CR LF.
QByteArray exportHtml(const GridSnapshot& grid, GridSelection::State selection);

} // namespace envio
