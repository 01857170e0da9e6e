#pragma once

#include "ui/grid/GridSelection.h"
#include "ui/grid/GridSnapshot.h"

#include <vector>

namespace envio {

// What an export walks: the exported columns, whether a title row comes first, and the rows. Every format
// writes its prefix, the title row (when titles is set), one line per entry of rows, then its suffix.
struct ExportPlan {
    std::vector<int> columns; // indexes into the snapshot's columns, in display order
    bool titles = false;
    // Indexes into the snapshot's rows. With nothing selected on an empty grid this holds -1: one row of
    // empty NULL cells (GridSnapshot::cell gives them).
    std::vector<int> rows;
};

// All: every column and row the grid shows, with the title row when the grid shows titles.
// None: the focused cell alone, without titles.
ExportPlan planExport(const GridSnapshot& grid, GridSelection::State selection);

} // namespace envio
