#include "ui/grid/ExportBiff.h"

#include "base/AnsiCodec.h"
#include "ui/grid/ExportBytes.h"
#include "ui/grid/ExportPlan.h"

#include <cstdint>
#include <string>

namespace envio {

namespace {

using exportbytes::append16;
using exportbytes::append32;
using exportbytes::appendDouble;

constexpr std::uint16_t kBof = 0x0809;
constexpr std::uint16_t kLabel = 0x0204;
constexpr std::uint16_t kNumber = 0x0203;
constexpr std::uint16_t kRk = 0x027E;
constexpr std::uint16_t kBlank = 0x0201;
constexpr std::uint16_t kEof = 0x000A;

constexpr int kMaxRows = 65536;
// A record's length is 16 bits: a LABEL carries at most this many text bytes after its 8 bytes of header.
constexpr std::size_t kMaxLabelBytes = 0xFFFF - 8;

constexpr std::int64_t kRkMin = -(std::int64_t{1} << 29);
constexpr std::int64_t kRkMax = (std::int64_t{1} << 29) - 1;

class BiffWriter {
public:
    QByteArray out;

    void bof() {
        record(kBof, 8);
        append16(out, 0);
        append16(out, 0x0010);
        append16(out, 0);
        append16(out, 0);
    }
    void eof() { record(kEof, 0); }

    void label(int row, int column, const QString& text) {
        std::string bytes = toAnsi(text);
        if (bytes.size() > kMaxLabelBytes)
            bytes.resize(kMaxLabelBytes);
        record(kLabel, static_cast<std::uint16_t>(bytes.size() + 8));
        cellHeader(row, column, 0);
        append16(out, static_cast<std::uint16_t>(bytes.size()));
        out.append(bytes.data(), static_cast<qsizetype>(bytes.size()));
    }
    void number(int row, int column, double value) {
        record(kNumber, 14);
        cellHeader(row, column, 0);
        appendDouble(out, value);
    }
    void rk(int row, int column, std::int64_t value) {
        record(kRk, 10);
        cellHeader(row, column, 0);
        append32(out, static_cast<std::uint32_t>(value * 4 + 2));
    }
    void blank(int row, int column) {
        record(kBlank, 6);
        cellHeader(row, column, 0x0017);
    }

private:
    void record(std::uint16_t id, std::uint16_t length) {
        append16(out, id);
        append16(out, length);
    }
    void cellHeader(int row, int column, std::uint16_t format) {
        append16(out, static_cast<std::uint16_t>(row));
        append16(out, static_cast<std::uint16_t>(column));
        append16(out, format);
    }
};

void writeCell(BiffWriter& w, int row, int column, const GridColumn& gridColumn, const GridCell& cell) {
    if (!gridColumn.field || cell.value.isNull()) {
        w.blank(row, column);
        return;
    }
    const GridField& field = *gridColumn.field;
    if (!field.lookup) {
        switch (field.type) {
        case FieldType::Integer:
            if (cell.value.kind() == Value::Kind::Integer) {
                const std::int64_t v = cell.value.asInteger();
                if (v >= kRkMin && v <= kRkMax)
                    w.rk(row, column, v);
                else
                    w.number(row, column, static_cast<double>(v));
                return;
            }
            break;
        case FieldType::Float:
        case FieldType::ShortDecimal:
        case FieldType::ExactDecimal:
            if (cell.value.isNumber()) {
                w.number(row, column, cell.value.toDouble());
                return;
            }
            break;
        default:
            break;
        }
    }
    w.label(row, column, cell.text);
}

} // namespace

QByteArray exportBiff(const GridSnapshot& grid, GridSelection::State selection) {
    const ExportPlan plan = planExport(grid, selection);
    BiffWriter w;
    w.bof();
    int row = 0;
    if (plan.titles) {
        int column = 0;
        for (int c : plan.columns)
            w.label(row, column++, grid.columns[static_cast<std::size_t>(c)].title);
        ++row;
    }
    for (int r : plan.rows) {
        if (row >= kMaxRows)
            break;
        int column = 0;
        for (int c : plan.columns)
            writeCell(w, row, column++, grid.columns[static_cast<std::size_t>(c)], grid.cell(r, c));
        ++row;
    }
    w.eof();
    return w.out;
}

} // namespace envio
