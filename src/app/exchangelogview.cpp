#include "app/exchangelogview.h"

#include "app/apptexts.h"
#include "app/exchangelogaccessible.h"
#include "app/logfindbar.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDateTime>
#include <QFontDatabase>
#include <QMenu>
#include <QScrollBar>
#include <QShortcut>
#include <QTimer>

#include <algorithm>

namespace tavrin {

namespace {

// Byte traces line up column by column in a fixed-pitch font.
QFont LogFont()
{
    return QFontDatabase::systemFont(QFontDatabase::FixedFont);
}

// A little air between the rows, as the trace always had: marks and letters from other
// fonts then fit the row.
int RowHeight(const QFont &font)
{
    return qRound(QFontMetrics(font).lineSpacing() * 1.2);
}

qint64 Now()
{
    return QDateTime::currentMSecsSinceEpoch();
}

} // namespace

ExchangeLogView::ExchangeLogView(QWidget *parent)
    : QAbstractScrollArea(parent), m_marks(LogFont()), m_announcer(std::make_unique<LogAnnouncer>())
{
    ExchangeLogAccessible::install();
    setFont(LogFont());
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setCursor(Qt::IBeamCursor);
    verticalScrollBar()->setSingleStep(1);

    m_flushTimer = new QTimer(this);
    m_flushTimer->setSingleShot(true);
    m_flushTimer->setInterval(kFlushIntervalMs);
    connect(m_flushTimer, &QTimer::timeout, this, &ExchangeLogView::flush);

    // Ctrl+F anywhere in the window while the log is shown.
    auto *findKey = new QShortcut(QKeySequence::Find, this);
    findKey->setContext(Qt::WindowShortcut);
    connect(findKey, &QShortcut::activated, this, &ExchangeLogView::openFind);
    for (const bool backward : {false, true}) {
        auto *again = new QShortcut(backward ? QKeySequence::FindPrevious : QKeySequence::FindNext, this);
        again->setContext(Qt::WidgetWithChildrenShortcut);
        connect(again, &QShortcut::activated, this, [this, backward] { find(findText(), backward); });
    }
}

ExchangeLogView::~ExchangeLogView() = default;

LogFindBar &ExchangeLogView::findBar()
{
    if (!m_findBar) {
        m_findBar = new LogFindBar(this);
        m_findBar->hide();
        connect(m_findBar, &LogFindBar::findRequested, this, [this](bool backward) { find(findText(), backward); });
        connect(m_findBar, &LogFindBar::textEdited, this, &ExchangeLogView::onFindEdited);
        connect(m_findBar, &LogFindBar::closeRequested, this, &ExchangeLogView::closeFind);
    }
    return *m_findBar;
}

QString ExchangeLogView::findText() const
{
    return m_findBar ? m_findBar->text() : QString();
}

qreal ExchangeLogView::charWidth() const
{
    if (!m_measures)
        m_measures = Measures{QFontMetricsF(font()).horizontalAdvance(QLatin1Char('0')), RowHeight(font())};
    return m_measures->charWidth;
}

int ExchangeLogView::rowHeight() const
{
    charWidth();
    return m_measures->rowHeight;
}

void ExchangeLogView::clearLog()
{
    m_flushTimer->stop();
    m_store.clear();
    m_rows.update();
    m_shownRows = 0;
    m_text.setRowCount(0);
    m_announcer->rowsTakenIn(this, m_rows, m_text);
    m_anchor = m_cursor = {};
    m_match = {};
    m_widestSeen = 0;
    updateScrollRanges();
    viewport()->update();
}

QStringList ExchangeLogView::lines()
{
    flush();
    QStringList result;
    result.reserve(m_shownRows);
    for (qint64 row = 0; row < m_shownRows; ++row)
        result << m_rows.rowText(row);
    return result;
}

QString ExchangeLogView::traceFileText()
{
    flush();
    return m_rows.fileText();
}

void ExchangeLogView::addLine(const QString &text)
{
    m_store.addLine(text, Now());
}

void ExchangeLogView::appendToLastLine(const QString &text)
{
    m_store.appendText(text, Now());
}

void ExchangeLogView::traceBytes(const char *bytes, int count, TraceDirection direction)
{
    if (count > 0)
        m_store.appendTraffic(bytes, count, direction, Now());
}

void ExchangeLogView::refresh()
{
    if (!m_flushTimer->isActive())
        m_flushTimer->start();
}

void ExchangeLogView::beginExchange()
{
    m_store.beginExchange(Now());
}

void ExchangeLogView::flush()
{
    m_flushTimer->stop();
    QScrollBar *bar = verticalScrollBar();
    const bool following = bar->value() >= bar->maximum();
    m_rows.update();
    m_shownRows = m_rows.rowCount();
    m_text.setRowCount(m_shownRows);
    m_announcer->rowsTakenIn(this, m_rows, m_text);
    updateScrollRanges();
    if (following)
        bar->setValue(bar->maximum());
    viewport()->update();
}

void ExchangeLogView::scrollToEnd()
{
    flush();
    verticalScrollBar()->setValue(verticalScrollBar()->maximum());
}

void ExchangeLogView::setViewOptions(const TraceViewOptions &options)
{
    if (options == m_rows.options())
        return;
    flush();
    QScrollBar *bar = verticalScrollBar();
    const bool following = bar->value() >= bar->maximum();
    // The reader keeps the place: the line at the top stays at the top.
    const int topLine = m_shownRows > 0 ? m_rows.lineOf(firstVisibleRow()) : 0;
    m_rows.setOptions(options);
    m_shownRows = m_rows.rowCount();
    m_text.setRowCount(m_shownRows);
    m_announcer->rowsTakenIn(this, m_rows, m_text);
    m_anchor = m_cursor = {};
    m_match = {};
    m_widestSeen = 0;
    updateScrollRanges();
    bar->setValue(following ? bar->maximum() : int(m_rows.firstRowOf(topLine)));
    if (m_findBar && m_findBar->isVisible())
        m_findBar->showOutcome(LogFindBar::Outcome::Nothing);
    viewport()->update();
}

qint64 ExchangeLogView::firstVisibleRow() const
{
    return verticalScrollBar()->value();
}

int ExchangeLogView::visibleRowCount() const
{
    return std::max(1, (viewport()->height() - 2 * kMargin) / std::max(1, rowHeight()));
}

qreal ExchangeLogView::rowTop(qint64 row) const
{
    return kMargin + qreal(row - firstVisibleRow()) * rowHeight();
}

void ExchangeLogView::updateScrollRanges()
{
    if (m_shownRows == 0 && !m_measures) {
        // Nothing to scroll, and nothing measured yet: the measures wait for a row.
        verticalScrollBar()->setRange(0, 0);
        horizontalScrollBar()->setRange(0, 0);
        return;
    }
    const int visible = visibleRowCount();
    QScrollBar *vertical = verticalScrollBar();
    vertical->setPageStep(visible);
    vertical->setRange(0, int(std::max<qint64>(0, m_shownRows - visible)));
    const qreal widest = std::max(m_widestSeen, m_rows.widestRow() * charWidth()) + 2 * kMargin;
    QScrollBar *horizontal = horizontalScrollBar();
    horizontal->setPageStep(viewport()->width());
    horizontal->setSingleStep(std::max(1, int(charWidth())));
    horizontal->setRange(0, std::max(0, int(widest) - viewport()->width()));
}

std::vector<qreal> ExchangeLogView::characterEdges(const QString &text) const
{
    std::vector<qreal> edges(size_t(text.size()) + 1);
    const bool hex = m_rows.options().hex;
    const QFontMetricsF metrics(font());
    qreal x = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        edges[size_t(i)] = x;
        const QChar c = text[i];
        if (hex)
            x += charWidth(); // a grid: the columns of every row line up
        else if (ControlMarks::isMark(c))
            x += m_marks.cellWidth(c);
        else
            x += metrics.horizontalAdvance(c);
    }
    edges.back() = x;
    return edges;
}

QRectF ExchangeLogView::characterCell(qint64 row, int column) const
{
    const QString text = m_rows.rowText(row);
    const std::vector<qreal> edges = characterEdges(text);
    const int at = std::clamp(column, 0, int(text.size()));
    const qreal left = kMargin - horizontalScrollBar()->value() + edges[size_t(at)];
    const qreal right = at < text.size() ? kMargin - horizontalScrollBar()->value() + edges[size_t(at) + 1] : left;
    return QRectF(left, rowTop(row), right - left, rowHeight());
}

ExchangeLogView::Position ExchangeLogView::positionAt(const QPoint &point) const
{
    if (m_shownRows == 0)
        return {};
    const qint64 row = std::clamp<qint64>(firstVisibleRow() + (point.y() - kMargin) / std::max(1, rowHeight()), 0,
                                          m_shownRows - 1);
    const QString text = m_rows.rowText(row);
    const std::vector<qreal> edges = characterEdges(text);
    const qreal x = point.x() - kMargin + horizontalScrollBar()->value();
    int column = 0;
    while (column < text.size() && x > (edges[size_t(column)] + edges[size_t(column) + 1]) / 2)
        ++column;
    return {row, column};
}

QRectF ExchangeLogView::characterCellAt(qint64 offset) const
{
    if (m_shownRows == 0)
        return QRectF(kMargin, kMargin, 0, rowHeight());
    const auto [row, column] = m_text.positionOf(offset);
    return characterCell(row, column);
}

qint64 ExchangeLogView::offsetAt(const QPoint &point) const
{
    const Position at = positionAt(point);
    return m_text.offsetOf(at.row, at.column);
}

void ExchangeLogView::scrollToOffsets(qint64 start, qint64 end)
{
    flush();
    if (m_shownRows == 0)
        return;
    const auto [lastRow, lastColumn] = m_text.positionOf(end);
    bringIntoView(lastRow, lastColumn);
    const auto [row, column] = m_text.positionOf(start);
    bringIntoView(row, column);
}

void ExchangeLogView::openFind()
{
    findBar().show();
    layOutFindBar();
    m_findBar->activate();
}

void ExchangeLogView::closeFind()
{
    m_findBar->hide();
    layOutFindBar();
    m_match = {};
    setFocus(Qt::OtherFocusReason);
    viewport()->update();
}

void ExchangeLogView::layOutFindBar()
{
    const int height = m_findBar && m_findBar->isVisible() ? m_findBar->sizeHint().height() : 0;
    setViewportMargins(0, 0, 0, height);
    if (height > 0) {
        const QRect shown = viewport()->geometry();
        m_findBar->setGeometry(shown.left(), shown.bottom() + 1, shown.width(), height);
    }
    updateScrollRanges();
}

void ExchangeLogView::onFindEdited()
{
    // Typing moves the place found only as far as the new text needs.
    TraceMatch from = m_match;
    if (from.row >= 0)
        from.start -= 1;
    m_match = from;
    if (m_findBar->text().isEmpty()) {
        m_match = {};
        m_findBar->showOutcome(LogFindBar::Outcome::Nothing);
        viewport()->update();
        return;
    }
    find(m_findBar->text(), false);
}

bool ExchangeLogView::find(const QString &what, bool backward)
{
    flush();
    bool wrapped = false;
    const qint64 from = backward ? firstVisibleRow() + visibleRowCount() - 1 : firstVisibleRow();
    m_match = m_rows.find(what, m_match, from, backward, &wrapped);
    viewport()->update();
    if (m_match.row < 0) {
        findBar().showOutcome(what.isEmpty() ? LogFindBar::Outcome::Nothing : LogFindBar::Outcome::NotFound);
        return false;
    }
    const auto [row, column] = m_rows.matchBegin(m_match);
    bringIntoView(row, column);
    findBar().showOutcome(!wrapped ? LogFindBar::Outcome::Found
                           : backward ? LogFindBar::Outcome::WrappedBack
                                      : LogFindBar::Outcome::Wrapped);
    return true;
}

void ExchangeLogView::bringIntoView(qint64 row, int column)
{
    QScrollBar *vertical = verticalScrollBar();
    const int visible = visibleRowCount();
    if (row < firstVisibleRow())
        vertical->setValue(int(row));
    else if (row >= firstVisibleRow() + visible)
        vertical->setValue(int(row - visible + 1));
    const QString text = m_rows.rowText(row);
    const std::vector<qreal> edges = characterEdges(text);
    const qreal x = edges[size_t(std::clamp(column, 0, int(text.size())))];
    QScrollBar *horizontal = horizontalScrollBar();
    if (x < horizontal->value() || x + 4 * charWidth() > horizontal->value() + viewport()->width())
        horizontal->setValue(int(x - viewport()->width() / 3));
}

void ExchangeLogView::chooseViewOption(bool hex, bool checked)
{
    TraceViewOptions options = m_rows.options();
    (hex ? options.hex : options.times) = checked;
    setViewOptions(options);
    emit viewOptionsChosen(options);
}

void ExchangeLogView::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu menu(this);
    QAction *copyAction = menu.addAction(apptext::LogCopy, this, &ExchangeLogView::copy);
    copyAction->setShortcut(QKeySequence::Copy);
    copyAction->setEnabled(hasSelection());
    QAction *selectAllAction = menu.addAction(apptext::LogSelectAll, this, &ExchangeLogView::selectAll);
    selectAllAction->setShortcut(QKeySequence::SelectAll);
    QAction *findAction = menu.addAction(apptext::LogFind, this, &ExchangeLogView::openFind);
    findAction->setShortcut(QKeySequence::Find);
    menu.addSeparator();
    QAction *hexAction = menu.addAction(apptext::LogHexView);
    hexAction->setCheckable(true);
    hexAction->setChecked(m_rows.options().hex);
    connect(hexAction, &QAction::toggled, this, [this](bool checked) { chooseViewOption(true, checked); });
    QAction *timesAction = menu.addAction(apptext::LogTimes);
    timesAction->setCheckable(true);
    timesAction->setChecked(m_rows.options().times);
    connect(timesAction, &QAction::toggled, this, [this](bool checked) { chooseViewOption(false, checked); });
    menu.addSeparator();
    menu.addAction(apptext::LogSave, this, &ExchangeLogView::saveRequested);
    menu.exec(event->globalPos());
}

void ExchangeLogView::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    layOutFindBar();
}

void ExchangeLogView::scrollContentsBy(int, int)
{
    viewport()->update();
}

void ExchangeLogView::changeEvent(QEvent *event)
{
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        m_measures.reset();
        m_widestSeen = 0;
        updateScrollRanges();
    }
}

void ExchangeLogView::showEvent(QShowEvent *event)
{
    QAbstractScrollArea::showEvent(event);
    findBar(); // there to be found by name once the log is in sight, as its other parts are
}

} // namespace tavrin
