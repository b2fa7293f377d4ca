// The exchange engine over a scripted port: framing, time-outs, attempts, Esc, the
// window closing, the phone link's grace window and carrier loss.
#include "fakes.h"

#include "link/exchangechannel.h"
#include "link/serialport.h"
#include "settings/settings.h"

#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

#include <cstring>

using namespace tavrin;
using namespace tavrin::test;

namespace {

struct Rig {
    FakeUi ui;
    ScriptedPort port;
    Settings settings;
    ExchangeChannel channel;

    Rig()
    {
        channel.ui = &ui;
        channel.port = &port;
        channel.settings = &settings;
        channel.firstByteWaitMs = 150;
        channel.interByteWaitMs = 40;
        channel.attempts = 1;
    }
    bool run(const QByteArray &command)
    {
        return RunExchange(channel, command.constData(), int(command.size()));
    }
    int commandWrites() const
    {
        int n = 0;
        for (const QByteArray &w : port.writes)
            n += w != QByteArray(1, '\0');
        return n;
    }
};

QByteArray frameOfLength(int length)
{
    // {"K":"xxx...x"} padded to the length asked for.
    QByteArray frame = "{\"K\":\"";
    frame += QByteArray(length - int(frame.size()) - 2, 'x');
    frame += "\"}";
    return frame;
}

// The bytes one by one, each a chunk of its own.
QList<QByteArray> bytewise(const QByteArray &bytes)
{
    QList<QByteArray> chunks;
    for (const char byte : bytes)
        chunks.append(QByteArray(1, byte));
    return chunks;
}

} // namespace

class ExchangeTest : public QObject {
    Q_OBJECT
private slots:
    void framing_data();
    void framing();
    void continuousGarbage_endsAtFirstByteDeadline();
    void wakeUpByte_isWrittenThenPurgedAndLeavesNoTrace();
    void failedCycles_data();
    void failedCycles();
    void zeroAttempts_makeOneCycle();
    void overlongCommand_isRefusedWithNothingWritten();
    void abortDuringReceive_endsWithoutFurtherAttempts_data();
    void abortDuringReceive_endsWithoutFurtherAttempts();
    void abortRaisedBetweenExchanges_endsNextCycle();
    void secondExchangeFromEventHandler_isRefused();
    void graceWindow_retriesTimeOutsFreeOnPhoneLinkOnly_data();
    void graceWindow_retriesTimeOutsFreeOnPhoneLinkOnly();
    void noCarrierMidFrame_endsWithCarrierLost();
    void carrierRing_searchedInStorageOrder_data();
    void carrierRing_searchedInStorageOrder();
    void bytesWaitingBeforeThePurge_data();
    void bytesWaitingBeforeThePurge();
    void failedRedial_asksAgainUntilDeclined();
    void declinedRestore_leavesTokenUntilLinkIsArmedAgain();
};

void ExchangeTest::framing_data()
{
    QTest::addColumn<QList<QByteArray>>("chunks"); // delivered 5 ms apart
    QTest::addColumn<int>("result");
    QTest::addColumn<QByteArray>("frame");

    QTest::newRow("three bytes 7B 22 7D") << QList<QByteArray>{"\x7B\x22\x7D"} << 0 << QByteArray("{\"}");
    QTest::newRow("x before the frame")
        << QList<QByteArray>{"x", "{\"PING\":\"Connected\"}"} << 0 << QByteArray("{\"PING\":\"Connected\"}");
    QTest::newRow("bytes after the frame stay out")
        << QList<QByteArray>{"{\"A\"}{\"B\"}"} << 0 << QByteArray("{\"A\"}");
    QTest::newRow("two braces then quote") << QList<QByteArray>{"{{\"PING\":\"x\""} << 3 << QByteArray();
    QTest::newRow("two braces, later start mark")
        << QList<QByteArray>{"{{\"A{\"}"} << 0 << QByteArray("{\"}");
    QTest::newRow("quote brace without start") << QList<QByteArray>{"\"}\"}"} << 3 << QByteArray();
    QTest::newRow("exactly 500 bytes") << QList<QByteArray>{frameOfLength(500)} << 0 << frameOfLength(500);
    QTest::newRow("500th byte does not end it")
        << QList<QByteArray>{frameOfLength(501)} << 7 << QByteArray();
    QTest::newRow("start mark then silence") << QList<QByteArray>{"{\"PING\":"} << 4 << QByteArray();
    // The gap limit starts with the quote of the start mark, not with its brace.
    QTest::newRow("brace alone then silence") << QList<QByteArray>{"{"} << 3 << QByteArray();
    QTest::newRow("whole start mark then silence") << QList<QByteArray>{"{\""} << 4 << QByteArray();
    QTest::newRow("nothing") << QList<QByteArray>{} << 3 << QByteArray();
    // 36 bytes 5 ms apart take longer than the 150 ms first-byte wait.
    const QByteArray slow = "{\"PING\":\"WaitForKEEP\",\"Val\":\"0A:1B\"}";
    QTest::newRow("trickle slower than the first-byte wait") << bytewise(slow) << 0 << slow;
    const QByteArray carrierText = "{\"PING\":\"Wa\r\nNO CARRIER\r\n\"}";
    QTest::newRow("NO CARRIER on a direct link is just bytes") << QList<QByteArray>{carrierText} << 0 << carrierText;
}

void ExchangeTest::framing()
{
    QFETCH(QList<QByteArray>, chunks);
    QFETCH(int, result);
    QFETCH(QByteArray, frame);
    Rig rig;
    ScriptedPort::Reply reply;
    for (int k = 0; k < chunks.size(); ++k)
        reply.append({5 + 5 * k, chunks[k]});
    rig.port.replies = {reply};

    QCOMPARE(rig.run("PING"), result == 0);
    QCOMPARE(rig.channel.result, result);
    QCOMPARE(rig.port.writes, QList<QByteArray>{QByteArray("\x50\x49\x4E\x47\x0D")});
    if (result == 0) {
        QCOMPARE(QByteArray(rig.channel.reply()), frame);
        QCOMPARE(rig.port.purges, 1); // before the write; none after a frame
    }
    QCOMPARE(rig.ui.resultTexts.size(), result == 0 ? 0 : 1); // success shows nothing
    QVERIFY(rig.ui.questions.isEmpty());
}

void ExchangeTest::continuousGarbage_endsAtFirstByteDeadline()
{
    Rig rig;
    rig.channel.firstByteWaitMs = 100;
    rig.port.replies = {ScriptedPort::trickle(QByteArray(400, 'x'), 1, 3)}; // 1.2 s of garbage
    QElapsedTimer clock;
    clock.start();
    QVERIFY(!rig.run("PING"));
    QCOMPARE(rig.channel.result, 3);
    QVERIFY2(clock.elapsed() < 800, "garbage held the cycle past its first-byte deadline");
}

void ExchangeTest::wakeUpByte_isWrittenThenPurgedAndLeavesNoTrace()
{
    Rig rig;
    rig.channel.wakeUpByte = true;
    rig.channel.timing.wakeUpPauseMs = 30;
    rig.port.replies = {{{5, "x\r\n{\"PING\":\"Connected\"}"}}};
    QVERIFY(rig.run("PING"));
    QCOMPARE(rig.port.journal, (QList<QByteArray>{"write 00", "purge", "write 50494e470d"}));
    // The wake-up byte leaves no mark in the trace; CR and LF show as their symbols.
    QCOMPARE(rig.ui.trace.lines, (QStringList{" ", QString::fromUtf8(" PING\u240D"),
                                              QString::fromUtf8(" x\u240D\u240A{\"PING\":\"Connected\"}")}));
}

void ExchangeTest::failedCycles_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<int>("attempts");
    QTest::addColumn<int>("result");
    QTest::addColumn<int>("commands"); // command writes that reached the port
    QTest::addColumn<int>("errorClears");
    QTest::addColumn<QStringList>("shown");
    const QStringList noReply{QString::fromUtf8("Устройство не отвечает")};
    const QStringList writeFailed{QString::fromUtf8("Сбой при выполнении операции записи")};
    QTest::newRow("silent device on a direct link spends every attempt") << "silent" << 3 << 3 << 3 << 0 << noReply;
    QTest::newRow("write failure clears the error and costs the attempt") << "write" << 2 << 1 << 0 << 2 << writeFailed;
    // A read error is a port that went away: no byte, so the cycle ends by time-out.
    QTest::newRow("read error counts as no byte") << "read" << 1 << 3 << 1 << 1 << noReply;
    QTest::newRow("no port fails with the write code") << "no port" << 1 << 1 << 0 << 0 << writeFailed;
}

void ExchangeTest::failedCycles()
{
    QFETCH(QString, fault);
    Rig rig;
    rig.channel.firstByteWaitMs = 30;
    QFETCH(int, attempts);
    rig.channel.attempts = attempts;
    rig.port.failWrites = fault == "write";
    rig.port.failNextRead = fault == "read";
    if (fault == "no port")
        rig.channel.port = nullptr;
    QVERIFY(!rig.run("PING"));
    QTEST(int(rig.channel.result), "result");
    QTEST(rig.commandWrites(), "commands");
    QTEST(rig.port.errorClears, "errorClears");
    QTEST(rig.ui.resultTexts, "shown");
    QCOMPARE(rig.ui.watching, 0);
    QVERIFY(!rig.channel.busy);
}

void ExchangeTest::zeroAttempts_makeOneCycle()
{
    Rig rig;
    rig.channel.attempts = 0;
    rig.port.replies = {{{5, "{\"PING\":\"Connected\"}"}}};
    QVERIFY(rig.run("PING"));
    QCOMPARE(rig.commandWrites(), 1);
}

void ExchangeTest::overlongCommand_isRefusedWithNothingWritten()
{
    Rig rig;
    QVERIFY(!rig.run(QByteArray(499, 'A')));
    QCOMPARE(rig.channel.result, 1);
    QVERIFY(rig.port.writes.isEmpty());

    rig.port.replies = {{{5, "{\"A\"}"}}};
    QVERIFY(rig.run(QByteArray(498, 'A')));
    QCOMPARE(rig.port.writes.last(), QByteArray(498, 'A') + '\x0D');
}

void ExchangeTest::abortDuringReceive_endsWithoutFurtherAttempts_data()
{
    QTest::addColumn<bool>("escape"); // else the window starts closing
    // Pass 1 shows the activity text, pass 2 starts the cycle, pass 3 is the first
    // pass of the receive loop: Esc comes then, the close one pass later.
    QTest::newRow("Esc during the receive") << true;
    QTest::newRow("window closing") << false;
}

void ExchangeTest::abortDuringReceive_endsWithoutFurtherAttempts()
{
    QFETCH(bool, escape);
    Rig rig;
    rig.channel.attempts = 3;
    rig.channel.firstByteWaitMs = 2000;
    if (escape)
        rig.ui.escapeAtPass = 3;
    else
        rig.ui.closeAtPass = 4;
    QElapsedTimer clock;
    clock.start();
    QVERIFY(!rig.run("PING"));
    QCOMPARE(rig.channel.result, 5);
    QCOMPARE(rig.commandWrites(), 1);
    QVERIFY(!rig.channel.abortRequested); // consumed by the cycle that saw it
    if (escape)
        QCOMPARE(rig.ui.resultTexts, QStringList{QString::fromUtf8("Обмен прерван по Esc")});
    QVERIFY(clock.elapsed() < 1500);
}

void ExchangeTest::abortRaisedBetweenExchanges_endsNextCycle()
{
    Rig rig;
    rig.channel.abortRequested = true;
    QVERIFY(!rig.run("PING"));
    QCOMPARE(rig.channel.result, 5);
    QVERIFY(rig.port.writes.isEmpty());

    // Arming a new link discards a request raised while nothing ran.
    rig.channel.abortRequested = true;
    rig.channel.arm(&rig.port, 38400, 1, 40, 1, false);
    rig.port.replies = {{{5, "{\"PING\":\"Connected\"}"}}};
    QVERIFY(rig.run("PING"));
}

void ExchangeTest::secondExchangeFromEventHandler_isRefused()
{
    Rig rig;
    rig.port.replies = {{{60, "{\"PING\":\"Connected\"}"}}};
    bool nested = true;
    int nestedResultSeen = -1;
    QTimer::singleShot(20, [&] {
        nestedResultSeen = rig.channel.result;
        nested = RunExchange(rig.channel, "VER", 3);
    });
    QVERIFY(rig.run("PING"));
    QVERIFY(!nested);
    QCOMPARE(nestedResultSeen, 0);
    QCOMPARE(rig.port.writes, QList<QByteArray>{QByteArray("PING\r")});
    QCOMPARE(QByteArray(rig.channel.reply()), QByteArray("{\"PING\":\"Connected\"}"));
}

void ExchangeTest::graceWindow_retriesTimeOutsFreeOnPhoneLinkOnly_data()
{
    QTest::addColumn<bool>("phone");
    QTest::addColumn<int>("graceMs");
    QTest::addColumn<int>("fewestCycles");
    QTest::addColumn<int>("mostCycles");
    // The first time-out opens the window; with a window of no length every later
    // time-out costs an attempt.
    QTest::newRow("phone link, no window: one extra cycle") << true << 0 << 3 << 3;
    QTest::newRow("phone link, 300 ms: about 15 free cycles, then two that cost") << true << 300 << 8 << 100;
    QTest::newRow("direct link, same settings: just its attempts") << false << 300 << 2 << 2;
}

void ExchangeTest::graceWindow_retriesTimeOutsFreeOnPhoneLinkOnly()
{
    QFETCH(bool, phone);
    Rig rig;
    rig.settings.connectionKind = phone ? Phone : Direct;
    rig.channel.firstByteWaitMs = 20;
    rig.channel.attempts = 2;
    QFETCH(int, graceMs);
    rig.channel.timing.phoneGraceWindowMs = graceMs;
    QVERIFY(!rig.run("PING"));
    QFETCH(int, fewestCycles);
    QFETCH(int, mostCycles);
    QVERIFY2(rig.commandWrites() >= fewestCycles && rig.commandWrites() <= mostCycles,
             qPrintable(QString::number(rig.commandWrites())));
    QCOMPARE(rig.channel.result, 3);
    QVERIFY(rig.ui.questions.isEmpty()); // the carrier is there: nothing to ask
}

void ExchangeTest::noCarrierMidFrame_endsWithCarrierLost()
{
    Rig rig;
    rig.settings.connectionKind = Phone;
    rig.channel.attempts = 3;
    rig.port.replies = {{{5, "{\"PING\":\"Wa\r\nNO CARRIER\r\n"}}};
    rig.ui.answers = {false};
    QVERIFY(!rig.run("PING"));
    QCOMPARE(rig.channel.result, 6);
    QCOMPARE(rig.commandWrites(), 1);
    QCOMPARE(rig.ui.questions, QStringList{QString::fromUtf8("Связь через модем прервана.\rВосстановить сейчас?")});
    QCOMPARE(rig.ui.resultTexts, QStringList{QString::fromUtf8("Связь через модем прервана")});
    // The cycle stopped at the I of CARRIER; the rest of the report that had come is
    // traced too, before the hang-up could purge it.
    QCOMPARE(rig.port.bytesAvailable(), qint64(0));
    QCOMPARE(rig.ui.trace.lines.last(), QString::fromUtf8(" {\"PING\":\"Wa\u240D\u240ANO CARRIER\u240D\u240A"));
}

void ExchangeTest::carrierRing_searchedInStorageOrder_data()
{
    QTest::addColumn<QList<QByteArray>>("replies"); // one per command written
    QTest::addColumn<int>("result");
    QTest::addColumn<int>("cycles");
    QTest::addColumn<int>("questions");

    // 495 bytes fill the ring up to index 494; "NO CA" then takes 495..499 and
    // "RRIER" wraps to 0..4: read from index 0 the ring never spells the token.
    QTest::newRow("token across the wrap is not seen")
        << QList<QByteArray>{QByteArray(495, 'x') + "NO CARRIER\r\n"} << 3 << 2 << 0;
    QTest::newRow("token after the wrap is seen")
        << QList<QByteArray>{QByteArray(500, 'x') + "NO CARRIER\r\n"} << 6 << 1 << 1;
    // The second cycle's bytes follow the first cycle's: the I the first one left at
    // index 7 must not complete "NO CARR" into a carrier loss.
    QTest::newRow("an earlier cycle's bytes do not complete the token")
        << QList<QByteArray>{"0000000I", "NO CARR"} << 3 << 2 << 0;
    // A report cut by a time-out between two cycles of one exchange is still one report.
    QTest::newRow("a report split across two cycles is seen")
        << QList<QByteArray>{"\r\nNO CA", "RRIER\r\n"} << 6 << 2 << 1;
}

void ExchangeTest::carrierRing_searchedInStorageOrder()
{
    QFETCH(QList<QByteArray>, replies);
    Rig rig;
    rig.settings.connectionKind = Phone;
    rig.channel.firstByteWaitMs = 60;
    rig.channel.timing.phoneGraceWindowMs = 0; // one free time-out, then each costs
    for (const QByteArray &bytes : replies)
        rig.port.replies.append({{5, bytes}});
    QVERIFY(!rig.run("PING"));
    QTEST(int(rig.channel.result), "result");
    QTEST(rig.commandWrites(), "cycles");
    QTEST(int(rig.ui.questions.size()), "questions");
}

void ExchangeTest::bytesWaitingBeforeThePurge_data()
{
    QTest::addColumn<bool>("phone");
    QTest::addColumn<bool>("duringWakeUpPause"); // else already there when the exchange starts
    QTest::addColumn<QByteArray>("waiting");
    QTest::addColumn<QByteArray>("reply"); // to the command, once written
    QTest::addColumn<int>("result");
    QTest::addColumn<int>("commands"); // command writes
    // The whole trace: bytes waiting before the purge on a line of their own, a report
    // with the rest of its line (CR LF) that came with it.
    QTest::addColumn<QStringList>("trace");

    const QByteArray frame = "{\"PING\":\"Connected\"}";
    const QString frameLine = QString::fromUtf8(" {\"PING\":\"Connected\"}");
    const QString command = QString::fromUtf8(" PING\u240D");
    const QString report = QString::fromUtf8(" \u240D\u240ANO CARRIER\u240D\u240A");
    // The modem reported the loss while no exchange ran: nothing is sent, and the
    // report is traced as received.
    QTest::newRow("phone, NO CARRIER waiting")
        << true << false << QByteArray("\r\nNO CARRIER\r\n") << frame << 6 << 0 << QStringList{" ", " ", report};
    QTest::newRow("phone, no carrier waiting")
        << true << false << QByteArray("\r\nno carrier\r\n") << frame << 6 << 0
        << QStringList{" ", " ", QString::fromUtf8(" \u240D\u240Ano carrier\u240D\u240A")};
    QTest::newRow("phone, NO CARRIER during the wake-up pause")
        << true << true << QByteArray("\r\nNO CARRIER\r\n") << frame << 6 << 0 << QStringList{" ", " ", report};
    // The purge fell in the middle of the report: its two halves still make it.
    QTest::newRow("phone, report split by the purge")
        << true << false << QByteArray("\r\nNO CA") << QByteArray("RRIER\r\n") << 6 << 1
        << QStringList{" ", " ", QString::fromUtf8(" \u240D\u240ANO CA"), command,
                       QString::fromUtf8(" RRIER\u240D\u240A")};
    QTest::newRow("phone, the rest of an earlier reply is traced, then purged")
        << true << false << QByteArray("{\"PING\":\"old\"}\r\n") << frame << 0 << 1
        << QStringList{" ", " ", QString::fromUtf8(" {\"PING\":\"old\"}\u240D\u240A"), command, frameLine};
    QTest::newRow("direct, NO CARRIER waiting is traced, then purged: just bytes")
        << false << false << QByteArray("\r\nNO CARRIER\r\n") << frame << 0 << 1
        << QStringList{" ", " ", report, command, frameLine};
    QTest::newRow("direct, nothing waiting: no line for it")
        << false << false << QByteArray() << frame << 0 << 1 << QStringList{" ", command, frameLine};
}

void ExchangeTest::bytesWaitingBeforeThePurge()
{
    QFETCH(bool, phone);
    QFETCH(bool, duringWakeUpPause);
    QFETCH(QByteArray, waiting);
    QFETCH(QByteArray, reply);
    QFETCH(int, result);
    Rig rig;
    rig.settings.connectionKind = phone ? Phone : Direct;
    rig.channel.timing.phoneGraceWindowMs = 0;
    rig.port.replies = {{{5, reply}}};
    if (duringWakeUpPause) {
        rig.channel.wakeUpByte = true;
        rig.channel.timing.wakeUpPauseMs = 60;
        QTimer::singleShot(10, Qt::PreciseTimer, [&] { rig.port.arrive(waiting); });
    } else {
        rig.port.arrive(waiting);
    }

    QCOMPARE(rig.run("PING"), result == 0);
    QCOMPARE(int(rig.channel.result), result);
    QTEST(rig.commandWrites(), "commands");
    QTEST(rig.ui.trace.lines, "trace");
    // A carrier loss asks whether to restore the link; declined, it is the result shown.
    QCOMPARE(rig.ui.questions.size(), result == 6 ? 1 : 0);
    QCOMPARE(rig.ui.resultTexts,
             result == 6 ? QStringList{QString::fromUtf8("Связь через модем прервана")} : QStringList());
}

void ExchangeTest::failedRedial_asksAgainUntilDeclined()
{
    // Carrier lost; the user asks twice for a re-dial, the modem stays silent both
    // times, and the third question is declined.
    Rig rig;
    rig.settings.connectionKind = Phone;
    rig.settings.directory.count = 1;
    rig.settings.directory.entries[0].phoneNumber = "555";
    LinkState link{true, true};
    rig.channel.linkState = &link;
    rig.channel.attempts = 3;
    rig.channel.timing.hangUpReplyWaitMs = 30;
    rig.channel.timing.hangUpGuardMs = 5;
    rig.channel.timing.restorePauseMs = 5;
    rig.channel.timing.presenceReplyWaitMs = 30;
    rig.channel.timing.escapeGuardMs = 5;
    rig.port.replies = {{{5, "NO CARRIER\r\n"}}}; // nothing answers after that
    rig.ui.answers = {true, true, false};

    QVERIFY(!rig.run("PING"));
    QCOMPARE(rig.channel.result, 6);
    const QString question = QString::fromUtf8("Связь через модем прервана.\rВосстановить сейчас?");
    QCOMPARE(rig.ui.questions, (QStringList{question, question, question}));
    // Hang-up by the plain command first, then the escape; each re-dial ends at the
    // silent presence check.
    QCOMPARE(rig.port.writes, (QList<QByteArray>{"PING\r", "ath\r", "+++", "ath\r", "ATE0\r", "+++",
                                                "ATE0\r", "+++"}));
    const QString echoOff = QString::fromUtf8(" Установление связи по телефону. Команда ATE0\r.");
    QCOMPARE(rig.ui.resultTexts,
             (QStringList{echoOff, echoOff, QString::fromUtf8("Связь через модем прервана")}));
    QVERIFY(!link.ModemConnected);
    QCOMPARE(rig.ui.busyCursor, 0);
    QCOMPARE(rig.ui.watching, 0);
}

void ExchangeTest::declinedRestore_leavesTokenUntilLinkIsArmedAgain()
{
    Rig rig;
    rig.settings.connectionKind = Phone;
    rig.port.replies = {{{5, "NO CARRIER\r\n"}}};
    QVERIFY(!rig.run("PING"));
    QCOMPARE(rig.channel.result, 6);

    // The token is still in the ring: the next exchange ends before writing anything.
    QVERIFY(!rig.run("PING"));
    QCOMPARE(rig.channel.result, 6);
    QCOMPARE(rig.commandWrites(), 1);

    rig.channel.arm(&rig.port, 38400, 1, 40, 1, false);
    rig.port.replies = {{{5, "{\"PING\":\"Connected\"}"}}};
    QVERIFY(rig.run("PING"));
}

QTEST_GUILESS_MAIN(ExchangeTest)
#include "tst_exchange.moc"
