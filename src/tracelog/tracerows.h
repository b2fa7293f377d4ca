#pragma once

#include "tracelog/tracefile.h"
#include "tracelog/tracestore.h"

#include <QString>

#include <utility>
#include <vector>

namespace tavrin {

// How the exchange log shows the trace.
struct TraceViewOptions {
    bool hex = false;   // offset, hexadecimal bytes and their text, 16 bytes a row
    bool times = false; // a local time with milliseconds before each command and reply
    bool operator==(const TraceViewOptions &) const = default;
};

// Where a find ended: a run of characters or bytes of one part (the bytes of one
// direction with the text before them), which may cross its rows where the traffic
// wraps. row is the part's first row.
struct TraceMatch {
    qint64 row = -1;
    int start = 0;  // character in the part's text, or byte in the part's traffic
    int length = 0; // characters or bytes
    bool inPart = false; // bytes of the hexadecimal view
    bool operator==(const TraceMatch &) const = default;
};

// A run of columns of one row, the last one not included.
struct ColumnRange {
    int from = 0;
    int to = 0;
    bool operator==(const ColumnRange &) const = default;
};

// The rows of the trace as the log draws, finds, copies and saves them, made from the
// store only for the rows asked for. The text view's rows are the store's lines; the
// hexadecimal view keeps an index of which part and offset each of its rows shows (8
// bytes a row, only while that view is on), brought up to date from the last part on.
class TraceRows {
public:
    static constexpr int kHexBytesPerRow = 16;
    static constexpr int kTimeWidth = 12; // "HH:mm:ss.zzz"

    explicit TraceRows(const TraceStore &store) : m_store(store) {}

    TraceViewOptions options() const { return m_options; }
    void setOptions(const TraceViewOptions &options);
    // Takes in what the store gained since the last call (or that it was cleared).
    void update();

    qint64 rowCount() const;
    QString rowText(qint64 row) const;
    // The store line a row is made from, and the first row made from a line.
    int lineOf(qint64 row) const;
    qint64 firstRowOf(int line) const;
    // The rows' widest text, in characters (the hexadecimal rows all have one width).
    int widestRow() const;
    // How many characters rowText(row) holds, without making the text.
    int rowLength(qint64 row) const;
    // Counts the changes that altered rows already taken in (a view switched, the log
    // cleared, the offsets widened), as opposed to rows only added or the last one grown.
    int layoutChanges() const { return m_layoutChanges; }

    // In the hexadecimal view: the part row shows, the offset in it of its first byte
    // and how many of the part's bytes it shows; false for other rows.
    struct HexSpan {
        int line = 0;
        qint64 offset = 0;
        int count = 0;
    };
    bool hexSpan(qint64 row, HexSpan *span) const;
    // Where byte column of a hexadecimal row begins in the row's text, in its hex field
    // and in its text field. -1 when the row shows no bytes.
    int hexColumn(qint64 row, int byte) const;
    int textColumn(qint64 row, int byte) const;
    // Hexadecimal digits of the offsets: four, or as many as the longest part needs.
    int offsetDigits() const { return m_offsetDigits; }

    // The exchanges' first rows, for the saved file's date-and-time headings.
    std::vector<ExchangeStart> exchangeStarts() const;
    // The whole trace as a file keeps it, in the view shown.
    QString fileText() const;

    // The next (or previous) place after (before) from that holds what; an invalid
    // from starts at fromRow's start (or end). In the hexadecimal view what may be
    // bytes written in hexadecimal ("7B 22", "7b22"); text is found without regard to
    // case. Wraps past the end; *wrapped says so. An invalid match when there is none.
    TraceMatch find(const QString &what, const TraceMatch &from, qint64 fromRow, bool backward, bool *wrapped) const;
    // The bytes a hexadecimal query stands for; empty when it is not one.
    static QByteArray hexQuery(const QString &what);
    // The columns of row that show match (in the hexadecimal view its bytes and their
    // text), and the row and column where it begins.
    std::vector<ColumnRange> matchColumns(const TraceMatch &match, qint64 row) const;
    std::pair<qint64, int> matchBegin(const TraceMatch &match) const;

private:
    struct HexRow {
        int line = 0;
        qint32 offset = 0; // byte offset in the part, or one of the kinds below
    };
    static constexpr qint32 kHeadRow = -1; // the blank row that opens an exchange
    static constexpr qint32 kTextRow = -2; // a line of text without traffic

    // The columns of a hexadecimal row that shows bytes: time, direction and offset,
    // the bytes in hexadecimal with a gap after the eighth, then their text.
    struct HexColumns {
        int prefix = 0; // the time and its blank, when times are shown
        int offsetDigits = 4;
        int hexField() const { return prefix + 2 + offsetDigits + 1; }
        int hexByte(int byte) const { return hexField() + byte * 3 + (byte >= kHexBytesPerRow / 2 ? 1 : 0); }
        int textField() const { return hexField() + kHexBytesPerRow * 3 + 1; }
        int width() const { return textField() + kHexBytesPerRow; }
    };
    HexColumns hexColumns() const;
    QString timeText(int line) const;
    // Columns before a text-view row's stored text: its time, when times are shown.
    int textPrefix(int line) const;
    QString hexRowText(const HexRow &row) const;
    void indexHexRows();
    // A text-view part's text: its lines' text one after the other.
    QString partText(int line) const;
    bool matchIn(qint64 row, const QString &what, const QByteArray &bytes, int from, bool backward, TraceMatch *match) const;

    const TraceStore &m_store;
    TraceViewOptions m_options;
    std::vector<HexRow> m_hexRows;
    int m_hexTailLine = 0;       // the first line whose rows may still change
    qint64 m_hexTailRow = 0;     // its first row
    int m_widestText = 0;        // text view: the longest line, in characters
    int m_measuredLines = 0;
    int m_offsetDigits = 4;
    int m_layoutChanges = 0;
};

} // namespace tavrin
