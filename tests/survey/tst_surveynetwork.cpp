// The survey's network sites against real servers: a site read over raw TCP and over
// RFC 2217, the fault rows, a round of modem and network sites together, the limit of
// connections at once, and a stop while a network site is being read. The module hears
// only the state reading's four commands.
#include "survey/surveyengine.h"
#include "survey/surveytexts.h"
#include "link/linktexts.h"
#include "support/devsim.h"
#include "support/fasttiming.h"
#include "support/netservers.h"

#include <QElapsedTimer>
#include <QMutex>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <map>

using namespace tavrin;
using tavrin::test::DevSim;
using tavrin::test::Ser2Net;
using tavrin::test::ScriptedServer;

namespace {

constexpr int kModemPort = 7;

enum class Server { SimulatorTcp, Ser2NetRaw, Ser2NetPortControl, Refused, UnknownHost, Silent, HangsUpOnPing, Spoilt };

// The rows by index, from whichever thread reads the site.
class Rows : public SurveyObserver {
public:
    void siteFinished(int index, const SurveyRow &row) override
    {
        QMutexLocker lock(&m_mutex);
        m_rows[index] = row;
    }
    QList<SurveyRow> inOrder()
    {
        QMutexLocker lock(&m_mutex);
        QList<SurveyRow> rows;
        for (const auto &[index, row] : m_rows)
            rows << row;
        return rows;
    }

private:
    QMutex m_mutex;
    std::map<int, SurveyRow> m_rows;
};

Settings SurveySettings(int connectSeconds = 5, int replyWaitSeconds = 1)
{
    Settings settings;
    settings.phone.portNumber = kModemPort;
    settings.phone.replyWaitSeconds = 1;
    settings.connectWaitSeconds = 5;
    settings.network.replyWaitSeconds = replyWaitSeconds;
    settings.network.byteWaitMs = 300;
    settings.network.exchangeAttempts = 1;
    settings.networkConnectSeconds = connectSeconds;
    return settings;
}

SurveyTiming FastSurvey()
{
    SurveyTiming timing;
    timing.link = test::FastTiming();
    timing.settleAfterOpenMs = 5;
    timing.pause = [](int ms) { Pause(ms / 50); };
    return timing;
}

SurveySubscriber NetworkSite(int number, const QString &name, const QString &address, NetworkProtocol protocol = RawTcp)
{
    return {number, name, QString(), address, protocol};
}

QString Loopback(int port)
{
    return QStringLiteral("127.0.0.1:%1").arg(port);
}

// The state reading's commands, and nothing else, each ended by CR.
bool OnlyReadingCommands(const QByteArray &wire)
{
    if (wire.isEmpty() || !wire.endsWith('\r'))
        return false;
    const QList<QByteArray> commands = wire.chopped(1).split('\r');
    return std::all_of(commands.begin(), commands.end(), [](const QByteArray &command) {
        return command == "PING" || command == "PEERADDR" || command == "DEVADDR" || command == "VER";
    });
}

// A server that holds every connection for a while and counts how many are open at once.
class CountingServer : public QTcpServer {
public:
    int holdMs = 300;
    int open = 0;
    int most = 0;
    int accepted = 0;
    bool start()
    {
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *client = nextPendingConnection()) {
                ++accepted;
                most = std::max(most, ++open);
                connect(client, &QTcpSocket::disconnected, client, [this, client] {
                    --open;
                    client->deleteLater();
                });
                QTimer::singleShot(holdMs, client, [client] { client->disconnectFromHost(); });
            }
        });
        return listen(QHostAddress::LocalHost, 0);
    }
};

} // namespace

class SurveyNetworkTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void oneNetworkSite_rowAndWire_data();
    void oneNetworkSite_rowAndWire();
    void modemAndNetworkSites_shareTheRound();
    void parallel_limitsConnectionsAtOnce_data();
    void parallel_limitsConnectionsAtOnce();
    void stopDuringNetworkSite_endsPromptly_data();
    void stopDuringNetworkSite_endsPromptly();

private:
    // A network site of the given kind; its address, or empty when it did not start.
    QString startSite(Server server, const QStringList &simArgs = {"--state", "paired"});

    std::unique_ptr<QTemporaryDir> m_dir;
    std::vector<std::unique_ptr<DevSim>> m_sims;
    std::vector<std::unique_ptr<Ser2Net>> m_ser2nets;
    std::unique_ptr<ScriptedServer> m_scripted;
};

void SurveyNetworkTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    qputenv("TAVRIN_COM_DIR", m_dir->path().toLocal8Bit());
}

void SurveyNetworkTest::cleanup()
{
    m_scripted.reset();
    m_ser2nets.clear();
    m_sims.clear();
    m_dir.reset();
}

QString SurveyNetworkTest::startSite(Server server, const QStringList &simArgs)
{
    switch (server) {
    case Server::SimulatorTcp:
    case Server::Ser2NetRaw:
    case Server::Ser2NetPortControl: {
        auto sim = std::make_unique<DevSim>(m_dir->path());
        if (!sim->start({.port = int(m_sims.size()) + 1, .listen = server == Server::SimulatorTcp, .extraArgs = simArgs})) {
            qWarning("%s", qPrintable(sim->errorString()));
            return {};
        }
        DevSim &started = *m_sims.emplace_back(std::move(sim));
        if (server == Server::SimulatorTcp)
            return Loopback(started.tcpPort());
        auto ser2net = std::make_unique<Ser2Net>();
        if (!ser2net->start(started.devicePath(),
                            server == Server::Ser2NetRaw ? Ser2Net::Accepter::Raw : Ser2Net::Accepter::PortControl)) {
            qWarning("%s", qPrintable(ser2net->error()));
            return {};
        }
        return Loopback(m_ser2nets.emplace_back(std::move(ser2net))->port());
    }
    case Server::Refused:
        return Loopback(test::FreeLoopbackPort());
    case Server::UnknownHost:
        return QStringLiteral("no-such-site.invalid:4001");
    case Server::Spoilt:
        return QStringLiteral("kotelnaya:70000");
    case Server::Silent:
    case Server::HangsUpOnPing:
        m_scripted = std::make_unique<ScriptedServer>();
        if (server == Server::HangsUpOnPing) {
            m_scripted->onBytes = [this](QTcpSocket &client, const QByteArray &) {
                if (m_scripted->received.contains("PING\r"))
                    client.abort();
            };
        }
        return m_scripted->start() ? Loopback(m_scripted->port()) : QString();
    }
    return {};
}

void SurveyNetworkTest::oneNetworkSite_rowAndWire_data()
{
    QTest::addColumn<Server>("server");
    QTest::addColumn<NetworkProtocol>("protocol");
    QTest::addColumn<int>("connectSeconds");
    QTest::addColumn<QString>("result"); // "@" stands for the site's address
    QTest::addColumn<QByteArray>("wire"); // what the module (or the scripted server) heard

    const QByteArray reading = "PING\rPEERADDR\rDEVADDR\rVER\r";
    QTest::newRow("simulator's TCP line") << Server::SimulatorTcp << RawTcp << 5 << "Прочитано" << reading;
    QTest::newRow("ser2net raw") << Server::Ser2NetRaw << RawTcp << 5 << "Прочитано" << reading;
    QTest::newRow("ser2net RFC 2217") << Server::Ser2NetPortControl << Rfc2217 << 5 << "Прочитано" << reading;
    // The faults: each a row of its own naming host and port, in one line.
    QTest::newRow("refused") << Server::Refused << RawTcp << 5
                             << "Связь по сети с @ не установлена: соединение отклонено" << QByteArray();
    QTest::newRow("unknown host") << Server::UnknownHost << RawTcp << 5
                                  << "Связь по сети с @ не установлена: узел не найден" << QByteArray();
    QTest::newRow("connect time limit") << Server::Silent << Rfc2217 << 1
                                        << "Связь по сети с @ не установлена: нет ответа за 1 с" << QByteArray();
    QTest::newRow("closed in the middle of the reading") << Server::HangsUpOnPing << RawTcp << 5
                                                         << "Связь по сети с @ прервана" << QByteArray("PING\r");
    // The reading's own three tries of PING, no more.
    QTest::newRow("module silent") << Server::Silent << RawTcp << 5
                                   << "Сбой операции. Не выполнена команда \"PING\"." << QByteArray("PING\rPING\rPING\r");
    QTest::newRow("address that does not parse") << Server::Spoilt << RawTcp << 5
                                                 << "Неверный сетевой адрес «@»" << QByteArray();
}

void SurveyNetworkTest::oneNetworkSite_rowAndWire()
{
    QFETCH(Server, server);
    QFETCH(NetworkProtocol, protocol);
    QFETCH(int, connectSeconds);
    QFETCH(QString, result);
    QFETCH(QByteArray, wire);
    if ((server == Server::Ser2NetRaw || server == Server::Ser2NetPortControl) && !Ser2Net::installed())
        QSKIP("ser2net is not installed (scripts/install-packages ser2net)");
    const QString address = startSite(server);
    QVERIFY(!address.isEmpty());

    Rows rows;
    SurveyEngine engine(SurveySettings(connectSeconds), rows, 0, FastSurvey());
    engine.run({NetworkSite(1, "Котельная", address, protocol)});
    const QList<SurveyRow> done = rows.inOrder();
    QCOMPARE(done.size(), 1);
    QCOMPARE(done[0].result, QString(result).replace('@', address));
    QCOMPARE(done[0].read, result == surveytext::Read);
    QVERIFY(done[0].started.isValid());
    if (done[0].read) {
        QCOMPARE(done[0].state.pair, "Есть");
        QCOMPARE(done[0].state.ownAddress, "00:1A:7D:DA:71:13");
        QCOMPARE(done[0].state.version, "1.07");
    }
    // The module hears the reading and nothing else; no modem is ever spoken to.
    const QByteArray heard = !m_sims.empty() ? m_sims[0]->received() : m_scripted ? m_scripted->received : QByteArray();
    if (protocol == RawTcp || !m_sims.empty())
        QCOMPARE(heard, wire);
}

void SurveyNetworkTest::modemAndNetworkSites_shareTheRound()
{
    if (!Ser2Net::installed())
        QSKIP("ser2net is not installed (scripts/install-packages ser2net)");
    const QString overTcp = startSite(Server::SimulatorTcp, {"--state", "waiting"});
    const QString overPortControl = startSite(Server::Ser2NetPortControl);
    QVERIFY(!overTcp.isEmpty() && !overPortControl.isEmpty());
    DevSim modem(m_dir->path());
    QStringList modemArgs = test::FastModemArgs();
    modemArgs << "--site" << "101 paired version=2.10" << "--site" << "102 busy";
    QVERIFY2(modem.start({.port = kModemPort, .modem = true, .extraArgs = modemArgs}), qPrintable(modem.errorString()));

    Rows rows;
    SurveyPool pool(SurveySettings(), {kModemPort}, rows, FastSurvey(), 8);
    pool.run({{1, "Водозабор", "101"},
              NetworkSite(2, "Котельная", overTcp),
              {3, "Насосная", "102"},
              NetworkSite(4, "Склад", overPortControl, Rfc2217)});

    const QList<SurveyRow> done = rows.inOrder();
    QCOMPARE(done.size(), 4);
    QStringList results;
    for (const SurveyRow &row : done)
        results << row.result;
    QCOMPARE(results, (QStringList{"Прочитано", "Прочитано", "Номер абонента занят", "Прочитано"}));
    QCOMPARE(done[0].state.version, "2.10");
    QCOMPARE(done[1].state.connection, "Есть");
    QCOMPARE(done[3].state.pair, "Есть");
    // The modem dialled its two sites only; each network site heard the reading alone.
    const QByteArray dialled = modem.received();
    QCOMPARE(dialled.count("ATD"), 2);
    QVERIFY(dialled.contains("ATD101\r") && dialled.contains("ATD102\r"));
    for (const auto &sim : m_sims) {
        const QByteArray heard = sim->received();
        QVERIFY2(OnlyReadingCommands(heard), heard.constData());
    }
}

void SurveyNetworkTest::parallel_limitsConnectionsAtOnce_data()
{
    QTest::addColumn<int>("sites");
    QTest::addColumn<int>("parallel");
    QTest::addColumn<int>("most"); // connections the server saw open at once
    QTest::newRow("one at a time") << 3 << 1 << 1;
    QTest::newRow("three of seven") << 7 << 3 << 3;
    QTest::newRow("fewer sites than allowed") << 2 << 8 << 2;
}

void SurveyNetworkTest::parallel_limitsConnectionsAtOnce()
{
    QFETCH(int, sites);
    QFETCH(int, parallel);
    QFETCH(int, most);
    CountingServer server;
    QVERIFY(server.start());
    QList<SurveySubscriber> round;
    for (int number = 1; number <= sites; ++number)
        round << NetworkSite(number, QStringLiteral("Объект %1").arg(number), Loopback(server.serverPort()));
    Rows rows;
    SurveyPool pool(SurveySettings(), {kModemPort}, rows, FastSurvey(), parallel);
    pool.run(round);
    QCOMPARE(rows.inOrder().size(), sites);
    QCOMPARE(server.accepted, sites);
    QCOMPARE(server.most, most);
}

void SurveyNetworkTest::stopDuringNetworkSite_endsPromptly_data()
{
    QTest::addColumn<NetworkProtocol>("protocol");
    QTest::addColumn<QByteArray>("stopWhen"); // the stop comes once the server heard this
    QTest::newRow("waiting for the module's reply") << RawTcp << QByteArray("PING\r");
    QTest::newRow("waiting for the port control negotiation") << Rfc2217 << QByteArray("\xff\xfb");
}

void SurveyNetworkTest::stopDuringNetworkSite_endsPromptly()
{
    QFETCH(NetworkProtocol, protocol);
    QFETCH(QByteArray, stopWhen);
    const QString address = startSite(Server::Silent);
    QVERIFY(!address.isEmpty());
    int connections = 0;
    connect(m_scripted.get(), &QTcpServer::newConnection, this, [&connections] { ++connections; });
    // Both waits are long: only the stop can end them soon.
    Rows rows;
    SurveyPool pool(SurveySettings(30, 30), {kModemPort}, rows, FastSurvey(), 2);
    QElapsedTimer sinceStop;
    QTimer watch;
    connect(&watch, &QTimer::timeout, this, [&] {
        // Both sites connected, and both waiting.
        if (connections == 2 && m_scripted->received.count(stopWhen) >= 2 && !sinceStop.isValid()) {
            sinceStop.start();
            pool.stop();
        }
    });
    watch.start(20);
    pool.run({NetworkSite(1, "Котельная", address, protocol), NetworkSite(2, "Насосная", address, protocol),
              NetworkSite(3, "Склад", address, protocol)});
    QVERIFY(sinceStop.isValid());
    QVERIFY2(sinceStop.elapsed() < 3000, qPrintable(QString::number(sinceStop.elapsed())));
    const QList<SurveyRow> done = rows.inOrder();
    QCOMPARE(done.size(), 3);
    for (const SurveyRow &row : done)
        QCOMPARE(row.result, surveytext::Stopped);
    // The two sites being read when the stop came had their calls; the third none.
    QCOMPARE(std::count_if(done.begin(), done.end(), [](const SurveyRow &row) { return row.started.isValid(); }), 2);
    // Their connections were closed, not left open.
    QCOMPARE(connections, 2);
    for (const QTcpSocket *client : m_scripted->findChildren<QTcpSocket *>())
        QTRY_COMPARE_WITH_TIMEOUT(client->state(), QAbstractSocket::UnconnectedState, 2000);
}

QTEST_GUILESS_MAIN(SurveyNetworkTest)
#include "tst_surveynetwork.moc"
