#pragma once

// The checks one fuzz input goes through, shared by the libFuzzer target and the regression test that
// replays kept inputs. The first byte chooses the decimal separator and the column kind, the rest is the
// text: once as a dataset filter expression, once as a filter row text.

#include "base/AnsiCodec.h"
#include "base/Regional.h"
#include "db/Error.h"
#include "db/FilterExpression.h"
#include "ui/grid/FilterCustomDialog.h"
#include "ui/grid/FilterText.h"

#include <cstdint>
#include <string>
#include <vector>

namespace envio::fuzz {

class FuzzRow : public RowAccessor {
public:
    struct Cell {
        const char* name;
        FieldType type;
        Value value;
    };
    explicit FuzzRow(std::vector<Cell> cells) : cells_(std::move(cells)) {}
    std::optional<std::pair<FieldType, Value>> field(std::string_view name) const override {
        for (const Cell& c : cells_)
            if (sameFieldName(c.name, name))
                return std::make_pair(c.type, c.value);
        return std::nullopt;
    }

private:
    std::vector<Cell> cells_;
};

inline const std::vector<FuzzRow>& fuzzRows() {
    static const std::vector<FuzzRow> rows = {
        FuzzRow({{"C", FieldType::String, Value::string("abc")},
                 {"N", FieldType::ShortDecimal, Value::decimal(150, 2)},
                 {"I", FieldType::Integer, Value::integer(126)},
                 {"F", FieldType::Date, Value::date(QDate(2024, 3, 15))},
                 {"T", FieldType::DateTime, Value::dateTime(QDateTime(QDate(2024, 3, 15), QTime(10, 30)))},
                 {"H", FieldType::Time, Value::time(QTime(10, 30))},
                 {"B", FieldType::BinaryBlob, Value::string(std::string("\0\xff", 2))}}),
        FuzzRow({{"C", FieldType::String, Value::null()},
                 {"N", FieldType::ShortDecimal, Value::null()},
                 {"I", FieldType::Integer, Value::null()},
                 {"F", FieldType::Date, Value::null()},
                 {"T", FieldType::DateTime, Value::null()},
                 {"H", FieldType::Time, Value::null()},
                 {"B", FieldType::BinaryBlob, Value::null()}}),
        FuzzRow(
            {{"C", FieldType::String,
              Value::string("\xD1"
                            "and\xFA %_'")},
             {"N", FieldType::ShortDecimal, Value::floating(-1e300)},
             {"I", FieldType::Integer, Value::integer(INT64_MIN)},
             {"F", FieldType::Date, Value::date(QDate(1, 1, 1))},
             {"T", FieldType::DateTime, Value::dateTime(QDateTime(QDate(9999, 12, 31), QTime(23, 59, 59)))},
             {"H", FieldType::Time, Value::time(QTime(0, 0))},
             {"B", FieldType::BinaryBlob, Value::string("")}}),
    };
    return rows;
}

inline std::string broken(const char* what, const std::string& detail) {
    return std::string(what) + ": " + detail;
}

// Runs the checks; returns what went wrong, or empty text.
inline std::string checkInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return {};
    const std::uint8_t mode = data[0];
    const std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    regional::setOverride(regional::Formats{QStringLiteral("dd/MM/yyyy"), QStringLiteral("HH:mm:ss"),
                                            QChar((mode & 1) ? ',' : '.')});

    // The text as a dataset filter: it parses or fails with an Error, and so does every evaluation.
    try {
        const FilterExpression expression = FilterExpression::parse(bytes);
        for (const FuzzRow& row : fuzzRows()) {
            try {
                (void)expression.matches(row);
            } catch (const Error&) {
                // unknown fields and literals of the wrong type
            }
        }
    } catch (const Error&) {
        // not an expression
    }

    // The text as a filter row text, over a column whose field has the matching type.
    static const std::vector<FilterLookupEntry> lookup = {{Value::integer(126), QStringLiteral("PRECIO")},
                                                          {Value::integer(229), QStringLiteral("DESC'TO")},
                                                          {Value::string("X"), QStringLiteral("equis")}};
    FilterColumn column;
    switch ((mode >> 1) % 5) {
    case 0:
        column = FilterColumn{"C", FilterValueKind::Text, false, {}};
        break;
    case 1:
        column = FilterColumn{"N", FilterValueKind::Number, false, {}};
        break;
    case 2:
        column = FilterColumn{"F", FilterValueKind::DateTime, false, {}};
        break;
    case 3:
        column = FilterColumn{"T", FilterValueKind::DateTime, false, {}};
        break;
    default:
        column = FilterColumn{"C", FilterValueKind::Text, true, lookup};
        break;
    }
    const QString text = fromAnsi(bytes);
    ParsedFilter parsed;
    try {
        parsed = parseFilterText(text, column);
    } catch (const Error&) {
        return {}; // the operator sees the failure
    }
    const QString columnExpression = columnFilterExpression(parsed, column.fieldName);
    const std::string expressionText = combineFilterExpressions({columnExpression});
    // What the filter row hands over always parses and evaluates.
    try {
        const FilterExpression expression = FilterExpression::parse(expressionText);
        for (const FuzzRow& row : fuzzRows())
            (void)expression.matches(row);
    } catch (const Error& e) {
        return broken("built expression refused", expressionText + " -> " + e.message());
    }
    // The custom dialog shows the filter and gives it back unchanged.
    const QString again = customFilterText(customFilterFields(parsed), column.kind);
    try {
        const QString roundTrip = columnFilterExpression(parseFilterText(again, column), column.fieldName);
        if (roundTrip != columnExpression)
            return broken("custom dialog changed the filter", toAnsi(text) + " -> " + toAnsi(again) + " : " +
                                                                  toAnsi(columnExpression) + " vs " +
                                                                  toAnsi(roundTrip));
    } catch (const Error& e) {
        return broken("custom dialog text refused",
                      toAnsi(text) + " -> " + toAnsi(again) + " : " + e.message());
    }
    return {};
}

} // namespace envio::fuzz
