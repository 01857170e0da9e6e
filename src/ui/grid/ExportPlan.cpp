#include "ui/grid/ExportPlan.h"

namespace envio {

ExportPlan planExport(const GridSnapshot& grid, GridSelection::State selection) {
    ExportPlan plan;
    const int columnCount = static_cast<int>(grid.columns.size());
    if (selection == GridSelection::State::All) {
        for (int c = 0; c < columnCount; ++c)
            plan.columns.push_back(c);
        plan.titles = grid.look.titlesShown;
        const int rowCount = static_cast<int>(grid.rows.size());
        for (int r = 0; r < rowCount; ++r)
            plan.rows.push_back(r);
    } else {
        if (grid.focusedColumn >= 0 && grid.focusedColumn < columnCount)
            plan.columns.push_back(grid.focusedColumn);
        plan.rows.push_back(grid.currentRow);
    }
    return plan;
}

} // namespace envio
