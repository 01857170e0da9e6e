#include "ui/grid/ExportGridsel.h"

#include "base/AnsiCodec.h"
#include "ui/grid/ExportBytes.h"
#include "ui/grid/ExportPlan.h"

#include <optional>
#include <string>

namespace envio {

namespace {

using exportbytes::append32;
using exportbytes::appendDouble;

enum Tag : char {
    NoField = 1,
    Null = 2,
    Integer = 3,
    Double = 4,
    AnsiText = 5,
    Binary = 6,
    WideText = 7,
};

constexpr double kMillisecondsPerDay = 86400000.0;

void appendBytes(QByteArray& out, Tag tag, const std::string& bytes) {
    out.append(tag);
    append32(out, static_cast<std::uint32_t>(bytes.size()));
    out.append(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

void appendWide(QByteArray& out, const QString& text) {
    out.append(WideText);
    append32(out, static_cast<std::uint32_t>(text.size() * 2));
    for (const QChar c : text) {
        out.append(static_cast<char>(c.unicode() & 0xFF));
        out.append(static_cast<char>(c.unicode() >> 8));
    }
}

// The value as a double, when the field's kind is kept as one.
std::optional<double> doubleValue(const Value& v) {
    switch (v.kind()) {
    case Value::Kind::Integer:
    case Value::Kind::Decimal:
    case Value::Kind::Float:
        return v.toDouble();
    case Value::Kind::Date:
        return dayNumber(v.asDate(), QTime(0, 0));
    case Value::Kind::Time:
        return dayNumber(QDate(1899, 12, 30), v.asTime());
    case Value::Kind::DateTime:
        return dayNumber(v.asDateTime().date(), v.asDateTime().time());
    default:
        return std::nullopt;
    }
}

std::string textBytes(const GridCell& cell) {
    switch (cell.value.kind()) {
    case Value::Kind::String:
        return cell.value.asString(); // database text is already in the code page
    case Value::Kind::Integer:
        return std::to_string(cell.value.asInteger());
    default:
        return toAnsi(cell.text);
    }
}

void writeCell(QByteArray& out, const GridColumn& column, const GridCell& cell) {
    if (!column.field) {
        out.append(NoField);
        return;
    }
    if (cell.value.isNull()) {
        out.append(Null);
        return;
    }
    const GridField& field = *column.field;
    if (field.lookup) {
        appendWide(out, commaList(cell.keyValues));
        return;
    }
    switch (field.type) {
    case FieldType::Integer:
        if (cell.value.kind() == Value::Kind::Integer) {
            out.append(Integer);
            append32(out, static_cast<std::uint32_t>(static_cast<std::int32_t>(cell.value.asInteger())));
            return;
        }
        break;
    case FieldType::ShortDecimal:
    case FieldType::ExactDecimal:
    case FieldType::Float:
    case FieldType::Date:
    case FieldType::Time:
    case FieldType::DateTime:
        if (const std::optional<double> d = doubleValue(cell.value)) {
            out.append(Double);
            appendDouble(out, *d);
            return;
        }
        break;
    case FieldType::BinaryBlob:
        appendBytes(out, Binary,
                    cell.value.kind() == Value::Kind::String ? cell.value.asString() : std::string());
        return;
    case FieldType::LargeInt:
    case FieldType::String:
    case FieldType::TextBlob:
        break;
    }
    appendBytes(out, AnsiText, textBytes(cell));
}

} // namespace

double dayNumber(const QDate& date, const QTime& time) {
    const double days = static_cast<double>(QDate(1899, 12, 30).daysTo(date));
    const double fraction = time.isValid() ? time.msecsSinceStartOfDay() / kMillisecondsPerDay : 0.0;
    return days < 0 ? days - fraction : days + fraction;
}

QString commaList(const QStringList& values) {
    QStringList parts;
    for (const QString& value : values) {
        const bool needsQuotes = value.contains(QLatin1Char(' ')) || value.contains(QLatin1Char(',')) ||
                                 value.contains(QLatin1Char('"'));
        if (needsQuotes) {
            QString quoted = value;
            quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
            parts.append(QLatin1Char('"') + quoted + QLatin1Char('"'));
        } else {
            parts.append(value);
        }
    }
    return parts.join(QLatin1Char(','));
}

QByteArray exportGridsel(const GridSnapshot& grid, GridSelection::State selection) {
    const ExportPlan plan = planExport(grid, selection);
    QByteArray out("GRIDSEL");
    out.append(char(1));
    append32(out, static_cast<std::uint32_t>(plan.columns.size()));
    for (std::size_t i = 0; i < plan.columns.size(); ++i) {
        out.append(char(1)); // exported columns are the visible ones
        out.append(char(0));
    }
    for (int r : plan.rows) {
        for (int c : plan.columns)
            writeCell(out, grid.columns[static_cast<std::size_t>(c)], grid.cell(r, c));
    }
    out.append(char(0));
    return out;
}

} // namespace envio
