// Drawing the exchange log's rows: only those in sight, each character in its cell, the
// selection and the place found highlighted, control bytes as their marks, and the
// caret and the frame while the log has the keyboard.
#include "app/exchangelogview.h"
#include "app/windowgeometry.h"

#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

namespace tavrin {

namespace {

QColor FoundColour()
{
    return QColor(255, 222, 110);
}

} // namespace

void ExchangeLogView::highlightedRanges(qint64 row, const QString &text, std::vector<std::pair<int, int>> *selected,
                                        std::vector<std::pair<int, int>> *found) const
{
    const int length = int(text.size());
    if (hasSelection()) {
        const Position first = std::min(m_anchor, m_cursor);
        const Position last = std::max(m_anchor, m_cursor);
        if (row >= first.row && row <= last.row) {
            const int from = row == first.row ? std::min(first.column, length) : 0;
            const int to = row == last.row ? std::min(last.column, length) : length;
            if (from < to)
                selected->push_back({from, to});
        }
    }
    for (const ColumnRange &range : m_rows.matchColumns(m_match, row)) {
        if (range.from < std::min(range.to, length))
            found->push_back({range.from, std::min(range.to, length)});
    }
}

void ExchangeLogView::paintRow(QPainter &painter, qint64 row, qreal top)
{
    const QString text = m_rows.rowText(row);
    if (text.isEmpty())
        return;
    const std::vector<qreal> edges = characterEdges(text);
    m_widestSeen = std::max(m_widestSeen, edges.back());
    const qreal left = kMargin - horizontalScrollBar()->value();
    std::vector<std::pair<int, int>> selected;
    std::vector<std::pair<int, int>> found;
    highlightedRanges(row, text, &selected, &found);
    const auto cell = [&](int from, int to) {
        return QRectF(left + edges[size_t(from)], top, edges[size_t(to)] - edges[size_t(from)], rowHeight());
    };
    for (const auto &[from, to] : found)
        painter.fillRect(cell(from, to), FoundColour());
    for (const auto &[from, to] : selected)
        painter.fillRect(cell(from, to), palette().color(QPalette::Highlight));
    const auto isSelected = [&selected](int column) {
        return std::any_of(selected.begin(), selected.end(),
                           [column](const auto &range) { return column >= range.first && column < range.second; });
    };

    const bool hex = m_rows.options().hex;
    const QFontMetricsF metrics(font());
    const qreal baseline = top + (rowHeight() - metrics.lineSpacing()) / 2 + metrics.ascent();
    // In the hexadecimal view a character outside ASCII (the arrows, the pictures, the
    // letters) is drawn in its own cell, so the grid holds whatever font draws it.
    const auto standsAlone = [hex](QChar c) { return hex ? c.unicode() >= 0x80 : ControlMarks::isMark(c); };
    const int length = int(text.size());
    for (int i = 0; i < length;) {
        const bool chosen = isSelected(i);
        const QChar c = text[i];
        if (!hex && ControlMarks::isMark(c)) {
            m_marks.paint(painter, cell(i, i + 1), c, chosen, palette());
            ++i;
            continue;
        }
        int end = i + 1;
        while (!standsAlone(c) && end < length && !standsAlone(text[end]) && isSelected(end) == chosen)
            ++end;
        QColor ink = palette().color(chosen ? QPalette::HighlightedText : QPalette::Text);
        if (hex && !chosen && ControlMarks::isMark(c)) {
            // A control byte's picture is small: its cell is tinted so that it is seen.
            QColor tint = geometry::ControlMarkColour();
            tint.setAlpha(48);
            painter.fillRect(cell(i, i + 1), tint);
            ink = geometry::ControlMarkColour();
        }
        painter.setPen(ink);
        painter.setFont(font()); // a mark draws its name in a font of its own
        painter.drawText(QPointF(left + edges[size_t(i)], baseline), text.mid(i, end - i));
        i = end;
    }
}

void ExchangeLogView::paintEvent(QPaintEvent *event)
{
    QPainter painter(viewport());
    painter.setFont(font());
    const qint64 first = firstVisibleRow();
    const qint64 last = std::min<qint64>(m_shownRows, first + visibleRowCount() + 1);
    const int bottom = event->rect().bottom();
    for (qint64 row = first; row < last; ++row) {
        const qreal top = rowTop(row);
        if (top > bottom)
            break;
        if (top + rowHeight() >= event->rect().top())
            paintRow(painter, row, top);
    }
    paintFocus(painter);
}

void ExchangeLogView::paintFocus(QPainter &painter)
{
    if (!hasFocus())
        return;
    const QColor accent = palette().color(QPalette::Highlight);
    // The frame: two pixels inside the rows' edge, in the colour of the selection.
    painter.setPen(QPen(accent, 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(viewport()->rect()).adjusted(1, 1, -1, -1));
    if (m_shownRows == 0)
        return;
    const qint64 row = std::min(m_cursor.row, m_shownRows - 1);
    const QRectF cell = characterCell(row, std::min(m_cursor.column, m_rows.rowLength(row)));
    painter.fillRect(QRectF(cell.left(), cell.top(), 2, cell.height()), palette().color(QPalette::Text));
}

} // namespace tavrin
