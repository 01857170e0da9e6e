#pragma once

#include "ui/grid/FilterText.h"

#include <QString>
#include <map>
#include <string>
#include <vector>

namespace envio {

// The entries of a filter cell's drop-down list.
enum class FilterMenuEntry {
    OrderAscending,
    OrderDescending,
    Separator,
    ClearFilter,
    ApplyFilter,
    Custom,
    All,
    NotEmpty,
    Empty,
};

QString filterMenuCaption(FilterMenuEntry entry);

// The list in display order. "(Apply filter)" is offered only when the filter is not applied instantly.
std::vector<FilterMenuEntry> filterMenuEntries(bool appliedInstantly);

// The filter texts of a grid's filter row, one per column, with their parsed forms, and the dataset filter
// expression they make together. Columns are known by their grid column name (the column's field name).
class FilterRow {
public:
    void addColumn(const std::string& name, FilterColumn column);
    bool hasColumn(const std::string& name) const;
    // A looked-up column's list can be loaded after the column was added.
    void setLookup(const std::string& name, std::vector<FilterLookupEntry> entries);

    const QString& text(const std::string& name) const;
    const ParsedFilter& parsed(const std::string& name) const;
    const FilterColumn& column(const std::string& name) const;

    // Stores a typed text and its parsed form. A text that does not parse raises its failure and leaves the
    // column's previous text and parsed form in place.
    void setText(const std::string& name, const QString& text);

    // Drop-down list entries: "(Clear filter)" empties every column, "(All)" this column, "(Empty)" and
    // "(Not empty)" set it to "=Null" and "<>Null". The caller applies the filter afterwards.
    void clearAll();
    void clear(const std::string& name);
    void setEmpty(const std::string& name);
    void setNotEmpty(const std::string& name);

    // The expression to hand to the dataset: the columns in the given grid order (columns it does not name
    // take no part), "1=1" when no column has a filter; code-page bytes.
    std::string expression(const std::vector<std::string>& columnOrder) const;

private:
    struct Entry {
        FilterColumn column;
        QString text;
        ParsedFilter parsed;
    };
    Entry& entry(const std::string& name);
    const Entry& entry(const std::string& name) const;

    std::map<std::string, Entry> columns_;
};

} // namespace envio
