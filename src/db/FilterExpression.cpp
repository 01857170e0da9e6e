#include "db/FilterExpression.h"

#include "base/Regional.h"
#include "db/Error.h"
#include "db/ValueConvert.h"
#include "db/ValueOrder.h"

#include <QDateTime>
#include <algorithm>
#include <charconv>
#include <cstdint>
#include <limits>

namespace envio {

namespace {

constexpr int maxNesting = 200;

char asciiUpper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
bool isWordStart(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}
bool isWordChar(char c) {
    return isWordStart(c) || isDigit(c) || c == '$';
}
bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool sameWord(std::string_view word, std::string_view keyword) {
    return sameFieldName(word, keyword);
}

// The regional decimal separator where the filter language can write it.
char regionalSeparator() {
    const QChar sep = regional::current().decimalSeparator;
    return sep == QLatin1Char(',') ? ',' : '.';
}

} // namespace

bool sameFieldName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return asciiUpper(x) == asciiUpper(y); });
}

// ---------------------------------------------------------------------------------------------------------
// Numbers

std::optional<Value> parseNumberText(std::string_view text, char decimalSeparator) {
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    std::string digits;
    std::size_t fractionDigits = 0;
    while (i < text.size() && isDigit(text[i]))
        digits += text[i++];
    if (i < text.size() && text[i] == decimalSeparator) {
        ++i;
        while (i < text.size() && isDigit(text[i])) {
            digits += text[i++];
            ++fractionDigits;
        }
    }
    if (digits.empty())
        return std::nullopt;
    long long exponent = 0;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        bool negativeExponent = false;
        if (i < text.size() && (text[i] == '+' || text[i] == '-'))
            negativeExponent = text[i++] == '-';
        if (i == text.size() || !isDigit(text[i]))
            return std::nullopt;
        while (i < text.size() && isDigit(text[i]))
            exponent = std::min(exponent * 10 + (text[i++] - '0'), 1000000LL);
        if (negativeExponent)
            exponent = -exponent;
    }
    if (i != text.size())
        return std::nullopt;

    const std::size_t firstSignificant = digits.find_first_not_of('0');
    const std::string significant =
        firstSignificant == std::string::npos ? "0" : digits.substr(firstSignificant);
    const long long scale = static_cast<long long>(fractionDigits) - exponent;
    if (significant.size() <= 18) {
        std::int64_t units = std::stoll(significant);
        long long exactScale = scale;
        bool exact = true;
        for (; exactScale < 0 && exact; ++exactScale)
            exact = !__builtin_mul_overflow(units, std::int64_t{10}, &units);
        while (exact && exactScale > 0 && units % 10 == 0) {
            units /= 10;
            --exactScale;
        }
        if (exact && units == 0)
            return Value::integer(0);
        if (exact && exactScale == 0)
            return Value::integer(negative ? -units : units);
        if (exact && exactScale <= 18)
            return Value::decimal(negative ? -units : units, static_cast<int>(exactScale));
    }
    const std::string normalized = (negative ? "-" : "") + digits + "e" + std::to_string(-scale);
    double result = 0;
    const auto [end, error] =
        std::from_chars(normalized.data(), normalized.data() + normalized.size(), result);
    if (error != std::errc() || end != normalized.data() + normalized.size())
        return std::nullopt;
    return Value::floating(result);
}

std::string formatNumberText(const Value& number, char decimalSeparator) {
    switch (number.kind()) {
    case Value::Kind::Integer:
        return std::to_string(number.asInteger());
    case Value::Kind::Decimal: {
        std::int64_t units = number.asDecimal().units;
        int scale = number.asDecimal().scale;
        while (scale > 0 && units % 10 == 0) {
            units /= 10;
            --scale;
        }
        const bool negative = units < 0;
        // The magnitude as unsigned, so that the lowest int64 has one too.
        std::string digits = std::to_string(negative ? 0 - static_cast<std::uint64_t>(units)
                                                     : static_cast<std::uint64_t>(units));
        if (scale < 0)
            digits.append(static_cast<std::size_t>(-scale), '0');
        else if (scale > 0) {
            if (digits.size() <= static_cast<std::size_t>(scale))
                digits.insert(0, static_cast<std::size_t>(scale) + 1 - digits.size(), '0');
            digits.insert(digits.size() - static_cast<std::size_t>(scale), 1, decimalSeparator);
        }
        return (negative ? "-" : "") + digits;
    }
    case Value::Kind::Float: {
        char buffer[64];
        const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, number.asFloat());
        std::string text(buffer, error == std::errc() ? end : buffer);
        std::replace(text.begin(), text.end(), '.', decimalSeparator);
        return text;
    }
    default:
        return {};
    }
}

// ---------------------------------------------------------------------------------------------------------
// Dates and times

std::optional<DateTimeText> parseDateTimeText(const QString& text) {
    const QString t = text.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    if (const QDate d = regional::parseDate(t); d.isValid())
        return DateTimeText{d, std::nullopt};
    if (const QTime tm = regional::parseTime(t); tm.isValid())
        return DateTimeText{std::nullopt, tm};
    // A date and a time separated by blanks; the date format itself may hold blanks.
    for (qsizetype at = t.indexOf(QLatin1Char(' ')); at > 0; at = t.indexOf(QLatin1Char(' '), at + 1)) {
        const QDate d = regional::parseDate(t.left(at));
        const QTime tm = regional::parseTime(t.mid(at + 1));
        if (d.isValid() && tm.isValid())
            return DateTimeText{d, tm};
    }
    return std::nullopt;
}

QString formatDateTimeText(const DateTimeText& value) {
    if (!value.date)
        return value.time ? regional::formatTime(*value.time) : QString();
    if (!value.time || *value.time == QTime(0, 0))
        return regional::formatDate(*value.date);
    return regional::formatDate(*value.date) + QLatin1Char(' ') + regional::formatTime(*value.time);
}

// ---------------------------------------------------------------------------------------------------------
// Syntax tree

namespace {

enum class Truth { False, True, Unknown };

Truth negate(Truth t) {
    return t == Truth::Unknown ? t : (t == Truth::True ? Truth::False : Truth::True);
}

struct Operand {
    enum class Kind { Field, Number, Text, Null };
    Kind kind = Kind::Null;
    std::string text; // field name, number as written, or the text's bytes
    Value number;
};

enum class Comparison { Equal, NotEqual, Less, Greater, LessOrEqual, GreaterOrEqual };

} // namespace

struct FilterExpression::Node {
    enum class Kind { All, And, Or, Not, Compare, Like, IsNull };
    Kind kind = Kind::All;
    std::vector<std::unique_ptr<const Node>> children; // And, Or (two or more), Not (one)
    Comparison comparison = Comparison::Equal;
    bool negated = false; // NOT LIKE, IS NOT NULL
    Operand left;
    Operand right;
};

namespace {

using Node = FilterExpression::Node;

class Parser {
public:
    explicit Parser(const std::string& text) : text_(text) {}

    std::unique_ptr<const Node> parseAll() {
        skipBlanks();
        if (pos_ == text_.size())
            return std::make_unique<Node>();
        auto root = parseOr(0);
        skipBlanks();
        if (pos_ != text_.size())
            fail("unexpected text");
        return root;
    }

private:
    [[noreturn]] void fail(const std::string& what) const {
        throw Error("Invalid filter expression at position " + std::to_string(pos_ + 1) + " (" + what +
                    "): " + text_);
    }

    void skipBlanks() {
        while (pos_ < text_.size() && isBlank(text_[pos_]))
            ++pos_;
    }

    bool atEnd() {
        skipBlanks();
        return pos_ == text_.size();
    }

    std::string_view peekWord() {
        skipBlanks();
        if (pos_ >= text_.size() || !isWordStart(text_[pos_]))
            return {};
        std::size_t end = pos_;
        while (end < text_.size() && isWordChar(text_[end]))
            ++end;
        return std::string_view(text_).substr(pos_, end - pos_);
    }

    bool acceptKeyword(std::string_view keyword) {
        const std::string_view word = peekWord();
        if (word.empty() || !sameWord(word, keyword))
            return false;
        pos_ += word.size();
        return true;
    }

    bool accept(char c) {
        skipBlanks();
        if (pos_ < text_.size() && text_[pos_] == c) {
            ++pos_;
            return true;
        }
        return false;
    }

    static bool isKeyword(std::string_view word) {
        for (const char* k : {"AND", "OR", "NOT", "LIKE", "IS", "NULL"})
            if (sameWord(word, k))
                return true;
        return false;
    }

    std::unique_ptr<const Node> parseOr(int depth) {
        auto first = parseAnd(depth);
        if (peekIsKeyword("OR")) {
            auto node = std::make_unique<Node>();
            node->kind = Node::Kind::Or;
            node->children.push_back(std::move(first));
            while (acceptKeyword("OR"))
                node->children.push_back(parseAnd(depth));
            return node;
        }
        return first;
    }

    std::unique_ptr<const Node> parseAnd(int depth) {
        auto first = parseFactor(depth);
        if (peekIsKeyword("AND")) {
            auto node = std::make_unique<Node>();
            node->kind = Node::Kind::And;
            node->children.push_back(std::move(first));
            while (acceptKeyword("AND"))
                node->children.push_back(parseFactor(depth));
            return node;
        }
        return first;
    }

    bool peekIsKeyword(std::string_view keyword) {
        const std::string_view word = peekWord();
        return !word.empty() && sameWord(word, keyword);
    }

    std::unique_ptr<const Node> parseFactor(int depth) {
        if (depth > maxNesting)
            fail("expression nested too deeply");
        if (acceptKeyword("NOT")) {
            auto node = std::make_unique<Node>();
            node->kind = Node::Kind::Not;
            node->children.push_back(parseFactor(depth + 1));
            return node;
        }
        if (accept('(')) {
            auto inner = parseOr(depth + 1);
            if (!accept(')'))
                fail("')' expected");
            return inner;
        }
        return parsePredicate();
    }

    std::unique_ptr<const Node> parsePredicate() {
        auto node = std::make_unique<Node>();
        node->left = parseOperand();
        if (acceptKeyword("IS")) {
            node->kind = Node::Kind::IsNull;
            node->negated = acceptKeyword("NOT");
            if (!acceptKeyword("NULL"))
                fail("NULL expected");
            return node;
        }
        if (acceptKeyword("NOT")) {
            if (!acceptKeyword("LIKE"))
                fail("LIKE expected");
            node->kind = Node::Kind::Like;
            node->negated = true;
            node->right = parseOperand();
            return node;
        }
        if (acceptKeyword("LIKE")) {
            node->kind = Node::Kind::Like;
            node->right = parseOperand();
            return node;
        }
        node->kind = Node::Kind::Compare;
        node->comparison = parseComparison();
        node->right = parseOperand();
        return node;
    }

    Comparison parseComparison() {
        skipBlanks();
        const std::string_view rest = std::string_view(text_).substr(pos_);
        static const std::pair<std::string_view, Comparison> operators[] = {
            {"<>", Comparison::NotEqual},       {"!=", Comparison::NotEqual}, {"<=", Comparison::LessOrEqual},
            {">=", Comparison::GreaterOrEqual}, {"=", Comparison::Equal},     {"<", Comparison::Less},
            {">", Comparison::Greater}};
        for (const auto& [spelling, comparison] : operators)
            if (rest.substr(0, spelling.size()) == spelling) {
                pos_ += spelling.size();
                return comparison;
            }
        fail("comparison operator expected");
    }

    Operand parseOperand() {
        skipBlanks();
        Operand operand;
        if (pos_ == text_.size())
            fail("value expected");
        const char c = text_[pos_];
        if (c == '[') {
            const std::size_t close = text_.find(']', pos_ + 1);
            if (close == std::string::npos)
                fail("']' expected");
            operand.kind = Operand::Kind::Field;
            operand.text = text_.substr(pos_ + 1, close - pos_ - 1);
            if (operand.text.empty())
                fail("field name expected");
            pos_ = close + 1;
            return operand;
        }
        if (c == '\'') {
            operand.kind = Operand::Kind::Text;
            ++pos_;
            for (;;) {
                if (pos_ >= text_.size())
                    fail("closing quote expected");
                if (text_[pos_] == '\'') {
                    if (pos_ + 1 < text_.size() && text_[pos_ + 1] == '\'') {
                        operand.text += '\'';
                        pos_ += 2;
                        continue;
                    }
                    ++pos_;
                    return operand;
                }
                operand.text += text_[pos_++];
            }
        }
        if (isDigit(c) || ((c == '-' || c == '+') && pos_ + 1 < text_.size() && isDigit(text_[pos_ + 1])))
            return parseNumber();
        const std::string_view word = peekWord();
        if (!word.empty()) {
            if (sameWord(word, "NULL")) {
                pos_ += word.size();
                return operand; // the NULL literal
            }
            if (isKeyword(word))
                fail("value expected");
            operand.kind = Operand::Kind::Field;
            operand.text = std::string(word);
            pos_ += word.size();
            return operand;
        }
        fail("value expected");
    }

    Operand parseNumber() {
        const std::size_t start = pos_;
        if (text_[pos_] == '-' || text_[pos_] == '+')
            ++pos_;
        char separator = '.';
        while (pos_ < text_.size() && isDigit(text_[pos_]))
            ++pos_;
        if (pos_ + 1 < text_.size() && (text_[pos_] == '.' || text_[pos_] == ',') &&
            isDigit(text_[pos_ + 1])) {
            separator = text_[pos_++];
            while (pos_ < text_.size() && isDigit(text_[pos_]))
                ++pos_;
        }
        if (pos_ < text_.size() && (text_[pos_] == 'e' || text_[pos_] == 'E')) {
            std::size_t p = pos_ + 1;
            if (p < text_.size() && (text_[p] == '+' || text_[p] == '-'))
                ++p;
            if (p < text_.size() && isDigit(text_[p])) {
                pos_ = p;
                while (pos_ < text_.size() && isDigit(text_[pos_]))
                    ++pos_;
            }
        }
        Operand operand;
        operand.kind = Operand::Kind::Number;
        operand.text = text_.substr(start, pos_ - start);
        const std::optional<Value> value = parseNumberText(operand.text, separator);
        if (!value)
            fail("invalid number");
        operand.number = *value;
        return operand;
    }

    const std::string& text_;
    std::size_t pos_ = 0;
};

// ---------------------------------------------------------------------------------------------------------
// Evaluation

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

void collectFieldNames(const Node& node, std::vector<std::string>& names) {
    for (const Operand* operand : {&node.left, &node.right})
        if (operand->kind == Operand::Kind::Field &&
            std::none_of(names.begin(), names.end(),
                         [&](const std::string& n) { return sameFieldName(n, operand->text); }))
            names.push_back(operand->text);
    for (const auto& child : node.children)
        collectFieldNames(*child, names);
}

} // namespace

FilterExpression::FilterExpression() : root_(std::make_shared<const Node>()) {}

FilterExpression FilterExpression::parse(const std::string& text) {
    FilterExpression expression;
    expression.text_ = text;
    expression.root_ = Parser(expression.text_).parseAll();
    return expression;
}

bool FilterExpression::matches(const RowAccessor& row) const {
    return evaluate(*root_, row) == Truth::True;
}

std::vector<std::string> FilterExpression::fieldNames() const {
    std::vector<std::string> names;
    collectFieldNames(*root_, names);
    return names;
}

} // namespace envio
