#pragma once

#include "ui/grid/GridSelection.h"
#include "ui/grid/GridSnapshot.h"

#include <QByteArray>

namespace envio {

// A worksheet in BIFF records: BOF, one record per cell row by row (titles in row 0 when exported), EOF.
// NULL cells are BLANK, 16/32-bit integers RK (NUMBER when they do not fit the 30 bits of an RK), decimals
// and floats NUMBER, everything else a LABEL with the display text in the ANSI code page. A worksheet
// addresses 65 536 rows; rows past that are left out.
QByteArray exportBiff(const GridSnapshot& grid, GridSelection::State selection);

} // namespace envio
