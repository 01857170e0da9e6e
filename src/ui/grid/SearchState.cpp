#include "ui/grid/SearchState.h"

namespace envio {

std::optional<int> findRowStartingWith(const SearchRows& rows, const QString& prefix, int from, int to) {
    const int last = rows.rowCount() - 1;
    const int step = from <= to ? 1 : -1;
    for (int row = from; step > 0 ? row <= to : row >= to; row += step)
        if (row >= 0 && row <= last && rows.displayText(row).startsWith(prefix, Qt::CaseInsensitive))
            return row;
    return std::nullopt;
}

SearchKey classifySearchKey(int key, Qt::KeyboardModifiers modifiers, const QString& text) {
    const bool ctrl = modifiers.testFlag(Qt::ControlModifier);
    const bool shift = modifiers.testFlag(Qt::ShiftModifier);
    const bool alt = modifiers.testFlag(Qt::AltModifier);
    const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
    if (enter && ctrl && !alt)
        return shift ? SearchKey::FindPrevious : SearchKey::FindNext;
    if ((enter || key == Qt::Key_Escape || key == Qt::Key_F2) && !ctrl && !shift && !alt)
        return SearchKey::EndingKey;
    if (key == Qt::Key_F && ctrl && !shift && !alt)
        return SearchKey::CtrlF;
    if ((key == Qt::Key_V && ctrl && !shift && !alt) || (key == Qt::Key_Insert && shift && !ctrl && !alt))
        return SearchKey::Paste;
    if (key == Qt::Key_Backspace && !ctrl && !shift && !alt)
        return SearchKey::Backspace;
    if (!text.isEmpty() && !ctrl && !alt && text.front().isPrint())
        return SearchKey::Character;
    return SearchKey::Other;
}

SearchOutcome SearchState::outcome(bool consumed) const {
    SearchOutcome o;
    o.consumed = consumed;
    o.restartTimer = active_ && hasTimeout_;
    return o;
}

void SearchState::end() {
    active_ = false;
    hasTimeout_ = false;
    text_.clear();
}

SearchOutcome SearchState::type(const QString& characters, const SearchRows& rows) {
    if (!active_) {
        active_ = true;
        hasTimeout_ = true;
        text_.clear();
    }
    return extend(characters, rows);
}

SearchOutcome SearchState::startWithoutTimeout() {
    active_ = true;
    hasTimeout_ = false;
    text_.clear();
    return outcome(true);
}

SearchOutcome SearchState::extend(const QString& characters, const SearchRows& rows) {
    SearchOutcome o = outcome(true);
    const QString candidate = text_ + characters;
    if (const std::optional<int> row = findRowStartingWith(rows, candidate, 0, rows.rowCount() - 1)) {
        // The search text takes the letter case of the cell it found.
        text_ = rows.displayText(*row).left(candidate.size());
        o.moveTo = row;
    }
    return o;
}

SearchOutcome SearchState::backspace() {
    if (!text_.isEmpty()) {
        const qsizetype n = text_.size();
        const bool pair = n >= 2 && text_.at(n - 1).isLowSurrogate() && text_.at(n - 2).isHighSurrogate();
        text_.chop(pair ? 2 : 1);
    }
    return outcome(true);
}

SearchOutcome SearchState::step(const SearchRows& rows, int from, int to) {
    SearchOutcome o = outcome(true);
    if (const std::optional<int> row = findRowStartingWith(rows, text_, from, to)) {
        text_ = rows.displayText(*row).left(text_.size());
        o.moveTo = row;
    }
    return o;
}

SearchOutcome SearchState::findNext(const SearchRows& rows, int currentRow) {
    if (currentRow + 1 > rows.rowCount() - 1)
        return outcome(true);
    return step(rows, currentRow + 1, rows.rowCount() - 1);
}

SearchOutcome SearchState::findPrevious(const SearchRows& rows, int currentRow) {
    if (currentRow - 1 < 0)
        return outcome(true);
    return step(rows, currentRow - 1, 0);
}

SearchOutcome SearchState::keyPressed(SearchKey key, const QString& text, const SearchRows& rows,
                                      int currentRow) {
    if (key == SearchKey::CtrlF) {
        if (!enabled_) {
            SearchOutcome o;
            o.consumed = true;
            o.openFindDialog = true;
            return o;
        }
        if (!active_)
            return startWithoutTimeout();
        end();
        SearchOutcome o = outcome(true);
        o.openFindDialog = true;
        return o;
    }
    if (!enabled_)
        return {};
    if (key == SearchKey::Character)
        return type(text, rows);
    if (!active_)
        return {};
    switch (key) {
    case SearchKey::Backspace:
        return backspace();
    case SearchKey::EndingKey:
        // The key then takes its ordinary effect too.
        end();
        return outcome(false);
    case SearchKey::FindNext:
        return findNext(rows, currentRow);
    case SearchKey::FindPrevious:
        return findPrevious(rows, currentRow);
    case SearchKey::Paste:
        return extend(text, rows);
    default:
        // Any other keystroke also restarts the time-out.
        return outcome(false);
    }
}

} // namespace envio
