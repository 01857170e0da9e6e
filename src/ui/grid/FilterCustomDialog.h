#pragma once

#include "ui/grid/FilterText.h"

#include <QString>
#include <vector>

namespace envio {

// The operators of the custom filter dialog, in the order its lists offer them.
enum class CustomFilterOperator {
    Empty,
    Equals,
    DoesNotEqual,
    IsGreaterThan,
    IsGreaterThanOrEqualTo,
    IsLessThan,
    IsLessThanOrEqualTo,
    BeginsWith,
    DoesNotBeginWith,
    EndsWith,
    DoesNotEndWith,
    Contains,
    DoesNotContain,
    Like,
    NotLike,
    InList,
    NotInList,
    IsBlank,
    IsNotBlank,
};

const std::vector<CustomFilterOperator>& customFilterOperators();
QString customFilterCaption(CustomFilterOperator op);
// The filter text lexeme the operator stands for ("" for the empty entry).
QString customFilterLexeme(CustomFilterOperator op);
// Whether the operator takes a value ("is blank" and "is not blank" do not).
bool customFilterTakesValue(CustomFilterOperator op);

// The dialog's texts.
namespace customfilter {
inline const char* const caption = "Custom filter";
inline const char* const showRecordsWhere = "Show records where:";
inline const char* const andChoice = "&And";
inline const char* const orChoice = "&Or";
inline const char* const singleCharacterHint = "Use '_' to represent any single character";
inline const char* const seriesHint = "Use '%' to represent any series of characters";
inline const char* const ok = "OK";
inline const char* const cancel = "Cancel";
} // namespace customfilter

struct CustomFilterCondition {
    CustomFilterOperator op = CustomFilterOperator::Empty;
    QString value;
};

// The dialog's fields: two condition rows and the relation between them ("&And" preset).
struct CustomFilterFields {
    CustomFilterCondition first;
    FilterRelation relation = FilterRelation::And;
    CustomFilterCondition second;
};

// The fields the dialog opens with for a column's parsed filter.
CustomFilterFields customFilterFields(const ParsedFilter& filter);

// The filter text the fields make on OK; it is then stored and parsed as if typed.
QString customFilterText(const CustomFilterFields& fields, FilterValueKind kind);

} // namespace envio
