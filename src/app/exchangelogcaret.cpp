// The exchange log's caret and selection: moved by the keys of a plain-text control and
// by the mouse (a double click selects a word, a third click the row), drawn while the
// log has the keyboard, and told to assistive technology.
#include "app/exchangelogaccessible.h"
#include "app/exchangelogview.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QDateTime>
#include <QKeyEvent>
#include <QScrollBar>
#include <QStyleHints>

#include <algorithm>
#include <limits>

namespace tavrin {

namespace {

// Ctrl+arrows move by words as a plain-text control does: a word is a run of letters and
// digits, or a run of punctuation and signs (the marks of control bytes among them); a
// move forward goes past one such run and the blanks after it, a move back past the
// blanks before the caret and one run.
bool Separates(QChar c)
{
    return c.isPunct() || c.isSymbol();
}

int NextWordStart(QStringView row, int column)
{
    const int length = int(row.size());
    if (column < length && Separates(row[column])) {
        while (column < length && Separates(row[column]))
            ++column;
    } else {
        while (column < length && !row[column].isSpace() && !Separates(row[column]))
            ++column;
    }
    while (column < length && row[column].isSpace())
        ++column;
    return column;
}

int PreviousWordStart(QStringView row, int column)
{
    while (column > 0 && row[column - 1].isSpace())
        --column;
    if (column > 0 && Separates(row[column - 1])) {
        while (column > 0 && Separates(row[column - 1]))
            --column;
    } else {
        while (column > 0 && !row[column - 1].isSpace() && !Separates(row[column - 1]))
            --column;
    }
    return column;
}

} // namespace

bool ExchangeLogView::hasSelection() const
{
    return !(m_anchor == m_cursor);
}

void ExchangeLogView::select(qint64 fromRow, int fromColumn, qint64 toRow, int toColumn)
{
    m_anchor = {fromRow, fromColumn};
    m_cursor = {toRow, toColumn};
    viewport()->update();
    announceCaret();
}

void ExchangeLogView::selectAll()
{
    flush();
    if (m_shownRows > 0)
        select(0, 0, m_shownRows - 1, std::numeric_limits<int>::max());
}

QString ExchangeLogView::selectedText() const
{
    if (!hasSelection())
        return {};
    const Position first = std::min(m_anchor, m_cursor);
    const Position last = std::max(m_anchor, m_cursor);
    QStringList rows;
    for (qint64 row = first.row; row <= last.row && row < m_shownRows; ++row) {
        const QString text = m_rows.rowText(row);
        const int from = row == first.row ? std::min(first.column, int(text.size())) : 0;
        const int to = row == last.row ? std::min(last.column, int(text.size())) : int(text.size());
        rows << text.mid(from, to - from);
    }
    return rows.join(u'\n');
}

void ExchangeLogView::copy() const
{
    if (hasSelection())
        QApplication::clipboard()->setText(selectedText());
}

qint64 ExchangeLogView::caretOffset() const
{
    return m_text.offsetOf(m_cursor.row, m_cursor.column);
}

qint64 ExchangeLogView::anchorOffset() const
{
    return m_text.offsetOf(m_anchor.row, m_anchor.column);
}

void ExchangeLogView::setCaretOffset(qint64 offset, bool keepAnchor)
{
    flush();
    const auto [row, column] = m_text.positionOf(offset);
    moveCaret({row, column}, keepAnchor);
}

bool ExchangeLogView::caretTarget(QKeyEvent *event, Position *to, bool *select) const
{
    if (m_shownRows == 0)
        return false;
    const auto rowLength = [this](qint64 row) { return m_rows.rowLength(row); };
    // The caret stays in its column across shorter rows, as in a text field; a move
    // along the row starts from where it is drawn.
    const Position at{m_cursor.row, std::min(m_cursor.column, rowLength(m_cursor.row))};
    const qint64 last = m_shownRows - 1;
    const qint64 page = std::max(1, visibleRowCount() - 1);
    // By words along the row; at its end or its start, on to the next or previous row.
    const QString row = m_rows.rowText(at.row);
    const Position nextWord = at.column < rowLength(at.row) ? Position{at.row, NextWordStart(row, at.column)}
                              : at.row < last               ? Position{at.row + 1, 0}
                                                            : at;
    const Position previousWord = at.column > 0 ? Position{at.row, PreviousWordStart(row, at.column)}
                                  : at.row > 0  ? Position{at.row - 1, rowLength(at.row - 1)}
                                                : at;
    using Key = QKeySequence::StandardKey;
    const struct {
        Key move;
        Key extend;
        Position target;
    } moves[] = {
        {Key::MoveToNextChar, Key::SelectNextChar,
         at.column < rowLength(at.row) ? Position{at.row, at.column + 1} : at.row < last ? Position{at.row + 1, 0} : at},
        {Key::MoveToPreviousChar, Key::SelectPreviousChar,
         at.column > 0 ? Position{at.row, at.column - 1} : at.row > 0 ? Position{at.row - 1, rowLength(at.row - 1)} : at},
        {Key::MoveToNextWord, Key::SelectNextWord, nextWord},
        {Key::MoveToPreviousWord, Key::SelectPreviousWord, previousWord},
        {Key::MoveToNextLine, Key::SelectNextLine, {std::min(last, m_cursor.row + 1), m_cursor.column}},
        {Key::MoveToPreviousLine, Key::SelectPreviousLine, {std::max<qint64>(0, m_cursor.row - 1), m_cursor.column}},
        {Key::MoveToNextPage, Key::SelectNextPage, {std::min(last, m_cursor.row + page), m_cursor.column}},
        {Key::MoveToPreviousPage, Key::SelectPreviousPage, {std::max<qint64>(0, m_cursor.row - page), m_cursor.column}},
        {Key::MoveToStartOfLine, Key::SelectStartOfLine, {at.row, 0}},
        {Key::MoveToEndOfLine, Key::SelectEndOfLine, {at.row, rowLength(at.row)}},
        {Key::MoveToStartOfDocument, Key::SelectStartOfDocument, {0, 0}},
        {Key::MoveToEndOfDocument, Key::SelectEndOfDocument, {last, rowLength(last)}},
    };
    for (const auto &move : moves) {
        if (event->matches(move.move) || event->matches(move.extend)) {
            *to = move.target;
            *select = event->matches(move.extend);
            return true;
        }
    }
    return false;
}

void ExchangeLogView::moveCaret(const Position &to, bool select)
{
    m_cursor = to;
    if (!select)
        m_anchor = to;
    bringIntoView(to.row, std::min(to.column, m_shownRows > 0 ? m_rows.rowLength(to.row) : 0));
    viewport()->update();
    announceCaret();
}

void ExchangeLogView::announceCaret()
{
    if (!QAccessible::isActive())
        return;
    QAccessibleTextCursorEvent caret(this, int(std::min<qint64>(caretOffset(), std::numeric_limits<int>::max())));
    QAccessible::updateAccessibility(&caret);
    const qint64 anchor = anchorOffset();
    const qint64 cursor = caretOffset();
    QAccessibleTextSelectionEvent selection(this, int(std::min(anchor, cursor)), int(std::max(anchor, cursor)));
    QAccessible::updateAccessibility(&selection);
}

void ExchangeLogView::keyPressEvent(QKeyEvent *event)
{
    Position to;
    bool select = false;
    if (event->matches(QKeySequence::Copy)) {
        copy();
    } else if (event->matches(QKeySequence::SelectAll)) {
        selectAll();
    } else if (flush(), caretTarget(event, &to, &select)) {
        moveCaret(to, select);
    } else {
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    event->accept();
}

void ExchangeLogView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    flush();
    const Position at = positionAt(event->position().toPoint());
    const bool thirdClick = m_doubleClickAt >= 0
                            && QDateTime::currentMSecsSinceEpoch() - m_doubleClickAt
                                   < QGuiApplication::styleHints()->mouseDoubleClickInterval();
    m_doubleClickAt = -1;
    if (thirdClick) {
        select(at.row, 0, at.row, m_rows.rowLength(at.row));
        return;
    }
    if (!event->modifiers().testFlag(Qt::ShiftModifier))
        m_anchor = at;
    m_cursor = at;
    viewport()->update();
    announceCaret();
}

void ExchangeLogView::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || m_shownRows == 0) {
        QAbstractScrollArea::mouseDoubleClickEvent(event);
        return;
    }
    const Position at = positionAt(event->position().toPoint());
    const auto [start, end] = m_text.unitAt(m_text.offsetOf(at.row, at.column), TraceText::Unit::Word);
    const auto [fromRow, fromColumn] = m_text.positionOf(start);
    const auto [toRow, toColumn] = m_text.positionOf(end);
    select(fromRow, fromColumn, toRow, toColumn);
    m_doubleClickAt = QDateTime::currentMSecsSinceEpoch();
}

void ExchangeLogView::mouseMoveEvent(QMouseEvent *event)
{
    if (!event->buttons().testFlag(Qt::LeftButton))
        return;
    const QPoint point = event->position().toPoint();
    // Dragged past the top or the bottom, the rows scroll under the pointer.
    if (point.y() < 0)
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    else if (point.y() > viewport()->height())
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    m_cursor = positionAt(point);
    viewport()->update();
    announceCaret();
}

void ExchangeLogView::focusInEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
}

void ExchangeLogView::focusOutEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}

} // namespace tavrin
