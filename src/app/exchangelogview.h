#pragma once

#include "link/linkui.h"

#include <QPlainTextEdit>
#include <QTextCursor>

class QScrollArea;

namespace tavrin {

// The exchange trace (Memo1): a read-only, unwrapped text without its own scroll bars.
// It is kept (lines + 1) line heights tall inside the scroll box, which does the
// scrolling one line per step. The engine adds a byte at a time, faster than a screen
// can be redrawn: appended text is collected and reaches the document, and so the
// screen, at most once per flush interval.
class ExchangeLogView : public QPlainTextEdit, public TraceLog {
    Q_OBJECT
public:
    explicit ExchangeLogView(QWidget *parent = nullptr);

    void setLineHeight(int pixels);
    int lineHeight() const { return m_lineHeight; }
    // The scroll box whose width the log follows (at least as wide as its viewport).
    void setScrollBox(QScrollArea *box) { m_box = box; }

    // Empties the log and makes it one line tall.
    void clearLog();
    QStringList lines() const;
    // Where the text of the last line ends, in the control's coordinates.
    qreal textBottom() const;

    int lineCount() const override { return m_lines; }
    int lastLineLength() const override;
    void addLine(const QString &text) override;
    void appendToLastLine(const QString &text) override;
    void refresh() override;

    // Sets the width for the longest line seen; called when the scroll box resizes.
    void fitWidth();
    // Puts the collected text into the document now.
    void flush();

    static constexpr int kFlushIntervalMs = 30;

private:
    void noteLastLineLength();

    QTextCursor m_end;
    QString m_pending; // text not yet in the document; "\n" starts a line
    class QTimer *m_flushTimer = nullptr;
    int m_lines = 0;
    int m_lastLineLength = 0;
    int m_lineHeight = 16;
    int m_longestLine = 0; // characters
    QScrollArea *m_box = nullptr;
};

} // namespace tavrin
