// Pair creation against the simulated module: each road's commands on the wire, the
// questions asked, the messages and the state shown at the end.
#include "operationrig.h"

#include "protocol/moduleoperations.h"

#include <QTest>

using namespace tavrin;
using namespace tavrin::test;

namespace {

// The closing state reading's commands: with a peripheral waiting, PEERADDR is not asked.
const QByteArray kReading = "PING\rPEERADDR\rDEVADDR\rVER\r";
const QByteArray kReadingWaiting = "PING\rDEVADDR\rVER\r";

const QString kConfirmation =
    QStringLiteral("? Создать пару с периферийным устройством\r(MAC 0A:1B:2C:3D:4E:5F) ?");
const QString kCreated = QStringLiteral("Операция создания пары\rвыполнена успешно");
const QString kNotCreated = QStringLiteral("Не создана пара\rс периферийным устройством");
const QString kUnknown =
    QStringLiteral("Результат операции неизвестен.\rНеопределенный ответ на команду создания пары.");
const QString kOperational = QStringLiteral("Эксплуатационный");
const QString kCommissioning = QStringLiteral("Пусконаладочный");

} // namespace

class TestCreatePair : public QObject {
    Q_OBJECT
private slots:
    void road_data();
    void road();
    void progress_oneWindowThroughTheClosingReading_data();
    void progress_oneWindowThroughTheClosingReading();
    void typedAddress_realPausesCoverTheRestart();
    void phoneLink_pairsThroughTheModem();
};

void TestCreatePair::road_data()
{
    QTest::addColumn<QStringList>("controls");
    QTest::addColumn<bool>("yes");          // the answer to the confirmation
    QTest::addColumn<QByteArray>("typed");  // the address typed; empty: Cancel
    QTest::addColumn<QByteArray>("wire");
    QTest::addColumn<QStringList>("asked");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QString>("mode");      // shown at the end

    const QByteArray typed("\x12\x34\x56\x78\x9A\xBC", 6);
    const QByteArray write = "PEERADDR(12:34:56:78:9A:BC)\r";
    const QStringList dialog = {"address dialog"};
    const QStringList confirmed = {kConfirmation};

    QTest::newRow("waiting peripheral, Yes")
        << QStringList{"state waiting"} << true << QByteArray() << "PING\rKEEP\rPEERADDR\r" + kReading
        << confirmed << QStringList{kCreated} << kOperational;
    QTest::newRow("waiting peripheral, No")
        << QStringList{"state waiting"} << false << QByteArray() << "PING\r" + kReadingWaiting << confirmed
        << QStringList() << kCommissioning;
    QTest::newRow("Connected already")
        << QStringList{"state connected"} << true << QByteArray() << "PING\r" + kReading << QStringList()
        << QStringList{"Сбой операции: пара уже существует"} << kOperational;
    QTest::newRow("KEEP: NoConnection")
        << QStringList{"state waiting", R"(once KEEP {"KEEP":"NoConnection"})"} << true << QByteArray()
        << "PING\rKEEP\r" + kReadingWaiting << confirmed
        << QStringList{"Создание пары невозможна.\rНет соединения."} << kCommissioning;
    QTest::newRow("KEEP: MemError")
        << QStringList{"state waiting", "memerror 1"} << true << QByteArray() << "PING\rKEEP\r" + kReadingWaiting
        << confirmed << QStringList{"Создание пары невозможна.\rСбой модуля Bluetooth."} << kCommissioning;
    QTest::newRow("KEEP: MemError and NoConnection")
        << QStringList{"state waiting", R"(once KEEP {"KEEP":"MemError","Val":"NoConnection"})"} << true
        << QByteArray() << "PING\rKEEP\r" + kReadingWaiting << confirmed
        << QStringList{"Создание пары невозможна.\rНет соединения."} << kCommissioning;
    QTest::newRow("KEEP: OK without an address")
        << QStringList{"state waiting", "keep-address off"} << true << QByteArray() << "PING\rKEEP\r" + kReading
        << confirmed << QStringList{kUnknown} << kOperational;
    QTest::newRow("KEEP failed: sent once")
        << QStringList{"state waiting", R"(once KEEP {"KEPT":"OK"})"} << true << QByteArray()
        << "PING\rKEEP\r" + kReadingWaiting << confirmed << QStringList{"Сбой модуля. Команда \"KEEP\"."}
        << kCommissioning;
    QTest::newRow("read back: another address")
        << QStringList{"state waiting", R"(once PEERADDR {"PEERADDR":"OK","Val":"11:22:33:44:55:66"})"} << true
        << QByteArray() << "PING\rKEEP\rPEERADDR\r" + kReading << confirmed
        << QStringList{"Операция создания пары не выполнена.\rСбой модуля Bluetooth"} << kOperational;
    QTest::newRow("WaitForKEEP with 6 colons")
        << QStringList{"state waiting", R"(once PING {"PING":"WaitForKEEP","Val":"0A:1B:2C:3D:4E"})"} << true
        << QByteArray() << "PING\r" + kReadingWaiting << QStringList()
        << QStringList{"Неопределенный ответ на команду \"PING\""} << kCommissioning;
    QTest::newRow("PING without its tokens")
        << QStringList{"state none", R"(once PING {"PING":"Busy"})"} << true << typed << "PING\r" + kReading
        << QStringList() << QStringList{"Неопределенный ответ на команду \"PING\""} << kCommissioning;

    QTest::newRow("typed address, reported back")
        << QStringList{"state none"} << true << typed << "PING\r" + write + "RESET\rPEERADDR\r" + kReading
        << dialog << QStringList{kCreated} << kOperational;
    QTest::newRow("typed address, Cancel")
        << QStringList{"state none"} << true << QByteArray() << "PING\r" + kReading << dialog << QStringList()
        << kCommissioning;
    QTest::newRow("typed address, MemError: clean-up")
        << QStringList{"state none", "memerror 1"} << true << typed
        << "PING\r" + write + "RESET\rKILL\rRESET\rPEERADDR\r" + kReading << dialog << QStringList{kNotCreated}
        << kCommissioning;
    QTest::newRow("typed address, another one written: clean-up")
        << QStringList{"state none", "peer-written 11:22:33:44:55:66"} << true << typed
        << "PING\r" + write + "RESET\rKILL\rRESET\rPEERADDR\r" + kReading << dialog << QStringList{kNotCreated}
        << kCommissioning;
    QTest::newRow("typed address, undefined reply")
        << QStringList{"state none", R"(once PEERADDR( {"PEERADDR(":"OK"})"} << true << typed
        << "PING\r" + write + kReading << dialog << QStringList{kUnknown} << kCommissioning;
    const QString noReset = QStringLiteral("Сбой модуля. Команда \"RESET\".");
    const QString deafReset = R"(once RESET {"RST":"Busy"})";
    QTest::newRow("clean-up's last RESET fails twice")
        << QStringList{"state none", "memerror 2", "once RESET normal", deafReset, deafReset, deafReset,
                       "once RESET normal", deafReset, deafReset, deafReset}
        << true << typed
        << "PING\r" + write + "RESET\rKILL\rRESET\rRESET\rRESET\r" + write + "RESET\rKILL\rRESET\rRESET\rRESET\r" +
               kReading
        << dialog << QStringList{noReset, noReset, "Создание пары невозможно.\rСбой модуля Bluetooth."}
        << kCommissioning;
    QTest::newRow("clean-up's last RESET fails once, second pass reported back")
        << QStringList{"state none", "memerror 1", "once RESET normal", deafReset, deafReset, deafReset} << true
        << typed << "PING\r" + write + "RESET\rKILL\rRESET\rRESET\rRESET\r" + write + "RESET\rPEERADDR\r" + kReading
        << dialog << QStringList{noReset, kCreated} << kOperational;
    // The pauses here are cut to a tenth: the restart outlasts the pause after RESET.
    QTest::newRow("module deaf after RESET: the reading back answered at its second attempt")
        << QStringList{"state none", "reset-ms 200"} << true << typed
        << "PING\r" + write + "RESET\rPEERADDR\rPEERADDR\r" + kReading << dialog << QStringList{kCreated}
        << kOperational;
    QTest::newRow("module deaf after RESET: the clean-up's KILL, sent once, unheard")
        << QStringList{"state none", "memerror 1", "reset-ms 200"} << true << typed
        << "PING\r" + write + "RESET\rKILL\r" + kReading << dialog
        << QStringList{"Сбой операции.\rНе выполнена команда \"KILL\"."} << kCommissioning;
    QTest::newRow("clean-up's KILL fails: no second pass")
        << QStringList{"state none", "memerror 1", R"(once KILL {"KIL":"?"})"} << true << typed
        << "PING\r" + write + "RESET\rKILL\r" + kReading << dialog << QStringList{"Сбой модуля. Команда \"KILL\"."}
        << kCommissioning;
}

void TestCreatePair::road()
{
    QFETCH(QStringList, controls);
    QFETCH(bool, yes);
    QFETCH(QByteArray, typed);
    QFETCH(QByteArray, wire);
    QFETCH(QStringList, asked);
    QFETCH(QStringList, messages);
    QFETCH(QString, mode);
    OperationRig rig;
    QVERIFY(rig.link(controls));
    rig.window.confirmations = {yes};
    if (!typed.isEmpty())
        rig.window.typedAddresses = {Address(typed)};
    QVERIFY(rig.run(CreatePair));
    QCOMPARE(rig.wire(), wire);
    QCOMPARE(rig.window.asked, asked);
    QCOMPARE(rig.window.messages, messages);
    QCOMPARE(rig.window.mode(), mode);
    QCOMPARE(rig.window.operationTexts.first(), QStringLiteral(" Выполняеся создание пары"));
    QVERIFY(!rig.window.hourglass);
}

void TestCreatePair::progress_oneWindowThroughTheClosingReading_data()
{
    QTest::addColumn<QStringList>("controls");
    QTest::addColumn<QStringList>("waitWindow");
    QTest::addColumn<QList<int>>("pauses");
    // Pair creation's steps: PING, KEEP, each PEERADDR(address), the reading back.
    QTest::newRow("KEEP") << QStringList{"state waiting"}
                          << QStringList{"open 1 5", "+", "+", "+", "maximum 4", "+", "+", "+", "end", "close"}
                          << QList<int>{1000, 500, 500, 500, 500};
    QTest::newRow("address, clean-up")
        << QStringList{"state none", "memerror 1"}
        << QStringList{"open 1 5", "+", "+", "+", "maximum 4", "+", "+", "+", "end", "close"}
        << QList<int>{500, 500, 1000, 500, 500, 500, 500, 500};
    QTest::newRow("Connected") << QStringList{"state connected"}
                               << QStringList{"open 1 5", "+", "maximum 4", "+", "+", "+", "end", "close"}
                               << QList<int>{500, 500, 500, 500};
}

void TestCreatePair::progress_oneWindowThroughTheClosingReading()
{
    QFETCH(QStringList, controls);
    QFETCH(QStringList, waitWindow);
    QFETCH(QList<int>, pauses);
    OperationRig rig;
    QVERIFY(rig.link(controls));
    rig.window.confirmations = {true};
    rig.window.typedAddresses = {Address("\x01\x02\x03\x04\x05\x06")};
    QVERIFY(rig.run(CreatePair));
    QCOMPARE(rig.window.waitWindow, waitWindow);
    QCOMPARE(rig.pauses, pauses);
}

// The module is deaf for 200 ms after RESET: the 500 ms pause lets it restart before
// the next command.
void TestCreatePair::typedAddress_realPausesCoverTheRestart()
{
    OperationRig rig;
    rig.realPauses = true;
    QVERIFY(rig.link({"state none", "reset-ms 200"}));
    rig.window.typedAddresses = {Address("\xA0\x0B\xC0\x0D\xE0\x0F")};
    QVERIFY(rig.run(CreatePair));
    QCOMPARE(rig.wire(), "PING\rPEERADDR(A0:0B:C0:0D:E0:0F)\rRESET\rPEERADDR\r" + kReading);
    QCOMPARE(rig.window.messages, QStringList{kCreated});
    QCOMPARE(rig.window.state->peerAddress, QStringLiteral("A0:0B:C0:0D:E0:0F"));
    QCOMPARE(rig.session->fields().TargetPeerAddress, Address("\xA0\x0B\xC0\x0D\xE0\x0F"));
    QCOMPARE(rig.pauses, (QList<int>{500, 500, 500, 500, 500, 500}));
}

void TestCreatePair::phoneLink_pairsThroughTheModem()
{
    OperationRig rig;
    QVERIFY(rig.link({"state waiting"}, Phone));
    rig.window.confirmations = {true};
    QVERIFY(rig.run(CreatePair));
    QCOMPARE(rig.wire(), "PING\rKEEP\rPEERADDR\r" + kReading);
    QCOMPARE(rig.window.messages, QStringList{kCreated});
    QCOMPARE(rig.window.mode(), kOperational);
}

QTEST_GUILESS_MAIN(TestCreatePair)

#include "tst_createpair.moc"
