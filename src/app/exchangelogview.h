#pragma once

#include "app/controlmarks.h"
#include "tracelog/tracerows.h"
#include "tracelog/tracestore.h"
#include "link/linkui.h"

#include <QAbstractScrollArea>

#include <vector>

namespace tavrin {

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
    LogFindBar *findBar() const { return m_findBar; }

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
    void keyPressEvent(QKeyEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
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
    int visibleRowCount() const;
    qreal rowTop(qint64 row) const;
    void updateScrollRanges();
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
    qreal m_charWidth = 0;
    int m_rowHeight = 0;
    qreal m_widestSeen = 0;
    Position m_anchor;
    Position m_cursor;
    bool m_selecting = false;
    LogFindBar *m_findBar = nullptr;
    TraceMatch m_match;
};

} // namespace tavrin
