#pragma once

#include "db/FieldType.h"
#include "db/Value.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <vector>

namespace envio {

enum class GridAlignment { Left, Right, Center };

// A colour as the platform resolves it.
struct GridRgb {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    bool operator==(const GridRgb&) const = default;
};

// The field behind a column.
struct GridField {
    QString name;
    FieldType type = FieldType::String;
    // A looked-up field: its text comes from another dataset, found by the values of its key fields.
    bool lookup = false;
};

// A visible column of the grid.
struct GridColumn {
    QString title;  // the field's display name
    int width = 64; // pixels
    GridAlignment alignment = GridAlignment::Left;
    std::optional<GridField> field; // nothing for a column not bound to a field
};

// One cell as the grid shows it.
struct GridCell {
    QString text;          // display text; empty for NULL
    Value value;           // the field's value (Null when NULL), for the formats that keep types
    QStringList keyValues; // looked-up fields: the texts of the key field values
};

using GridRow = std::vector<GridCell>;

// The desktop colours the grid is painted with.
struct GridPalette {
    GridRgb window{255, 255, 255};
    GridRgb windowText{0, 0, 0};
    GridRgb buttonFace{240, 240, 240};
};

// Drawing options of the grid that change the HTML and RTF layouts.
struct GridLook {
    bool titlesShown = true;
    bool flat = false;
    bool verticalLines = true;
    bool horizontalLines = true;
    bool lines3D = true;
};

// Everything an export needs from a read-only grid, taken at one moment: the visible columns in display
// order and the rows in the order and filter the grid shows.
struct GridSnapshot {
    QString name;
    std::vector<GridColumn> columns;
    std::vector<GridRow> rows; // each row holds one cell per column, in column order
    int currentRow = -1;       // -1 when the grid shows no row
    int focusedColumn = 0;     // index into columns
    GridLook look;
    GridPalette palette;
    QString fontName = QStringLiteral("MS Sans Serif");
    int fontPointSize = 8;
    int pixelsPerInch = 96;

    // The cell at a row and column; an empty NULL cell when either index is outside the grid.
    const GridCell& cell(int row, int column) const;
};

} // namespace envio
