#pragma once

#include "app/controlmarks.h"
#include "app/tracefile.h"
#include "link/linkui.h"

#include <QPlainTextEdit>
#include <QTextCursor>

#include <vector>

namespace tavrin {

// The exchange trace (Memo1): a read-only, unwrapped text that scrolls itself, one line
// per step of its vertical scroll bar (ScrollBox1), so that adding a line costs the same
// whatever the trace holds, and no line is ever dropped. The engine adds a byte at a
// time, faster than a screen is redrawn: appended text is collected and reaches the
// document, and so the screen, at most once per flush interval. While the last line is
// in view, new lines are brought into view as they come. Control bytes are shown as
// named marks (ControlMarks). The context menu copies, selects all and asks for the
// trace to be saved.
class ExchangeLogView : public QPlainTextEdit, public TraceLog {
    Q_OBJECT
public:
    explicit ExchangeLogView(QWidget *parent = nullptr);

    // Empties the log and forgets its exchanges.
    void clearLog();
    // Every line, the collected ones included.
    QStringList lines();
    // The whole trace as a file keeps it (TraceFileText).
    QString traceFileText();
    // Brings the newest lines into view.
    void scrollToEnd();

    int lineCount() const override { return m_lines; }
    int lastLineLength() const override { return m_lastLineLength; }
    void addLine(const QString &text) override;
    void appendToLastLine(const QString &text) override;
    void refresh() override;
    void beginExchange() override;

    // Puts the collected text into the document now.
    void flush();

    static constexpr int kFlushIntervalMs = 30;

signals:
    // "Сохранить в файл..." was chosen in the context menu.
    void saveRequested();

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void insertPending();
    void paintMarks(const QTextBlock &block, const QRectF &box, QPainter &painter);

    ControlMarks m_marks;
    QTextCursor m_end;
    QString m_pending; // text not yet in the document; "\n" starts a line
    class QTimer *m_flushTimer = nullptr;
    int m_lines = 0;
    int m_lastLineLength = 0;
    std::vector<ExchangeStart> m_exchanges;
};

} // namespace tavrin
