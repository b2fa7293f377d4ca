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
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace tavrin;
using namespace tavrin::test;

namespace {

std::unique_ptr<SerialPort> openLink(int portNumber, qint32 rate = 38400)
{
    auto port = OpenPort(portNumber, rate, 8, 0, 0, 1000, 1000, true, false);
    if (port)
        SetReadTimeouts(*port, 0xFFFFFFFF, 0, 0);
    return port;
}

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
    void openPort_lineTheDeviceCannotKeep_isRefusedAndClosed();
    void idleRead_returnsAtOnceWithNothing();
    void portExists_absentPresentOwnAndHeldByAnother();
    void ping_commandBytesAndFramedReply();
    void wakeUpByte_isFollowedByHundredMsSilence();
    void silentModule_threeAttemptsOnTheWire();
    void trickle_acceptedWithinGapAndCutBeyondIt();
    void waiting_sleepsInsteadOfSpinning();
    void vanishedPort_endsByTimeOutThenWritesFail();

    void linkClosedByWindowMidExchange_abortsWithoutTouchingPort();
    void linkClosedByWindowDuringRedial_endsRestore();

    void phone_pingThroughModem();
    void phone_graceWindowRetriesSilentModule();
    void phone_carrierLostMidFrame_declined();
    void phone_carrierLostMidFrame_restoredAndRepeated();

private:
    bool startSim(const DevSimOptions &options = {});
    void armChannel(ExchangeChannel &channel, SerialPort *port, FakeUi &ui);
    bool dialIn(SerialPort &port, FakeUi &ui);
    // The simulated modem in front of the module, called: the port of an established
    // phone link, or null.
    std::unique_ptr<SerialPort> phoneLink(FakeUi &ui, const QStringList &simArgs);

    QTemporaryDir m_comDir;
    std::unique_ptr<DevSim> m_sim;
    Settings m_settings;
    LinkState m_linkState;
    LinkTiming m_timing;
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
}

void LinkPtyTest::cleanup()
{
    m_sim.reset();
}

bool LinkPtyTest::startSim(const DevSimOptions &options)
{
    if (m_sim->start(options))
        return true;
    qWarning("%s", qPrintable(m_sim->errorString()));
    return false;
}

std::unique_ptr<SerialPort> LinkPtyTest::phoneLink(FakeUi &ui, const QStringList &simArgs)
{
    if (!startSim({.modem = true, .extraArgs = simArgs}))
        return nullptr;
    auto port = openLink(1);
    if (!port || !dialIn(*port, ui))
        return nullptr;
    m_settings.Conn_Prz = Phone;
    return port;
}

void LinkPtyTest::armChannel(ExchangeChannel &channel, SerialPort *port, FakeUi &ui)
{
    channel.ui = &ui;
    channel.settings = &m_settings;
    channel.linkState = &m_linkState;
    channel.timing = m_timing;
    channel.arm(port, 38400, 1, 100, 1, false);
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
    auto port = OpenPort(1, rate, 8, 0, 0, 1000, 1000, true, false);
    QVERIFY(port);
    QVERIFY(m_sim->command("status"));
    QVERIFY2(m_sim->lastReply().contains(line), qPrintable(m_sim->lastReply()));
}

void LinkPtyTest::openPort_lineTheDeviceCannotKeep_isRefusedAndClosed()
{
    // A pseudo-terminal keeps 8 bits without parity whatever it is told: the
    // read-back after configuring catches that, and the port is not left open.
    QVERIFY(startSim());
    QVERIFY(!OpenPort(1, 9600, 8, 1, 0, 1000, 1000, true, false));
    QVERIFY(!OpenPort(1, 9600, 7, 0, 0, 1000, 1000, true, false));
    QVERIFY(!OpenPort(1, 9600, 3, 0, 0, 1000, 1000, true, false)); // 4 bits: unknown to Qt Serial Port
    QVERIFY(openLink(1));
}

void LinkPtyTest::idleRead_returnsAtOnceWithNothing()
{
    QVERIFY(startSim());
    auto port = openLink(1);
    QVERIFY(port);
    char byte = 0;
    QCOMPARE(port->readByte(&byte), 0);
    QCOMPARE(port->bytesAvailable(), qint64(0));
}

void LinkPtyTest::portExists_absentPresentOwnAndHeldByAnother()
{
    DevSimOptions second;
    second.port = 2;
    QVERIFY(startSim(second));
    QVERIFY(!PortExists(1));
    QVERIFY(!OpenPort(1, 38400, 8, 0, 0, 1000, 1000, true, false));
    QVERIFY(PortExists(2));

    {
        auto own = openLink(2);
        QVERIFY(own);
        QVERIFY(PortExists(2)); // held by this program's own link
        QVERIFY(!openLink(2));
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
    QVERIFY(!openLink(2));
    holder.closeWriteChannel();
    QVERIFY(holder.waitForFinished(5000));
    QVERIFY(openLink(2));
}

void LinkPtyTest::ping_commandBytesAndFramedReply()
{
    QVERIFY(startSim({.extraArgs = {"--state", "waiting"}}));
    auto port = openLink(1);
    QVERIFY(port);
    FakeUi ui;
    ExchangeChannel channel;
    armChannel(channel, port.get(), ui);
    QVERIFY(RunExchange(channel, "PING", 4));
    QCOMPARE(QByteArray(channel.reply()), QByteArray("{\"PING\":\"WaitForKEEP\",\"Val\":\"0A:1B:2C:3D:4E:5F\"}"));
    QCOMPARE(m_sim->received(), QByteArray("\x50\x49\x4E\x47\x0D"));
}

void LinkPtyTest::wakeUpByte_isFollowedByHundredMsSilence()
{
    QVERIFY(startSim());
    auto port = openLink(1);
    QVERIFY(port);
    FakeUi ui;
    ExchangeChannel channel;
    armChannel(channel, port.get(), ui);
    channel.timing = LinkTiming{}; // the real pause
    channel.wakeUpByte = true;
    QVERIFY(RunExchange(channel, "VER", 3));

    const QList<DevSimLogEntry> reads = fromProgram(m_sim->log());
    QVERIFY(reads.size() >= 2);
    QCOMPARE(reads.first().bytes, QByteArray(1, '\0'));
    QCOMPARE(reads.at(1).bytes.left(1), QByteArray("V"));
    const qint64 silence = reads.at(1).micros - reads.first().micros;
    QVERIFY2(silence >= 100000, qPrintable(QString::number(silence)));
    QByteArray rest;
    for (int k = 1; k < reads.size(); ++k)
        rest += reads.at(k).bytes;
    QCOMPARE(rest, QByteArray("\x56\x45\x52\x0D"));
}

void LinkPtyTest::silentModule_threeAttemptsOnTheWire()
{
    QVERIFY(startSim());
    QVERIFY(m_sim->command("silent on"));
    auto port = openLink(1);
    FakeUi ui;
    ExchangeChannel channel;
    armChannel(channel, port.get(), ui);
    channel.firstByteWaitMs = 100;
    channel.attempts = 3;
    QVERIFY(!RunExchange(channel, "PING", 4));
    QCOMPARE(channel.result, 3);
    QCOMPARE(m_sim->received(), QByteArray("PING\rPING\rPING\r"));
    QCOMPARE(ui.resultTexts, QStringList{QString::fromUtf8("Устройство не отвечает")});
}

void LinkPtyTest::trickle_acceptedWithinGapAndCutBeyondIt()
{
    QVERIFY(startSim());
    auto port = openLink(1);
    FakeUi ui;
    ExchangeChannel channel;
    armChannel(channel, port.get(), ui);
    channel.interByteWaitMs = 60;
    channel.firstByteWaitMs = 200;

    QVERIFY(m_sim->command("trickle 15")); // the reply takes longer than the first-byte wait
    QVERIFY(RunExchange(channel, "VER", 3));
    QVERIFY(QByteArray(channel.reply()).startsWith("{\"VER\""));

    QVERIFY(m_sim->command("trickle 150"));
    QVERIFY(!RunExchange(channel, "VER", 3));
    QCOMPARE(channel.result, 4);
}

void LinkPtyTest::waiting_sleepsInsteadOfSpinning()
{
    QVERIFY(startSim());
    QVERIFY(m_sim->command("silent on"));
    auto port = openLink(1);
    FakeUi ui;
    ExchangeChannel channel;
    armChannel(channel, port.get(), ui);
    channel.firstByteWaitMs = 500;
    QVERIFY(!RunExchange(channel, "PING", 4));
    QCOMPARE(channel.result, 3);
    // A spinning loop makes hundreds of thousands of passes in half a second.
    QVERIFY2(ui.passes < 50, qPrintable(QString::number(ui.passes)));
}

void LinkPtyTest::vanishedPort_endsByTimeOutThenWritesFail()
{
    QVERIFY(startSim());
    QVERIFY(m_sim->command("delay 300"));
    auto port = openLink(1);
    FakeUi ui;
    ExchangeChannel channel;
    armChannel(channel, port.get(), ui);
    channel.firstByteWaitMs = 700;
    int vanished = 0;
    ui.onPass = [&] {
        if (ui.passes == 3 && !vanished++)
            QVERIFY(m_sim->command("vanish"));
    };
    QVERIFY(!RunExchange(channel, "PING", 4));
    QCOMPARE(channel.result, 3);
    QVERIFY2(ui.passes < 200, qPrintable(QString::number(ui.passes)));

    QVERIFY(!RunExchange(channel, "PING", 4));
    QCOMPARE(channel.result, 1);
    QVERIFY(!PortExists(1));
}

void LinkPtyTest::linkClosedByWindowMidExchange_abortsWithoutTouchingPort()
{
    // The window's teardown runs inside the exchange's event processing: it raises
    // the abort, closes the port and drops it from the channel.
    QVERIFY(startSim());
    QVERIFY(m_sim->command("delay 300"));
    auto port = openLink(1);
    FakeUi ui;
    ExchangeChannel channel;
    armChannel(channel, port.get(), ui);
    channel.attempts = 3;
    ui.onPass = [&] {
        if (ui.passes == 4 && port) {
            channel.disarm();
            ClosePort(port);
        }
    };
    QVERIFY(!RunExchange(channel, "PING", 4));
    QCOMPARE(channel.result, 5);
    QVERIFY(!port);
    QCOMPARE(m_sim->received(), QByteArray("PING\r"));
}

void LinkPtyTest::linkClosedByWindowDuringRedial_endsRestore()
{
    FakeUi ui;
    auto port = phoneLink(ui, {"--dial-ms", "50", "--guard-ms", "50"});
    QVERIFY(port);
    QVERIFY(m_sim->command("drop-midframe 5"));
    m_settings.directory.users_num = 1;
    m_settings.directory.entries[0].phone_code = "555";
    m_settings.ConnectWaitTime = 2;
    ExchangeChannel channel;
    armChannel(channel, port.get(), ui);
    ui.answers = {true, true};
    int passesAtQuestion = -1;
    ui.onQuestion = [&] { passesAtQuestion = ui.passes; };
    // A few passes into the re-dial the user disconnects.
    ui.onPass = [&] {
        if (passesAtQuestion >= 0 && ui.passes == passesAtQuestion + 6 && port) {
            channel.disarm();
            ClosePort(port);
        }
    };
    QVERIFY(!RunExchange(channel, "PING", 4));
    QVERIFY(!port);
    QVERIFY(channel.result == 5 || channel.result == 6);
    QCOMPARE(ui.questions.size(), 1);
    QCOMPARE(ui.busyCursor, 0);
    QVERIFY(!m_linkState.ModemConnected);
}

bool LinkPtyTest::dialIn(SerialPort &port, FakeUi &ui)
{
    ModemDialogue modem(port, ui, m_timing);
    return modem.DialSubscriber("555-01", QString(), false, 1, 2) == DialOk;
}

void LinkPtyTest::phone_pingThroughModem()
{
    FakeUi ui;
    auto port = phoneLink(ui, {"--dial-ms", "50"});
    QVERIFY(port);
    ExchangeChannel channel;
    armChannel(channel, port.get(), ui);
    QVERIFY(RunExchange(channel, "PING", 4));
    QCOMPARE(QByteArray(channel.reply()), QByteArray("{\"PING\":\"NoConnection\"}"));
}

void LinkPtyTest::phone_graceWindowRetriesSilentModule()
{
    FakeUi ui;
    auto port = phoneLink(ui, {"--dial-ms", "50"});
    QVERIFY(port);
    QVERIFY(m_sim->command("silent on"));
    ExchangeChannel channel;
    armChannel(channel, port.get(), ui);
    channel.firstByteWaitMs = 40;
    channel.attempts = 2;
    m_sim->clearLog();
    QVERIFY(!RunExchange(channel, "PING", 4));
    QCOMPARE(channel.result, 3);
    // Free cycles for 300 ms (about seven), then the two that cost; without the
    // window it would be three.
    const int cycles = count(m_sim->received(), "PING\r");
    QVERIFY2(cycles > 3 && cycles <= 12, qPrintable(QString::number(cycles)));
    QVERIFY(ui.questions.isEmpty());
}

void LinkPtyTest::phone_carrierLostMidFrame_declined()
{
    FakeUi ui;
    auto port = phoneLink(ui, {"--dial-ms", "50"});
    QVERIFY(port);
    QVERIFY(m_sim->command("drop-midframe 5"));
    ExchangeChannel channel;
    armChannel(channel, port.get(), ui);
    channel.attempts = 3;
    ui.answers = {false};
    QVERIFY(!RunExchange(channel, "PING", 4));
    QCOMPARE(channel.result, 6);
    QCOMPARE(ui.questions.size(), 1);
    QCOMPARE(ui.resultTexts.last(), QString::fromUtf8("Связь через модем прервана"));
    QCOMPARE(count(m_sim->received(), "PING\r"), 1);
}

void LinkPtyTest::phone_carrierLostMidFrame_restoredAndRepeated()
{
    FakeUi ui;
    auto port = phoneLink(ui, {"--dial-ms", "50", "--guard-ms", "50"});
    QVERIFY(port);
    QVERIFY(m_sim->command("drop-midframe 5"));
    m_settings.directory.users_num = 1;
    m_settings.directory.entries[0].phone_code = "8 (812) 555-01";
    m_settings.Command = "AT&C1";
    m_settings.Conn_Repeat = 1;
    m_settings.ConnectWaitTime = 2;
    ExchangeChannel channel;
    armChannel(channel, port.get(), ui);
    channel.attempts = 1;
    m_sim->clearLog();
    ui.answers = {true};
    QVERIFY(RunExchange(channel, "PING", 4));
    QCOMPARE(ui.questions.size(), 1);
    QVERIFY(m_linkState.LinkOpen && m_linkState.ModemConnected);
    QCOMPARE(ui.busyCursor, 0);
    const QByteArray wire = m_sim->received();
    QVERIFY2(wire.contains("ath\r") && wire.contains("AT&C1\r") && wire.contains("ATD881255501\r"),
             wire.constData());
    // The same command again after the re-dial, without costing the one attempt.
    QCOMPARE(count(wire, "PING\r"), 2);
}

QTEST_GUILESS_MAIN(LinkPtyTest)
#include "tst_linkpty.moc"
