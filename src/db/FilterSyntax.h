#pragma once

// The syntax tree of a filter expression, shared by its parser and its evaluator.

#include "db/FilterExpression.h"
#include "db/Value.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace envio {

namespace filter {

inline bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
inline bool isWordStart(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}
inline bool isWordChar(char c) {
    return isWordStart(c) || isDigit(c) || c == '$';
}
inline bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

struct Operand {
    enum class Kind { Field, Number, Text, Null };
    Kind kind = Kind::Null;
    std::string text; // field name, number as written, or the text's bytes
    Value number;
};

enum class Comparison { Equal, NotEqual, Less, Greater, LessOrEqual, GreaterOrEqual };

} // namespace filter

struct FilterExpression::Node {
    enum class Kind { All, And, Or, Not, Compare, Like, IsNull };
    Kind kind = Kind::All;
    std::vector<std::unique_ptr<const Node>> children; // And, Or (two or more), Not (one)
    filter::Comparison comparison = filter::Comparison::Equal;
    bool negated = false; // NOT LIKE, IS NOT NULL
    filter::Operand left;
    filter::Operand right;
};

} // namespace envio
