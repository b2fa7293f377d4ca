#include "app/exchangelogview.h"

#include <QFontDatabase>
#include <QScrollArea>
#include <QScrollBar>
#include <QTextBlock>
#include <QTimer>

#include <algorithm>

namespace tavrin {

ExchangeLogView::ExchangeLogView(QWidget *parent) : QPlainTextEdit(parent), m_end(document())
{
    // Byte traces line up column by column in a fixed-pitch font.
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    setReadOnly(true);
    setUndoRedoEnabled(false);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setFrameShape(QFrame::NoFrame);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    document()->setDocumentMargin(2);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_flushTimer = new QTimer(this);
    m_flushTimer->setSingleShot(true);
    m_flushTimer->setInterval(kFlushIntervalMs);
    connect(m_flushTimer, &QTimer::timeout, this, &ExchangeLogView::flush);
}

void ExchangeLogView::setLineHeight(int pixels)
{
    m_lineHeight = std::max(pixels, 1);
    refresh();
}

void ExchangeLogView::clearLog()
{
    m_flushTimer->stop();
    m_pending.clear();
    clear();
    m_end = QTextCursor(document());
    m_lines = 0;
    m_lastLineLength = 0;
    m_longestLine = 0;
    refresh();
    fitWidth();
}

QStringList ExchangeLogView::lines() const
{
    if (m_lines == 0)
        return {};
    return (toPlainText() + m_pending).split(QLatin1Char('\n'));
}

qreal ExchangeLogView::textBottom() const
{
    const_cast<ExchangeLogView *>(this)->flush();
    return blockBoundingGeometry(document()->lastBlock()).translated(contentOffset()).bottom()
           + frameWidth();
}

int ExchangeLogView::lastLineLength() const
{
    return m_lastLineLength;
}

void ExchangeLogView::addLine(const QString &text)
{
    if (m_lines > 0)
        m_pending.append(QLatin1Char('\n'));
    m_pending.append(text);
    ++m_lines;
    m_lastLineLength = int(text.size());
    noteLastLineLength();
}

void ExchangeLogView::appendToLastLine(const QString &text)
{
    if (m_lines == 0) {
        addLine(text);
        return;
    }
    m_pending.append(text);
    m_lastLineLength += int(text.size());
    noteLastLineLength();
}

void ExchangeLogView::noteLastLineLength()
{
    if (m_lastLineLength > m_longestLine) {
        m_longestLine = m_lastLineLength;
        fitWidth();
    }
}

void ExchangeLogView::flush()
{
    m_flushTimer->stop();
    if (m_pending.isEmpty())
        return;
    m_end.movePosition(QTextCursor::End);
    m_end.insertText(m_pending); // "\n" becomes a new block: a new line
    m_pending.clear();
}

void ExchangeLogView::refresh()
{
    const int height = (m_lines + 1) * m_lineHeight;
    if (this->height() != height)
        resize(width(), height);
    if (!m_pending.isEmpty() && !m_flushTimer->isActive())
        m_flushTimer->start();
}

void ExchangeLogView::fitWidth()
{
    int width = fontMetrics().horizontalAdvance(QLatin1Char('W')) * (m_longestLine + 1)
                + 2 * int(document()->documentMargin()) + 4;
    if (m_box)
        width = std::max(width, m_box->viewport()->width());
    if (this->width() != width)
        resize(width, height());
}

} // namespace tavrin
