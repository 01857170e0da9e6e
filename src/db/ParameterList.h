#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace envio {

// An ordered list of "name=value" entries whose names match without regard to letter case.
class ParameterList {
public:
    ParameterList() = default;
    explicit ParameterList(std::vector<std::string> entries) : entries_(std::move(entries)) {}

    // Replaces the entry of that name in place (taking the name as now given), appends a new one,
    // or removes the entry when the value is empty.
    void set(std::string_view name, std::string_view value);
    std::optional<std::string> get(std::string_view name) const;
    std::string value(std::string_view name) const { return get(name).value_or(std::string()); }

    const std::vector<std::string>& entries() const { return entries_; }

private:
    std::vector<std::string>::iterator find(std::string_view name);
    std::vector<std::string> entries_;
};

// The lists the three connections start with. The administrator password comes from the
// environment (ISC_PASSWORD), never from the program.
ParameterList storedOriginParameters();
ParameterList storedDestinationParameters();
ParameterList storedGeneralParameters();

bool equalsIgnoreCase(std::string_view a, std::string_view b);
std::string toLowerAscii(std::string_view s);
std::string toUpperAscii(std::string_view s);

} // namespace envio
