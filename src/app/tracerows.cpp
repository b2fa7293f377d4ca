#include "app/tracerows.h"

#include "settings/cp1251.h"

#include <QDateTime>
#include <QStringList>

#include <algorithm>
#include <limits>

namespace tavrin {

namespace {

constexpr int kHexFieldWidth = TraceRows::kHexBytesPerRow * 3 + 1; // "XX " each, a gap after the 8th

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

QString OffsetText(qint64 offset)
{
    return QString::number(offset, 16).toUpper().rightJustified(4, u'0');
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
    }
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

QString TraceRows::hexRowText(const HexRow &row) const
{
    if (row.offset == kHeadRow)
        return {};
    if (row.offset == kTextRow)
        return m_options.times ? timeText(row.line) + m_store.leadText(row.line) : m_store.leadText(row.line);
    QString text;
    if (m_options.times)
        text = row.offset == 0 ? timeText(row.line) + QLatin1Char(' ') : QString(kTimeWidth + 1, u' ');
    const QByteArray bytes = m_store.partTraffic(row.line).mid(row.offset, kHexBytesPerRow);
    text += m_store.kind(row.line) == TraceStore::Sent ? QChar(u'→') : QChar(u'←');
    text += QLatin1Char(' ') + OffsetText(row.offset) + QLatin1Char(' ');
    for (int i = 0; i < kHexBytesPerRow; ++i) {
        text += i < bytes.size() ? QString::number(quint8(bytes[i]), 16).toUpper().rightJustified(2, u'0') + QLatin1Char(' ')
                                 : QStringLiteral("   ");
        if (i == kHexBytesPerRow / 2 - 1)
            text += u' ';
    }
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
        return (m_options.times ? kTimeWidth + 1 : 0) + 2 + 4 + 1 + kHexFieldWidth + kHexBytesPerRow;
    return m_widestText + (m_options.times ? kTimeWidth : 0);
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
    if (!hexSpan(row, &span))
        return -1;
    const int prefix = m_options.times ? kTimeWidth + 1 : 0;
    return prefix + 2 + int(OffsetText(span.offset).size()) + 1 + byte * 3 + (byte >= kHexBytesPerRow / 2 ? 1 : 0);
}

int TraceRows::textColumn(qint64 row, int byte) const
{
    HexSpan span;
    if (!hexSpan(row, &span))
        return -1;
    const int prefix = m_options.times ? kTimeWidth + 1 : 0;
    return prefix + 2 + int(OffsetText(span.offset).size()) + 1 + kHexFieldWidth + byte;
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
    } else if (m_options.hex && m_hexRows[size_t(row)].offset == kHeadRow) {
        return false;
    } else {
        text = rowText(row);
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
