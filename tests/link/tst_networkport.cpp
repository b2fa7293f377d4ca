// The network port under the exchange: raw TCP and remote port control against the
// simulator's own TCP line, ser2net 4 and sredird in front of its pseudo-terminal, and
// scripted servers for the faults. Every server runs on a free loopback port.
#include "fakes.h"

#include "link/exchangechannel.h"
#include "link/linktexts.h"
#include "link/networktarget.h"
#include "settings/settings.h"
#include "support/devsim.h"
#include "support/netservers.h"

#include <QElapsedTimer>
#include <QStandardPaths>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace tavrin;
using namespace tavrin::test;

namespace {

enum class Server { SimulatorTcp, Ser2NetRaw, Ser2NetPortControl, Sredird };

const QByteArray kServerAgrees = QByteArray::fromHex(
    "fffd00fffb00fffd03fffb03fffd2c"
    "fffa2c6500009600fff0fffa2c6608fff0fffa2c6701fff0fffa2c6801fff0");

QString sredirdProgram()
{
    return QStandardPaths::findExecutable(QStringLiteral("sredird"), {"/usr/sbin", "/usr/bin"});
}

NetworkTarget loopback(int port, NetworkProtocol protocol, int rate = 38400, int limitMs = 5000)
{
    return {.address = {QStringLiteral("127.0.0.1"), quint16(port)}, .protocol = protocol, .rate = rate,
            .connectLimitMs = limitMs};
}

} // namespace

Q_DECLARE_METATYPE(Server)

class NetworkPortTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void ping_throughEachServer_data();
    void ping_throughEachServer();
    void deviceFfBytes_singleInReplyTraceAndDevice();
    void portControlWire_ffDoubledBothWaysNoTelnetInTrace();
    void openFailure_namesHostAndPort_data();
    void openFailure_namesHostAndPort();
    void connectionLostMidExchange_askedToRestore_data();
    void connectionLostMidExchange_askedToRestore();

private:
    // The simulated module and the server of the row in front of it; the port the
    // program connects to.
    int startServer(Server server, const DevSimOptions &options = {});
    bool openAndArm(const NetworkTarget &target);

    QTemporaryDir m_comDir;
    std::unique_ptr<DevSim> m_sim;
    std::unique_ptr<Ser2Net> m_ser2net;
    std::unique_ptr<InetdServer> m_inetd;
    std::unique_ptr<FakeUi> m_ui;
    std::unique_ptr<SerialPort> m_port;
    Settings m_settings;
    LinkState m_linkState;
    ExchangeChannel m_channel;
};

void NetworkPortTest::initTestCase()
{
    QVERIFY(m_comDir.isValid());
}

void NetworkPortTest::init()
{
    m_sim = std::make_unique<DevSim>(m_comDir.path());
    m_ui = std::make_unique<FakeUi>();
    m_settings = Settings{};
    m_linkState = LinkState{};
    m_channel = ExchangeChannel{};
}

void NetworkPortTest::cleanup()
{
    m_channel.disarm();
    m_port.reset();
    m_inetd.reset();
    m_ser2net.reset();
    m_sim.reset();
}

int NetworkPortTest::startServer(Server server, const DevSimOptions &options)
{
    DevSimOptions simOptions = options;
    simOptions.listen = server == Server::SimulatorTcp;
    if (!m_sim->start(simOptions)) {
        qWarning("%s", qPrintable(m_sim->errorString()));
        return 0;
    }
    switch (server) {
    case Server::SimulatorTcp:
        return m_sim->tcpPort();
    case Server::Ser2NetRaw:
    case Server::Ser2NetPortControl:
        m_ser2net = std::make_unique<Ser2Net>();
        if (!m_ser2net->start(m_sim->devicePath(), server == Server::Ser2NetRaw ? Ser2Net::Accepter::Raw
                                                                                 : Ser2Net::Accepter::PortControl)) {
            qWarning("%s", qPrintable(m_ser2net->error()));
            return 0;
        }
        return m_ser2net->port();
    case Server::Sredird:
        m_inetd = std::make_unique<InetdServer>(
            sredirdProgram(), QStringList{"5", m_sim->devicePath(), m_comDir.filePath("LCK..sredird")});
        return m_inetd->start() ? m_inetd->port() : 0;
    }
    return 0;
}

bool NetworkPortTest::openAndArm(const NetworkTarget &target)
{
    QString failure;
    m_port = OpenNetworkPort(target, m_ui.get(), &failure);
    if (!m_port) {
        qWarning("%s", qPrintable(failure));
        return false;
    }
    m_channel.ui = m_ui.get();
    m_channel.settings = &m_settings;
    m_channel.linkState = &m_linkState;
    m_channel.arm(m_port.get(), target.rate, 2, 300, 1, false);
    return true;
}

void NetworkPortTest::ping_throughEachServer_data()
{
    QTest::addColumn<Server>("server");
    QTest::addColumn<NetworkProtocol>("protocol");
    QTest::addColumn<int>("rate");
    QTest::newRow("simulator's TCP line, raw") << Server::SimulatorTcp << RawTcp << 38400;
    QTest::newRow("ser2net raw") << Server::Ser2NetRaw << RawTcp << 38400;
    QTest::newRow("ser2net port control, 9600") << Server::Ser2NetPortControl << Rfc2217 << 9600;
    QTest::newRow("ser2net port control, 115200") << Server::Ser2NetPortControl << Rfc2217 << 115200;
    QTest::newRow("sredird, 19200") << Server::Sredird << Rfc2217 << 19200;
}

void NetworkPortTest::ping_throughEachServer()
{
    QFETCH(Server, server);
    QFETCH(NetworkProtocol, protocol);
    QFETCH(int, rate);
    if ((server == Server::Ser2NetRaw || server == Server::Ser2NetPortControl) && !Ser2Net::installed())
        QSKIP("ser2net is not installed (scripts/install-packages ser2net)");
    if (server == Server::Sredird && sredirdProgram().isEmpty())
        QSKIP("sredird is not installed (scripts/install-packages sredird)");
    const int port = startServer(server, {.extraArgs = {"--state", "connected"}});
    QVERIFY(port > 0);
    QVERIFY(openAndArm(loopback(port, protocol, rate)));
    if (protocol == Rfc2217) {
        // The server set the rate asked for on the device itself.
        QVERIFY(m_sim->command("status"));
        QVERIFY2(m_sim->lastReply().contains(QStringLiteral("rate=%1 ").arg(rate)), qPrintable(m_sim->lastReply()));
    }
    m_sim->clearLog();
    QVERIFY(RunExchange(m_channel, "PING", 4));
    QCOMPARE(QByteArray(m_channel.reply()), QByteArray("{\"PING\":\"Connected\"}"));
    QCOMPARE(m_sim->received(), QByteArray("PING\r"));
    QCOMPARE(m_ui->trace.lines.last(), QStringLiteral(" {\"PING\":\"Connected\"}"));
}

void NetworkPortTest::deviceFfBytes_singleInReplyTraceAndDevice()
{
    if (!Ser2Net::installed())
        QSKIP("ser2net is not installed (scripts/install-packages ser2net)");
    const int port = startServer(Server::Ser2NetPortControl);
    QVERIFY(port > 0);
    QVERIFY(openAndArm(loopback(port, Rfc2217)));
    QVERIFY(m_sim->command("raw 7B2250494E47223A22FFFFFFFF227D"));
    m_sim->clearLog();
    QVERIFY(RunExchange(m_channel, "PING\xff", 5));
    QCOMPARE(QByteArray(m_channel.reply()).toHex(' '), QByteArray("7b 22 50 49 4e 47 22 3a 22 ff ff ff ff 22 7d"));
    QCOMPARE(m_sim->received().toHex(' '), QByteArray("50 49 4e 47 ff 0d"));
    QCOMPARE(m_ui->trace.lines.last().size(), 1 + 15);
}

// The wire itself, with a scripted server that takes port control: a 0xFF the program
// sends is doubled, a doubled one the server sends is one byte; the server's notices
// never reach the reply or the trace.
void NetworkPortTest::portControlWire_ffDoubledBothWaysNoTelnetInTrace()
{
    ScriptedServer server;
    bool agreed = false;
    server.onBytes = [&](QTcpSocket &client, const QByteArray &bytes) {
        if (!agreed) {
            agreed = true;
            client.write(kServerAgrees);
        } else if (bytes.endsWith('\r')) {
            client.write(QByteArray::fromHex("fffa2c6b30fff0 7b22 41ffff fff1 227d"));
        }
    };
    QVERIFY(server.start());
    QVERIFY(openAndArm(loopback(server.port(), Rfc2217)));
    QVERIFY(RunExchange(m_channel, "A\xff", 2));
    QCOMPARE(QByteArray(m_channel.reply()).toHex(' '), QByteArray("7b 22 41 ff 22 7d"));
    QVERIFY2(server.received.toHex(' ').endsWith("ff fa 2c 0c 03 ff f0 41 ff ff 0d"), server.received.toHex(' '));
    QCOMPARE(m_ui->trace.lines.last().size(), 1 + 6);
}

void NetworkPortTest::openFailure_namesHostAndPort_data()
{
    QTest::addColumn<QString>("scenario");
    QTest::addColumn<NetworkProtocol>("protocol");
    QTest::addColumn<int>("limitMs");
    QTest::addColumn<QString>("message"); // "@": the address
    QTest::newRow("unknown host") << "unknown host" << RawTcp << 5000
                                  << linktext::NetworkHostNotFound(QStringLiteral("@"));
    QTest::newRow("refused") << "refused" << RawTcp << 5000 << linktext::NetworkRefused(QStringLiteral("@"));
    QTest::newRow("accepts, never answers") << "silent" << Rfc2217 << 300
                                            << linktext::NetworkTimeLimit(QStringLiteral("@"), 1);
    QTest::newRow("negotiation never completes") << "never confirms" << Rfc2217 << 300
                                                 << linktext::NetworkTimeLimit(QStringLiteral("@"), 1);
    QTest::newRow("Esc while waiting") << "esc" << Rfc2217 << 10000
                                       << linktext::NetworkCancelled(QStringLiteral("@"));
    QTest::newRow("hangs up at once") << "hangs up" << Rfc2217 << 5000
                                      << linktext::NetworkClosedByPeer(QStringLiteral("@"));
    QTest::newRow("refuses port control") << "refuses" << Rfc2217 << 5000
                                          << linktext::NetworkNoPortControl(QStringLiteral("@"));
}

void NetworkPortTest::openFailure_namesHostAndPort()
{
    QFETCH(QString, scenario);
    QFETCH(NetworkProtocol, protocol);
    QFETCH(int, limitMs);
    QFETCH(QString, message);

    ScriptedServer server;
    server.hangUpAtOnce = scenario == "hangs up";
    server.onBytes = [&](QTcpSocket &client, const QByteArray &) {
        if (scenario == "refuses")
            client.write(QByteArray::fromHex("fffe2c"));
        else if (scenario == "never confirms")
            client.write(QByteArray::fromHex("fffd00fffb00fffd03fffb03fffd2c"));
    };
    QVERIFY(server.start());
    NetworkTarget target = loopback(server.port(), protocol, 38400, limitMs);
    if (scenario == "unknown host")
        target.address = {QStringLiteral("no-such-site.invalid"), 5000};
    if (scenario == "refused") {
        server.close();
        target.address.port = quint16(FreeLoopbackPort());
    }
    if (scenario == "esc")
        QTimer::singleShot(150, [this] { m_ui->pressEscape(); });

    QElapsedTimer clock;
    clock.start();
    QString failure;
    QVERIFY(!OpenNetworkPort(target, m_ui.get(), &failure));
    QCOMPARE(failure, message.replace(u'@', NetworkAddressText(target.address)));
    QVERIFY2(clock.elapsed() < 3000, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(m_ui->watching, 0);
}

void NetworkPortTest::connectionLostMidExchange_askedToRestore_data()
{
    QTest::addColumn<Server>("server");
    QTest::addColumn<bool>("restore");
    QTest::newRow("simulator cuts the client, No") << Server::SimulatorTcp << false;
    QTest::newRow("simulator cuts the client, Yes: connected again") << Server::SimulatorTcp << true;
    QTest::newRow("ser2net killed, No") << Server::Ser2NetRaw << false;
}

void NetworkPortTest::connectionLostMidExchange_askedToRestore()
{
    QFETCH(Server, server);
    QFETCH(bool, restore);
    if (server == Server::Ser2NetRaw && !Ser2Net::installed())
        QSKIP("ser2net is not installed (scripts/install-packages ser2net)");
    const int port = startServer(server);
    QVERIFY(port > 0);
    const NetworkTarget target = loopback(port, RawTcp);
    QVERIFY(openAndArm(target));
    QVERIFY(m_sim->command("silent on"));
    QTimer::singleShot(200, [&] {
        if (server == Server::SimulatorTcp)
            m_sim->command("vanish");
        else
            m_ser2net->stop();
    });
    m_ui->answers = {restore};
    m_ui->onQuestion = [&] { m_sim->command("silent off"); };

    QElapsedTimer clock;
    clock.start();
    const bool done = RunExchange(m_channel, "PING", 4);
    const QString lost = linktext::NetworkLost(NetworkAddressText(target.address));
    QCOMPARE(m_ui->questions, QStringList{linktext::NetworkRestoreQuestion(lost)});
    QCOMPARE(done, restore);
    if (restore) {
        QVERIFY(QByteArray(m_channel.reply()).startsWith("{\"PING\":"));
    } else {
        QCOMPARE(m_channel.result, int(CarrierLost));
        QCOMPARE(m_ui->resultTexts.last(), lost);
        // Ended by the loss, not by the reply wait of 2 s.
        QVERIFY2(clock.elapsed() < 1500, qPrintable(QString::number(clock.elapsed())));
    }
}

QTEST_GUILESS_MAIN(NetworkPortTest)
#include "tst_networkport.moc"
