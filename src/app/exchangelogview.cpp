#include "app/exchangelogview.h"

#include <QFontDatabase>
#include <QScrollArea>
#include <QScrollBar>
#include <QTextBlock>

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
}

void ExchangeLogView::setLineHeight(int pixels)
{
    m_lineHeight = std::max(pixels, 1);
    refresh();
}

void ExchangeLogView::clearLog()
{
    clear();
    m_end = QTextCursor(document());
    m_lines = 0;
    m_longestLine = 0;
    refresh();
    fitWidth();
}

QStringList ExchangeLogView::lines() const
{
    if (m_lines == 0)
        return {};
    return toPlainText().split(QLatin1Char('\n'));
}

qreal ExchangeLogView::textBottom() const
{
    return blockBoundingGeometry(document()->lastBlock()).translated(contentOffset()).bottom()
           + frameWidth();
}

int ExchangeLogView::lastLineLength() const
{
    return m_lines == 0 ? 0 : document()->lastBlock().length() - 1;
}

void ExchangeLogView::addLine(const QString &text)
{
    m_end.movePosition(QTextCursor::End);
    if (m_lines > 0)
        m_end.insertBlock();
    m_end.insertText(text);
    ++m_lines;
    noteLastLineLength();
}

void ExchangeLogView::appendToLastLine(const QString &text)
{
    if (m_lines == 0) {
        addLine(text);
        return;
    }
    m_end.movePosition(QTextCursor::End);
    m_end.insertText(text);
    noteLastLineLength();
}

void ExchangeLogView::noteLastLineLength()
{
    const int length = lastLineLength();
    if (length > m_longestLine) {
        m_longestLine = length;
        fitWidth();
    }
}

void ExchangeLogView::refresh()
{
    const int height = (m_lines + 1) * m_lineHeight;
    if (this->height() != height)
        resize(width(), height);
    viewport()->update();
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
