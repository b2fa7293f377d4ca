#include "tracelog/tracerows.h"

#include "settings/cp1251.h"

#include <QDateTime>
#include <QStringList>

#include <algorithm>
#include <limits>

namespace tavrin {

namespace {

// The text field's character for a byte: every byte takes one, control bytes (the
// zero byte too) their pictures.
QChar HexTextCharacter(unsigned char byte)
{
    if (byte < 0x20)
        return QChar(char16_t(0x2400 + byte));
    if (byte == 0x7F)
        return QChar(char16_t(0x2421));
    return cp1251::toUnicode(byte);
}

QString OffsetText(qint64 offset, int digits)
{
    return QString::number(offset, 16).toUpper().rightJustified(digits, u'0');
}

// Hexadecimal digits that the offsets of a part of size bytes need, never fewer than four.
int OffsetDigits(qint64 size)
{
    int digits = 4;
    while (size - 1 >= (qint64(1) << (4 * digits)))
        ++digits;
    return digits;
}

bool IsBlank(const QString &text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c == u' '; });
}

} // namespace

void TraceRows::setOptions(const TraceViewOptions &options)
{
    if (options.hex != m_options.hex) {
        m_hexRows.clear();
        m_hexTailLine = 0;
        m_hexTailRow = 0;
        m_offsetDigits = 4;
    }
    if (options != m_options)
        ++m_layoutChanges;
    m_options = options;
    update();
}

void TraceRows::update()
{
    const int lines = m_store.lineCount();
    if (lines < m_measuredLines) { // cleared
        m_measuredLines = 0;
        m_widestText = 0;
        m_hexRows.clear();
        m_hexTailLine = 0;
        m_hexTailRow = 0;
        m_offsetDigits = 4;
        ++m_layoutChanges;
    }
    // The last line may have grown since it was measured.
    for (int line = std::max(0, m_measuredLines - 1); line < lines; ++line)
        m_widestText = std::max(m_widestText, int(m_store.lineSize(line)));
    m_measuredLines = lines;
    if (m_options.hex)
        indexHexRows();
}

void TraceRows::indexHexRows()
{
    const int lines = m_store.lineCount();
    m_hexRows.resize(size_t(m_hexTailRow));
    // The last line's part may still grow, and a blank line may still get traffic.
    const int tail = lines > 0 ? m_store.partStart(lines - 1) : 0;
    int line = m_hexTailLine;
    while (line < lines) {
        if (line == tail) {
            m_hexTailLine = line;
            m_hexTailRow = qint64(m_hexRows.size());
        }
        if (m_store.startsExchange(line))
            m_hexRows.push_back({line, kHeadRow});
        if (m_store.kind(line) != TraceStore::NoTraffic && !m_store.continues(line)) {
            const qint64 size = m_store.partSize(line);
            if (const int digits = OffsetDigits(size); digits > m_offsetDigits) {
                m_offsetDigits = digits; // every row's columns move
                ++m_layoutChanges;
            }
            for (qint64 offset = 0; offset < size; offset += kHexBytesPerRow)
                m_hexRows.push_back({line, qint32(offset)});
            line = m_store.partEnd(line);
            continue;
        }
        if (m_store.kind(line) == TraceStore::NoTraffic && !IsBlank(m_store.leadText(line)))
            m_hexRows.push_back({line, kTextRow});
        ++line;
    }
    if (lines == 0) {
        m_hexTailLine = 0;
        m_hexTailRow = 0;
    }
}

qint64 TraceRows::rowCount() const
{
    return m_options.hex ? qint64(m_hexRows.size()) : m_store.lineCount();
}

QString TraceRows::timeText(int line) const
{
    return QDateTime::fromMSecsSinceEpoch(m_store.lineTime(line)).toLocalTime().toString(QStringLiteral("HH:mm:ss.zzz"));
}

QString TraceRows::rowText(qint64 row) const
{
    if (m_options.hex)
        return hexRowText(m_hexRows[size_t(row)]);
    const int line = int(row);
    const QString text = m_store.lineText(line);
    if (!m_options.times || IsBlank(text))
        return text;
    if (m_store.continues(line))
        return QString(kTimeWidth, u' ') + text;
    return timeText(line) + text;
}

TraceRows::HexColumns TraceRows::hexColumns() const
{
    return {m_options.times ? kTimeWidth + 1 : 0, m_offsetDigits};
}

int TraceRows::textPrefix(int line) const
{
    return m_options.times && !IsBlank(m_store.lineText(line)) ? kTimeWidth : 0;
}

QString TraceRows::hexRowText(const HexRow &row) const
{
    if (row.offset == kHeadRow)
        return {};
    if (row.offset == kTextRow)
        return m_options.times ? timeText(row.line) + m_store.leadText(row.line) : m_store.leadText(row.line);
    const HexColumns columns = hexColumns();
    QString text;
    text.reserve(columns.width());
    if (m_options.times)
        text = row.offset == 0 ? timeText(row.line) + QLatin1Char(' ') : QString(kTimeWidth + 1, u' ');
    const QByteArray bytes = m_store.partTraffic(row.line, row.offset, kHexBytesPerRow);
    text += m_store.kind(row.line) == TraceStore::Sent ? QChar(u'→') : QChar(u'←');
    text += QLatin1Char(' ') + OffsetText(row.offset, columns.offsetDigits) + QLatin1Char(' ');
    for (int i = 0; i < bytes.size(); ++i) {
        text.resize(columns.hexByte(i), u' ');
        text += QString::number(quint8(bytes[i]), 16).toUpper().rightJustified(2, u'0');
    }
    text.resize(columns.textField(), u' ');
    for (char byte : bytes)
        text += HexTextCharacter(static_cast<unsigned char>(byte));
    return text;
}

int TraceRows::lineOf(qint64 row) const
{
    return m_options.hex ? m_hexRows[size_t(row)].line : int(row);
}

qint64 TraceRows::firstRowOf(int line) const
{
    if (!m_options.hex)
        return line;
    const auto first = std::lower_bound(m_hexRows.begin(), m_hexRows.end(), line,
                                        [](const HexRow &hexRow, int wanted) { return hexRow.line < wanted; });
    return qint64(first - m_hexRows.begin());
}

int TraceRows::widestRow() const
{
    if (m_options.hex)
        return hexColumns().width();
    return m_widestText + (m_options.times ? kTimeWidth : 0);
}

int TraceRows::rowLength(qint64 row) const
{
    if (!m_options.hex) {
        const int line = int(row);
        return textPrefix(line) + m_store.lineLength(line);
    }
    const HexRow &hexRow = m_hexRows[size_t(row)];
    if (hexRow.offset == kHeadRow)
        return 0;
    if (hexRow.offset == kTextRow)
        return (m_options.times ? kTimeWidth : 0) + int(m_store.leadText(hexRow.line).size());
    return hexColumns().textField() + int(std::min<qint64>(kHexBytesPerRow, m_store.partSize(hexRow.line) - hexRow.offset));
}

bool TraceRows::hexSpan(qint64 row, HexSpan *span) const
{
    if (!m_options.hex || row < 0 || row >= rowCount() || m_hexRows[size_t(row)].offset < 0)
        return false;
    const HexRow &hexRow = m_hexRows[size_t(row)];
    span->line = hexRow.line;
    span->offset = hexRow.offset;
    span->count = int(std::min<qint64>(kHexBytesPerRow, m_store.partSize(hexRow.line) - hexRow.offset));
    return true;
}

int TraceRows::hexColumn(qint64 row, int byte) const
{
    HexSpan span;
    return hexSpan(row, &span) ? hexColumns().hexByte(byte) : -1;
}

int TraceRows::textColumn(qint64 row, int byte) const
{
    HexSpan span;
    return hexSpan(row, &span) ? hexColumns().textField() + byte : -1;
}

std::vector<ExchangeStart> TraceRows::exchangeStarts() const
{
    std::vector<ExchangeStart> starts;
    starts.reserve(size_t(m_store.exchangeCount()));
    for (int exchange = 0; exchange < m_store.exchangeCount(); ++exchange) {
        const int line = m_store.exchangeLine(exchange);
        starts.push_back({int(firstRowOf(line)), QDateTime::fromMSecsSinceEpoch(m_store.exchangeTime(exchange))});
    }
    return starts;
}

QString TraceRows::fileText() const
{
    QStringList rows;
    rows.reserve(rowCount());
    for (qint64 row = 0; row < rowCount(); ++row)
        rows << rowText(row);
    return TraceFileText(rows, exchangeStarts());
}

QByteArray TraceRows::hexQuery(const QString &what)
{
    QString digits = what;
    digits.remove(u' ');
    if (digits.isEmpty() || digits.size() % 2 != 0)
        return {};
    for (QChar c : digits) {
        if (!c.isDigit() && !(c.toLower() >= u'a' && c.toLower() <= u'f'))
            return {};
    }
    return QByteArray::fromHex(digits.toLatin1());
}

QString TraceRows::partText(int line) const
{
    QString text;
    for (int end = m_store.partEnd(line); line < end; ++line)
        text += m_store.lineText(line);
    return text;
}

bool TraceRows::matchIn(qint64 row, const QString &what, const QByteArray &bytes, int from, bool backward,
                        TraceMatch *match) const
{
    QString text;
    bool inPart = false;
    HexSpan span;
    if (m_options.hex && hexSpan(row, &span)) {
        if (span.offset != 0)
            return false; // the part is searched from its first row
        const QByteArray traffic = m_store.partTraffic(span.line);
        inPart = true;
        if (!bytes.isEmpty()) {
            const qsizetype found = backward ? (from < 0 ? -1 : traffic.lastIndexOf(bytes, std::min<qsizetype>(from, traffic.size())))
                                             : traffic.indexOf(bytes, from);
            if (found < 0)
                return false;
            *match = {row, int(found), int(bytes.size()), true};
            return true;
        }
        text = cp1251::decode(traffic); // one character a byte
    } else if (m_options.hex) {
        if (m_hexRows[size_t(row)].offset == kHeadRow)
            return false;
        text = m_store.leadText(m_hexRows[size_t(row)].line);
    } else if (m_store.continues(int(row))) {
        return false; // searched with the line it continues: text split by the wrap is found
    } else {
        text = partText(int(row));
    }
    const qsizetype last = text.size() - what.size();
    qsizetype found = -1;
    if (backward)
        found = from < 0 || last < 0 ? -1 : text.lastIndexOf(what, std::min<qsizetype>(from, last), Qt::CaseInsensitive);
    else
        found = text.indexOf(what, from, Qt::CaseInsensitive);
    if (found < 0)
        return false;
    *match = {row, int(found), int(what.size()), inPart};
    return true;
}

std::vector<ColumnRange> TraceRows::matchColumns(const TraceMatch &match, qint64 row) const
{
    if (match.row < 0 || row < match.row || row >= rowCount())
        return {};
    if (!match.inPart && m_options.hex) {
        const int prefix = m_options.times ? kTimeWidth : 0; // a text row: the time, then the text
        return row == match.row ? std::vector<ColumnRange>{{prefix + match.start, prefix + match.start + match.length}}
                                : std::vector<ColumnRange>{};
    }
    if (!match.inPart) {
        // The part's lines one after the other, each after its time.
        if (row >= m_store.partEnd(int(match.row)))
            return {};
        qint64 lineStart = 0;
        for (int line = int(match.row); line < row; ++line)
            lineStart += m_store.lineLength(line);
        const int line = int(row);
        const qint64 from = std::max<qint64>(match.start - lineStart, 0);
        const qint64 to = std::min<qint64>(match.start + match.length - lineStart, m_store.lineLength(line));
        if (from >= to)
            return {};
        const int prefix = textPrefix(line);
        return {{int(prefix + from), int(prefix + to)}};
    }
    HexSpan span;
    HexSpan matched;
    if (!hexSpan(row, &span) || !hexSpan(match.row, &matched) || span.line != matched.line)
        return {};
    const qint64 first = std::max<qint64>(match.start, span.offset);
    const qint64 last = std::min<qint64>(match.start + match.length, span.offset + span.count) - 1;
    if (first > last)
        return {};
    const HexColumns columns = hexColumns();
    const int from = int(first - span.offset);
    const int to = int(last - span.offset);
    return {{columns.hexByte(from), columns.hexByte(to) + 2}, {columns.textField() + from, columns.textField() + to + 1}};
}

std::pair<qint64, int> TraceRows::matchBegin(const TraceMatch &match) const
{
    if (match.inPart) {
        const qint64 row = match.row + match.start / kHexBytesPerRow;
        return {row, hexColumns().hexByte(match.start % kHexBytesPerRow)};
    }
    if (m_options.hex)
        return {match.row, (m_options.times ? kTimeWidth : 0) + match.start};
    int line = int(match.row);
    int start = match.start;
    for (const int end = m_store.partEnd(line); line + 1 < end && start >= m_store.lineLength(line); ++line)
        start -= m_store.lineLength(line);
    return {line, textPrefix(line) + start};
}

TraceMatch TraceRows::find(const QString &what, const TraceMatch &from, qint64 fromRow, bool backward,
                           bool *wrapped) const
{
    *wrapped = false;
    const qint64 count = rowCount();
    if (what.isEmpty() || count == 0)
        return {};
    const QByteArray bytes = m_options.hex ? hexQuery(what) : QByteArray();
    constexpr int kWhole = std::numeric_limits<int>::max();
    qint64 row = std::clamp<qint64>(fromRow, 0, count - 1);
    int position = backward ? kWhole : 0;
    if (from.row >= 0 && from.row < count) {
        row = from.row;
        position = backward ? from.start - 1 : from.start + 1;
    } else if (HexSpan span; hexSpan(row, &span)) {
        // Inside a part: from its byte shown first (or last) in that row.
        row -= span.offset / kHexBytesPerRow;
        position = int(backward ? span.offset + span.count - 1 : span.offset);
    } else if (!m_options.hex && m_store.continues(int(row))) {
        // A line that carries on the part above: from its first (or last) character.
        const int first = m_store.partStart(int(row));
        position = 0;
        for (int line = first; line < row; ++line)
            position += m_store.lineLength(line);
        if (backward)
            position += m_store.lineLength(int(row)) - 1;
        row = first;
    }
    for (qint64 step = 0; step <= count; ++step) {
        TraceMatch match;
        if (matchIn(row, what, bytes, position, backward, &match))
            return match;
        row += backward ? -1 : 1;
        if (row >= count || row < 0) {
            row = row < 0 ? count - 1 : 0;
            *wrapped = true;
        }
        position = backward ? kWhole : 0;
    }
    *wrapped = false;
    return {};
}

} // namespace tavrin
