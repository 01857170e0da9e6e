#pragma once

#include "base/AnsiCodec.h"
#include "ui/grid/GridSnapshot.h"

#include <QByteArray>
#include <initializer_list>
#include <string>
#include <string_view>

namespace envio::gridtest {

inline GridColumn column(const char* title, int width, GridAlignment alignment, const char* fieldName,
                         FieldType type, bool lookup = false) {
    return GridColumn{QString::fromUtf8(title), width, alignment,
                      GridField{QString::fromUtf8(fieldName), type, lookup}};
}

inline GridCell text(const char* utf8) {
    return GridCell{QString::fromUtf8(utf8), Value::string(ansi(utf8)), {}};
}
inline GridCell null() {
    return GridCell{};
}
inline GridCell integer(std::int64_t v) {
    return GridCell{QString::number(v), Value::integer(v), {}};
}

// The small list the byte-exact tests are written against: five columns of a pending-events grid and two
// rows carrying the characters every format has to treat specially.
//
//   Tipo doc (65, left, looked up)  Código (85, left)  PtVt (41, right, integer)  Fecha (76, left, date)
//   Mensaje de error (150, left)
//
//   row 0: "Precio" (key 126) | A;"1"        | 3  | 05/03/2024 | NULL
//   row 1: NULL (key 999)     | Señal<TAB>á  | -7 | NULL       | C:\datos\{x} <a & b>
inline GridSnapshot sampleList() {
    GridSnapshot g;
    g.name = QStringLiteral("GridPendientes");
    g.columns = {
        column("Tipo doc", 65, GridAlignment::Left, "NomTipo", FieldType::String, true),
        column("Código", 85, GridAlignment::Left, "RPEV_CODIGO", FieldType::String),
        column("PtVt", 41, GridAlignment::Right, "RPEV_PTVT", FieldType::Integer),
        column("Fecha", 76, GridAlignment::Left, "RPEV_FECREG", FieldType::Date),
        column("Mensaje de error", 150, GridAlignment::Left, "RPEV_ERROR", FieldType::String),
    };
    GridCell type0 = text("Precio");
    type0.keyValues = {QStringLiteral("126")};
    GridCell type1 = null();
    type1.keyValues = {QStringLiteral("999")};
    const GridCell date0{QStringLiteral("05/03/2024"), Value::date(QDate(2024, 3, 5)), {}};
    g.rows = {
        {type0, text("A;\"1\""), integer(3), date0, null()},
        {type1, text("Señal\tá"), integer(-7), null(), text("C:\\datos\\{x} <a & b>")},
    };
    g.currentRow = 0;
    g.focusedColumn = 0;
    g.palette = GridPalette{GridRgb{255, 255, 240}, GridRgb{0, 0, 128}, GridRgb{212, 208, 200}};
    g.pixelsPerInch = 96;
    return g;
}

// The same list without rows.
inline GridSnapshot emptyList() {
    GridSnapshot g = sampleList();
    g.rows.clear();
    g.currentRow = -1;
    return g;
}

// Only the given columns, in the given order, of a list.
inline GridSnapshot withColumns(const GridSnapshot& from, std::initializer_list<int> keep) {
    GridSnapshot g = from;
    g.columns.clear();
    for (int c : keep)
        g.columns.push_back(from.columns[static_cast<std::size_t>(c)]);
    for (std::size_t r = 0; r < g.rows.size(); ++r) {
        g.rows[r].clear();
        for (int c : keep)
            g.rows[r].push_back(from.rows[r][static_cast<std::size_t>(c)]);
    }
    return g;
}

// A byte string from a literal that may hold zero bytes.
template <std::size_t N> QByteArray bytes(const char (&literal)[N]) {
    return QByteArray(literal, static_cast<qsizetype>(N - 1));
}

// UTF-16 little-endian code units of a text.
inline QByteArray utf16le(std::u16string_view text) {
    QByteArray out;
    for (char16_t c : text) {
        out.append(static_cast<char>(c & 0xFF));
        out.append(static_cast<char>(c >> 8));
    }
    return out;
}

} // namespace envio::gridtest
