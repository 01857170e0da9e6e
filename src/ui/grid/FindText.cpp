#include "ui/grid/FindText.h"

#include <algorithm>

namespace envio {

FindText& FindText::shared() {
    static FindText instance;
    return instance;
}

void FindText::open(const QStringList& columnCaptions, int focusedColumn) {
    captions_ = columnCaptions;
    text_.clear();
    column_ = focusedColumn >= 0 && focusedColumn < columnCaptions.size() ? focusedColumn : everyColumn;
    match_ = FindMatch::AnyPart;
    direction_ = FindDirection::All;
    matchCase_ = false;
    matchFormat_ = true;
    fromTop_ = true;
}

QStringList FindText::findInEntries() const {
    return captions_ + QStringList{QString::fromLatin1(findtext::allColumns)};
}

QStringList FindText::matchEntries() {
    return {QString::fromLatin1(findtext::matchAnyPart), QString::fromLatin1(findtext::matchWhole),
            QString::fromLatin1(findtext::matchBeginning)};
}

QStringList FindText::directionEntries() {
    return {QString::fromLatin1(findtext::up), QString::fromLatin1(findtext::down),
            QString::fromLatin1(findtext::all)};
}

void FindText::setText(const QString& text) {
    if (text != text_)
        fromTop_ = true;
    text_ = text;
}

void FindText::setColumn(int column) {
    if (column != column_)
        fromTop_ = true;
    column_ = column;
}

void FindText::setDirection(FindDirection direction) {
    if (direction != direction_)
        fromTop_ = true;
    direction_ = direction;
}

void FindText::remember(const QString& text) {
    if (!text.isEmpty() && !history_.contains(text))
        history_.prepend(text);
}

bool FindText::cellMatches(const QString& cellText) const {
    const Qt::CaseSensitivity cs = matchCase_ ? Qt::CaseSensitive : Qt::CaseInsensitive;
    switch (match_) {
    case FindMatch::AnyPart:
        return cellText.contains(text_, cs);
    case FindMatch::WholeField:
        return cellText.compare(text_, cs) == 0;
    case FindMatch::FromBeginning:
        return cellText.startsWith(text_, cs);
    }
    return false;
}

std::optional<FindPosition> FindText::findNext(const FindCells& cells, FindPosition current, bool ctrlHeld) {
    remember(text_);
    const bool fromTop = fromTop_;
    fromTop_ = false;

    const int rows = cells.rowCount();
    const int columns = cells.columnCount();
    const bool every = column_ == everyColumn;
    if (rows <= 0 || columns <= 0 || (!every && (column_ < 0 || column_ >= columns)))
        return std::nullopt;

    // The searched cells in order: row by row, left to right within a row for "<All>".
    const long long count = every ? static_cast<long long>(rows) * columns : rows;
    const auto positionOf = [&](long long index) {
        return every ? FindPosition{static_cast<int>(index / columns), static_cast<int>(index % columns)}
                     : FindPosition{static_cast<int>(index), column_};
    };
    const long long here =
        every ? static_cast<long long>(current.row) * columns + std::clamp(current.column, 0, columns - 1)
              : current.row;

    // Ctrl swaps "Up" and "Down" and turns "All" upwards.
    const bool upwards = direction_ == FindDirection::Up ? !ctrlHeld : ctrlHeld;
    long long start;
    if (direction_ == FindDirection::All && fromTop)
        start = upwards ? count - 1 : 0;
    else
        start = upwards ? here - 1 : here + 1;

    for (long long i = start; i >= 0 && i < count; i += upwards ? -1 : 1) {
        const FindPosition p = positionOf(i);
        const QString cell =
            matchFormat_ ? cells.displayText(p.row, p.column) : cells.plainText(p.row, p.column);
        if (cellMatches(cell))
            return p;
    }
    return std::nullopt;
}

} // namespace envio
