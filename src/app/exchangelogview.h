#pragma once

#include "app/controlmarks.h"
#include "tracelog/tracerows.h"
#include "tracelog/tracestore.h"
#include "tracelog/tracetext.h"
#include "link/linkui.h"

#include <QAbstractScrollArea>

#include <memory>
#include <optional>
#include <vector>

namespace tavrin {

class LogAnnouncer;
class LogFindBar;

// The exchange trace (Memo1): the bytes of each exchange with their direction and time
// kept in a store of its own (TraceStore), shown as read-only, unwrapped rows that the
// view draws only where they are in sight, so that a row costs the same to add and to
// draw whatever the log holds, and no row is ever dropped. One step of the vertical
// scroll bar (ScrollBox1) is one row.
//
// The default view shows each byte as its character, control bytes as named marks
// (ControlMarks). The context menu switches to the hexadecimal view (offset, bytes and
// their text, 16 a row, each part's direction marked) and puts a local time before
// each command and reply; both redraw the whole log from the stored bytes. The engine
// adds a byte at a time, faster than a screen is redrawn: the rows reach the screen at
// most once per flush interval; while the last row is in view, new rows are brought
// into view as they come. Rows are selected with the mouse and copied; Ctrl+F opens a
// find bar under the rows.
//
// As in a plain-text control, the log has a caret, drawn while it has the keyboard
// (with a frame around the rows): the arrows, Ctrl+Left/Right (by words), Home/End,
// Ctrl+Home/End and PgUp/PgDn move it, with Shift they select; a double click selects a word, a triple click a row.
// Assistive technology reads the rows as one text (TraceText) through the log's
// accessible interface (ExchangeLogAccessible), which each flush tells of the rows it
// brought.
class ExchangeLogView : public QAbstractScrollArea, public TraceLog {
    Q_OBJECT
public:
    explicit ExchangeLogView(QWidget *parent = nullptr);
    ~ExchangeLogView() override;

    // Empties the log and forgets its exchanges.
    void clearLog();
    // Every row as the view shows it, those not yet drawn included.
    QStringList lines();
    // The whole trace as a file keeps it (TraceFileText), in the view shown.
    QString traceFileText();
    // Brings the newest rows into view.
    void scrollToEnd();

    int lineCount() const override { return m_store.lineCount(); }
    int lastLineLength() const override { return m_store.lastLineLength(); }
    void addLine(const QString &text) override;
    void appendToLastLine(const QString &text) override;
    void refresh() override;
    void beginExchange() override;
    void traceBytes(const char *bytes, int count, TraceDirection direction) override;

    // Puts the rows added since into the view now.
    void flush();

    static constexpr int kFlushIntervalMs = 30;

    TraceViewOptions viewOptions() const { return m_rows.options(); }
    // Redraws the whole log in the view given, from the stored bytes.
    void setViewOptions(const TraceViewOptions &options);

    // The rows the view shows (taken in by the last flush) and the first one in sight.
    qint64 rowCount() const { return m_shownRows; }
    qint64 firstVisibleRow() const;
    // Where the character at column of row is drawn, in viewport coordinates.
    QRectF characterCell(qint64 row, int column) const;

    bool hasSelection() const;
    QString selectedText() const;
    // The rows as one text (line feeds between rows), as assistive technology reads it.
    const TraceText &plainText() const { return m_text; }
    // The caret and the selection as offsets in that text; the selection's end is the
    // caret, its start the anchor.
    qint64 caretOffset() const;
    qint64 anchorOffset() const;
    // Puts the caret at offset; keepAnchor extends the selection to it.
    void setCaretOffset(qint64 offset, bool keepAnchor);
    // Where the character at offset is drawn, in viewport coordinates; the offset under
    // a viewport point.
    QRectF characterCellAt(qint64 offset) const;
    qint64 offsetAt(const QPoint &point) const;
    // Brings the text between the offsets into view.
    void scrollToOffsets(qint64 start, qint64 end);
    // What tells assistive technology of the rows each flush brings.
    LogAnnouncer &announcer() { return *m_announcer; }
    // Selects the columns from `from` to `to` (not included) of the rows between.
    void select(qint64 fromRow, int fromColumn, qint64 toRow, int toColumn);
    void selectAll();
    void copy() const;

    // Opens the find bar with the keyboard in it (Ctrl+F).
    void openFind();
    // Finds text (or, in the hexadecimal view, bytes written in hexadecimal) after or
    // before the last place found, as the find bar's buttons do; brings it into view.
    bool find(const QString &what, bool backward);
    TraceMatch currentMatch() const { return m_match; }

signals:
    // "Сохранить в файл..." was chosen in the context menu.
    void saveRequested();
    // The user switched a view item of the context menu.
    void viewOptionsChosen(const TraceViewOptions &options);

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void changeEvent(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    static constexpr int kMargin = 2; // pixels around the rows, as a text document keeps them

    struct Position {
        qint64 row = 0;
        int column = 0;
        bool operator<(const Position &other) const
        {
            return row != other.row ? row < other.row : column < other.column;
        }
        bool operator==(const Position &) const = default;
    };
    // Where each character of a row starts, and where the last one ends.
    std::vector<qreal> characterEdges(const QString &text) const;
    Position positionAt(const QPoint &point) const;
    // The caret's moves: the place a key takes it to, and putting it there.
    bool caretTarget(QKeyEvent *event, Position *to, bool *select) const;
    void moveCaret(const Position &to, bool select);
    // Tells assistive technology where the caret and the selection are now.
    void announceCaret();
    // The caret and the frame that show the log has the keyboard.
    void paintFocus(QPainter &painter);
    // The font's measures the rows are laid out by: a digit's width (the hexadecimal
    // view's grid) and a row's height, taken when first needed.
    qreal charWidth() const;
    int rowHeight() const;
    int visibleRowCount() const;
    qreal rowTop(qint64 row) const;
    void updateScrollRanges();
    // The find bar, made when the log is first shown or searched.
    LogFindBar &findBar();
    QString findText() const;
    void layOutFindBar();
    void closeFind();
    void onFindEdited();
    void chooseViewOption(bool hex, bool checked);
    void bringIntoView(qint64 row, int column);
    // Column ranges of text drawn highlighted in row: the selection and the place found.
    void highlightedRanges(qint64 row, const QString &text, std::vector<std::pair<int, int>> *selected,
                           std::vector<std::pair<int, int>> *found) const;
    void paintRow(QPainter &painter, qint64 row, qreal top);

    TraceStore m_store;
    TraceRows m_rows{m_store};
    ControlMarks m_marks;
    class QTimer *m_flushTimer = nullptr;
    qint64 m_shownRows = 0;
    // Measured on first use, not when made: the log is hidden at start, and measuring a
    // fixed-pitch font loads it and looks up the fonts it falls back on.
    struct Measures {
        qreal charWidth = 0;
        int rowHeight = 0;
    };
    mutable std::optional<Measures> m_measures;
    qreal m_widestSeen = 0;
    TraceText m_text{m_rows};
    std::unique_ptr<LogAnnouncer> m_announcer;
    Position m_anchor;
    Position m_cursor;
    qint64 m_doubleClickAt = -1; // when a double click selected a word: a third click selects the row
    LogFindBar *m_findBar = nullptr;
    TraceMatch m_match;
};

} // namespace tavrin
