#pragma once

#include "db/FilterExpression.h"

#include <memory>
#include <string>

namespace envio {

// The filter of a staged dataset: its expression text, compiled when set, and whether it is in force.
class RowFilter {
public:
    // Compiles first, so that an expression that does not parse changes nothing.
    static std::shared_ptr<const FilterExpression> compile(const std::string& text);

    void setText(std::string text, std::shared_ptr<const FilterExpression> compiled) {
        text_ = std::move(text);
        compiled_ = std::move(compiled);
    }
    const std::string& text() const { return text_; }
    // Compiles the text if it has not been yet.
    void prepare() {
        if (!compiled_)
            compiled_ = compile(text_);
    }
    void setEnabled(bool on) { enabled_ = on; }
    bool enabled() const { return enabled_; }

    // In force with a non-empty expression.
    bool active() const { return enabled_ && compiled_ && !compiled_->text().empty(); }
    bool matches(const RowAccessor& row) const { return compiled_->matches(row); }

private:
    std::string text_;
    bool enabled_ = false;
    std::shared_ptr<const FilterExpression> compiled_;
};

} // namespace envio
