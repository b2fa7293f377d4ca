#include "tracelog/tracestore.h"

#include "link/exchangechannel.h"
#include "settings/cp1251.h"

#include <algorithm>
#include <limits>

namespace tavrin {

namespace {

constexpr char16_t kFirstPicture = 0x2400;
constexpr char16_t kDeletePicture = 0x2421;

// The byte that shows as c in the trace: control pictures stand for their control
// bytes, everything else is CP1251 ('?' where it has no form there).
char ByteShownAs(QChar c)
{
    const char16_t code = c.unicode();
    if (code < 0x80)
        return char(code);
    if (code > kFirstPicture && code < kFirstPicture + 0x20)
        return char(code - kFirstPicture);
    if (code == kDeletePicture)
        return char(0x7F);
    const QByteArray encoded = cp1251::encode(QString(c));
    return encoded.isEmpty() ? '?' : encoded[0];
}

} // namespace

void TraceStore::clear()
{
    m_bytes.clear();
    m_lines.clear();
    m_exchanges.clear();
    m_baseMsecs = 0;
    m_lastLineChars = 0;
}

void TraceStore::newLine(qint64 msecs, Kind kind, bool continuing)
{
    if (m_lines.size() == 0 && m_exchanges.size() == 0)
        m_baseMsecs = msecs;
    Line line;
    line.start = quint32(m_bytes.size());
    line.kind = kind;
    line.continues = continuing;
    m_lines.push_back(line);
    m_lines[m_lines.size() - 1].time = relativeTime(int(m_lines.size() - 1), msecs);
    m_lastLineChars = 0;
}

void TraceStore::addLine(const QString &text, qint64 msecs)
{
    newLine(msecs, NoTraffic, false);
    appendText(text, msecs);
}

void TraceStore::appendText(const QString &text, qint64 msecs)
{
    if (m_lines.size() == 0)
        newLine(msecs, NoTraffic, false);
    if (m_bytes.size() + text.size() > kMaxBytes)
        return;
    for (QChar c : text)
        appendByte(ByteShownAs(c));
    m_lastLineChars += int(text.size());
}

void TraceStore::appendTraffic(const char *bytes, int count, TraceDirection direction, qint64 msecs)
{
    if (m_lines.size() == 0)
        newLine(msecs, NoTraffic, false);
    if (m_bytes.size() + count > kMaxBytes)
        return;
    const Kind wanted = direction == TraceDirection::Sent ? Sent : Received;
    for (int i = 0; i < count; ++i) {
        const int last = int(m_lines.size() - 1);
        Line &line = m_lines[last];
        if (m_lastLineChars >= kLineChars) {
            newLine(msecs, wanted, line.kind == wanted);
        } else if (line.kind == NoTraffic) {
            const qint64 lead = m_bytes.size() - line.start;
            if (lead > std::numeric_limits<quint16>::max()) {
                newLine(msecs, wanted, false);
            } else {
                line.lead = quint16(lead);
                line.kind = wanted;
                line.time = relativeTime(last, msecs);
            }
        } else if (line.kind != wanted) {
            // The other direction on the same line would leave its bytes unattributed.
            newLine(msecs, wanted, false);
        }
        appendByte(bytes[i]);
        if (bytes[i] != 0)
            ++m_lastLineChars;
    }
}

void TraceStore::beginExchange(qint64 msecs)
{
    if (m_exchanges.size() > 0 && m_exchanges[m_exchanges.size() - 1].line == lineCount())
        m_exchanges.pop_back();
    if (m_lines.size() == 0 && m_exchanges.size() == 0)
        m_baseMsecs = msecs;
    m_exchanges.push_back({lineCount(), msecs});
}

qint64 TraceStore::lineEnd(int line) const
{
    return line + 1 < lineCount() ? qint64(m_lines[line + 1].start) : m_bytes.size();
}

QString TraceStore::lineText(int line) const
{
    QString text;
    const qint64 end = lineEnd(line);
    text.reserve(end - m_lines[line].start);
    for (qint64 i = m_lines[line].start; i < end; ++i)
        text += TraceCharacter(static_cast<unsigned char>(m_bytes[i]));
    return text;
}

int TraceStore::lineLength(int line) const
{
    int length = 0;
    for (qint64 i = m_lines[line].start, end = lineEnd(line); i < end; ++i)
        length += m_bytes[i] != 0 ? 1 : 0;
    return length;
}

QString TraceStore::leadText(int line) const
{
    const Line &stored = m_lines[line];
    const qint64 end = stored.kind == NoTraffic ? lineEnd(line) : qint64(stored.start) + stored.lead;
    QString text;
    for (qint64 i = stored.start; i < end; ++i)
        text += TraceCharacter(static_cast<unsigned char>(m_bytes[i]));
    return text;
}

qint64 TraceStore::partSize(int line) const
{
    const Line &stored = m_lines[line];
    return stored.kind == NoTraffic ? 0 : lineEnd(partEnd(line) - 1) - (qint64(stored.start) + stored.lead);
}

int TraceStore::partEnd(int line) const
{
    int end = line + 1;
    while (end < lineCount() && m_lines[end].continues)
        ++end;
    return end;
}

QByteArray TraceStore::partTraffic(int line) const
{
    return partTraffic(line, 0, int(std::min<qint64>(partSize(line), std::numeric_limits<int>::max())));
}

QByteArray TraceStore::partTraffic(int line, qint64 offset, int count) const
{
    const qint64 begin = qint64(m_lines[line].start) + m_lines[line].lead + offset;
    QByteArray traffic(std::clamp<qint64>(partSize(line) - offset, 0, count), Qt::Uninitialized);
    for (qint64 i = 0; i < traffic.size(); ++i)
        traffic[i] = m_bytes[begin + i];
    return traffic;
}

int TraceStore::partStart(int line) const
{
    while (line > 0 && m_lines[line].continues)
        --line;
    return line;
}

int TraceStore::exchangeOf(int line) const
{
    // The last exchange that began at or before the line.
    qint64 low = 0;
    qint64 high = m_exchanges.size();
    while (low < high) {
        const qint64 middle = (low + high) / 2;
        if (m_exchanges[middle].line <= line)
            low = middle + 1;
        else
            high = middle;
    }
    return int(low) - 1;
}

bool TraceStore::startsExchange(int line) const
{
    const int exchange = exchangeOf(line);
    return exchange >= 0 && m_exchanges[exchange].line == line;
}

qint64 TraceStore::timeBase(int line) const
{
    const int exchange = exchangeOf(line);
    return exchange < 0 ? m_baseMsecs : m_exchanges[exchange].msecs;
}

qint32 TraceStore::relativeTime(int line, qint64 msecs) const
{
    const qint64 after = msecs - timeBase(line);
    return qint32(std::clamp<qint64>(after, std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max()));
}

qint64 TraceStore::lineTime(int line) const
{
    return timeBase(line) + m_lines[line].time;
}

} // namespace tavrin
