// The rows of the exchange log made from the stored trace: the hexadecimal view of
// every byte value, the times before commands and replies, finding in both views,
// switching views, and the saved file in each view. Times are given, not read from a
// clock, so every row is known to the character.
#include "tracelog/tracerows.h"
#include "tracelog/tracestore.h"

#include <QDateTime>
#include <QTest>

using namespace tavrin;

namespace {

const QDateTime kStart(QDate(2024, 3, 5), QTime(9, 7, 2, 250));

qint64 At(int msAfterStart)
{
    return kStart.toMSecsSinceEpoch() + msAfterStart;
}

// One exchange as the engine traces it: a blank line, the command on the next line, the
// reply on a third.
void Exchange(TraceStore &store, int ms, const QByteArray &command, const QByteArray &reply, int replyMs)
{
    store.beginExchange(At(ms));
    store.addLine(QStringLiteral(" "), At(ms));
    store.addLine(QStringLiteral(" "), At(ms));
    store.appendTraffic(command.constData(), int(command.size()), TraceDirection::Sent, At(ms + 1));
    store.addLine(QStringLiteral(" "), At(ms + 2));
    for (int i = 0; i < reply.size(); ++i) // byte by byte, as they come
        store.appendTraffic(reply.constData() + i, 1, TraceDirection::Received, At(replyMs + i));
}

QStringList Rows(TraceRows &rows, TraceViewOptions options)
{
    rows.setOptions(options);
    QStringList result;
    for (qint64 row = 0; row < rows.rowCount(); ++row)
        result << rows.rowText(row);
    return result;
}

// The bytes the hexadecimal rows show, read back from their hex fields.
QByteArray HexBytes(const TraceRows &rows)
{
    QByteArray bytes;
    for (qint64 row = 0; row < rows.rowCount(); ++row) {
        TraceRows::HexSpan span;
        if (!rows.hexSpan(row, &span))
            continue;
        const QString text = rows.rowText(row);
        for (int i = 0; i < span.count; ++i)
            bytes += QByteArray::fromHex(text.mid(rows.hexColumn(row, i), 2).toLatin1());
    }
    return bytes;
}

QByteArray EveryByte()
{
    QByteArray bytes;
    for (int value = 0; value < 256; ++value)
        bytes += char(value);
    return bytes;
}

} // namespace

class TestTraceRows : public QObject {
    Q_OBJECT
private slots:
    void hexRows_everyByteValue();
    void hexRows_partialRowAndDirections();
    void times_beforeEveryCommandAndReply_inOrder();
    void switchingViews_keepsEveryByte();
    void find_data();
    void find();
    void find_wrapsBothWays_notFound();
    void find_acrossTheTrafficWrap_data();
    void find_acrossTheTrafficWrap();
    void hexRows_longPart_offsetsWidenColumnsAlign();
    void fileText_inEachView_data();
    void fileText_inEachView();
    void growingReply_hexRowsFollow();
};

void TestTraceRows::hexRows_everyByteValue()
{
    TraceStore store;
    store.beginExchange(At(0));
    store.addLine(QStringLiteral(" "), At(0));
    store.addLine(QStringLiteral(" "), At(0));
    const QByteArray bytes = EveryByte();
    store.appendTraffic(bytes.constData(), int(bytes.size()), TraceDirection::Sent, At(1));
    TraceRows rows(store);
    const QStringList hex = Rows(rows, {true, false});
    QCOMPARE(hex.size(), 1 + 16); // the exchange's blank row, then 16 rows of 16
    QCOMPARE(hex[0], QString());
    QCOMPARE(hex[1], QStringLiteral("→ 0000 00 01 02 03 04 05 06 07  08 09 0A 0B 0C 0D 0E 0F "
                                    "\u2400\u2401\u2402\u2403\u2404\u2405\u2406\u2407"
                                    "\u2408\u2409\u240A\u240B\u240C\u240D\u240E\u240F"));
    QCOMPARE(hex[2], QStringLiteral("→ 0010 10 11 12 13 14 15 16 17  18 19 1A 1B 1C 1D 1E 1F "
                                    "\u2410\u2411\u2412\u2413\u2414\u2415\u2416\u2417"
                                    "\u2418\u2419\u241A\u241B\u241C\u241D\u241E\u241F"));
    QCOMPARE(hex[3], QStringLiteral("→ 0020 20 21 22 23 24 25 26 27  28 29 2A 2B 2C 2D 2E 2F  !\"#$%&'()*+,-./"));
    QCOMPARE(hex[8], QStringLiteral("→ 0070 70 71 72 73 74 75 76 77  78 79 7A 7B 7C 7D 7E 7F pqrstuvwxyz{|}~\u2421"));
    // CP1251's upper half; 0x98 has no character there.
    QCOMPARE(hex[10], QStringLiteral("→ 0090 90 91 92 93 94 95 96 97  98 99 9A 9B 9C 9D 9E 9F "
                                     "ђ‘’“”•–—\uFFFD™љ›њќћџ"));
    QCOMPARE(hex[11], QStringLiteral("→ 00A0 A0 A1 A2 A3 A4 A5 A6 A7  A8 A9 AA AB AC AD AE AF "
                                     "\u00A0ЎўЈ¤Ґ¦§Ё©Є«¬\u00AD®Ї"));
    QCOMPARE(hex[16], QStringLiteral("→ 00F0 F0 F1 F2 F3 F4 F5 F6 F7  F8 F9 FA FB FC FD FE FF рстуфхцчшщъыьэюя"));
    for (qint64 row = 1; row <= 16; ++row) {
        QCOMPARE(hex[int(row)].size(), hex[1].size()); // every column lines up
        QCOMPARE(rows.textColumn(row, 0), 56);
        QCOMPARE(rows.hexColumn(row, 8), 32);
    }
    QCOMPARE(HexBytes(rows), bytes);
}

void TestTraceRows::hexRows_partialRowAndDirections()
{
    TraceStore store;
    Exchange(store, 0, "PING\r", "{\"PING\":\"NoConnection\"}", 40);
    TraceRows rows(store);
    QCOMPARE(Rows(rows, {true, false}),
             QStringList({"",
                          "→ 0000 50 49 4E 47 0D" + QString(35, u' ') + "PING\u240D",
                          "← 0000 7B 22 50 49 4E 47 22 3A  22 4E 6F 43 6F 6E 6E 65 {\"PING\":\"NoConne",
                          "← 0010 63 74 69 6F 6E 22 7D" + QString(29, u' ') + "ction\"}"}));
}

void TestTraceRows::times_beforeEveryCommandAndReply_inOrder()
{
    TraceStore store;
    Exchange(store, 0, "PING\r", "{\"PING\":\"OK\"}", 40);
    // A reply of 120 bytes: its last 21 on a line of their own.
    Exchange(store, 1500, "HELP\r", "{" + QByteArray(118, 'h') + "}", 1600);
    TraceRows rows(store);
    QCOMPARE(Rows(rows, {false, true}),
             QStringList({" ", "09:07:02.251 PING\u240D", "09:07:02.290 {\"PING\":\"OK\"}", " ",
                          "09:07:03.751 HELP\u240D", "09:07:03.850 {" + QString(98, u'h'),
                          QString(12, u' ') + QString(20, u'h') + "}"}));
    // In the hexadecimal view the time goes before each part's first row.
    const QStringList hex = Rows(rows, {true, true});
    QCOMPARE(hex.size(), 3 + 1 + 1 + 8);
    QVERIFY2(hex[1].startsWith(QStringLiteral("09:07:02.251 → 0000 50 49")), qPrintable(hex[1]));
    QVERIFY2(hex[2].startsWith(QStringLiteral("09:07:02.290 ← 0000 7B 22")), qPrintable(hex[2]));
    QVERIFY2(hex[5].startsWith(QStringLiteral("09:07:03.850 ← 0000 7B 68")), qPrintable(hex[5]));
    QVERIFY2(hex[6].startsWith(QString(13, u' ') + QStringLiteral("← 0010 68")), qPrintable(hex[6]));
}

void TestTraceRows::switchingViews_keepsEveryByte()
{
    TraceStore store;
    const QByteArray bytes = EveryByte();
    // The wake-up byte and the command on one line, every byte value as the reply.
    store.beginExchange(At(0));
    store.addLine(QStringLiteral(" "), At(0));
    store.addLine(QStringLiteral(" "), At(0));
    store.appendTraffic("\0", 1, TraceDirection::Sent, At(1));
    store.appendTraffic("VER\r", 4, TraceDirection::Sent, At(101));
    store.addLine(QStringLiteral(" "), At(102));
    for (char byte : bytes)
        store.appendTraffic(&byte, 1, TraceDirection::Received, At(110));
    TraceRows rows(store);
    const QStringList text = Rows(rows, {});
    QCOMPARE(text[1], " VER\u240D"); // the zero byte shows nothing here...
    Rows(rows, {true, true});
    QCOMPARE(HexBytes(rows), QByteArray("\0VER\r", 5) + bytes); // ...and is kept
    QCOMPARE(Rows(rows, {false, true}).size(), text.size());
    QCOMPARE(Rows(rows, {}), text);
}

void TestTraceRows::find_data()
{
    QTest::addColumn<bool>("hex");
    QTest::addColumn<QString>("what");
    QTest::addColumn<QList<int>>("found"); // row, start, length of three finds in a row

    // Rows: 0 " ", 1 " PING␍", 2 {"PING":"NoConnection"}, 3 " ", 4 " VER␍", 5 {"VER":...}
    QTest::newRow("text, any case, each place then round again")
        << false << "ping" << QList<int>{1, 1, 4, 2, 3, 4, 1, 1, 4};
    QTest::newRow("text view: hexadecimal is text") << false << "7B 22" << QList<int>{};
    // Hex rows: 0 blank, 1 → PING, 2-3 ← reply, 4 blank, 5 → VER, 6-7 ← reply
    QTest::newRow("hex view: bytes across a row's end")
        << true << "65 63 74" << QList<int>{2, 15, 3, 6, 28, 3, 2, 15, 3};
    QTest::newRow("hex view: bytes without blanks, any case") << true << "7b22" << QList<int>{2, 0, 2, 6, 0, 2, 2, 0, 2};
    QTest::newRow("hex view: text across a row's end") << true << "CONNECTION" << QList<int>{2, 11, 10, 2, 11, 10, 2, 11, 10};
    QTest::newRow("hex view: letters are text") << true << "VER\"" << QList<int>{6, 2, 4, 6, 2, 4, 6, 2, 4};
}

void TestTraceRows::find()
{
    QFETCH(bool, hex);
    QFETCH(QString, what);
    QFETCH(QList<int>, found);
    TraceStore store;
    Exchange(store, 0, "PING\r", "{\"PING\":\"NoConnection\"}", 40);
    Exchange(store, 1000, "VER\r", "{\"VER\":\"OK\",\"Val\":\"1.07 connect\"}", 1040);
    TraceRows rows(store);
    rows.setOptions({hex, false});
    TraceMatch match;
    QList<int> got;
    for (int i = 0; i < 3; ++i) {
        bool wrapped = false;
        match = rows.find(what, match, 0, false, &wrapped);
        if (match.row < 0)
            break;
        got << int(match.row) << match.start << match.length;
        QCOMPARE(match.inPart, hex);
    }
    QCOMPARE(got, found);
}

void TestTraceRows::find_wrapsBothWays_notFound()
{
    TraceStore store;
    for (int i = 0; i < 4; ++i)
        Exchange(store, i * 1000, "PING\r", "{\"PING\":\"OK\"}", i * 1000 + 40);
    TraceRows rows(store);
    bool wrapped = true;
    // From row 10 (the last exchange's command) forward: row 10, 11, then round to row 1.
    TraceMatch match = rows.find(QStringLiteral("PING"), {}, 10, false, &wrapped);
    QCOMPARE(match.row, 10);
    QVERIFY(!wrapped);
    match = rows.find(QStringLiteral("PING"), match, 10, false, &wrapped);
    QCOMPARE(match.row, 11);
    match = rows.find(QStringLiteral("PING"), match, 10, false, &wrapped);
    QCOMPARE(match.row, 1);
    QVERIFY(wrapped);
    // Backward from there: round to the last row.
    match = rows.find(QStringLiteral("PING"), match, 0, true, &wrapped);
    QCOMPARE(match.row, 11);
    QVERIFY(wrapped);
    match = rows.find(QStringLiteral("PING"), match, 0, true, &wrapped);
    QCOMPARE(match.row, 10);
    QVERIFY(!wrapped);

    for (const bool hex : {false, true}) {
        rows.setOptions({hex, true});
        match = rows.find(QStringLiteral("PONG"), {}, 0, false, &wrapped);
        QCOMPARE(match.row, -1);
        match = rows.find(QStringLiteral("AB CD"), {}, 0, true, &wrapped);
        QCOMPARE(match.row, -1);
    }
    TraceStore empty;
    TraceRows none(empty);
    QCOMPARE(none.find(QStringLiteral("PING"), {}, 0, false, &wrapped).row, -1);
}

void TestTraceRows::find_acrossTheTrafficWrap_data()
{
    QTest::addColumn<bool>("hex");
    QTest::addColumn<bool>("times");
    QTest::addColumn<QList<int>>("found");  // row, start, length
    QTest::addColumn<QList<int>>("begin");  // row, column
    QTest::addColumn<QList<int>>("columns"); // row, from, to of each range drawn

    // Rows: 0 " ", 1 " HELP␍", 2 " " + 95 x + "WRAP", 3 "PED" + 30 y.
    QTest::newRow("text") << false << false << QList<int>{2, 96, 7} << QList<int>{2, 96}
                          << QList<int>{2, 96, 100, 3, 0, 3};
    QTest::newRow("text with times") << false << true << QList<int>{2, 96, 7} << QList<int>{2, 108}
                                     << QList<int>{2, 108, 112, 3, 12, 15};
    // Hex rows: 0 blank, 1 → HELP, 2-10 ← reply; byte 95 is the last of row 7.
    QTest::newRow("hex") << true << false << QList<int>{2, 95, 7} << QList<int>{7, 53}
                         << QList<int>{7, 53, 55, 7, 71, 72, 8, 7, 24, 8, 56, 62};
}

void TestTraceRows::find_acrossTheTrafficWrap()
{
    QFETCH(bool, hex);
    QFETCH(bool, times);
    QFETCH(QList<int>, found);
    QFETCH(QList<int>, begin);
    QFETCH(QList<int>, columns);
    TraceStore store;
    Exchange(store, 0, "HELP\r", QByteArray(95, 'x') + "WRAPPED" + QByteArray(30, 'y'), 40);
    TraceRows rows(store);
    rows.setOptions({hex, times});
    for (const qint64 fromRow : {qint64(0), qint64(3)}) { // from above, and from the wrapped row
        bool wrapped = false;
        const TraceMatch match = rows.find(QStringLiteral("wrapped"), {}, fromRow, false, &wrapped);
        QCOMPARE((QList<int>{int(match.row), match.start, match.length}), found);
        const auto [row, column] = rows.matchBegin(match);
        QCOMPARE((QList<int>{int(row), column}), begin);
        QList<int> drawn;
        for (qint64 r = 0; r < rows.rowCount(); ++r) {
            for (const ColumnRange &range : rows.matchColumns(match, r)) {
                drawn << int(r) << range.from << range.to;
                QVERIFY(range.to <= rows.rowLength(r));
                if (!hex) // the characters drawn are the ones found, less the wrap
                    QVERIFY(QStringLiteral("WRAPPED").contains(rows.rowText(r).mid(range.from, range.to - range.from)));
            }
        }
        QCOMPARE(drawn, columns);
    }
}

void TestTraceRows::hexRows_longPart_offsetsWidenColumnsAlign()
{
    // A stream of 70,000 bytes without a frame: offsets past FFFF take a fifth digit, and
    // every row of the log moves with them.
    TraceStore store;
    Exchange(store, 0, "PING\r", "{\"PING\":\"OK\"}", 40);
    TraceRows rows(store);
    rows.setOptions({true, false});
    QCOMPARE(rows.offsetDigits(), 4);
    const int changesBefore = rows.layoutChanges();
    QByteArray stream(70000, 'z');
    stream[0x10000] = 'A';
    store.addLine(QStringLiteral(" "), At(100));
    store.appendTraffic(stream.constData(), int(stream.size()), TraceDirection::Received, At(100));
    rows.update();
    QCOMPARE(rows.offsetDigits(), 5);
    QVERIFY(rows.layoutChanges() > changesBefore);
    const qint64 last = rows.rowCount() - 1;
    QCOMPARE(rows.rowText(1), "→ 00000 50 49 4E 47 0D" + QString(35, u' ') + "PING\u240D");
    QVERIFY2(rows.rowText(last).startsWith(QStringLiteral("← 11160 7A 7A 7A 7A")), qPrintable(rows.rowText(last)));
    for (const qint64 row : {qint64(1), qint64(2), qint64(3) + 0x1000, last}) {
        QCOMPARE(rows.rowText(row).size(), rows.rowLength(row));
        QVERIFY(rows.rowLength(row) <= rows.widestRow());
        QCOMPARE(rows.textColumn(row, 0), 57);
    }
    QCOMPARE(rows.rowText(3 + 0x1000).mid(rows.hexColumn(3 + 0x1000, 0), 2), QStringLiteral("41"));
    QCOMPARE(rows.rowText(3 + 0x1000).mid(rows.textColumn(3 + 0x1000, 0), 2), QStringLiteral("Az"));
    QCOMPARE(HexBytes(rows).size(), 5 + 13 + 70000);
}

void TestTraceRows::fileText_inEachView_data()
{
    QTest::addColumn<bool>("hex");
    QTest::addColumn<bool>("times");
    QTest::addColumn<QString>("text");
    QTest::newRow("text") << false << false
                          << "05.03.2024 09:07:02\n \n PING\u240D\n {\"PING\":\"OK\"}\n"
                             "05.03.2024 09:07:03\n \n VER\u240D\n \n";
    QTest::newRow("text with times")
        << false << true
        << "05.03.2024 09:07:02\n \n09:07:02.251 PING\u240D\n09:07:02.290 {\"PING\":\"OK\"}\n"
           "05.03.2024 09:07:03\n \n09:07:03.251 VER\u240D\n \n";
    QTest::newRow("hex")
        << true << false
        << "05.03.2024 09:07:02\n\n→ 0000 50 49 4E 47 0D" + QString(35, u' ') + "PING\u240D\n"
               "← 0000 7B 22 50 49 4E 47 22 3A  22 4F 4B 22 7D" + QString(10, u' ') + "{\"PING\":\"OK\"}\n"
               "05.03.2024 09:07:03\n\n→ 0000 56 45 52 0D" + QString(38, u' ') + "VER\u240D\n";
}

void TestTraceRows::fileText_inEachView()
{
    QFETCH(bool, hex);
    QFETCH(bool, times);
    QFETCH(QString, text);
    TraceStore store;
    Exchange(store, 0, "PING\r", "{\"PING\":\"OK\"}", 40);
    Exchange(store, 1000, "VER\r", "", 0); // no answer
    TraceRows rows(store);
    rows.setOptions({hex, times});
    QCOMPARE(rows.fileText(), text);
}

void TestTraceRows::growingReply_hexRowsFollow()
{
    // The rows are brought up to date while the reply still comes, a byte at a time.
    TraceStore store;
    TraceRows rows(store);
    rows.setOptions({true, false});
    Exchange(store, 0, "PING\r", "", 0);
    rows.update();
    QCOMPARE(rows.rowCount(), 2);
    const QByteArray reply = "{\"PING\":\"NoConnection\"}";
    for (int i = 0; i < reply.size(); ++i) {
        store.appendTraffic(reply.constData() + i, 1, TraceDirection::Received, At(50));
        rows.update();
        QCOMPARE(rows.rowCount(), 2 + (i + 16) / 16);
    }
    QCOMPARE(HexBytes(rows), "PING\r" + reply);
    store.clear();
    rows.update();
    QCOMPARE(rows.rowCount(), 0);
}

QTEST_GUILESS_MAIN(TestTraceRows)
#include "tst_tracerows.moc"
