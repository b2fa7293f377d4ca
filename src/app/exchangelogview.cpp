#include "app/exchangelogview.h"

#include "app/apptexts.h"

#include <QContextMenuEvent>
#include <QFontDatabase>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <QTextBlock>
#include <QTimer>

namespace tavrin {

namespace {

// Byte traces line up column by column in a fixed-pitch font.
QFont LogFont()
{
    return QFontDatabase::systemFont(QFontDatabase::FixedFont);
}

} // namespace

ExchangeLogView::ExchangeLogView(QWidget *parent)
    : QPlainTextEdit(parent), m_marks(LogFont()), m_end(document())
{
    setFont(LogFont());
    setReadOnly(true);
    setUndoRedoEnabled(false);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    document()->setDocumentMargin(2);
    m_flushTimer = new QTimer(this);
    m_flushTimer->setSingleShot(true);
    m_flushTimer->setInterval(kFlushIntervalMs);
    connect(m_flushTimer, &QTimer::timeout, this, &ExchangeLogView::flush);
}

void ExchangeLogView::clearLog()
{
    m_flushTimer->stop();
    m_pending.clear();
    clear();
    m_end = QTextCursor(document());
    m_lines = 0;
    m_lastLineLength = 0;
    m_exchanges.clear();
}

QStringList ExchangeLogView::lines()
{
    flush();
    QStringList result;
    if (m_lines == 0)
        return result;
    result.reserve(m_lines);
    // Block by block: the document's plain text would turn no-break spaces into blanks.
    for (QTextBlock block = document()->firstBlock(); block.isValid(); block = block.next())
        result << block.text();
    return result;
}

QString ExchangeLogView::traceFileText()
{
    return TraceFileText(lines(), m_exchanges);
}

void ExchangeLogView::addLine(const QString &text)
{
    if (m_lines > 0)
        m_pending.append(QLatin1Char('\n'));
    m_pending.append(text);
    ++m_lines;
    m_lastLineLength = int(text.size());
}

void ExchangeLogView::appendToLastLine(const QString &text)
{
    if (m_lines == 0) {
        addLine(text);
        return;
    }
    m_pending.append(text);
    m_lastLineLength += int(text.size());
}

void ExchangeLogView::refresh()
{
    if (!m_pending.isEmpty() && !m_flushTimer->isActive())
        m_flushTimer->start();
}

void ExchangeLogView::beginExchange()
{
    // The exchange's first line is the next one added.
    if (!m_exchanges.empty() && m_exchanges.back().line == m_lines)
        m_exchanges.pop_back();
    m_exchanges.push_back({m_lines, QDateTime::currentDateTime()});
}

void ExchangeLogView::flush()
{
    m_flushTimer->stop();
    if (m_pending.isEmpty())
        return;
    QScrollBar *bar = verticalScrollBar();
    const bool following = bar->value() == bar->maximum();
    insertPending();
    if (following)
        bar->setValue(bar->maximum());
}

void ExchangeLogView::insertPending()
{
    // One change of the document, however many pieces: it is laid out once.
    m_end.beginEditBlock();
    m_end.movePosition(QTextCursor::End);
    const QTextCharFormat plain;
    qsizetype runStart = 0;
    for (qsizetype i = 0; i < m_pending.size(); ++i) {
        if (!ControlMarks::isMark(m_pending[i]))
            continue;
        if (i > runStart)
            m_end.insertText(m_pending.mid(runStart, i - runStart), plain);
        m_end.insertText(QString(m_pending[i]), m_marks.format(m_pending[i]));
        runStart = i + 1;
    }
    if (runStart < m_pending.size())
        m_end.insertText(m_pending.mid(runStart), plain);
    m_end.endEditBlock();
    m_pending.clear();
}

void ExchangeLogView::scrollToEnd()
{
    flush();
    verticalScrollBar()->setValue(verticalScrollBar()->maximum());
}

void ExchangeLogView::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu menu(this);
    QAction *copy = menu.addAction(apptext::LogCopy, this, &QPlainTextEdit::copy);
    copy->setShortcut(QKeySequence::Copy);
    copy->setEnabled(textCursor().hasSelection());
    QAction *selectAll = menu.addAction(apptext::LogSelectAll, this, &QPlainTextEdit::selectAll);
    selectAll->setShortcut(QKeySequence::SelectAll);
    menu.addSeparator();
    menu.addAction(apptext::LogSave, this, &ExchangeLogView::saveRequested);
    menu.exec(event->globalPos());
}

void ExchangeLogView::paintEvent(QPaintEvent *event)
{
    QPlainTextEdit::paintEvent(event);
    QPainter painter(viewport());
    const int bottom = event->rect().bottom();
    for (QTextBlock block = firstVisibleBlock(); block.isValid(); block = block.next()) {
        const QRectF box = blockBoundingGeometry(block).translated(contentOffset());
        if (box.top() > bottom)
            break;
        paintMarks(block, box, painter);
    }
}

void ExchangeLogView::paintMarks(const QTextBlock &block, const QRectF &box, QPainter &painter)
{
    const QString text = block.text();
    const QTextLayout *layout = block.layout();
    const QTextCursor selection = textCursor();
    for (int i = 0; i < int(text.size()); ++i) {
        if (!ControlMarks::isMark(text[i]))
            continue;
        const QTextLine line = layout->lineForTextPosition(i);
        if (!line.isValid())
            continue;
        const QPointF origin = box.topLeft() + layout->position();
        const qreal left = line.cursorToX(i);
        const QRectF cell(origin.x() + left, origin.y() + line.y(), line.cursorToX(i + 1) - left, line.height());
        const int position = block.position() + i;
        const bool selected = position >= selection.selectionStart() && position < selection.selectionEnd();
        m_marks.paint(painter, cell, text[i], selected, palette());
    }
}

} // namespace tavrin
