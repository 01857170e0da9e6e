#include "db/IndexSet.h"

#include "db/ParameterList.h"

#include <algorithm>

namespace envio {

void IndexSet::add(IndexDef def) {
    std::erase_if(indexes_, [&](const IndexDef& d) { return equalsIgnoreCase(d.name, def.name); });
    indexes_.push_back(std::move(def));
}

bool IndexSet::remove(const std::string& name) {
    std::erase_if(indexes_, [&](const IndexDef& d) { return equalsIgnoreCase(d.name, name); });
    return equalsIgnoreCase(current_, name);
}

bool IndexSet::contains(const std::string& name) const {
    return std::any_of(indexes_.begin(), indexes_.end(),
                       [&](const IndexDef& d) { return equalsIgnoreCase(d.name, name); });
}

const IndexDef* IndexSet::current() const {
    const IndexDef* index = nullptr;
    for (const IndexDef& d : indexes_)
        if (!current_.empty() && equalsIgnoreCase(d.name, current_))
            index = &d;
    return index;
}

} // namespace envio
