#pragma once

#include <QString>
#include <QtCore/qnamespace.h>
#include <optional>

namespace envio {

// The rows a search walks: the focused column's display texts in the grid's shown order (sorted and
// filtered), row 0 at the top.
class SearchRows {
public:
    virtual ~SearchRows() = default;
    virtual int rowCount() const = 0;
    virtual QString displayText(int row) const = 0;
};

// The first row in [from, to] (walking down when from <= to, up otherwise) whose text begins with `prefix`
// without regard to letter case.
std::optional<int> findRowStartingWith(const SearchRows& rows, const QString& prefix, int from, int to);

// Keys as the incremental search sees them.
enum class SearchKey {
    Other,
    Character,    // a printable character without Ctrl or Alt
    Backspace,    // without modifiers
    EndingKey,    // Enter, Esc or F2 without Shift, Ctrl or Alt
    CtrlF,        // Ctrl+F
    FindNext,     // Ctrl+Enter
    FindPrevious, // Ctrl+Shift+Enter
    Paste,        // Ctrl+V, Shift+Insert
};

SearchKey classifySearchKey(int key, Qt::KeyboardModifiers modifiers, const QString& text);

// What the grid does after a key.
struct SearchOutcome {
    bool consumed = false;     // the search took the key; otherwise the key has its ordinary effect
    std::optional<int> moveTo; // the row to make current
    bool openFindDialog = false;
    bool restartTimer = false; // (re)start the 1500 ms time-out; stop it when the search is no longer active
};

// Incremental search of a grid: typing jumps to the first row whose text in the focused column begins with
// what was typed. The time-out is the grid's timer: the grid restarts it when an outcome asks for it,
// stops it when the search is no longer active, and reports its expiry with timeoutExpired().
class SearchState {
public:
    static constexpr int timeoutMs = 1500;

    // A grid without incremental search only opens the find dialog on Ctrl+F.
    explicit SearchState(bool incrementalSearch = true) : enabled_(incrementalSearch) {}

    bool active() const { return active_; }
    // The text drawn in the current cell while the search is active.
    const QString& text() const { return text_; }
    bool hasTimeout() const { return hasTimeout_; }

    // Dispatches a key. For SearchKey::Character pass the typed text, for SearchKey::Paste the clipboard's.
    SearchOutcome keyPressed(SearchKey key, const QString& text, const SearchRows& rows, int currentRow);

    // The single operations behind the keys.
    SearchOutcome type(const QString& characters, const SearchRows& rows);
    SearchOutcome startWithoutTimeout();
    SearchOutcome backspace();
    SearchOutcome findNext(const SearchRows& rows, int currentRow);
    SearchOutcome findPrevious(const SearchRows& rows, int currentRow);
    void timeoutExpired() { end(); }
    void end();

private:
    SearchOutcome extend(const QString& characters, const SearchRows& rows);
    SearchOutcome step(const SearchRows& rows, int from, int to);
    SearchOutcome outcome(bool consumed) const;

    bool enabled_;
    bool active_ = false;
    bool hasTimeout_ = false;
    QString text_;
};

} // namespace envio
