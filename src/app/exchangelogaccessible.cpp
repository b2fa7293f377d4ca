#include "app/exchangelogaccessible.h"

#include "app/exchangelogview.h"

#include <QAccessible>

#include <algorithm>
#include <limits>

namespace tavrin {

namespace {

// Assistive technology counts in int: a log longer than that is read up to there.
int Clamped(qint64 offset)
{
    return int(std::clamp<qint64>(offset, 0, std::numeric_limits<int>::max()));
}

TraceText::Unit UnitOf(QAccessible::TextBoundaryType boundary)
{
    switch (boundary) {
    case QAccessible::CharBoundary:
        return TraceText::Unit::Character;
    case QAccessible::WordBoundary:
        return TraceText::Unit::Word;
    case QAccessible::NoBoundary:
        return TraceText::Unit::Whole;
    case QAccessible::SentenceBoundary:
    case QAccessible::ParagraphBoundary:
    case QAccessible::LineBoundary:
        break;
    }
    return TraceText::Unit::Line; // a row is the log's sentence and paragraph too
}

QAccessibleInterface *LogInterface(const QString &className, QObject *object)
{
    if (className == QLatin1String("tavrin::ExchangeLogView") && object && object->isWidgetType())
        return new ExchangeLogAccessible(static_cast<ExchangeLogView *>(object));
    return nullptr;
}

} // namespace

ExchangeLogAccessible::ExchangeLogAccessible(ExchangeLogView *view) : QAccessibleWidget(view, QAccessible::EditableText) {}

void ExchangeLogAccessible::install()
{
    static const bool installed = [] {
        QAccessible::installFactory(LogInterface);
        return true;
    }();
    Q_UNUSED(installed);
}

ExchangeLogView *ExchangeLogAccessible::view() const
{
    return static_cast<ExchangeLogView *>(widget());
}

void *ExchangeLogAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface *>(this);
    return QAccessibleWidget::interface_cast(type);
}

QAccessible::State ExchangeLogAccessible::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    state.readOnly = true;
    state.multiLine = true;
    state.selectableText = true;
    state.focusable = true;
    return state;
}

void ExchangeLogAccessible::selection(int selectionIndex, int *startOffset, int *endOffset) const
{
    *startOffset = *endOffset = 0;
    if (selectionIndex != 0 || !view()->hasSelection())
        return;
    const qint64 anchor = view()->anchorOffset();
    const qint64 caret = view()->caretOffset();
    *startOffset = Clamped(std::min(anchor, caret));
    *endOffset = Clamped(std::max(anchor, caret));
}

int ExchangeLogAccessible::selectionCount() const
{
    return view()->hasSelection() ? 1 : 0;
}

void ExchangeLogAccessible::addSelection(int startOffset, int endOffset)
{
    setSelection(0, startOffset, endOffset); // one selection at a time, as in a text field
}

void ExchangeLogAccessible::removeSelection(int selectionIndex)
{
    if (selectionIndex == 0)
        view()->setCaretOffset(view()->caretOffset(), false);
}

void ExchangeLogAccessible::setSelection(int selectionIndex, int startOffset, int endOffset)
{
    if (selectionIndex != 0)
        return;
    view()->setCaretOffset(startOffset, false);
    view()->setCaretOffset(endOffset, true);
}

int ExchangeLogAccessible::cursorPosition() const
{
    return Clamped(view()->caretOffset());
}

void ExchangeLogAccessible::setCursorPosition(int position)
{
    view()->setCaretOffset(position, false);
}

QString ExchangeLogAccessible::text(int startOffset, int endOffset) const
{
    return view()->plainText().text(startOffset, endOffset);
}

QString ExchangeLogAccessible::textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                                int *startOffset, int *endOffset) const
{
    const auto [start, end] = view()->plainText().unitBefore(offset, UnitOf(boundaryType));
    *startOffset = Clamped(start);
    *endOffset = Clamped(end);
    return text(*startOffset, *endOffset);
}

QString ExchangeLogAccessible::textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                               int *startOffset, int *endOffset) const
{
    const auto [start, end] = view()->plainText().unitAfter(offset, UnitOf(boundaryType));
    *startOffset = Clamped(start);
    *endOffset = Clamped(end);
    return text(*startOffset, *endOffset);
}

QString ExchangeLogAccessible::textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType, int *startOffset,
                                            int *endOffset) const
{
    const auto [start, end] = view()->plainText().unitAt(offset, UnitOf(boundaryType));
    *startOffset = Clamped(start);
    *endOffset = Clamped(end);
    return text(*startOffset, *endOffset);
}

int ExchangeLogAccessible::characterCount() const
{
    return Clamped(view()->plainText().characterCount());
}

QRect ExchangeLogAccessible::characterRect(int offset) const
{
    const QRect cell = view()->characterCellAt(offset).toAlignedRect();
    return QRect(view()->viewport()->mapToGlobal(cell.topLeft()), cell.size());
}

int ExchangeLogAccessible::offsetAtPoint(const QPoint &point) const
{
    const QPoint local = view()->viewport()->mapFromGlobal(point);
    return view()->viewport()->rect().contains(local) ? Clamped(view()->offsetAt(local)) : -1;
}

void ExchangeLogAccessible::scrollToSubstring(int startIndex, int endIndex)
{
    view()->scrollToOffsets(startIndex, endIndex);
}

QString ExchangeLogAccessible::attributes(int offset, int *startOffset, int *endOffset) const
{
    // One run without attributes: the log's text is plain.
    Q_UNUSED(offset);
    *startOffset = 0;
    *endOffset = characterCount();
    return {};
}

bool LogAnnouncer::listening() const
{
    return m_listener || QAccessible::isActive();
}

void LogAnnouncer::send(QAccessibleEvent *event) const
{
    if (m_listener)
        m_listener(event);
    else
        QAccessible::updateAccessibility(event);
}

void LogAnnouncer::rowsTakenIn(QObject *view, const TraceRows &rows, const TraceText &text)
{
    if (!listening()) {
        m_known = false;
        return;
    }
    const qint64 count = text.rowCount();
    const auto remember = [&] {
        m_known = true;
        m_layoutChanges = rows.layoutChanges();
        m_rows = count;
        m_lastRowStart = count > 0 ? text.offsetOf(count - 1, 0) : 0;
        m_lastRow = count > 0 ? rows.rowText(count - 1) : QString();
    };
    if (!m_known) { // first heard: what is there is read when it is asked for
        remember();
        return;
    }
    if (m_layoutChanges != rows.layoutChanges() || count < m_rows) {
        // Redrawn in another view, or cleared: the whole text is new.
        QAccessibleTextUpdateEvent update(view, 0, QString(), text.text(0, text.characterCount()));
        send(&update);
        remember();
        return;
    }
    // What the last row shown before kept, and what follows it now.
    const QString lastRowNow = m_rows > 0 ? rows.rowText(m_rows - 1) : QString();
    qsizetype kept = 0;
    while (kept < m_lastRow.size() && kept < lastRowNow.size() && m_lastRow[kept] == lastRowNow[kept])
        ++kept;
    const qint64 from = m_lastRowStart + kept;
    const qint64 end = text.characterCount();
    if (kept == m_lastRow.size() && end == m_lastRowStart + m_lastRow.size())
        return; // nothing new
    qint64 insertFrom = from;
    if (kept < m_lastRow.size()) {
        // A row of bytes in the hexadecimal view gained bytes amid its columns: that
        // row anew, then the rows after it.
        insertFrom = std::min(end, text.offsetOf(m_rows - 1, std::numeric_limits<int>::max()));
        QAccessibleTextUpdateEvent update(view, Clamped(from), m_lastRow.mid(kept), text.text(from, insertFrom));
        send(&update);
    }
    sendInsertion(view, text, insertFrom, end);
    remember();
}

void LogAnnouncer::sendInsertion(QObject *view, const TraceText &text, qint64 from, qint64 end) const
{
    while (from < end) {
        qint64 to = std::min(end, from + kMostPerInsertion);
        if (to < end) { // cut before a row, never within one
            const qint64 rowStart = text.offsetOf(text.positionOf(to).first, 0);
            if (rowStart > from)
                to = rowStart;
        }
        QAccessibleTextInsertEvent insert(view, Clamped(from), text.text(from, to));
        send(&insert);
        from = to;
    }
}

} // namespace tavrin
