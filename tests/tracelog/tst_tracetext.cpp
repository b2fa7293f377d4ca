// The log's rows as one text for assistive technology: offsets, rows and columns, parts
// of the text, and the character, word and line around an offset, in each view, while
// the trace grows a byte at a time past many rows.
#include "tracelog/tracerows.h"
#include "tracelog/tracestore.h"
#include "tracelog/tracetext.h"

#include <QTest>

using namespace tavrin;

namespace {

void Exchange(TraceStore &store, const QByteArray &command, const QByteArray &reply)
{
    store.beginExchange(0);
    store.addLine(QStringLiteral(" "), 0);
    store.addLine(QStringLiteral(" "), 0);
    store.appendTraffic(command.constData(), int(command.size()), TraceDirection::Sent, 1);
    store.addLine(QStringLiteral(" "), 2);
    for (char byte : reply)
        store.appendTraffic(&byte, 1, TraceDirection::Received, 3);
}

// The text as copying every row gives it.
QString Joined(const TraceRows &rows)
{
    QStringList all;
    for (qint64 row = 0; row < rows.rowCount(); ++row)
        all << rows.rowText(row);
    return all.join(u'\n');
}

using Unit = TraceText::Unit;

} // namespace

class TestTraceText : public QObject {
    Q_OBJECT
private slots:
    void wholeText_positionsRoundTrip_whileGrowing_data();
    void wholeText_positionsRoundTrip_whileGrowing();
    void units_data();
    void units();
};

void TestTraceText::wholeText_positionsRoundTrip_whileGrowing_data()
{
    QTest::addColumn<bool>("hex");
    QTest::addColumn<bool>("times");
    QTest::newRow("text") << false << false;
    QTest::newRow("text with times") << false << true;
    QTest::newRow("hex") << true << false;
    QTest::newRow("hex with times") << true << true;
}

void TestTraceText::wholeText_positionsRoundTrip_whileGrowing()
{
    QFETCH(bool, hex);
    QFETCH(bool, times);
    TraceStore store;
    TraceRows rows(store);
    rows.setOptions({hex, times});
    TraceText text(rows);
    const auto takeIn = [&] {
        rows.update();
        text.setRowCount(rows.rowCount());
    };
    // Enough exchanges for many marks, a zero byte that shows nothing, and a reply of
    // 300 bytes that wraps; each step read before the next, as a reader reads along.
    for (int i = 0; i < 90; ++i) {
        Exchange(store, i % 3 ? QByteArray("PING\r") : QByteArray("\0VER\r", 5), "{\"PING\":\"NoConnection\"}");
        takeIn();
        QCOMPARE(text.characterCount(), Joined(rows).size());
    }
    Exchange(store, "HELP\r", "");
    const QByteArray help = "{" + QByteArray(298, 'h') + "}";
    for (char byte : help) {
        store.appendTraffic(&byte, 1, TraceDirection::Received, 5);
        takeIn();
        QCOMPARE(text.characterCount(), Joined(rows).size());
    }
    const QString joined = Joined(rows);
    QVERIFY(rows.rowCount() > 3 * 64);
    QCOMPARE(text.text(0, text.characterCount()), joined);
    for (qint64 offset = 0; offset <= joined.size(); ++offset) {
        const auto [row, column] = text.positionOf(offset);
        QCOMPARE(text.offsetOf(row, column), offset);
    }
    for (const auto &[from, to] : {std::pair{0, 7}, std::pair{5, 600}, std::pair{1234, 1300}, std::pair{100, 100}})
        QCOMPARE(text.text(from, to), joined.mid(from, to - from));
    QCOMPARE(text.positionOf(joined.size() + 50), text.positionOf(joined.size()));
}

void TestTraceText::units_data()
{
    QTest::addColumn<int>("unit");
    QTest::addColumn<int>("offset");
    QTest::addColumn<QStringList>("texts"); // before, at, after

    // Rows: " ", " PING␍", " {"PING":"NoConnection"}"; text " \n PING␍\n {\"PING\":\"NoConnection\"}".
    QTest::newRow("character") << int(Unit::Character) << 3 << QStringList{" ", "P", "I"};
    QTest::newRow("character at the start") << int(Unit::Character) << 0 << QStringList{"", " ", "\n"};
    QTest::newRow("word") << int(Unit::Word) << 4 << QStringList{" ", "PING", "␍"};
    QTest::newRow("word in the reply") << int(Unit::Word) << 21 << QStringList{"\"", "NoConnection", "\""};
    QTest::newRow("line") << int(Unit::Line) << 4 << QStringList{" ", " PING␍", " {\"PING\":\"NoConnection\"}"};
    QTest::newRow("line at its line feed") << int(Unit::Line) << 7 << QStringList{" ", " PING␍", " {\"PING\":\"NoConnection\"}"};
    QTest::newRow("last line") << int(Unit::Line) << 20 << QStringList{" PING␍", " {\"PING\":\"NoConnection\"}", ""};
    QTest::newRow("whole") << int(Unit::Whole) << 5 << QStringList{"", " \n PING␍\n {\"PING\":\"NoConnection\"}", ""};
}

void TestTraceText::units()
{
    QFETCH(int, unit);
    QFETCH(int, offset);
    QFETCH(QStringList, texts);
    TraceStore store;
    Exchange(store, "PING\r", "{\"PING\":\"NoConnection\"}");
    TraceRows rows(store);
    rows.update();
    TraceText text(rows);
    text.setRowCount(rows.rowCount());
    const auto read = [&](std::pair<qint64, qint64> range) { return text.text(range.first, range.second); };
    QCOMPARE((QStringList{read(text.unitBefore(offset, Unit(unit))), read(text.unitAt(offset, Unit(unit))),
                          read(text.unitAfter(offset, Unit(unit)))}),
             texts);
}

QTEST_GUILESS_MAIN(TestTraceText)
#include "tst_tracetext.moc"
