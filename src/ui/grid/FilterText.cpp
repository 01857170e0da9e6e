#include "ui/grid/FilterText.h"

#include "base/AnsiCodec.h"
#include "base/Regional.h"
#include "db/Error.h"
#include "db/FilterExpression.h"

#include <optional>

namespace envio {

FilterValueKind filterValueKind(FieldType type) {
    if (type == FieldType::String)
        return FilterValueKind::Text;
    if (isNumericType(type))
        return FilterValueKind::Number;
    if (isTemporalType(type))
        return FilterValueKind::DateTime;
    return FilterValueKind::Other;
}

QString quoteFilterText(const QString& text) {
    QString doubled = text;
    doubled.replace(QLatin1Char('\''), QLatin1String("''"));
    return QLatin1Char('\'') + doubled + QLatin1Char('\'');
}

namespace {

// The separator numbers are written with: the regional one where the expression language has it.
char writtenSeparator(QChar regionalSeparator) {
    return regionalSeparator == QLatin1Char(',') ? ',' : '.';
}

// A literal for a look-up key value.
std::optional<QString> keyLiteral(const Value& code) {
    switch (code.kind()) {
    case Value::Kind::Null:
        return std::nullopt;
    case Value::Kind::Integer:
    case Value::Kind::Decimal:
    case Value::Kind::Float:
        return QString::fromStdString(
            formatNumberText(code, writtenSeparator(regional::current().decimalSeparator)));
    case Value::Kind::String:
        return quoteFilterText(fromAnsi(code.asString()));
    case Value::Kind::Date:
        return quoteFilterText(regional::formatDate(code.asDate()));
    case Value::Kind::Time:
        return quoteFilterText(regional::formatTime(code.asTime()));
    case Value::Kind::DateTime:
        return quoteFilterText(regional::formatDateTime(code.asDateTime()));
    }
    return std::nullopt;
}

bool isBlank(QChar c) {
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}
bool isWordChar(QChar c) {
    return c.isLetterOrNumber() || c == QLatin1Char('_');
}

class TextParser {
public:
    TextParser(const QString& text, const FilterColumn& column)
        : text_(text), column_(column), separator_(regional::current().decimalSeparator),
          commaSeparates_(!(column.kind == FilterValueKind::Number && separator_ == QLatin1Char(','))) {}

    ParsedFilter parse() {
        ParsedFilter result;
        result.first = parseCondition();
        skipBlanks();
        if (atEnd())
            return result;
        const qsizetype relation = relationAt(pos_);
        if (relation == 0)
            fail("Unexpected AND or OR: ");
        result.relation = isAndAt(pos_) ? FilterRelation::And : FilterRelation::Or;
        pos_ += relation;
        result.second = parseCondition();
        skipBlanks();
        if (!atEnd())
            fail("Incorrect expression: ");
        return result;
    }

private:
    struct RawValue {
        QString text;
        bool quoted = false;
    };

    [[noreturn]] void fail(const char* message) const { throw Error(message + toAnsi(text_)); }

    bool atEnd() const { return pos_ >= text_.size(); }
    QChar at(qsizetype p) const { return p < text_.size() ? text_.at(p) : QChar(); }

    void skipBlanks() {
        while (!atEnd() && isBlank(text_.at(pos_)))
            ++pos_;
    }

    // Length of the word at p when it is `word` (any letter case) standing alone, else 0.
    qsizetype wordAt(qsizetype p, QLatin1String word) const {
        if (text_.mid(p, word.size()).compare(word, Qt::CaseInsensitive) != 0)
            return 0;
        const qsizetype end = p + word.size();
        return end < text_.size() && isWordChar(text_.at(end)) ? 0 : word.size();
    }

    bool isAndAt(qsizetype p) const {
        return at(p) == QLatin1Char('&') || wordAt(p, QLatin1String("AND")) > 0;
    }

    qsizetype relationAt(qsizetype p) const {
        if (at(p) == QLatin1Char('&') || at(p) == QLatin1Char('|'))
            return 1;
        if (const qsizetype n = wordAt(p, QLatin1String("AND")))
            return n;
        return wordAt(p, QLatin1String("OR"));
    }

    // Whether an operator or a relation starts at p: such a lexeme after a blank ends an unquoted value.
    bool operatorAt(qsizetype p) const {
        const QChar c = at(p);
        if (c == QLatin1Char('=') || c == QLatin1Char('<') || c == QLatin1Char('>') ||
            c == QLatin1Char('!') || c == QLatin1Char('~'))
            return true;
        if (relationAt(p) > 0)
            return true;
        return wordAt(p, QLatin1String("LIKE")) || wordAt(p, QLatin1String("NOT")) ||
               wordAt(p, QLatin1String("IN"));
    }

    bool nullAt(qsizetype p) const { return wordAt(p, QLatin1String("NULL")) > 0; }

    bool startsWith(QLatin1String s) const { return text_.mid(pos_, s.size()) == s; }

    FilterOperator readOperator() {
        skipBlanks();
        static const std::pair<const char*, FilterOperator> symbols[] = {
            {"<>", FilterOperator::NotEqual},
            {"<=", FilterOperator::LessOrEqual},
            {">=", FilterOperator::GreaterOrEqual},
            {"!=", FilterOperator::NotEqual},
            {"<", FilterOperator::Less},
            {">", FilterOperator::Greater},
            {"=", FilterOperator::Equal},
            {"~", FilterOperator::Like}};
        for (const auto& [spelling, op] : symbols) {
            const QLatin1String s(spelling);
            if (startsWith(s)) {
                pos_ += s.size();
                return op;
            }
        }
        if (at(pos_) == QLatin1Char('!')) {
            ++pos_;
            return readNegated();
        }
        if (const qsizetype n = wordAt(pos_, QLatin1String("LIKE"))) {
            pos_ += n;
            return FilterOperator::Like;
        }
        if (const qsizetype n = wordAt(pos_, QLatin1String("NOT"))) {
            pos_ += n;
            return readNegated();
        }
        if (const qsizetype n = wordAt(pos_, QLatin1String("IN"))) {
            pos_ += n;
            return FilterOperator::In;
        }
        return FilterOperator::None;
    }

    // After "!" or NOT: like or IN must follow.
    FilterOperator readNegated() {
        skipBlanks();
        if (at(pos_) == QLatin1Char('~')) {
            ++pos_;
            return FilterOperator::NotLike;
        }
        if (const qsizetype n = wordAt(pos_, QLatin1String("LIKE"))) {
            pos_ += n;
            return FilterOperator::NotLike;
        }
        if (const qsizetype n = wordAt(pos_, QLatin1String("IN"))) {
            pos_ += n;
            return FilterOperator::NotIn;
        }
        fail("Unexpected expression after operator: ");
    }

    FilterCondition parseCondition() {
        skipBlanks();
        FilterCondition condition;
        condition.op = readOperator();
        if (condition.op == FilterOperator::None) {
            if (!startsValue(pos_))
                fail("Error in expression: ");
            const std::vector<RawValue> items = readValueAlone();
            if (items.size() > 1)
                condition.op = FilterOperator::In;
            else
                condition.op =
                    column_.kind == FilterValueKind::Text ? FilterOperator::Like : FilterOperator::Equal;
            convertAll(condition, items);
            return condition;
        }
        if (condition.op == FilterOperator::In || condition.op == FilterOperator::NotIn) {
            skipBlanks();
            if (at(pos_) != QLatin1Char('('))
                fail("'(' expected: ");
            ++pos_;
            convertAll(condition, readList());
            return condition;
        }
        skipBlanks();
        if (const qsizetype n = wordAt(pos_, QLatin1String("NULL"))) {
            if (condition.op == FilterOperator::Equal)
                condition.op = FilterOperator::IsNull;
            else if (condition.op == FilterOperator::NotEqual)
                condition.op = FilterOperator::IsNotNull;
            else
                fail("Unexpected expression before Null: ");
            pos_ += n;
            return condition;
        }
        if (atEnd() || at(pos_) == QLatin1Char('(') || at(pos_) == QLatin1Char(')') || operatorAt(pos_))
            fail("Unexpected expression after operator: ");
        convertAll(condition, {readValue(false)});
        return condition;
    }

    // Whether a value (not an operator, relation, NULL or bracket) starts at p.
    bool startsValue(qsizetype p) const {
        const QChar c = at(p);
        return p < text_.size() && c != QLatin1Char('(') && c != QLatin1Char(')') && c != QLatin1Char(',') &&
               relationAt(p) == 0 && !nullAt(p);
    }

    // A quoted value, or an unquoted one up to the end, a bracket, a blank followed by an operator, or (when
    // `commaEnds`) a comma. An unquoted value loses its trailing blanks.
    RawValue readValue(bool commaEnds) {
        skipBlanks();
        RawValue value;
        if (at(pos_) == QLatin1Char('\'')) {
            value.quoted = true;
            ++pos_;
            for (;;) {
                if (atEnd())
                    fail("Quote is absent: ");
                if (text_.at(pos_) == QLatin1Char('\'')) {
                    if (at(pos_ + 1) == QLatin1Char('\'')) {
                        value.text += QLatin1Char('\'');
                        pos_ += 2;
                        continue;
                    }
                    ++pos_;
                    return value;
                }
                value.text += text_.at(pos_++);
            }
        }
        const auto ends = [&](qsizetype p) {
            const QChar c = at(p);
            return p >= text_.size() || c == QLatin1Char('(') || c == QLatin1Char(')') ||
                   (commaEnds && c == QLatin1Char(','));
        };
        const qsizetype start = pos_;
        while (!ends(pos_)) {
            if (isBlank(text_.at(pos_))) {
                qsizetype next = pos_;
                while (next < text_.size() && isBlank(text_.at(next)))
                    ++next;
                if (ends(next) || operatorAt(next))
                    break;
                pos_ = next;
                continue;
            }
            ++pos_;
        }
        value.text = text_.mid(start, pos_ - start);
        return value;
    }

    // A value alone: one value, or several separated by commas.
    std::vector<RawValue> readValueAlone() {
        std::vector<RawValue> items{readValue(commaSeparates_)};
        for (;;) {
            const qsizetype before = pos_;
            skipBlanks();
            if (at(pos_) != QLatin1Char(',') || !(commaSeparates_ || items.back().quoted)) {
                pos_ = before;
                return items;
            }
            ++pos_;
            skipBlanks();
            if (!startsValue(pos_) || operatorAt(pos_))
                fail("Error in expression: ");
            items.push_back(readValue(commaSeparates_));
        }
    }

    // The values of IN and NOT IN, after the opening bracket, up to and including the closing one.
    std::vector<RawValue> readList() {
        std::vector<RawValue> items;
        for (;;) {
            skipBlanks();
            if (atEnd())
                fail("')' expected: ");
            if (nullAt(pos_))
                fail("Unexpected expression before Null: ");
            const QChar c = at(pos_);
            if (c == QLatin1Char(')') || c == QLatin1Char('(') || c == QLatin1Char(','))
                fail("Unexpected expression after operator: ");
            items.push_back(readValue(commaSeparates_));
            skipBlanks();
            if (at(pos_) == QLatin1Char(')')) {
                ++pos_;
                return items;
            }
            if (at(pos_) == QLatin1Char(',') && (commaSeparates_ || items.back().quoted)) {
                ++pos_;
                continue;
            }
            fail("')' expected: ");
        }
    }

    void convertAll(FilterCondition& condition, const std::vector<RawValue>& items) {
        for (const RawValue& item : items)
            condition.operands.push_back(convert(item.text));
    }

    FilterOperand convert(const QString& text) const {
        FilterOperand operand{text, {}};
        if (column_.lookedUp) {
            const QString name = text.trimmed();
            for (const FilterLookupEntry& entry : column_.lookup) {
                if (entry.name.trimmed().compare(name, Qt::CaseInsensitive) != 0)
                    continue;
                if (const std::optional<QString> literal = keyLiteral(entry.code)) {
                    operand.literal = *literal;
                    return operand;
                }
            }
            throw Error("'" + toAnsi(text) + "' is not in the list: " + toAnsi(text_));
        }
        switch (column_.kind) {
        case FilterValueKind::Number: {
            const std::optional<Value> number = readNumber(text.trimmed());
            if (!number)
                throw Error("'" + toAnsi(text) + "' is not a valid floating point value");
            operand.literal = QString::fromStdString(formatNumberText(*number, writtenSeparator(separator_)));
            return operand;
        }
        case FilterValueKind::DateTime: {
            if (text.trimmed().compare(QLatin1String("NOW"), Qt::CaseInsensitive) == 0) {
                operand.literal = quoteFilterText(text.trimmed());
                return operand;
            }
            const std::optional<DateTimeText> dateTime = parseDateTimeText(text);
            if (!dateTime)
                throw Error("'" + toAnsi(text) + "' is not a valid date and time");
            operand.literal = quoteFilterText(formatDateTimeText(*dateTime));
            return operand;
        }
        case FilterValueKind::Text:
        case FilterValueKind::Other:
            break;
        }
        operand.literal = quoteFilterText(text);
        return operand;
    }

    // A number written with the regional decimal separator (and only with it).
    std::optional<Value> readNumber(const QString& text) const {
        constexpr char separatorMark = '\x1f';
        std::string ascii;
        for (const QChar c : text) {
            if (c == separator_)
                ascii += separatorMark;
            else if (c.unicode() < 0x80 && c.unicode() != static_cast<char16_t>(separatorMark))
                ascii += static_cast<char>(c.unicode());
            else
                return std::nullopt;
        }
        return parseNumberText(ascii, separatorMark);
    }

    const QString& text_;
    const FilterColumn& column_;
    const QChar separator_;
    const bool commaSeparates_;
    qsizetype pos_ = 0;
};

QString operatorWord(FilterOperator op) {
    switch (op) {
    case FilterOperator::Equal:
        return QStringLiteral("=");
    case FilterOperator::NotEqual:
        return QStringLiteral("<>");
    case FilterOperator::Greater:
        return QStringLiteral(">");
    case FilterOperator::Less:
        return QStringLiteral("<");
    case FilterOperator::GreaterOrEqual:
        return QStringLiteral(">=");
    case FilterOperator::LessOrEqual:
        return QStringLiteral("<=");
    default:
        return {};
    }
}

QString conditionExpression(const FilterCondition& condition, const QString& field) {
    const QString bracketed = QLatin1Char('[') + field + QLatin1Char(']');
    const QString value = condition.operands.empty() ? QString() : condition.operands.front().literal;
    const auto list = [&](const QString& comparison, const QString& joint) {
        QStringList parts;
        for (const FilterOperand& operand : condition.operands)
            parts << bracketed + comparison + operand.literal;
        return QLatin1String(" (") + parts.join(joint) + QLatin1Char(')');
    };
    switch (condition.op) {
    case FilterOperator::None:
        return {};
    case FilterOperator::Equal:
    case FilterOperator::NotEqual:
    case FilterOperator::Greater:
    case FilterOperator::Less:
    case FilterOperator::GreaterOrEqual:
    case FilterOperator::LessOrEqual:
        return QLatin1Char(' ') + bracketed + QLatin1Char(' ') + operatorWord(condition.op) +
               QLatin1Char(' ') + value;
    case FilterOperator::Like:
        return QLatin1Char(' ') + bracketed + QLatin1String(" Like ") + value;
    case FilterOperator::NotLike:
        return QLatin1Char(' ') + bracketed + QLatin1String(" Not Like ") + value;
    case FilterOperator::In:
        return list(QStringLiteral(" = "), QStringLiteral(" OR "));
    case FilterOperator::NotIn:
        return list(QStringLiteral(" <> "), QStringLiteral(" AND "));
    case FilterOperator::IsNull:
        return QLatin1Char(' ') + bracketed + QLatin1String(" IS NULL");
    case FilterOperator::IsNotNull:
        return QLatin1Char(' ') + bracketed + QLatin1String(" IS NOT NULL");
    }
    return {};
}

} // namespace

ParsedFilter parseFilterText(const QString& text, const FilterColumn& column) {
    if (text.trimmed().isEmpty())
        return {};
    return TextParser(text, column).parse();
}

QString columnFilterExpression(const ParsedFilter& filter, const std::string& fieldName) {
    const QString field = QString::fromStdString(fieldName);
    QString expression = conditionExpression(filter.first, field);
    if (filter.relation == FilterRelation::None || expression.isEmpty())
        return expression;
    const bool isOr = filter.relation == FilterRelation::Or;
    expression +=
        (isOr ? QLatin1String(" OR") : QLatin1String(" AND")) + conditionExpression(filter.second, field);
    return isOr ? QLatin1Char('(') + expression + QLatin1Char(')') : expression;
}

bool readsBackUnquoted(const QString& value, bool asListItem) {
    const FilterColumn textColumn{"F", FilterValueKind::Text, false, {}};
    const QString probe =
        asListItem ? QLatin1String("in(") + value + QLatin1Char(')') : QLatin1Char('=') + value;
    try {
        const ParsedFilter parsed = parseFilterText(probe, textColumn);
        return parsed.relation == FilterRelation::None &&
               parsed.first.op == (asListItem ? FilterOperator::In : FilterOperator::Equal) &&
               parsed.first.operands.size() == 1 && parsed.first.operands.front().text == value;
    } catch (const Error&) {
        return false;
    }
}

std::string combineFilterExpressions(const std::vector<QString>& columnExpressions) {
    QStringList parts;
    for (const QString& expression : columnExpressions)
        if (!expression.isEmpty())
            parts << expression;
    return parts.isEmpty() ? std::string("1=1") : toAnsi(parts.join(QLatin1String(" AND ")));
}

} // namespace envio
