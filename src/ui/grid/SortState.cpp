#include "ui/grid/SortState.h"

#include <algorithm>

namespace envio {

namespace {

std::string joined(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names) {
        if (!text.empty())
            text += ';';
        text += name;
    }
    return text;
}

} // namespace

std::string SortIndex::fieldList() const {
    return joined(fields);
}

std::string SortIndex::descendingList() const {
    return joined(descending);
}

void applySort(const SortIndex& index, SortTarget& target) {
    if (target.hasIndex(SortIndex::name))
        target.deleteIndex(SortIndex::name);
    if (!index.isNaturalOrder()) {
        target.defineIndex(SortIndex::name, index.fields, index.descending);
        target.useIndex(SortIndex::name);
    } else {
        target.useNaturalOrder();
    }
    target.first();
}

void SortState::setIndexField(const std::string& column, const std::string& field) {
    indexFields_[column] = field;
}

SortMarker SortState::marker(const std::string& column) const {
    const auto it = markers_.find(column);
    return it == markers_.end() ? SortMarker::None : it->second;
}

int SortState::position(const std::string& column) const {
    const auto it = std::find(marked_.begin(), marked_.end(), column);
    return it == marked_.end() ? 0 : static_cast<int>(it - marked_.begin()) + 1;
}

int SortState::shownPosition(const std::string& column) const {
    return marked_.size() >= 2 ? position(column) : 0;
}

void SortState::setMarkerOnly(const std::string& column, SortMarker marker) {
    const bool wasMarked = position(column) > 0;
    if (marker == SortMarker::None) {
        markers_.erase(column);
        // Later columns move down by one.
        std::erase(marked_, column);
        return;
    }
    markers_[column] = marker;
    if (!wasMarked)
        marked_.push_back(column);
}

std::optional<SortIndex> SortState::titleClick(const std::string& column, bool ctrlHeld) {
    const SortMarker current = marker(column);
    if (ctrlHeld) {
        const SortMarker next = current == SortMarker::None        ? SortMarker::Ascending
                                : current == SortMarker::Ascending ? SortMarker::Descending
                                                                   : SortMarker::None;
        setMarkerOnly(column, next);
        pending_ = true;
        return std::nullopt;
    }
    const SortMarker next = current == SortMarker::Ascending ? SortMarker::Descending : SortMarker::Ascending;
    markers_.clear();
    marked_.clear();
    setMarkerOnly(column, next);
    return applyNow();
}

std::optional<SortIndex> SortState::ctrlReleased() {
    if (!pending_)
        return std::nullopt;
    return applyNow();
}

std::optional<SortIndex> SortState::focusLost() {
    return ctrlReleased();
}

std::optional<SortIndex> SortState::setMarker(const std::string& column, SortMarker marker) {
    setMarkerOnly(column, marker);
    return applyNow();
}

SortIndex SortState::applyNow() {
    pending_ = false;
    return index();
}

SortIndex SortState::index() const {
    SortIndex index;
    for (const std::string& column : marked_) {
        const auto mapped = indexFields_.find(column);
        const std::string& field = mapped == indexFields_.end() ? column : mapped->second;
        index.fields.push_back(field);
        if (marker(column) == SortMarker::Descending)
            index.descending.push_back(field);
    }
    return index;
}

} // namespace envio
