// The frame scanner on its own: literal bytes fed one by one, and where the frame
// stands after them.
#include "link/framescanner.h"

#include <QTest>

using namespace tavrin;

namespace {

constexpr auto Seeking = FrameScanner::SeekingStart;
constexpr auto Inside = FrameScanner::InsideFrame;
constexpr auto Complete = FrameScanner::FrameComplete;
constexpr auto Overflow = FrameScanner::Overflow;

// Feeds bytes until the frame is complete or overflows; the bytes after that are
// not fed. Returns the number fed.
int feedUntilDone(FrameScanner &scanner, const QByteArray &bytes)
{
    int fed = 0;
    for (const char byte : bytes) {
        ++fed;
        const FrameScanner::Progress progress = scanner.feed(byte);
        if (progress == FrameScanner::FrameComplete || progress == FrameScanner::Overflow)
            break;
    }
    return fed;
}

QByteArray frameOfLength(int length)
{
    // {"K":"xxx...x"} padded to the length asked for.
    return "{\"K\":\"" + QByteArray(length - 8, 'x') + "\"}";
}

} // namespace

class FrameScannerTest : public QObject {
    Q_OBJECT
private slots:
    void feed_data();
    void feed();
};

void FrameScannerTest::feed_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<FrameScanner::Progress>("progress");
    QTest::addColumn<int>("fed");
    QTest::addColumn<QByteArray>("stored"); // the buffer as zero-terminated text

    const QByteArray ping = "{\"PING\":\"Connected\"}";
    QTest::newRow("a whole reply") << ping << Complete << 20 << ping;
    QTest::newRow("7B 22 7D: one quote opens and closes")
        << QByteArray("\x7B\x22\x7D") << Complete << 3 << QByteArray("{\"}");
    QTest::newRow("nothing between the marks")
        << QByteArray("{\"\"}") << Complete << 4 << QByteArray("{\"\"}");
    QTest::newRow("bytes before the start mark are dropped")
        << QByteArray("x\r\n{\"A\"}") << Complete << 8 << QByteArray("{\"A\"}");
    QTest::newRow("bytes after the frame are not taken")
        << QByteArray("{\"A\"}{\"B\"}") << Complete << 5 << QByteArray("{\"A\"}");
    QTest::newRow("a brace inside the frame")
        << QByteArray("{\"{\"}") << Complete << 5 << QByteArray("{\"{\"}");
    QTest::newRow("a right brace without its quote is no end")
        << QByteArray("{\"a}b\"}") << Complete << 7 << QByteArray("{\"a}b\"}");

    // A second brace where the quote belongs drops both; so does any other byte.
    QTest::newRow("two braces then quote")
        << QByteArray("{{\"PING\":\"x\"") << Seeking << 12 << QByteArray("\"");
    QTest::newRow("two braces, later start mark")
        << QByteArray("{{\"A{\"}") << Complete << 7 << QByteArray("{\"}");
    QTest::newRow("brace, other byte, quote") << QByteArray("{x\"}") << Seeking << 4 << QByteArray("}");
    QTest::newRow("end mark without start") << QByteArray("\"}\"}") << Seeking << 4 << QByteArray("}");
    QTest::newRow("a lone brace is no start mark") << QByteArray("{") << Seeking << 1 << QByteArray("{");
    QTest::newRow("nothing") << QByteArray() << Seeking << 0 << QByteArray();

    QTest::newRow("the start mark") << QByteArray("{\"") << Inside << 2 << QByteArray("{\"");
    QTest::newRow("start mark then part of a reply")
        << QByteArray("{\"PING\":") << Inside << 8 << QByteArray("{\"PING\":");

    // 500 bytes, marks included, is the most a frame holds.
    QTest::newRow("exactly 500 bytes") << frameOfLength(500) << Complete << 500 << frameOfLength(500);
    QTest::newRow("the 500th byte does not end it")
        << frameOfLength(501) << Overflow << 500 << frameOfLength(501).left(500);
    QTest::newRow("600 bytes before a 500-byte frame do not count")
        << QByteArray(600, 'x') + frameOfLength(500) << Complete << 1100 << frameOfLength(500);
}

void FrameScannerTest::feed()
{
    QFETCH(QByteArray, bytes);
    std::array<char, 501> buffer;
    buffer.fill('#');
    FrameScanner scanner(buffer);
    QTEST(feedUntilDone(scanner, bytes), "fed");
    QTEST(scanner.progress(), "progress");
    QTEST(QByteArray(buffer.data()), "stored");
}

QTEST_GUILESS_MAIN(FrameScannerTest)
#include "tst_framescanner.moc"
