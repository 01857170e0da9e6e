#include "ui/grid/FilterRow.h"

#include "db/Error.h"

namespace envio {

QString filterMenuCaption(FilterMenuEntry entry) {
    switch (entry) {
    case FilterMenuEntry::OrderAscending:
        return QStringLiteral("(Order by ascending)");
    case FilterMenuEntry::OrderDescending:
        return QStringLiteral("(Order by descending)");
    case FilterMenuEntry::Separator:
        return QStringLiteral("-");
    case FilterMenuEntry::ClearFilter:
        return QStringLiteral("(Clear filter)");
    case FilterMenuEntry::ApplyFilter:
        return QStringLiteral("(Apply filter)");
    case FilterMenuEntry::Custom:
        return QStringLiteral("(Custom...)");
    case FilterMenuEntry::All:
        return QStringLiteral("(All)");
    case FilterMenuEntry::NotEmpty:
        return QStringLiteral("(Not empty)");
    case FilterMenuEntry::Empty:
        return QStringLiteral("(Empty)");
    }
    return {};
}

std::vector<FilterMenuEntry> filterMenuEntries(bool appliedInstantly) {
    std::vector<FilterMenuEntry> entries{FilterMenuEntry::OrderAscending, FilterMenuEntry::OrderDescending,
                                         FilterMenuEntry::Separator, FilterMenuEntry::ClearFilter};
    if (!appliedInstantly)
        entries.push_back(FilterMenuEntry::ApplyFilter);
    entries.insert(entries.end(), {FilterMenuEntry::Custom, FilterMenuEntry::All, FilterMenuEntry::NotEmpty,
                                   FilterMenuEntry::Empty});
    return entries;
}

void FilterRow::addColumn(const std::string& name, FilterColumn column) {
    columns_[name] = Entry{std::move(column), {}, {}};
}

bool FilterRow::hasColumn(const std::string& name) const {
    return columns_.count(name) > 0;
}

void FilterRow::setLookup(const std::string& name, std::vector<FilterLookupEntry> entries) {
    Entry& e = entry(name);
    e.column.lookedUp = true;
    e.column.lookup = std::move(entries);
}

FilterRow::Entry& FilterRow::entry(const std::string& name) {
    const auto it = columns_.find(name);
    if (it == columns_.end())
        throw Error("Grid column '" + name + "' not found");
    return it->second;
}

const FilterRow::Entry& FilterRow::entry(const std::string& name) const {
    const auto it = columns_.find(name);
    if (it == columns_.end())
        throw Error("Grid column '" + name + "' not found");
    return it->second;
}

const QString& FilterRow::text(const std::string& name) const {
    return entry(name).text;
}

const ParsedFilter& FilterRow::parsed(const std::string& name) const {
    return entry(name).parsed;
}

const FilterColumn& FilterRow::column(const std::string& name) const {
    return entry(name).column;
}

void FilterRow::setText(const std::string& name, const QString& text) {
    Entry& e = entry(name);
    ParsedFilter parsed = parseFilterText(text, e.column); // raises before anything is stored
    e.text = text;
    e.parsed = std::move(parsed);
}

void FilterRow::clearAll() {
    for (auto& [name, e] : columns_) {
        e.text.clear();
        e.parsed = {};
    }
}

void FilterRow::clear(const std::string& name) {
    setText(name, QString());
}

void FilterRow::setEmpty(const std::string& name) {
    setText(name, QStringLiteral("=Null"));
}

void FilterRow::setNotEmpty(const std::string& name) {
    setText(name, QStringLiteral("<>Null"));
}

std::string FilterRow::expression(const std::vector<std::string>& columnOrder) const {
    std::vector<QString> parts;
    for (const std::string& name : columnOrder) {
        const auto it = columns_.find(name);
        if (it != columns_.end() && !it->second.parsed.isEmpty())
            parts.push_back(columnFilterExpression(it->second.parsed, it->second.column.fieldName));
    }
    return combineFilterExpressions(parts);
}

} // namespace envio
