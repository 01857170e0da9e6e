#pragma once

#include <string>
#include <vector>

namespace envio {

// An ordering of the rows over a list of fields, some of them descending.
struct IndexDef {
    std::string name;
    std::vector<std::string> fields;
    std::vector<std::string> descending;
};

// The named indexes of a staged dataset and the one in force (names in any letter case; "" = natural order).
class IndexSet {
public:
    // Replaces an index of the same name.
    void add(IndexDef def);
    // Returns whether the name is that of the index in force, which stays named until clearCurrent().
    bool remove(const std::string& name);
    bool contains(const std::string& name) const;

    const std::vector<IndexDef>& all() const { return indexes_; }
    const std::string& currentName() const { return current_; }
    void setCurrentName(const std::string& name) { current_ = name; }
    void clearCurrent() { current_.clear(); }
    // The index in force; nullptr for the natural order or when no index has its name.
    const IndexDef* current() const;

private:
    std::vector<IndexDef> indexes_;
    std::string current_;
};

} // namespace envio
