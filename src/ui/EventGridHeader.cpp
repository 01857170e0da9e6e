#include "ui/EventGridHeader.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionButton>
#include <QStyleOptionHeader>

namespace envio {

namespace {

constexpr int markerWidth = 12;
constexpr int buttonWidth = 15;

// The drop-down button takes at most half of a narrow filter cell.
int buttonWidthIn(const QRect& cell) {
    return std::min(buttonWidth, cell.width() / 2);
}

} // namespace

EventGridHeader::EventGridHeader(const EventGridHeaderSource& source, QWidget* parent)
    : QHeaderView(Qt::Horizontal, parent), source_(source) {
    setSectionsClickable(true);
    setSectionsMovable(true);
    setHighlightSections(false);
    setSectionResizeMode(QHeaderView::Interactive);
    setStretchLastSection(false);
    // Narrow columns such as a one-letter code keep the width they are given.
    setMinimumSectionSize(8);
    setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setFocusPolicy(Qt::NoFocus);

    connect(this, &QHeaderView::sectionClicked, this,
            [this](int column) { emit titleClicked(column, clickModifiers_.testFlag(Qt::ControlModifier)); });
    // The editor sits over one cell: when the cells move, editing ends.
    connect(this, &QHeaderView::sectionResized, this, [this] { endFilterEdit(); });
    connect(this, &QHeaderView::sectionMoved, this, [this] { endFilterEdit(); });
    connect(this, &QHeaderView::geometriesChanged, this, [this] { endFilterEdit(); });
}

int EventGridHeader::titleHeight() const {
    return QHeaderView::sizeHint().height();
}

int EventGridHeader::filterHeight() const {
    return fontMetrics().height() + 6;
}

QSize EventGridHeader::sizeHint() const {
    QSize size = QHeaderView::sizeHint();
    if (filterRowVisible_)
        size.setHeight(size.height() + filterHeight());
    return size;
}

void EventGridHeader::setFilterRowVisible(bool visible) {
    if (visible == filterRowVisible_)
        return;
    if (!visible)
        endFilterEdit();
    filterRowVisible_ = visible;
    updateGeometry();
    viewport()->update();
}

QRect EventGridHeader::titleRect(int column) const {
    return QRect(sectionViewportPosition(column), 0, sectionSize(column), titleHeight());
}

QRect EventGridHeader::filterRect(int column) const {
    if (!filterRowVisible_)
        return {};
    return QRect(sectionViewportPosition(column), titleHeight(), sectionSize(column), filterHeight());
}

QRect EventGridHeader::filterButtonRect(int column) const {
    const QRect cell = filterRect(column);
    if (cell.isEmpty())
        return {};
    const int width = buttonWidthIn(cell);
    return QRect(cell.right() - width + 1, cell.top() + 1, width - 1, cell.height() - 2);
}

// ---- painting ---------------------------------------------------------------------------------------------

void EventGridHeader::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const {
    if (!rect.isValid())
        return;
    const QRect title(rect.left(), rect.top(), rect.width(), titleHeight());

    QStyleOptionHeader option;
    initStyleOption(&option);
    option.rect = title;
    option.section = logicalIndex;
    option.text = model() ? model()->headerData(logicalIndex, orientation()).toString() : QString();
    option.textAlignment = Qt::AlignLeft | Qt::AlignVCenter;
    option.sortIndicator = QStyleOptionHeader::None;
    painter->save();
    style()->drawControl(QStyle::CE_HeaderSection, &option, painter, this);
    QStyleOptionHeader label = option;
    const SortMarker marker = source_.sortMarker(logicalIndex);
    const int position = source_.sortPosition(logicalIndex);
    int reserved = marker == SortMarker::None ? 0 : markerWidth;
    if (position > 0)
        reserved += fontMetrics().horizontalAdvance(QString::number(position)) + 2;
    label.rect = title.adjusted(2, 0, -(reserved + 1), 0);
    style()->drawControl(QStyle::CE_HeaderLabel, &label, painter, this);
    painter->restore();

    if (marker != SortMarker::None)
        paintSortMarker(painter, title, logicalIndex);
    if (filterRowVisible_)
        paintFilterCell(painter, QRect(rect.left(), title.bottom() + 1, rect.width(), filterHeight()),
                        logicalIndex);
}

void EventGridHeader::paintSortMarker(QPainter* painter, const QRect& title, int column) const {
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, true);
    const QColor ink = palette().color(QPalette::ButtonText);
    const int right = title.right() - 3;
    const int centreY = title.center().y();
    const QRect arrow(right - 7, centreY - 3, 7, 6);
    QPolygon triangle;
    if (source_.sortMarker(column) == SortMarker::Ascending)
        triangle << QPoint(arrow.left(), arrow.bottom()) << QPoint(arrow.right(), arrow.bottom())
                 << QPoint(arrow.center().x(), arrow.top());
    else
        triangle << QPoint(arrow.left(), arrow.top()) << QPoint(arrow.right(), arrow.top())
                 << QPoint(arrow.center().x(), arrow.bottom());
    painter->setPen(Qt::NoPen);
    painter->setBrush(ink);
    painter->drawPolygon(triangle);
    if (const int position = source_.sortPosition(column); position > 0) {
        const QString number = QString::number(position);
        const int width = fontMetrics().horizontalAdvance(number);
        painter->setPen(ink);
        painter->drawText(QRect(arrow.left() - width - 2, title.top(), width, title.height()),
                          Qt::AlignRight | Qt::AlignVCenter, number);
    }
    painter->restore();
}

void EventGridHeader::paintFilterCell(QPainter* painter, const QRect& cell, int column) const {
    painter->save();
    painter->fillRect(cell, palette().color(QPalette::Base));
    painter->setPen(palette().color(QPalette::Mid));
    painter->drawLine(cell.bottomLeft(), cell.bottomRight());
    painter->drawLine(cell.topRight(), cell.bottomRight());

    const int width = buttonWidthIn(cell);
    const QRect button(cell.right() - width + 1, cell.top() + 1, width - 1, cell.height() - 2);
    const QRect text = cell.adjusted(2, 0, -(width + 2), 0);
    painter->setPen(palette().color(QPalette::Text));
    painter->drawText(text, Qt::AlignLeft | Qt::AlignVCenter,
                      fontMetrics().elidedText(source_.filterText(column), Qt::ElideRight, text.width()));

    QStyleOptionButton face;
    face.initFrom(this);
    face.rect = button;
    face.state |= QStyle::State_Raised;
    style()->drawPrimitive(QStyle::PE_PanelButtonTool, &face, painter, this);
    QStyleOption arrow;
    arrow.initFrom(this);
    arrow.rect = button.adjusted(3, 3, -3, -3);
    style()->drawPrimitive(QStyle::PE_IndicatorArrowDown, &arrow, painter, this);
    painter->restore();
}

// ---- mouse ------------------------------------------------------------------------------------------------

void EventGridHeader::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    pressInFilterRow_ = filterRowVisible_ && at.y() >= titleHeight();
    if (pressInFilterRow_) {
        event->accept();
        const int column = logicalIndexAt(at.x());
        if (column < 0 || event->button() != Qt::LeftButton)
            return;
        if (filterButtonRect(column).contains(at)) {
            endFilterEdit();
            emit filterListRequested(column, mapToGlobal(filterButtonRect(column).bottomLeft()));
        } else {
            editFilter(column);
        }
        return;
    }
    clickModifiers_ = event->modifiers();
    QHeaderView::mousePressEvent(event);
}

void EventGridHeader::mouseReleaseEvent(QMouseEvent* event) {
    if (pressInFilterRow_) {
        pressInFilterRow_ = false;
        event->accept();
        return;
    }
    // Ctrl may have been pressed or released between the press and the release: the release counts.
    clickModifiers_ = event->modifiers();
    QHeaderView::mouseReleaseEvent(event);
}

void EventGridHeader::mouseDoubleClickEvent(QMouseEvent* event) {
    if (filterRowVisible_ && event->position().toPoint().y() >= titleHeight()) {
        event->accept();
        return;
    }
    QHeaderView::mouseDoubleClickEvent(event);
}

// ---- filter cell editor -----------------------------------------------------------------------------------

void EventGridHeader::editFilter(int column) {
    if (!filterRowVisible_ || column < 0 || column >= count() || isSectionHidden(column))
        return;
    if (editor_)
        endFilterEdit();
    const QRect cell = filterRect(column);
    auto* editor = new QLineEdit(viewport());
    editor->setFrame(false);
    editor->setText(source_.filterText(column));
    editor->setGeometry(cell.adjusted(0, 0, -buttonWidthIn(cell), -1));
    editor->installEventFilter(this);
    editor_ = editor;
    editorColumn_ = column;
    editor->show();
    editor->setFocus(Qt::MouseFocusReason);
    editor->selectAll();
}

void EventGridHeader::endFilterEdit() {
    finishEdit(true, false);
}

void EventGridHeader::cancelFilterEdit() {
    finishEdit(false, false);
}

void EventGridHeader::finishEdit(bool handOver, bool apply) {
    if (!editor_ || finishing_)
        return;
    finishing_ = true;
    QLineEdit* editor = editor_;
    const int column = editorColumn_;
    const QString text = editor->text();
    const bool hadFocus = editor->hasFocus();
    editor_ = nullptr;
    editorColumn_ = -1;
    editor->removeEventFilter(this);
    editor->hide();
    editor->deleteLater();
    // Back to the grid when the editor was left by a key of its own.
    if (hadFocus && parentWidget())
        parentWidget()->setFocus(Qt::OtherFocusReason);
    finishing_ = false;
    viewport()->update();
    if (handOver)
        emit filterEdited(column, text, apply);
}

bool EventGridHeader::eventFilter(QObject* watched, QEvent* event) {
    if (watched == editor_) {
        if (event->type() == QEvent::KeyPress) {
            auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
                finishEdit(true, true);
                return true;
            }
            if (key->key() == Qt::Key_Escape) {
                cancelFilterEdit();
                return true;
            }
        } else if (event->type() == QEvent::FocusOut) {
            const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
            // A popup of the editor or another window taking over does not end editing.
            if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason) {
                // Ended once the focus has arrived elsewhere, and only if this editor is still the open one.
                const QPointer<QLineEdit> left = editor_;
                QMetaObject::invokeMethod(
                    this,
                    [this, left] {
                        if (left && left == editor_)
                            endFilterEdit();
                    },
                    Qt::QueuedConnection);
            }
        }
    }
    return QHeaderView::eventFilter(watched, event);
}

} // namespace envio
