#include "db/FilterEvaluator.h"

#include "base/Regional.h"
#include "db/DateTimeText.h"
#include "db/Error.h"
#include "db/NumberText.h"
#include "db/ValueConvert.h"
#include "db/ValueOrder.h"

#include <QDateTime>
#include <algorithm>
#include <optional>

namespace envio::filter {

namespace {

using Node = FilterExpression::Node;

enum class Truth { False, True, Unknown };

Truth negate(Truth t) {
    return t == Truth::Unknown ? t : (t == Truth::True ? Truth::False : Truth::True);
}

// The regional decimal separator where the filter language can write it.
char regionalSeparator() {
    const QChar sep = regional::current().decimalSeparator;
    return sep == QLatin1Char(',') ? ',' : '.';
}

// An operand's value for one row: a field's value with its type, or a literal.
struct Resolved {
    const Operand* operand = nullptr;
    bool isField = false;
    FieldType type = FieldType::String;
    Value value;

    bool isNull() const { return isField ? value.isNull() : operand->kind == Operand::Kind::Null; }
};

Resolved resolve(const Operand& operand, const RowAccessor& row) {
    Resolved r;
    r.operand = &operand;
    if (operand.kind == Operand::Kind::Field) {
        std::optional<std::pair<FieldType, Value>> field = row.field(operand.text);
        if (!field)
            throw Error("Field '" + operand.text + "' not found");
        r.isField = true;
        r.type = field->first;
        r.value = std::move(field->second);
    }
    return r;
}

[[noreturn]] void notANumber(const std::string& text) {
    throw Error("'" + text + "' is not a valid floating point value");
}

[[noreturn]] void notADateTime(const std::string& text) {
    throw Error("'" + text + "' is not a valid date and time");
}

Value textAsNumber(const std::string& text) {
    std::string_view t = text;
    while (!t.empty() && isBlank(t.front()))
        t.remove_prefix(1);
    while (!t.empty() && isBlank(t.back()))
        t.remove_suffix(1);
    if (std::optional<Value> v = parseNumberText(t, '.'))
        return *v;
    if (std::optional<Value> v = parseNumberText(t, ','))
        return *v;
    notANumber(text);
}

DateTimeText textAsDateTime(const std::string& text) {
    const QString t = QString::fromLatin1(text).trimmed();
    if (t.compare(QLatin1String("NOW"), Qt::CaseInsensitive) == 0) {
        const QDateTime now = QDateTime::currentDateTime();
        return DateTimeText{now.date(), now.time()};
    }
    if (std::optional<DateTimeText> v = parseDateTimeText(t))
        return *v;
    if (const QDateTime iso = QDateTime::fromString(t, Qt::ISODate); iso.isValid())
        return DateTimeText{iso.date(), iso.time()};
    if (const QDate iso = QDate::fromString(t, Qt::ISODate); iso.isValid())
        return DateTimeText{iso, std::nullopt};
    if (const QTime iso = QTime::fromString(t, Qt::ISODate); iso.isValid())
        return DateTimeText{std::nullopt, iso};
    notADateTime(text);
}

// A literal read as a value of the given field type.
Value literalAs(const Operand& literal, FieldType type) {
    if (isNumericType(type))
        return literal.kind == Operand::Kind::Number ? literal.number : textAsNumber(literal.text);
    if (isTemporalType(type)) {
        if (literal.kind == Operand::Kind::Number)
            notADateTime(literal.text);
        const DateTimeText dt = textAsDateTime(literal.text);
        const QTime time = dt.time.value_or(QTime(0, 0));
        if (type == FieldType::Time)
            return Value::time(time);
        // A time alone is a time of the day the platform counts its dates from.
        return Value::dateTime(QDateTime(dt.date.value_or(QDate(1899, 12, 30)), time, Qt::UTC));
    }
    return Value::string(literal.text);
}

int compareResolved(const Resolved& a, const Resolved& b) {
    if (a.isField)
        return compareValues(a.value, b.isField ? b.value : literalAs(*b.operand, a.type), a.type);
    if (b.isField)
        return -compareResolved(b, a);
    const Operand& x = *a.operand;
    const Operand& y = *b.operand;
    if (x.kind == Operand::Kind::Number || y.kind == Operand::Kind::Number)
        return compareValues(literalAs(x, FieldType::Float), literalAs(y, FieldType::Float),
                             FieldType::Float);
    return compareTexts(x.text, y.text);
}

bool holds(Comparison comparison, int order) {
    switch (comparison) {
    case Comparison::Equal:
        return order == 0;
    case Comparison::NotEqual:
        return order != 0;
    case Comparison::Less:
        return order < 0;
    case Comparison::Greater:
        return order > 0;
    case Comparison::LessOrEqual:
        return order <= 0;
    case Comparison::GreaterOrEqual:
        return order >= 0;
    }
    return false;
}

// The value as its cell shows it, without the trailing blanks of CHAR columns.
std::string displayText(const Value& value) {
    std::string text = valueText(value);
    if (value.kind() == Value::Kind::String)
        text.erase(text.find_last_not_of(' ') + 1);
    return text;
}

std::string textOf(const Resolved& r) {
    if (r.isField)
        return displayText(r.value);
    if (r.operand->kind == Operand::Kind::Number)
        return formatNumberText(r.operand->number, regionalSeparator());
    return r.operand->text;
}

// "%" matches any run of characters, "_" exactly one; letter case is ignored.
bool likeMatch(std::string_view s, std::string_view pattern) {
    std::size_t si = 0, pi = 0;
    std::size_t starPattern = std::string_view::npos, starText = 0;
    while (si < s.size()) {
        if (pi < pattern.size() && pattern[pi] == '%') {
            starPattern = pi++;
            starText = si;
        } else if (pi < pattern.size() &&
                   (pattern[pi] == '_' || sameCharacterIgnoringCase(pattern[pi], s[si]))) {
            ++si;
            ++pi;
        } else if (starPattern != std::string_view::npos) {
            pi = starPattern + 1;
            si = ++starText;
        } else {
            return false;
        }
    }
    while (pi < pattern.size() && pattern[pi] == '%')
        ++pi;
    return pi == pattern.size();
}

Truth evaluate(const Node& node, const RowAccessor& row) {
    switch (node.kind) {
    case Node::Kind::All:
        return Truth::True;
    case Node::Kind::And: {
        Truth result = Truth::True;
        for (const auto& child : node.children) {
            const Truth t = evaluate(*child, row);
            if (t == Truth::False)
                return Truth::False;
            if (t == Truth::Unknown)
                result = Truth::Unknown;
        }
        return result;
    }
    case Node::Kind::Or: {
        Truth result = Truth::False;
        for (const auto& child : node.children) {
            const Truth t = evaluate(*child, row);
            if (t == Truth::True)
                return Truth::True;
            if (t == Truth::Unknown)
                result = Truth::Unknown;
        }
        return result;
    }
    case Node::Kind::Not:
        return negate(evaluate(*node.children.front(), row));
    case Node::Kind::Compare: {
        const Resolved a = resolve(node.left, row);
        const Resolved b = resolve(node.right, row);
        if (a.isNull() || b.isNull())
            return Truth::Unknown;
        return holds(node.comparison, compareResolved(a, b)) ? Truth::True : Truth::False;
    }
    case Node::Kind::Like: {
        const Resolved a = resolve(node.left, row);
        const Resolved b = resolve(node.right, row);
        if (a.isNull() || b.isNull())
            return Truth::Unknown;
        const bool match = likeMatch(textOf(a), textOf(b));
        return match != node.negated ? Truth::True : Truth::False;
    }
    case Node::Kind::IsNull: {
        const Resolved a = resolve(node.left, row);
        const bool empty = a.isNull() || (a.isField && a.value.kind() == Value::Kind::String &&
                                          a.value.asString().find_first_not_of(' ') == std::string::npos);
        return empty != node.negated ? Truth::True : Truth::False;
    }
    }
    return Truth::False;
}

} // namespace

void collectFieldNames(const Node& node, std::vector<std::string>& names) {
    for (const Operand* operand : {&node.left, &node.right})
        if (operand->kind == Operand::Kind::Field &&
            std::none_of(names.begin(), names.end(),
                         [&](const std::string& n) { return sameFieldName(n, operand->text); }))
            names.push_back(operand->text);
    for (const auto& child : node.children)
        collectFieldNames(*child, names);
}

bool matches(const Node& root, const RowAccessor& row) {
    return evaluate(root, row) == Truth::True;
}

} // namespace envio::filter
