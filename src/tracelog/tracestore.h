#pragma once

#include "link/linkui.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <vector>

namespace tavrin {

// A growing array kept in fixed blocks: it never copies what it holds to grow, so a
// long log costs its size and no more, and an element never moves.
template <typename T, int BlockBits>
class BlockArray {
public:
    qint64 size() const { return m_size; }
    const T &operator[](qint64 index) const { return m_blocks[size_t(index >> BlockBits)][index & kMask]; }
    T &operator[](qint64 index) { return m_blocks[size_t(index >> BlockBits)][index & kMask]; }
    void push_back(const T &value)
    {
        if ((m_size & kMask) == 0 && size_t(m_size >> BlockBits) == m_blocks.size())
            m_blocks.push_back(std::make_unique_for_overwrite<T[]>(size_t(kMask) + 1));
        (*this)[m_size++] = value;
    }
    void pop_back() { --m_size; }
    void resize_down(qint64 size) { m_size = std::min(size, m_size); }
    void clear()
    {
        m_blocks.clear();
        m_size = 0;
    }

private:
    static constexpr qint64 kMask = (qint64(1) << BlockBits) - 1;
    std::vector<std::unique_ptr<T[]>> m_blocks;
    qint64 m_size = 0;
};

// The exchange trace as it came: for each line of the log the bytes that show it, with
// the direction of the traffic on it and the time its first byte came; the exchanges
// with their start. About 12 bytes a line besides the bytes themselves, so a long log
// costs a few times what it logged, not the fifty times a text document takes.
//
// A line is a lead of text the log wrote itself (the blank that opens each trace line)
// followed by traffic: bytes sent or received. Text is kept as the bytes that show it
// (CP1251, control pictures as their control bytes), so every line reads back as it was
// shown. Traffic wraps onto a new line at 100 characters shown, as the trace always has.
class TraceStore {
public:
    enum Kind : quint8 { NoTraffic, Sent, Received };

    static constexpr int kLineChars = 100;
    // Bytes past this are not kept (about 400 million lines, far beyond a session).
    static constexpr qint64 kMaxBytes = 0xFFFFFFFFll;

    void clear();

    int lineCount() const { return int(m_lines.size()); }
    int lastLineLength() const { return m_lastLineChars; }

    void addLine(const QString &text, qint64 msecs);
    void appendText(const QString &text, qint64 msecs);
    void appendTraffic(const char *bytes, int count, TraceDirection direction, qint64 msecs);
    // The lines added from now on belong to a new exchange.
    void beginExchange(qint64 msecs);

    // Bytes on the line, its lead included.
    qint64 lineSize(int line) const { return lineEnd(line) - m_lines[line].start; }
    // The line as the trace shows it: each byte as TraceCharacter gives it.
    QString lineText(int line) const;
    // Its characters: every byte but the zero byte, which shows nothing.
    int lineLength(int line) const;
    Kind kind(int line) const { return Kind(m_lines[line].kind); }
    // The line carries on the traffic of the line before it.
    bool continues(int line) const { return m_lines[line].continues; }
    // When the line's first byte of traffic came, or, with none, when the line began.
    qint64 lineTime(int line) const;
    // Its lead: the text before the traffic.
    QString leadText(int line) const;
    // The traffic from this line and the lines that continue it.
    QByteArray partTraffic(int line) const;
    // count of those bytes from offset on (fewer at the part's end).
    QByteArray partTraffic(int line, qint64 offset, int count) const;
    qint64 partSize(int line) const;
    // The line after the last one that continues this one.
    int partEnd(int line) const;
    // The line whose traffic this one continues, or the line itself.
    int partStart(int line) const;

    int exchangeCount() const { return int(m_exchanges.size()); }
    int exchangeLine(int exchange) const { return m_exchanges[exchange].line; }
    qint64 exchangeTime(int exchange) const { return m_exchanges[exchange].msecs; }
    // The exchange whose lines include line, -1 for lines before the first one.
    int exchangeOf(int line) const;
    bool startsExchange(int line) const;

private:
    struct Line {
        quint32 start = 0;   // its first byte in m_bytes; it ends where the next line starts
        qint32 time = 0;     // ms after its exchange began (or after m_baseMsecs)
        quint16 lead = 0;    // bytes of text before its traffic
        quint8 kind = NoTraffic;
        bool continues = false;
    };
    // 12 bytes, not 16: a long log holds one for every three lines.
#pragma pack(push, 4)
    struct Exchange {
        int line = 0;
        qint64 msecs = 0;
    };
#pragma pack(pop)
    static_assert(sizeof(Line) == 12 && sizeof(Exchange) == 12);

    qint64 lineEnd(int line) const;
    qint64 timeBase(int line) const;
    qint32 relativeTime(int line, qint64 msecs) const;
    void newLine(qint64 msecs, Kind kind, bool continues);
    void appendByte(char byte) { m_bytes.push_back(byte); }

    BlockArray<char, 20> m_bytes;
    BlockArray<Line, 16> m_lines;
    BlockArray<Exchange, 16> m_exchanges;
    qint64 m_baseMsecs = 0; // the time base of lines before the first exchange
    int m_lastLineChars = 0;
};

} // namespace tavrin
