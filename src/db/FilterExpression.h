#pragma once

#include "db/DateTimeText.h"
#include "db/FieldType.h"
#include "db/NumberText.h"
#include "db/Value.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace envio {

// Gives a filter the fields of the row it is looking at.
class RowAccessor {
public:
    virtual ~RowAccessor() = default;
    // The field's type and value, or std::nullopt when the row has no field of that name. The name is
    // passed as the expression writes it; implementations compare names without regard to letter case
    // (sameFieldName).
    virtual std::optional<std::pair<FieldType, Value>> field(std::string_view name) const = 0;
};

// Field names are compared without regard to (ASCII) letter case.
bool sameFieldName(std::string_view a, std::string_view b);

// A dataset filter: a condition over a row's fields, parsed once and evaluated per row.
//
// Language (keywords in any letter case; blanks between tokens are free):
//   expression := term { OR term }
//   term       := factor { AND factor }
//   factor     := NOT factor | "(" expression ")" | predicate
//   predicate  := operand ( op operand | [NOT] LIKE operand | IS [NOT] NULL )
//   op         := "=" | "<>" | "!=" | "<" | ">" | "<=" | ">="
//   operand    := [FIELD NAME] | FIELDNAME | number | 'text' | NULL
// Numbers may carry a sign, a "." or "," decimal separator and an exponent ("-1,5", "2.5e3"). Text
// literals are Windows-1252 bytes between single quotes, a doubled quote standing for one.
//
// Evaluation:
// - A literal is read as the type of the field it is compared with: a number, a text, or for date and time
//   fields a date-time in the regional short date / long time formats (ISO 8601 is accepted too; 'NOW' is
//   the current date and time). A literal that does not convert fails with "'%s' is not a valid floating
//   point value" or "'%s' is not a valid date and time".
// - Comparisons order values as compareValues does (texts without regard to letter case).
// - Like: "%" stands for any run of characters, "_" for one; letter case is ignored and the value's
//   trailing blanks are not part of it. Numbers and dates take part as their display text.
// - NULL takes part as in SQL: a comparison or Like with a NULL side is unknown, NOT keeps it unknown, AND
//   and OR follow three-valued logic, and a row is kept only when the whole expression is true. IS NULL
//   holds for NULL and for an empty text (both show as an empty cell).
// - A field the row does not have fails with "Field '%s' not found".
class FilterExpression {
public:
    struct Node;

    // The empty expression: keeps every row.
    FilterExpression();

    // Parses a filter; fails with an Error naming the position of the fault. Blank text keeps every row.
    static FilterExpression parse(const std::string& text);

    bool matches(const RowAccessor& row) const;

    const std::string& text() const { return text_; }
    // The field names the expression refers to, in order of first appearance (as written).
    std::vector<std::string> fieldNames() const;

private:
    std::string text_;
    std::shared_ptr<const Node> root_;
};

} // namespace envio
