#pragma once

#include <QAccessibleTextInterface>
#include <QAccessibleWidget>
#include <QString>

#include <functional>

namespace tavrin {

class ExchangeLogView;
class TraceRows;
class TraceText;

// The exchange log as assistive technology sees it: a read-only multi-line text whose
// text is the rows as the view shows them (text or hexadecimal view), with the caret,
// the selection, the character, word and line around an offset and where each
// character is on the screen. Offsets are those of TraceText.
class ExchangeLogAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit ExchangeLogAccessible(ExchangeLogView *view);

    // Makes the log's interface the one assistive technology gets for every log view.
    static void install();

    void *interface_cast(QAccessible::InterfaceType type) override;
    QAccessible::State state() const override;

    void selection(int selectionIndex, int *startOffset, int *endOffset) const override;
    int selectionCount() const override;
    void addSelection(int startOffset, int endOffset) override;
    void removeSelection(int selectionIndex) override;
    void setSelection(int selectionIndex, int startOffset, int endOffset) override;
    int cursorPosition() const override;
    void setCursorPosition(int position) override;
    QString text(int startOffset, int endOffset) const override;
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType, int *startOffset,
                             int *endOffset) const override;
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType, int *startOffset,
                            int *endOffset) const override;
    QString textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType, int *startOffset,
                         int *endOffset) const override;
    int characterCount() const override;
    QRect characterRect(int offset) const override;
    int offsetAtPoint(const QPoint &point) const override;
    void scrollToSubstring(int startIndex, int endIndex) override;
    QString attributes(int offset, int *startOffset, int *endOffset) const override;

private:
    ExchangeLogView *view() const;
};

// Tells assistive technology, once per flush of the view, what the flush changed: the
// rows added (and what the last row gained) as one insertion, a changed last row or a
// redrawn log as an update. Nothing is kept or sent while no assistive technology
// listens.
//
// A flush that takes in a great many rows at once (a long trace traced in one go) is
// told as consecutive insertions of whole rows, each of at most kMostPerInsertion
// characters: an insertion's text is copied into the event and again into the
// bridge's message, and one for the whole flush would hold megabytes for a moment
// that the allocator then keeps. A reader that follows the log joins them as one.
class LogAnnouncer {
public:
    using Listener = std::function<void(QAccessibleEvent *)>;

    static constexpr qint64 kMostPerInsertion = 16 * 1024;

    void rowsTakenIn(QObject *view, const TraceRows &rows, const TraceText &text);
    // Hears the events instead of assistive technology, listening or not (the tests).
    void setListener(Listener listener) { m_listener = std::move(listener); }

private:
    bool listening() const;
    void send(QAccessibleEvent *event) const;
    // Tells of the text from `from` to `end` as inserted, in pieces of whole rows.
    void sendInsertion(QObject *view, const TraceText &text, qint64 from, qint64 end) const;

    Listener m_listener;
    bool m_known = false;
    int m_layoutChanges = 0;
    qint64 m_rows = 0;
    qint64 m_lastRowStart = 0;
    QString m_lastRow;
};

} // namespace tavrin
