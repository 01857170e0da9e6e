#include "ui/grid/GridSnapshot.h"

namespace envio {

const GridCell& GridSnapshot::cell(int row, int column) const {
    static const GridCell empty;
    if (row < 0 || static_cast<std::size_t>(row) >= rows.size())
        return empty;
    const GridRow& cells = rows[static_cast<std::size_t>(row)];
    if (column < 0 || static_cast<std::size_t>(column) >= cells.size())
        return empty;
    return cells[static_cast<std::size_t>(column)];
}

} // namespace envio
