// The link's clock seam, and RunExchange on virtual time at the real delays: the
// ten-second grace window, the 100 ms wake-up pause and minute-long replies take no
// real time here.
#include "link/deadline.h"
#include "link/exchangechannel.h"
#include "link/linkclock.h"
#include "link/linktiming.h"
#include "link/serialport.h"
#include "settings/settings.h"
#include "support/virtuallink.h"

#include <QTest>

using namespace tavrin;
using namespace tavrin::test;

namespace {

constexpr qint64 kMs = 1'000'000; // ticks

VirtualPort::Script trickle(const QByteArray &bytes, int firstMs, int gapMs)
{
    VirtualPort::Script script;
    for (qsizetype i = 0; i < bytes.size(); ++i)
        script.reply.append({i == 0 ? firstMs : gapMs, static_cast<unsigned char>(bytes[i])});
    return script;
}

} // namespace

Q_DECLARE_METATYPE(tavrin::test::VirtualPort::Script)

class LinkClockTest : public QObject {
    Q_OBJECT
private slots:
    void pause_passesVirtualTimeOnly_data();
    void pause_passesVirtualTimeOnly();
    void deadline_expiresOneTickPastItsEnd();
    void realClock_isBackOnceTheVirtualOneGoes();
    void exchangeAtRealDelays_data();
    void exchangeAtRealDelays();
};

void LinkClockTest::pause_passesVirtualTimeOnly_data()
{
    QTest::addColumn<int>("ms");
    QTest::addColumn<qint64>("passed");
    QTest::newRow("none") << 0 << qint64(0);
    QTest::newRow("negative") << -5 << qint64(0);
    QTest::newRow("wake-up pause") << 100 << 100 * kMs + 1;
    QTest::newRow("restore pause") << 3000 << 3000 * kMs + 1;
}

void LinkClockTest::pause_passesVirtualTimeOnly()
{
    QFETCH(int, ms);
    QFETCH(qint64, passed);
    VirtualClock clock;
    const quint64 start = PerformanceCounter();
    Pause(ms);
    QCOMPARE(qint64(PerformanceCounter() - start), passed);
    QCOMPARE(clock.pauses.size(), passed > 0 ? 1 : 0);
}

void LinkClockTest::deadline_expiresOneTickPastItsEnd()
{
    VirtualClock clock;
    const quint64 start = clock.now();
    Deadline deadline;
    deadline.start(250);
    QCOMPARE(clock.nextWake(), std::optional<quint64>(start + 250 * kMs + 1));
    clock.advanceTo(start + 250 * kMs);
    QVERIFY(!deadline.expired());
    clock.advanceTo(start + 250 * kMs + 1);
    QVERIFY(deadline.expired());
    deadline.start(-1); // restarted: a negative wait is none
    QVERIFY(!deadline.expired());
    clock.advanceTo(clock.now() + 1);
    QVERIFY(deadline.expired());
}

void LinkClockTest::realClock_isBackOnceTheVirtualOneGoes()
{
    LinkClock *virtualClock = nullptr;
    {
        VirtualClock clock;
        virtualClock = &CurrentLinkClock();
        QCOMPARE(virtualClock, &clock);
        QCOMPARE(PerformanceCounter(), VirtualClock::kStart);
    }
    QVERIFY(&CurrentLinkClock() != virtualClock);
    const quint64 first = PerformanceCounter();
    QVERIFY(PerformanceCounter() >= first);
}

void LinkClockTest::exchangeAtRealDelays_data()
{
    QTest::addColumn<bool>("phoneLink");
    QTest::addColumn<bool>("wakeUpByte");
    QTest::addColumn<int>("attempts");
    QTest::addColumn<int>("interByteWaitMs");
    QTest::addColumn<VirtualPort::Script>("script");
    QTest::addColumn<int>("result");
    QTest::addColumn<QList<qint64>>("writtenAt");
    QTest::addColumn<QByteArrayList>("written");
    QTest::addColumn<qint64>("took");

    // First-byte wait 3 s throughout: the cable kind's default.
    QTest::newRow("phone, silent: time-outs are free for 10 s, the one after costs")
        << true << false << 1 << 300 << VirtualPort::Script{} << int(NoAnswer)
        << QList<qint64>{0, 3000 * kMs + 1, 6000 * kMs + 2, 9000 * kMs + 3, 12000 * kMs + 4}
        << QByteArrayList(5, "PING\r") << 15000 * kMs + 5;
    QTest::newRow("cable, silent: three attempts of 3 s")
        << false << false << 3 << 300 << VirtualPort::Script{} << int(NoAnswer)
        << QList<qint64>{0, 3000 * kMs + 1, 6000 * kMs + 2} << QByteArrayList(3, "PING\r") << 9000 * kMs + 3;

    VirtualPort::Script wakeAnswered = trickle("{\"PING\":\"OK\"}", 20, 0);
    wakeAnswered.wakeAnswer = {{10, '{'}, {0, '"'}, {0, 'W'}, {0, '"'}, {0, '}'}};
    QTest::newRow("wake-up byte: 100 ms of silence, its answer purged")
        << false << true << 1 << 300 << wakeAnswered << int(ExchangeOk) << QList<qint64>{0, 100 * kMs + 1}
        << QByteArrayList{QByteArray(1, '\0'), "PING\r"} << 120 * kMs + 1;
    // Once the start mark is in, only the gaps count.
    VirtualPort::Script slowReply = trickle("{\"VER\":\"1\"}", 2000, 2000);
    slowReply.reply[1].afterMs = 0;
    QTest::newRow("a reply trickling over 20 s with gaps under the wait")
        << false << false << 1 << 2500 << slowReply << int(ExchangeOk) << QList<qint64>{0}
        << QByteArrayList{"PING\r"} << 20000 * kMs;
    VirtualPort::Script lateByte = trickle("{\"PX", 0, 0);
    lateByte.reply[2].afterMs = 300;
    lateByte.reply[3].afterMs = 301;
    QTest::newRow("a gap of exactly the wait is kept, one a tick longer ends the reply")
        << false << false << 1 << 300 << lateByte << int(IncompleteReply) << QList<qint64>{0}
        << QByteArrayList{"PING\r"} << 600 * kMs + 1;
}

void LinkClockTest::exchangeAtRealDelays()
{
    QFETCH(bool, phoneLink);
    QFETCH(bool, wakeUpByte);
    QFETCH(int, attempts);
    QFETCH(int, interByteWaitMs);
    QFETCH(VirtualPort::Script, script);
    QFETCH(int, result);
    QFETCH(QList<qint64>, writtenAt);
    QFETCH(QByteArrayList, written);
    QFETCH(qint64, took);

    VirtualClock clock;
    VirtualPort port(clock);
    port.scripts = {script};
    VirtualUi ui(clock, port);
    Settings settings;
    settings.connectionKind = phoneLink ? Phone : Direct;
    ExchangeChannel channel;
    channel.port = &port;
    channel.ui = &ui;
    channel.settings = &settings;
    channel.arm(&port, 38400, 3, interByteWaitMs, quint8(attempts), wakeUpByte);

    QCOMPARE(RunExchange(channel, "PING", 4), result == ExchangeOk);
    QCOMPARE(channel.result, result);
    QList<qint64> at;
    QByteArrayList bytes;
    for (const VirtualPort::Write &write : port.writes) {
        at << qint64(write.at - VirtualClock::kStart);
        bytes << write.bytes;
    }
    QCOMPARE(at, writtenAt);
    QCOMPARE(bytes, written);
    QCOMPARE(qint64(clock.now() - VirtualClock::kStart), took);
    if (result == ExchangeOk)
        QVERIFY(QByteArray(channel.reply()).endsWith("\"}"));
    else
        QCOMPARE(ui.resultTexts, QStringList{channel.resultTexts[size_t(result)]});
}

QTEST_GUILESS_MAIN(LinkClockTest)
#include "tst_linkclock.moc"
