#pragma once

#include "ui/grid/SortState.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QPointer>

namespace envio {

// What the title row shows besides the titles: the sort markers and the filter texts of the columns.
class EventGridHeaderSource {
public:
    virtual ~EventGridHeaderSource() = default;
    virtual SortMarker sortMarker(int column) const = 0;
    // The number drawn beside the arrow; 0 for none.
    virtual int sortPosition(int column) const = 0;
    virtual QString filterText(int column) const = 0;
};

// The title row of an event grid: titles that act as buttons (resizable, movable), an up or down arrow for a
// sort marker with the column's position number beside it, and optionally the filter row under the titles.
// A filter cell is edited in place; its drop-down button asks for the filter list.
class EventGridHeader : public QHeaderView {
    Q_OBJECT
public:
    EventGridHeader(const EventGridHeaderSource& source, QWidget* parent = nullptr);

    void setFilterRowVisible(bool visible);
    bool filterRowVisible() const { return filterRowVisible_; }

    // The title part and the filter part of a column's section, in viewport coordinates.
    QRect titleRect(int column) const;
    QRect filterRect(int column) const;
    QRect filterButtonRect(int column) const;

    // Opens the in-place editor of a filter cell with the column's text.
    void editFilter(int column);
    // The open editor, if any, and its column.
    QLineEdit* filterEditor() const { return editor_; }
    int filterEditorColumn() const { return editorColumn_; }
    // Ends editing: the text typed so far is handed over (filterEdited without applying) and the editor
    // closes.
    void endFilterEdit();
    // Closes the editor without handing its text over.
    void cancelFilterEdit();

    QSize sizeHint() const override;

signals:
    // A left click on a title (not a resize, not the end of a move), with whether Ctrl was held.
    void titleClicked(int column, bool ctrlHeld);
    // A filter cell's text was entered: apply is true for Enter, false when the editor was left.
    void filterEdited(int column, const QString& text, bool apply);
    // The drop-down button of a filter cell was pressed; `at` is where the list opens (global).
    void filterListRequested(int column, const QPoint& at);

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int titleHeight() const;
    int filterHeight() const;
    void finishEdit(bool handOver, bool apply);
    void paintFilterCell(QPainter* painter, const QRect& rect, int column) const;
    void paintSortMarker(QPainter* painter, const QRect& rect, int column) const;

    const EventGridHeaderSource& source_;
    bool filterRowVisible_ = false;
    Qt::KeyboardModifiers clickModifiers_;
    QPointer<QLineEdit> editor_;
    int editorColumn_ = -1;
    bool finishing_ = false;
    bool pressInFilterRow_ = false;
};

} // namespace envio
