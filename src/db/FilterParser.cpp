#include "db/FilterParser.h"

#include "db/Error.h"
#include "db/NumberText.h"

#include <optional>

namespace envio::filter {

namespace {

constexpr int maxNesting = 200;

bool sameWord(std::string_view word, std::string_view keyword) {
    return sameFieldName(word, keyword);
}

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

} // namespace

std::unique_ptr<const FilterExpression::Node> parse(const std::string& text) {
    return Parser(text).parseAll();
}

} // namespace envio::filter
