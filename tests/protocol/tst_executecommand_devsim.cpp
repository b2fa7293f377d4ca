// The command executor over a real serial port, against the simulated module: the echo
// and the reply rules as a module on the line exercises them.
#include "link/exchangechannel.h"
#include "link/serialport.h"
#include "protocol/commandtable.h"
#include "protocol/executecommand.h"
#include "protocol/replyrules.h"
#include "support/devsim.h"

#include <QTemporaryDir>
#include <QTest>

using namespace tavrin;
using tavrin::test::DevSim;

namespace {

class Messages : public CommandHost {
public:
    QStringList shown;
    void showMessage(const QString &text) override { shown << text; }
    void scrollLogToEnd() override {}
};

} // namespace

class ExecuteCommandDevSimTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void waitingPeripheral_pingEchoesAndCarriesItsAddress();
    void lowerCaseEcho_threeExchangesThenTheModuleFailure();
    void eightColonReply_echoesButIsNoAddressReply();
    void rowSeven_pairsTheTypedAddress();

private:
    bool up(const QStringList &args);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<DevSim> m_sim;
    std::unique_ptr<SerialPort> m_port;
    ExchangeChannel m_channel;
    Messages m_host;
    ProtocolFields m_fields;
    QList<int> m_pauses;
    std::unique_ptr<ProtocolContext> m_context;
};

bool ExecuteCommandDevSimTest::up(const QStringList &args)
{
    m_dir = std::make_unique<QTemporaryDir>();
    qputenv("TAVRIN_COM_DIR", m_dir->path().toLocal8Bit());
    m_sim = std::make_unique<DevSim>(m_dir->path());
    if (!m_sim->start({.port = 3, .extraArgs = args})) {
        qWarning("%s", qPrintable(m_sim->errorString()));
        return false;
    }
    m_port = OpenPort(3, {});
    if (!m_port)
        return false;
    m_channel.arm(m_port.get(), 38400, 1, 200, 1, false);
    m_context.reset(new ProtocolContext{m_channel, m_host, m_fields, [this](int ms) { m_pauses << ms; }});
    return true;
}

void ExecuteCommandDevSimTest::init()
{
    m_channel = ExchangeChannel{};
    m_host.shown.clear();
    m_fields = ProtocolFields{};
    m_pauses.clear();
}

void ExecuteCommandDevSimTest::cleanup()
{
    m_context.reset();
    m_channel.disarm();
    ClosePort(m_port);
    m_sim.reset();
    m_dir.reset();
}

void ExecuteCommandDevSimTest::waitingPeripheral_pingEchoesAndCarriesItsAddress()
{
    QVERIFY(up({"--state", "waiting", "--peripheral", "12:34:56:78:9A:BC"}));
    QCOMPARE(ExecuteCommand(*m_context, RowPing, 3, 500), CommandOutcome::Ok);
    QCOMPARE(m_sim->received(), QByteArray("PING\r"));
    const char *reply = m_channel.reply();
    QVERIFY(ReplyHas(reply, "WaitForKEEP"));
    QVERIFY(AddressReply(reply));
    QCOMPARE(AddressDisplayText(AddressValue(reply).value()), QStringLiteral("12:34:56:78:9A:BC"));
    QVERIFY(m_host.shown.isEmpty());
}

void ExecuteCommandDevSimTest::lowerCaseEcho_threeExchangesThenTheModuleFailure()
{
    QVERIFY(up({}));
    QVERIFY(m_sim->command("lower-echo on"));
    QCOMPARE(ExecuteCommand(*m_context, RowVer, 3, 500), CommandOutcome::NoEcho);
    QCOMPARE(m_sim->received(), QByteArray("VER\rVER\rVER\r"));
    QCOMPARE(m_pauses, (QList<int>{500, 500}));
    QCOMPARE(m_host.shown, QStringList{QStringLiteral("Сбой модуля. Команда \"VER\".")});
}

void ExecuteCommandDevSimTest::eightColonReply_echoesButIsNoAddressReply()
{
    QVERIFY(up({}));
    QVERIFY(m_sim->command(R"(reply DEVADDR {"DEVADDR":"OK:","Val":"00:11:22:33:44:55"})"));
    QCOMPARE(ExecuteCommand(*m_context, RowDevAddr, 3, 500), CommandOutcome::Ok);
    QCOMPARE(QByteArray(m_channel.reply()), QByteArray(R"({"DEVADDR":"OK:","Val":"00:11:22:33:44:55"})"));
    QVERIFY(!AddressReply(m_channel.reply()));
}

void ExecuteCommandDevSimTest::rowSeven_pairsTheTypedAddress()
{
    QVERIFY(up({}));
    m_fields.TargetPeerAddress = {0xA0, 0x0B, 0xC0, 0x0D, 0xE0, 0x0F};
    QCOMPARE(ExecuteCommand(*m_context, RowPeerAddrWith, 3, 500), CommandOutcome::Ok);
    QCOMPARE(m_sim->received(), QByteArray("PEERADDR(A0:0B:C0:0D:E0:0F)\r"));
    QVERIFY(AddressReply(m_channel.reply()));
    QCOMPARE(AddressValue(m_channel.reply()).value(), (MacAddress{0xA0, 0x0B, 0xC0, 0x0D, 0xE0, 0x0F}));
}

QTEST_GUILESS_MAIN(ExecuteCommandDevSimTest)
#include "tst_executecommand_devsim.moc"
