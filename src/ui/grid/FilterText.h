#pragma once

#include "db/FieldType.h"
#include "db/Value.h"

#include <QString>
#include <string>
#include <vector>

namespace envio {

// How a column's filter values are read.
enum class FilterValueKind { Text, Number, DateTime, Other };

// Text for string fields, Number for integer, decimal and float fields, DateTime for date and time fields,
// Other for BLOBs. A looked-up column is Text whatever its key's type.
FilterValueKind filterValueKind(FieldType type);

// One entry of a look-up list: the key value and the name the column shows for it.
struct FilterLookupEntry {
    Value code;
    QString name;
};

// What the filter text parser needs to know about a column.
struct FilterColumn {
    // The field the expression names. For a looked-up column this is its key field: the typed names are
    // translated into key values through `lookup`.
    std::string fieldName;
    FilterValueKind kind = FilterValueKind::Text;
    bool lookedUp = false;
    std::vector<FilterLookupEntry> lookup;
};

enum class FilterOperator {
    None,
    Equal,
    NotEqual,
    Greater,
    Less,
    GreaterOrEqual,
    LessOrEqual,
    Like,
    NotLike,
    In,
    NotIn,
    IsNull,
    IsNotNull,
};

enum class FilterRelation { None, And, Or };

struct FilterOperand {
    QString text;    // the value as typed, quotes removed
    QString literal; // the value as the expression writes it
};

struct FilterCondition {
    FilterOperator op = FilterOperator::None;
    std::vector<FilterOperand> operands; // one, or the list of IN and NOT IN; none for the null tests
};

// A column's filter text, parsed: condition [relation condition].
struct ParsedFilter {
    FilterCondition first;
    FilterRelation relation = FilterRelation::None;
    FilterCondition second;

    bool isEmpty() const { return first.op == FilterOperator::None; }
};

// Reads a column's filter text. Blank text gives the empty filter. A text that does not parse fails with
// one of these messages followed by the whole text: "Quote is absent: ", "'(' expected: ", "')' expected: ",
// "Error in expression: ", "Unexpected expression before Null: ", "Unexpected expression after operator: ",
// "Unexpected AND or OR: ", "Incorrect expression: ". A value that is not a number or a date-time in the
// regional formats fails with "'%s' is not a valid floating point value" or "'%s' is not a valid date and
// time"; a name missing from a looked-up column's list fails with "'%s' is not in the list: " and the text.
ParsedFilter parseFilterText(const QString& text, const FilterColumn& column);

// The expression of one column's filter (it starts with a blank), or empty text for the empty filter.
QString columnFilterExpression(const ParsedFilter& filter, const std::string& fieldName);

// The dataset filter over all columns: the non-empty column expressions in grid order joined with " AND ",
// or "1=1" when there is none; in code-page bytes.
std::string combineFilterExpressions(const std::vector<QString>& columnExpressions);

// A text as a quoted literal: single quotes around it, each single quote inside doubled.
QString quoteFilterText(const QString& text);

// Whether a value written without quotes after an operator (or as one item of an IN list) reads back as
// exactly this text in a text column.
bool readsBackUnquoted(const QString& value, bool asListItem);

} // namespace envio
