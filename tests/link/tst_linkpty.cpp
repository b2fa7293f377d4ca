// The link over a real pseudo-terminal against the simulated module: the port
// itself, the wire bytes and their timing, a port that vanishes, and the phone link
// through the simulated modem.
#include "fakes.h"

#include "link/exchangechannel.h"
#include "link/modem.h"
#include "link/serialport.h"
#include "settings/settings.h"
#include "support/devsim.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace tavrin;
using namespace tavrin::test;

namespace {

// Entries the device received, one per read, with their device-side times.
QList<DevSimLogEntry> fromProgram(const QList<DevSimLogEntry> &log)
{
    QList<DevSimLogEntry> out;
    for (const DevSimLogEntry &e : log)
        if (e.fromProgram)
            out.append(e);
    return out;
}

int count(const QByteArray &haystack, const QByteArray &needle)
{
    return int(haystack.count(needle));
}

} // namespace


class LinkPtyTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void openPort_setsTheLineTheDeviceSees_data();
    void openPort_setsTheLineTheDeviceSees();
    void openPort_lineTheDeviceCannotKeep_isRefusedAndClosed_data();
    void openPort_lineTheDeviceCannotKeep_isRefusedAndClosed();
    void portExists_absentPresentOwnAndHeldByAnother();
    void ping_commandBytesAndFramedReply();
    void wakeUpByte_isFollowedByHundredMsSilence();
    void silentModule_threeAttemptsOnTheWireSleepingMeanwhile();
    void trickle_acceptedWithinGapAndCutBeyondIt();
    void vanishedPort_endsByTimeOutThenWritesFail();
    void vanishedPortBack_nextCommandOpensItWithItsLine_data();
    void vanishedPortBack_nextCommandOpensItWithItsLine();

    void linkClosedByWindowMidExchange_abortsWithoutTouchingPort();
    void linkClosedByWindowDuringRedial_endsRestore();

    void phone_pingThroughModem();
    void phone_graceWindowRetriesSilentModule();
    void phone_carrierLost_asksToRestore_data();
    void phone_carrierLost_asksToRestore();
    void phone_earlierReplyDoesNotCompleteNoCarrier();

private:
    bool startSim(const DevSimOptions &options = {});
    // The fixture's link by cable: the simulated module, COM1 opened on it and the
    // channel armed with it.
    bool cableLink(const DevSimOptions &options = {});
    // The fixture's link by phone: the simulated modem in front of the module, called.
    bool phoneLink(const QStringList &simArgs);
    void armChannel();
    void closeLinkAsTheWindowDoes();
    // The directory holds one subscriber, chosen, with this number; a re-dial waits 2 s.
    void oneSubscriber(const QString &phone);

    QTemporaryDir m_comDir;
    LinkTiming m_timing;
    // Made afresh for every test.
    std::unique_ptr<DevSim> m_sim;
    Settings m_settings;
    LinkState m_linkState;
    std::unique_ptr<FakeUi> m_ui;
    std::unique_ptr<SerialPort> m_port;
    int m_rate = 38400; // the fixture's links open at this rate
    ExchangeChannel m_channel;
};

void LinkPtyTest::initTestCase()
{
    QVERIFY(m_comDir.isValid());
    qputenv("TAVRIN_COM_DIR", m_comDir.path().toUtf8());
    m_timing.phoneGraceWindowMs = 300;
    m_timing.restorePauseMs = 50;
    m_timing.presenceReplyWaitMs = 1000;
    m_timing.escapeGuardMs = 50;
    m_timing.dialPauseMs = 50;
    m_timing.acceptedCommandPauseMs = 20;
    m_timing.gsmLineWaitMs = 1000;
    m_timing.hangUpReplyWaitMs = 500;
    m_timing.hangUpGuardMs = 50;
}

void LinkPtyTest::init()
{
    m_sim = std::make_unique<DevSim>(m_comDir.path());
    m_settings = Settings{};
    m_linkState = LinkState{};
    m_ui = std::make_unique<FakeUi>();
    m_rate = 38400;
    m_channel = ExchangeChannel{};
}

void LinkPtyTest::cleanup()
{
    m_channel.disarm();
    m_port.reset();
    m_sim.reset();
    QLoggingCategory::setFilterRules(QString());
}

bool LinkPtyTest::startSim(const DevSimOptions &options)
{
    if (m_sim->start(options))
        return true;
    qWarning("%s", qPrintable(m_sim->errorString()));
    return false;
}

bool LinkPtyTest::cableLink(const DevSimOptions &options)
{
    if (!startSim(options))
        return false;
    m_port = OpenPort(options.port, {.rate = m_rate});
    if (!m_port)
        return false;
    armChannel();
    return true;
}

bool LinkPtyTest::phoneLink(const QStringList &simArgs)
{
    if (!startSim({.modem = true, .extraArgs = simArgs}))
        return false;
    m_port = OpenPort(1, {.rate = m_rate});
    if (!m_port)
        return false;
    ModemDialogue modem(*m_port, *m_ui, m_timing);
    if (modem.DialSubscriber("555-01", QString(), false, 1, 2) != DialOk)
        return false;
    m_settings.connectionKind = Phone;
    armChannel();
    return true;
}

void LinkPtyTest::armChannel()
{
    m_channel.ui = m_ui.get();
    m_channel.settings = &m_settings;
    m_channel.linkState = &m_linkState;
    m_channel.timing = m_timing;
    m_channel.arm(m_port.get(), 38400, 1, 100, 1, false);
}

// The window's teardown, run inside an exchange's event processing: it raises the
// abort, closes the port and drops it from the channel.
void LinkPtyTest::closeLinkAsTheWindowDoes()
{
    if (!m_port)
        return;
    m_channel.disarm();
    ClosePort(m_port);
}

void LinkPtyTest::oneSubscriber(const QString &phone)
{
    m_settings.directory.count = 1;
    m_settings.directory.entries[0].phoneNumber = phone;
    m_settings.connectWaitSeconds = 2;
}

void LinkPtyTest::openPort_setsTheLineTheDeviceSees_data()
{
    QTest::addColumn<int>("rate");
    QTest::addColumn<QString>("line");
    QTest::newRow("38400") << 38400 << "rate=38400 ";
    QTest::newRow("rate 50 becomes 110") << 50 << "rate=110 ";
    QTest::newRow("rate 230400") << 230400 << "rate=230400 ";
    QTest::newRow("rate 300000 becomes 256000") << 300000 << "rate=256000 ";
}

void LinkPtyTest::openPort_setsTheLineTheDeviceSees()
{
    QFETCH(int, rate);
    QFETCH(QString, line);
    QVERIFY(startSim());
    m_port = OpenPort(1, {.rate = rate});
    QVERIFY(m_port);
    QVERIFY(m_sim->command("status"));
    QVERIFY2(m_sim->lastReply().contains(line), qPrintable(m_sim->lastReply()));
}

void LinkPtyTest::openPort_lineTheDeviceCannotKeep_isRefusedAndClosed_data()
{
    QTest::addColumn<int>("dataBits");
    QTest::addColumn<int>("parity");
    QTest::addColumn<QString>("reason"); // empty: the driver's own words
    // A pseudo-terminal keeps 8 bits without parity whatever it is told.
    QTest::newRow("even parity") << 8 << 1 << QString();
    QTest::newRow("7 data bits") << 7 << 0 << QString();
    QTest::newRow("3 data bits, that is 4: unknown to Qt Serial Port")
        << 3 << 0 << QString::fromUtf8("Драйвер не принял параметры линии");
}

void LinkPtyTest::openPort_lineTheDeviceCannotKeep_isRefusedAndClosed()
{
    QFETCH(int, dataBits);
    QFETCH(int, parity);
    QFETCH(QString, reason);
    QVERIFY(startSim());
    QLoggingCategory::setFilterRules(QStringLiteral("tavrin.link.debug=true"));
    QTest::ignoreMessage(QtDebugMsg, QRegularExpression("^COM1 \\(.+\\) did not open: .+$"));
    QString failure;
    QVERIFY(!OpenPort(1, {.rate = 9600, .dataBits = dataBits, .parity = parity}, &failure));
    QVERIFY2(!failure.isEmpty(), "the reason is lost");
    if (!reason.isEmpty())
        QCOMPARE(failure, reason);
    // The refused open left the port closed: it opens at once with a line it keeps.
    QVERIFY(OpenPort(1, {.rate = 9600}));
}

void LinkPtyTest::portExists_absentPresentOwnAndHeldByAnother()
{
    QVERIFY(startSim({.port = 2, .extraArgs = {}}));
    QVERIFY(!PortExists(1));
    QString failure;
    QVERIFY(!OpenPort(1, {}, &failure));
    QCOMPARE(failure, QString::fromUtf8("Нет устройства с таким номером"));
    QVERIFY(PortExists(2));

    {
        auto own = OpenPort(2, {});
        QVERIFY(own);
        QVERIFY(PortExists(2)); // held by this program's own link
        failure.clear();
        QVERIFY(!OpenPort(2, {}, &failure));
        QVERIFY2(!failure.isEmpty(), "the driver's reason is lost");
    }

    // Another program holds the device: present, but not ours to open. It is seen by
    // its lock file (named after the device); the exclusive mode of the tty would
    // also refuse us, but not when the tests run as root.
    QProcess holder;
    holder.start(QCoreApplication::applicationDirPath() + "/tavrin-test-porthold",
                 {QFileInfo(m_comDir.filePath("COM2")).canonicalFilePath()});
    QVERIFY(holder.waitForReadyRead(5000));
    QCOMPARE(holder.readLine().trimmed(), QByteArray("held"));
    QVERIFY(PortExists(2));
    QVERIFY(!OpenPort(2, {}));
    holder.closeWriteChannel();
    QVERIFY(holder.waitForFinished(5000));
    QVERIFY(OpenPort(2, {}));
}

void LinkPtyTest::ping_commandBytesAndFramedReply()
{
    QVERIFY(cableLink({.extraArgs = {"--state", "waiting"}}));
    char byte = 0; // an idle read returns at once with nothing
    QCOMPARE(m_port->readByte(&byte), 0);
    QCOMPARE(m_port->bytesAvailable(), qint64(0));
    QVERIFY(RunExchange(m_channel, "PING", 4));
    QCOMPARE(QByteArray(m_channel.reply()), QByteArray("{\"PING\":\"WaitForKEEP\",\"Val\":\"0A:1B:2C:3D:4E:5F\"}"));
    QCOMPARE(m_sim->received(), QByteArray("\x50\x49\x4E\x47\x0D"));
}

// The device must get the zero byte, then at least 100 ms of silence, then the command.
// The simulator stamps bytes when it reads them, so a late read of the zero byte would
// shorten the silence it reports. The silence is therefore bounded on the line: it began
// no later than the zero byte's write returned (the port pushes bytes to the device
// before returning) and lasted at least until the command's write was called. The
// device shows what went over the line: the zero byte on its own, then the command.
void LinkPtyTest::wakeUpByte_isFollowedByHundredMsSilence()
{
    QVERIFY(cableLink());
    TapPort tap(*m_port);
    m_channel.port = &tap;
    m_channel.timing = LinkTiming{}; // the real pause
    m_channel.wakeUpByte = true;
    QVERIFY(RunExchange(m_channel, "VER", 3));

    QCOMPARE(tap.writes, (QList<QByteArray>{QByteArray(1, '\0'), QByteArray("\x56\x45\x52\x0D")}));
    const qint64 silenceNs = tap.writeTimes.at(1).calledNs - tap.writeTimes.at(0).returnedNs;
    QVERIFY2(silenceNs >= 100'000'000, qPrintable(QString::number(silenceNs)));

    const QList<DevSimLogEntry> reads = fromProgram(m_sim->log());
    QVERIFY(reads.size() >= 2);
    QCOMPARE(reads.first().bytes, QByteArray(1, '\0'));
    QByteArray rest;
    for (int k = 1; k < reads.size(); ++k)
        rest += reads.at(k).bytes;
    QCOMPARE(rest, QByteArray("\x56\x45\x52\x0D"));
}

void LinkPtyTest::silentModule_threeAttemptsOnTheWireSleepingMeanwhile()
{
    QVERIFY(cableLink());
    QVERIFY(m_sim->command("silent on"));
    m_channel.firstByteWaitMs = 100;
    m_channel.attempts = 3;
    QVERIFY(!RunExchange(m_channel, "PING", 4));
    QCOMPARE(m_channel.result, 3);
    QCOMPARE(m_sim->received(), QByteArray("PING\rPING\rPING\r"));
    QCOMPARE(m_ui->resultTexts, QStringList{QString::fromUtf8("Устройство не отвечает")});
    // A spinning loop makes hundreds of thousands of passes in 300 ms.
    QVERIFY2(m_ui->passes < 50, qPrintable(QString::number(m_ui->passes)));
}

void LinkPtyTest::trickle_acceptedWithinGapAndCutBeyondIt()
{
    QVERIFY(cableLink());
    m_channel.interByteWaitMs = 60;
    m_channel.firstByteWaitMs = 200;

    QVERIFY(m_sim->command("trickle 15")); // the reply takes longer than the first-byte wait
    QVERIFY(RunExchange(m_channel, "VER", 3));
    QVERIFY(QByteArray(m_channel.reply()).startsWith("{\"VER\""));

    QVERIFY(m_sim->command("trickle 150"));
    QVERIFY(!RunExchange(m_channel, "VER", 3));
    QCOMPARE(m_channel.result, 4);
}

void LinkPtyTest::vanishedPort_endsByTimeOutThenWritesFail()
{
    QVERIFY(cableLink());
    QVERIFY(m_sim->command("delay 300"));
    m_channel.firstByteWaitMs = 700;
    int vanished = 0;
    m_ui->onPass = [&] {
        if (m_ui->passes == 4 && !vanished++) // waiting for the reply
            QVERIFY(m_sim->command("vanish"));
    };
    // Both causes reach the log: the port going away, and the writes that then fail.
    QLoggingCategory::setFilterRules(QStringLiteral("tavrin.link.debug=true"));
    QTest::ignoreMessage(QtDebugMsg, QRegularExpression(" went away \\(.+\\); closed$"));
    QTest::ignoreMessage(QtDebugMsg, QRegularExpression("^write on .* failed: the port is closed"));
    QVERIFY(!RunExchange(m_channel, "PING", 4));
    QCOMPARE(m_channel.result, 3);
    QVERIFY2(m_ui->passes < 200, qPrintable(QString::number(m_ui->passes)));

    QVERIFY(!RunExchange(m_channel, "PING", 4));
    QCOMPARE(m_channel.result, 1);
    QVERIFY(!PortExists(1));
}

void LinkPtyTest::vanishedPortBack_nextCommandOpensItWithItsLine_data()
{
    QTest::addColumn<bool>("phone");
    QTest::newRow("cable") << false;
    QTest::newRow("phone") << true; // the call outlived the adapter: nothing is dialled
}

// An adapter unplugged and plugged back: while it is away every command fails to
// write; once it is back the next command opens it again at the rate it had.
void LinkPtyTest::vanishedPortBack_nextCommandOpensItWithItsLine()
{
    QFETCH(bool, phone);
    m_rate = 9600; // not the rate a fresh pseudo-terminal starts with
    QVERIFY(phone ? phoneLink({"--dial-ms", "50"}) : cableLink());
    QVERIFY(m_sim->command("vanish"));
    for (int k = 0; k < 2; ++k) {
        QVERIFY(!RunExchange(m_channel, "PING", 4));
        QCOMPARE(m_channel.result, 1);
    }
    QCOMPARE(m_ui->resultTexts, QStringList(2, QString::fromUtf8("Сбой при выполнении операции записи")));
    QVERIFY(m_ui->questions.isEmpty());

    QVERIFY(m_sim->command("restore"));
    QVERIFY(m_sim->command("status"));
    QVERIFY2(!m_sim->lastReply().contains("rate=9600 "), qPrintable(m_sim->lastReply()));
    m_sim->clearLog();
    QVERIFY(RunExchange(m_channel, "PING", 4));
    QCOMPARE(m_sim->received(), QByteArray("PING\r"));
    QVERIFY(QByteArray(m_channel.reply()).startsWith("{\"PING\":"));
    QVERIFY(m_sim->command("status"));
    QVERIFY2(m_sim->lastReply().contains("rate=9600 "), qPrintable(m_sim->lastReply()));
}

void LinkPtyTest::linkClosedByWindowMidExchange_abortsWithoutTouchingPort()
{
    QVERIFY(cableLink());
    QVERIFY(m_sim->command("delay 300"));
    m_channel.attempts = 3;
    m_ui->onPass = [&] {
        if (m_ui->passes == 4)
            closeLinkAsTheWindowDoes();
    };
    QVERIFY(!RunExchange(m_channel, "PING", 4));
    QCOMPARE(m_channel.result, 5);
    QVERIFY(!m_port);
    QCOMPARE(m_sim->received(), QByteArray("PING\r"));
}

void LinkPtyTest::linkClosedByWindowDuringRedial_endsRestore()
{
    QVERIFY(phoneLink({"--dial-ms", "50", "--guard-ms", "50"}));
    QVERIFY(m_sim->command("drop-midframe 5"));
    oneSubscriber("555");
    m_ui->answers = {true, true};
    int passesAtQuestion = -1;
    m_ui->onQuestion = [&] { passesAtQuestion = m_ui->passes; };
    // A few passes into the re-dial the user disconnects.
    m_ui->onPass = [&] {
        if (passesAtQuestion >= 0 && m_ui->passes == passesAtQuestion + 6)
            closeLinkAsTheWindowDoes();
    };
    QVERIFY(!RunExchange(m_channel, "PING", 4));
    QVERIFY(!m_port);
    QVERIFY(m_channel.result == 5 || m_channel.result == 6);
    QCOMPARE(m_ui->questions.size(), 1);
    QCOMPARE(m_ui->busyCursor, 0);
    QVERIFY(!m_linkState.ModemConnected);
}

void LinkPtyTest::phone_pingThroughModem()
{
    QVERIFY(phoneLink({"--dial-ms", "50"}));
    QVERIFY(RunExchange(m_channel, "PING", 4));
    QCOMPARE(QByteArray(m_channel.reply()), QByteArray("{\"PING\":\"NoConnection\"}"));
}

void LinkPtyTest::phone_graceWindowRetriesSilentModule()
{
    QVERIFY(phoneLink({"--dial-ms", "50"}));
    QVERIFY(m_sim->command("silent on"));
    m_channel.firstByteWaitMs = 40;
    m_channel.attempts = 2;
    m_sim->clearLog();
    QVERIFY(!RunExchange(m_channel, "PING", 4));
    QCOMPARE(m_channel.result, 3);
    // Free cycles for 300 ms (about seven), then the two that cost; without the
    // window it would be three.
    const int cycles = count(m_sim->received(), "PING\r");
    QVERIFY2(cycles > 3 && cycles <= 12, qPrintable(QString::number(cycles)));
    QVERIFY(m_ui->questions.isEmpty());
}

void LinkPtyTest::phone_carrierLost_asksToRestore_data()
{
    QTest::addColumn<bool>("midFrame"); // else between exchanges
    QTest::addColumn<bool>("restore");  // the user's answer
    QTest::addColumn<int>("attempts");
    QTest::addColumn<int>("pings");     // PING commands that reached the module
    // The trace's line of the report: the whole line the modem sent, its CR LF that
    // follows the token included, not cut where the report was recognised. Waiting
    // before the command, the report comes after the LF that ended the modem's CONNECT
    // line (the dial reads that line up to its CR).
    QTest::addColumn<QString>("traced");
    const QString midFrame = QString::fromUtf8(" {\"PIN\u240D\u240ANO CARRIER\u240D\u240A");
    const QString waiting = QString::fromUtf8(" \u240A\u240D\u240ANO CARRIER\u240D\u240A");
    // Declined, a loss ends the exchange however many attempts are left.
    QTest::newRow("mid-frame, declined") << true << false << 3 << 1 << midFrame;
    // The same command again after the re-dial, without costing the one attempt.
    QTest::newRow("mid-frame, restored and repeated") << true << true << 1 << 2 << midFrame;
    // The next exchange finds the modem's report waiting and asks at once, instead of
    // sending into a dead line and waiting out the grace window.
    QTest::newRow("between exchanges, declined") << false << false << 1 << 0 << waiting;
    QTest::newRow("between exchanges, restored: the command once, after the call")
        << false << true << 1 << 1 << waiting;
}

void LinkPtyTest::phone_carrierLost_asksToRestore()
{
    QFETCH(bool, midFrame);
    QFETCH(bool, restore);
    QVERIFY(phoneLink({"--dial-ms", "50", "--guard-ms", "50"}));
    oneSubscriber("8 (812) 555-01");
    m_settings.modemCommands = "AT&C1";
    m_settings.dialRounds = 1;
    QFETCH(int, attempts);
    m_channel.attempts = attempts;
    if (midFrame) {
        QVERIFY(m_sim->command("drop-midframe 5"));
    } else {
        QVERIFY(m_sim->command("drop"));
        QVERIFY(m_sim->waitForSent("\r\nNO CARRIER\r\n", 2000));
    }
    m_sim->clearLog();
    m_ui->answers = {restore};

    QCOMPARE(RunExchange(m_channel, "PING", 4), restore);
    QCOMPARE(m_ui->questions, QStringList{QString::fromUtf8("Связь через модем прервана.\rВосстановить сейчас?")});
    const QByteArray wire = m_sim->received();
    QFETCH(int, pings);
    QCOMPARE(count(wire, "PING\r"), pings);
    QCOMPARE(m_ui->busyCursor, 0);
    const QStringList reports = m_ui->trace.lines.filter(QStringLiteral("NO CARRI"));
    QCOMPARE(reports.size(), 1);
    QTEST(reports.first(), "traced");
    if (restore) {
        // Hung up, called again, and only then the command.
        QVERIFY2(wire.contains("ath\r") && wire.contains("AT&C1\r") && wire.endsWith("ATD881255501\rPING\r"),
                 wire.constData());
        QCOMPARE(QByteArray(m_channel.reply()), QByteArray("{\"PING\":\"NoConnection\"}"));
        QVERIFY(m_linkState.LinkOpen && m_linkState.ModemConnected);
    } else {
        QCOMPARE(wire, QByteArray("PING\r").repeated(pings)); // nothing else: no hang-up, no call
        QCOMPARE(m_channel.result, 6);
        QCOMPARE(m_ui->resultTexts.last(), QString::fromUtf8("Связь через модем прервана"));
    }
}

void LinkPtyTest::phone_earlierReplyDoesNotCompleteNoCarrier()
{
    QVERIFY(phoneLink({"--dial-ms", "50"}));
    // {"xxxxxI"}: its I is the eighth byte.
    QVERIFY(m_sim->command("raw 7B 22 78 78 78 78 78 49 22 7D"));
    QVERIFY(RunExchange(m_channel, "PING", 4));
    // "NO CARR", then a frame: with the I above in eighth place it would spell NO CARRI.
    QVERIFY(m_sim->command("raw 4E 4F 20 43 41 52 52 7B 22 50 49 4E 47 22 3A 22 78 22 7D"));
    QVERIFY(RunExchange(m_channel, "PING", 4));
    QCOMPARE(QByteArray(m_channel.reply()), QByteArray("{\"PING\":\"x\"}"));
    QVERIFY(m_ui->questions.isEmpty());
}

QTEST_GUILESS_MAIN(LinkPtyTest)
#include "tst_linkpty.moc"
