#pragma once

#include "tracelog/tracerows.h"

#include <QString>

#include <utility>
#include <vector>

namespace tavrin {

// The rows of the log as one plain text, as a screen reader or an automation tool reads
// it: the rows one after the other, each but the last followed by a line feed, so that
// the text is what "Выделить всё" and "Копировать" give. Offsets count characters of
// that text. Where each row begins is found from a mark every 64 rows, made when first
// asked for and brought up to date from the rows that may have changed, so that the
// text costs nothing while nobody reads it and about one byte for eight rows when read.
class TraceText {
public:
    enum class Unit { Character, Word, Line, Whole };

    explicit TraceText(const TraceRows &rows) : m_rows(rows) {}

    // The rows the text holds: the view's rows taken in by its last flush.
    void setRowCount(qint64 rows);
    qint64 rowCount() const { return m_rowCount; }

    qint64 characterCount() const;
    // Where row's column is in the text; the column is held to the row's length.
    qint64 offsetOf(qint64 row, int column) const;
    // The row and column of offset; a row's line feed is the column after its last
    // character, and offsets past the end are the end of the last row.
    std::pair<qint64, int> positionOf(qint64 offset) const;
    QString text(qint64 start, qint64 end) const;

    // The unit of text that holds offset, as [start, end); the one before (ending at or
    // before its start) and the one after (starting at or after its end). A word unit
    // is a word or the blanks between words, as the rows' word boundaries cut them.
    std::pair<qint64, qint64> unitAt(qint64 offset, Unit unit) const;
    std::pair<qint64, qint64> unitBefore(qint64 offset, Unit unit) const;
    std::pair<qint64, qint64> unitAfter(qint64 offset, Unit unit) const;

private:
    static constexpr int kMarkEvery = 64;
    qint64 rowStart(qint64 row) const;
    // Brings the marks up to m_rowCount; the rows' layout changes drop them all.
    void index() const;

    const TraceRows &m_rows;
    qint64 m_rowCount = 0;
    mutable std::vector<qint64> m_marks; // where rows 0, 64, 128 ... begin
    mutable qint64 m_indexedRows = 0;    // rows the marks were made over
    mutable int m_layoutChanges = -1;
    mutable bool m_rowsChanged = true;   // rows added, or the last ones grown
};

} // namespace tavrin
