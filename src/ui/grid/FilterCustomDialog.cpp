#include "ui/grid/FilterCustomDialog.h"

#include <QStringList>

namespace envio {

const std::vector<CustomFilterOperator>& customFilterOperators() {
    using Op = CustomFilterOperator;
    static const std::vector<Op> all{Op::Empty,
                                     Op::Equals,
                                     Op::DoesNotEqual,
                                     Op::IsGreaterThan,
                                     Op::IsGreaterThanOrEqualTo,
                                     Op::IsLessThan,
                                     Op::IsLessThanOrEqualTo,
                                     Op::BeginsWith,
                                     Op::DoesNotBeginWith,
                                     Op::EndsWith,
                                     Op::DoesNotEndWith,
                                     Op::Contains,
                                     Op::DoesNotContain,
                                     Op::Like,
                                     Op::NotLike,
                                     Op::InList,
                                     Op::NotInList,
                                     Op::IsBlank,
                                     Op::IsNotBlank};
    return all;
}

QString customFilterCaption(CustomFilterOperator op) {
    using Op = CustomFilterOperator;
    switch (op) {
    case Op::Empty:
        return {};
    case Op::Equals:
        return QStringLiteral("equals");
    case Op::DoesNotEqual:
        return QStringLiteral("does not equal");
    case Op::IsGreaterThan:
        return QStringLiteral("is greate than");
    case Op::IsGreaterThanOrEqualTo:
        return QStringLiteral("is greate than or equall to");
    case Op::IsLessThan:
        return QStringLiteral("is less than");
    case Op::IsLessThanOrEqualTo:
        return QStringLiteral("is less than or equall to");
    case Op::BeginsWith:
        return QStringLiteral("begins with");
    case Op::DoesNotBeginWith:
        return QStringLiteral("does not begin with");
    case Op::EndsWith:
        return QStringLiteral("ends with");
    case Op::DoesNotEndWith:
        return QStringLiteral("does not end with");
    case Op::Contains:
        return QStringLiteral("contains");
    case Op::DoesNotContain:
        return QStringLiteral("does not contain");
    case Op::Like:
        return QStringLiteral("like");
    case Op::NotLike:
        return QStringLiteral("not like");
    case Op::InList:
        return QStringLiteral("in list");
    case Op::NotInList:
        return QStringLiteral("not in list");
    case Op::IsBlank:
        return QStringLiteral("is blank");
    case Op::IsNotBlank:
        return QStringLiteral("is not blank");
    }
    return {};
}

QString customFilterLexeme(CustomFilterOperator op) {
    using Op = CustomFilterOperator;
    switch (op) {
    case Op::Empty:
        return {};
    case Op::Equals:
        return QStringLiteral("=");
    case Op::DoesNotEqual:
        return QStringLiteral("<>");
    case Op::IsGreaterThan:
        return QStringLiteral(">");
    case Op::IsGreaterThanOrEqualTo:
        return QStringLiteral(">=");
    case Op::IsLessThan:
        return QStringLiteral("<");
    case Op::IsLessThanOrEqualTo:
        return QStringLiteral("<=");
    case Op::BeginsWith:
    case Op::EndsWith:
    case Op::Contains:
    case Op::Like:
        return QStringLiteral("~");
    case Op::DoesNotBeginWith:
    case Op::DoesNotEndWith:
    case Op::DoesNotContain:
    case Op::NotLike:
        return QStringLiteral("!~");
    case Op::InList:
        return QStringLiteral("in");
    case Op::NotInList:
        return QStringLiteral("!in");
    case Op::IsBlank:
        return QStringLiteral("=Null");
    case Op::IsNotBlank:
        return QStringLiteral("<>Null");
    }
    return {};
}

bool customFilterTakesValue(CustomFilterOperator op) {
    return op != CustomFilterOperator::IsBlank && op != CustomFilterOperator::IsNotBlank;
}

namespace {

using Op = CustomFilterOperator;

// A like pattern shown as "begins with", "ends with", "contains" or plain "like" and the text around the
// "%" signs.
CustomFilterCondition likeCondition(const QString& pattern, bool negated) {
    const QChar percent = QLatin1Char('%');
    if (pattern.size() >= 2 && pattern.startsWith(percent) && pattern.endsWith(percent))
        return {negated ? Op::DoesNotContain : Op::Contains, pattern.mid(1, pattern.size() - 2)};
    if (pattern.endsWith(percent))
        return {negated ? Op::DoesNotBeginWith : Op::BeginsWith, pattern.left(pattern.size() - 1)};
    if (pattern.startsWith(percent))
        return {negated ? Op::DoesNotEndWith : Op::EndsWith, pattern.mid(1)};
    return {negated ? Op::NotLike : Op::Like, pattern};
}

QString listText(const std::vector<FilterOperand>& operands) {
    QStringList items;
    for (const FilterOperand& operand : operands)
        items << (readsBackUnquoted(operand.text, true) ? operand.text : quoteFilterText(operand.text));
    return items.join(QLatin1Char(','));
}

CustomFilterCondition dialogCondition(const FilterCondition& condition) {
    const QString value = condition.operands.empty() ? QString() : condition.operands.front().text;
    switch (condition.op) {
    case FilterOperator::None:
        return {};
    case FilterOperator::Equal:
        return {Op::Equals, value};
    case FilterOperator::NotEqual:
        return {Op::DoesNotEqual, value};
    case FilterOperator::Greater:
        return {Op::IsGreaterThan, value};
    case FilterOperator::GreaterOrEqual:
        return {Op::IsGreaterThanOrEqualTo, value};
    case FilterOperator::Less:
        return {Op::IsLessThan, value};
    case FilterOperator::LessOrEqual:
        return {Op::IsLessThanOrEqualTo, value};
    case FilterOperator::Like:
        return likeCondition(value, false);
    case FilterOperator::NotLike:
        return likeCondition(value, true);
    case FilterOperator::In:
        return {Op::InList, listText(condition.operands)};
    case FilterOperator::NotIn:
        return {Op::NotInList, listText(condition.operands)};
    case FilterOperator::IsNull:
        return {Op::IsBlank, {}};
    case FilterOperator::IsNotNull:
        return {Op::IsNotBlank, {}};
    }
    return {};
}

// Whether a list text has a bracket outside its quoted items. Only a quote that opens an item starts a
// quoted value; a quote inside an unquoted item is an ordinary character.
bool parenthesisOutsideQuotes(const QString& text) {
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        while (i < n && (text.at(i) == QLatin1Char(' ') || text.at(i) == QLatin1Char('\t')))
            ++i;
        if (i < n && text.at(i) == QLatin1Char('\'')) {
            for (++i; i < n; ++i) {
                if (text.at(i) != QLatin1Char('\''))
                    continue;
                if (i + 1 < n && text.at(i + 1) == QLatin1Char('\''))
                    ++i;
                else
                    break;
            }
            ++i;
        }
        for (; i < n && text.at(i) != QLatin1Char(','); ++i)
            if (text.at(i) == QLatin1Char('(') || text.at(i) == QLatin1Char(')'))
                return true;
        ++i;
    }
    return false;
}

// The value box's text must be quoted when it holds a bracket or, in a text column, begins with a blank.
bool quotingRequired(const QString& value, FilterValueKind kind) {
    return value.contains(QLatin1Char('(')) || value.contains(QLatin1Char(')')) ||
           (kind == FilterValueKind::Text && value.startsWith(QLatin1Char(' ')));
}

QString piece(const CustomFilterCondition& row, FilterValueKind kind) {
    if (!customFilterTakesValue(row.op))
        return customFilterLexeme(row.op);
    const QString lexeme = customFilterLexeme(row.op);
    if (row.op == Op::Empty) {
        if (row.value.isEmpty())
            return {};
        return quotingRequired(row.value, kind) ? quoteFilterText(row.value) : row.value;
    }
    if (row.op == Op::InList || row.op == Op::NotInList) {
        const bool quoteWhole = parenthesisOutsideQuotes(row.value) ||
                                (kind == FilterValueKind::Text && row.value.startsWith(QLatin1Char(' ')));
        return lexeme + QLatin1Char('(') + (quoteWhole ? quoteFilterText(row.value) : row.value) +
               QLatin1Char(')');
    }
    // The "%" signs go inside the quotes, so that a quoted pattern stays one value.
    QString value = row.value;
    const QChar percent = QLatin1Char('%');
    if (row.op == Op::BeginsWith || row.op == Op::DoesNotBeginWith)
        value = value + percent;
    else if (row.op == Op::EndsWith || row.op == Op::DoesNotEndWith)
        value = percent + value;
    else if (row.op == Op::Contains || row.op == Op::DoesNotContain)
        value = percent + value + percent;
    // Quoted also when the text would not read back as typed: empty text, a leading quote, NULL, or a blank
    // before a word such as OR that would split it. Leading blanks count only in a text column: a number
    // column reads " 5" as 5, so "= 5" stays unquoted.
    QString probe = value;
    if (kind != FilterValueKind::Text)
        while (probe.startsWith(QLatin1Char(' ')))
            probe.remove(0, 1);
    if (quotingRequired(value, kind) || !readsBackUnquoted(probe, false))
        value = quoteFilterText(value);
    return lexeme + value;
}

} // namespace

CustomFilterFields customFilterFields(const ParsedFilter& filter) {
    CustomFilterFields fields;
    fields.first = dialogCondition(filter.first);
    fields.second = dialogCondition(filter.second);
    fields.relation = filter.relation == FilterRelation::Or ? FilterRelation::Or : FilterRelation::And;
    return fields;
}

QString customFilterText(const CustomFilterFields& fields, FilterValueKind kind) {
    const QString first = piece(fields.first, kind);
    const QString second = piece(fields.second, kind);
    if (second.isEmpty())
        return first;
    if (first.isEmpty())
        return second; // a lone second row stands on its own instead of after a dangling relation
    return first + (fields.relation == FilterRelation::Or ? QLatin1String(" OR ") : QLatin1String(" AND ")) +
           second;
}

} // namespace envio
