#include "tracelog/tracetext.h"

#include <QTextBoundaryFinder>

#include <algorithm>

namespace tavrin {

void TraceText::setRowCount(qint64 rows)
{
    m_rowCount = rows;
    m_rowsChanged = true;
}

void TraceText::index() const
{
    if (m_layoutChanges != m_rows.layoutChanges()) {
        m_layoutChanges = m_rows.layoutChanges();
        m_marks.clear();
        m_indexedRows = 0;
    } else if (!m_rowsChanged && !m_marks.empty()) {
        return;
    }
    // Only the last two rows taken in may have changed since (the last one grown, or a
    // text row that its traffic turned into a row of bytes): the marks after them go.
    const qint64 stable = std::max<qint64>(0, std::min(m_indexedRows, m_rowCount) - 2);
    m_marks.resize(std::min(m_marks.size(), size_t(stable / kMarkEvery) + 1));
    if (m_marks.empty())
        m_marks.push_back(0);
    while (qint64(m_marks.size()) * kMarkEvery < m_rowCount) {
        qint64 offset = m_marks.back();
        const qint64 first = qint64(m_marks.size() - 1) * kMarkEvery;
        for (qint64 row = first; row < first + kMarkEvery; ++row)
            offset += m_rows.rowLength(row) + 1;
        m_marks.push_back(offset);
    }
    m_indexedRows = m_rowCount;
    m_rowsChanged = false;
}

qint64 TraceText::rowStart(qint64 row) const
{
    index();
    const qint64 mark = row / kMarkEvery;
    qint64 offset = m_marks[size_t(mark)];
    for (qint64 before = mark * kMarkEvery; before < row; ++before)
        offset += m_rows.rowLength(before) + 1;
    return offset;
}

qint64 TraceText::characterCount() const
{
    return m_rowCount == 0 ? 0 : rowStart(m_rowCount - 1) + m_rows.rowLength(m_rowCount - 1);
}

qint64 TraceText::offsetOf(qint64 row, int column) const
{
    if (m_rowCount == 0)
        return 0;
    row = std::clamp<qint64>(row, 0, m_rowCount - 1);
    return rowStart(row) + std::clamp(column, 0, m_rows.rowLength(row));
}

std::pair<qint64, int> TraceText::positionOf(qint64 offset) const
{
    if (m_rowCount == 0)
        return {0, 0};
    index();
    offset = std::max<qint64>(0, offset);
    const auto after = std::upper_bound(m_marks.begin(), m_marks.end(), offset);
    qint64 row = qint64(after - m_marks.begin() - 1) * kMarkEvery;
    qint64 start = m_marks[size_t(row / kMarkEvery)];
    for (;; ++row) {
        const int length = m_rows.rowLength(row);
        if (offset <= start + length || row == m_rowCount - 1)
            return {row, int(std::min<qint64>(offset - start, length))};
        start += length + 1;
    }
}

QString TraceText::text(qint64 start, qint64 end) const
{
    if (m_rowCount == 0 || end <= start)
        return {};
    const auto [firstRow, firstColumn] = positionOf(start);
    const auto [lastRow, lastColumn] = positionOf(end);
    QString text;
    for (qint64 row = firstRow; row <= lastRow; ++row) {
        const QString rowText = m_rows.rowText(row);
        const int from = row == firstRow ? firstColumn : 0;
        const int to = row == lastRow ? lastColumn : int(rowText.size());
        text += QStringView(rowText).mid(from, to - from);
        if (row < lastRow)
            text += u'\n';
    }
    // An end past the last character: the text stops there.
    return text;
}

std::pair<qint64, qint64> TraceText::unitAt(qint64 offset, Unit unit) const
{
    const qint64 count = characterCount();
    offset = std::clamp<qint64>(offset, 0, count);
    switch (unit) {
    case Unit::Whole:
        return {0, count};
    case Unit::Character:
        return {offset, std::min(offset + 1, count)};
    case Unit::Line:
    case Unit::Word: {
        const auto [row, column] = positionOf(offset);
        const qint64 start = rowStart(row);
        const int length = m_rows.rowLength(row);
        if (unit == Unit::Line)
            return {start, start + length};
        if (column >= length) // the line feed stands alone
            return {offset, std::min(offset + 1, count)};
        QTextBoundaryFinder words(QTextBoundaryFinder::Word, m_rows.rowText(row));
        words.setPosition(column);
        const qsizetype previous = words.isAtBoundary() ? column : words.toPreviousBoundary();
        words.setPosition(column);
        const qsizetype next = words.toNextBoundary();
        return {start + std::max<qsizetype>(previous, 0), start + (next < 0 ? length : next)};
    }
    }
    return {offset, offset};
}

std::pair<qint64, qint64> TraceText::unitBefore(qint64 offset, Unit unit) const
{
    const qint64 start = unitAt(offset, unit).first;
    return start == 0 ? std::pair<qint64, qint64>{0, 0} : unitAt(start - 1, unit);
}

std::pair<qint64, qint64> TraceText::unitAfter(qint64 offset, Unit unit) const
{
    const qint64 count = characterCount();
    const qint64 end = unitAt(offset, unit).second;
    // A line's unit stops before its line feed: the next line begins after it.
    const qint64 next = unit == Unit::Line ? end + 1 : end;
    return next >= count && !(unit == Unit::Line && next == count) ? std::pair<qint64, qint64>{count, count}
                                                                    : unitAt(next, unit);
}

} // namespace tavrin
