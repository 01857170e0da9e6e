#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace envio {

// The texts of the "Find text" dialog.
namespace findtext {
inline const char* const caption = "Find text";
inline const char* const findWhat = "Fi&nd What:";
inline const char* const findIn = "Find &in:";
inline const char* const allColumns = "<All>";
inline const char* const match = "Matc&h:";
inline const char* const matchAnyPart = "From any part of field";
inline const char* const matchWhole = "Whole field";
inline const char* const matchBeginning = "From beging of field";
inline const char* const search = "Sea&rch:";
inline const char* const up = "Up";
inline const char* const down = "Down";
inline const char* const all = "All";
inline const char* const matchCase = "Match &Case";
inline const char* const matchFormat = "Match F&ormat";
inline const char* const findNext = "&Find next";
inline const char* const close = "Close";
} // namespace findtext

enum class FindMatch { AnyPart, WholeField, FromBeginning };
enum class FindDirection { Up, Down, All };

// The cells a find walks: the grid's rows in shown order, its visible columns in display order.
class FindCells {
public:
    virtual ~FindCells() = default;
    virtual int rowCount() const = 0;
    virtual int columnCount() const = 0;
    virtual QString displayText(int row, int column) const = 0;
    virtual QString plainText(int row, int column) const = 0;
};

struct FindPosition {
    int row = 0;
    int column = 0;
    bool operator==(const FindPosition&) const = default;
};

// The find dialog without its widgets. One instance serves the whole process (shared()); it keeps the
// texts searched so far. Every opening presets the other fields.
class FindText {
public:
    static constexpr int everyColumn = -1;

    static FindText& shared();

    // Opening over a grid: empty text, the focused column (everyColumn for "<All>"), "From any part of
    // field", "All", "Match &Case" unticked, "Match F&ormat" ticked. The history stays.
    void open(const QStringList& columnCaptions, int focusedColumn);

    // "Find &in:" entries: the captions, then "<All>".
    QStringList findInEntries() const;
    static QStringList matchEntries();
    static QStringList directionEntries();

    const QString& text() const { return text_; }
    int column() const { return column_; }
    FindMatch match() const { return match_; }
    FindDirection direction() const { return direction_; }
    bool matchCase() const { return matchCase_; }
    bool matchFormat() const { return matchFormat_; }
    // The texts searched in this process, the latest first.
    const QStringList& history() const { return history_; }

    // Changing the text, the column or the direction makes the next "All" search start from the top again.
    void setText(const QString& text);
    void setColumn(int column);
    void setDirection(FindDirection direction);
    void setMatch(FindMatch match) { match_ = match; }
    void setMatchCase(bool on) { matchCase_ = on; }
    void setMatchFormat(bool on) { matchFormat_ = on; }

    // "&Find next" (or Enter): records the text, then looks for the next matching cell from the current
    // one. Ctrl held reverses the direction ("All" then searches upwards). Returns the cell to make current
    // (its column becomes the focused one), or std::nullopt when nothing matches: the grid stays on its row.
    std::optional<FindPosition> findNext(const FindCells& cells, FindPosition current, bool ctrlHeld);

    // Whether one cell's text matches under the current options.
    bool cellMatches(const QString& cellText) const;

private:
    void remember(const QString& text);

    QStringList captions_;
    QStringList history_;
    QString text_;
    int column_ = everyColumn;
    FindMatch match_ = FindMatch::AnyPart;
    FindDirection direction_ = FindDirection::All;
    bool matchCase_ = false;
    bool matchFormat_ = true;
    bool fromTop_ = true;
};

} // namespace envio
