// The state reading against the simulated module: what each answer of the module shows
// in the state view, which commands go on the wire with which pauses, and the replies
// that end the reading in no view.
#include "operationrig.h"

#include "protocol/moduleoperations.h"

#include <QTest>

using namespace tavrin;
using namespace tavrin::test;

class TestReadDeviceState : public QObject {
    Q_OBJECT
private slots:
    void outcome_data();
    void outcome();
    void undefinedOrFailed_endsInNoView_data();
    void undefinedOrFailed_endsInNoView();
    void progressAndStatusText_followTheCommands_data();
    void progressAndStatusText_followTheCommands();
    void phoneLink_readsThroughTheModem();
};

void TestReadDeviceState::outcome_data()
{
    QTest::addColumn<QStringList>("controls");
    QTest::addColumn<QByteArray>("wire");
    QTest::addColumn<QStringList>("values"); // mode, connection, pair, peer, own address, version
    QTest::addColumn<bool>("createPair");
    QTest::addColumn<bool>("breakPair");
    QTest::addColumn<QList<int>>("pauses");

    const QByteArray all = "PING\rPEERADDR\rDEVADDR\rVER\r";
    const QList<int> three = {500, 500, 500};
    const QString own = QStringLiteral("00:1A:7D:DA:71:13");
    const QString commissioning = QStringLiteral("Пусконаладочный");
    const QString operational = QStringLiteral("Эксплуатационный");
    const QString yes = QStringLiteral("Есть");
    const QString no = QStringLiteral("Нет");
    const QString peer = QStringLiteral("0A:1B:2C:3D:4E:5F");

    QTest::newRow("Connected, No Peer")
        << QStringList{"state connected", R"(once PEERADDR {"PEERADDR":"No Peer"})"} << all
        << QStringList{commissioning, yes, no, "--", own, "1.07"} << false << false << three;
    QTest::newRow("Connected, address")
        << QStringList{"state connected"} << all << QStringList{operational, yes, yes, peer, own, "1.07"}
        << false << true << three;
    QTest::newRow("WaitForKEEP: PEERADDR not asked")
        << QStringList{"state waiting", "peripheral 12:34:56:78:9A:BC"} << QByteArray("PING\rDEVADDR\rVER\r")
        << QStringList{commissioning, yes, no, "12:34:56:78:9A:BC", own, "1.07"} << true << false
        << QList<int>{500, 500};
    QTest::newRow("NoConnection, No Peer")
        << QStringList{"state none"} << all << QStringList{commissioning, no, no, "--", own, "1.07"} << false
        << false << three;
    QTest::newRow("NoConnection, address")
        << QStringList{"state paired", "devaddr 0a:0b:0c:0d:0e:0f", "version 2.1b"} << all
        << QStringList{operational, no, yes, peer, "0A:0B:0C:0D:0E:0F", "2.1b"} << false << true << three;
    QTest::newRow("Connected and WaitForKEEP in one reply: Connected")
        << QStringList{"state connected", R"(once PING {"PING":"Connected WaitForKEEP","Val":"11:22:33:44:55:66"})"}
        << all << QStringList{operational, yes, yes, peer, own, "1.07"} << false << true << three;
    QTest::newRow("No Peer wins over an address")
        << QStringList{"state paired", R"(once PEERADDR {"PEERADDR":"No Peer","Val":"01:02:03:04:05:06"})"}
        << all << QStringList{commissioning, no, no, "--", own, "1.07"} << false << false << three;
    QTest::newRow("incomplete address: the bytes not read are 00")
        << QStringList{"state paired", R"(once PEERADDR {"PEERADDR":"OK","Val":"a:1B:2c:::"})"} << all
        << QStringList{operational, no, yes, "0A:1B:2C:00:00:00", own, "1.07"} << false << true << three;
    QTest::newRow("VER without a value: empty version")
        << QStringList{"state none", R"(once VER {"VER":"OK"})"} << all
        << QStringList{commissioning, no, no, "--", own, ""} << false << false << three;
    QTest::newRow("first PING lost, second attempt answered")
        << QStringList{"state none", "once PING lost"} << QByteArray("PING\rPING\rPEERADDR\rDEVADDR\rVER\r")
        << QStringList{commissioning, no, no, "--", own, "1.07"} << false << false << QList<int>{500, 500, 500, 500};
}

void TestReadDeviceState::outcome()
{
    QFETCH(QStringList, controls);
    QFETCH(QByteArray, wire);
    QFETCH(QStringList, values);
    QFETCH(bool, createPair);
    QFETCH(bool, breakPair);
    QFETCH(QList<int>, pauses);
    OperationRig rig;
    QVERIFY(rig.link(controls));
    QVERIFY(rig.run(ReadDeviceState));
    QCOMPARE(rig.wire(), wire);
    QCOMPARE(rig.window.messages, QStringList());
    QVERIFY(rig.window.state);
    const DeviceState &state = *rig.window.state;
    QCOMPARE((QStringList{state.mode, state.connection, state.pair, state.peerAddress, state.ownAddress,
                          state.version}),
             values);
    QCOMPARE(state.peerWaiting, createPair);
    QCOMPARE(state.pairExists, breakPair);
    QCOMPARE(rig.session->fields().PairExists, breakPair);
    QCOMPARE(rig.pauses, pauses);
    QCOMPARE(rig.window.viewsLeft, 0);
}

void TestReadDeviceState::undefinedOrFailed_endsInNoView_data()
{
    QTest::addColumn<QStringList>("controls");
    QTest::addColumn<QByteArray>("wire");
    QTest::addColumn<QStringList>("messages");

    const QString undefinedPing = QStringLiteral("Неопределенный ответ на команду \"PING\"");
    QTest::newRow("PING without its tokens")
        << QStringList{R"(once PING {"PING":"Sleeping"})"} << QByteArray("PING\r") << QStringList{undefinedPing};
    QTest::newRow("WaitForKEEP with 6 colons")
        << QStringList{R"(once PING {"PING":"WaitForKEEP","Val":"0A:1B:2C:3D:4E-5F"})"} << QByteArray("PING\r")
        << QStringList{undefinedPing};
    QTest::newRow("WaitForKEEP with 8 colons")
        << QStringList{R"(once PING {"PING":"WaitForKEEP:","Val":"0A:1B:2C:3D:4E:5F"})"} << QByteArray("PING\r")
        << QStringList{undefinedPing};
    QTest::newRow("WaitForKEEP with 7 colons and no value")
        << QStringList{R"(once PING {"PING":"WaitForKEEP:0A:1B:2C:3D:4E:5F"})"} << QByteArray("PING\r")
        << QStringList{undefinedPing};
    QTest::newRow("PEERADDR neither No Peer nor an address")
        << QStringList{"state paired", R"(once PEERADDR {"PEERADDR":"OK","Val":"0A:1B"})"}
        << QByteArray("PING\rPEERADDR\r") << QStringList{"Неопределенный ответ на команду \"PEERADDR\""};
    QTest::newRow("DEVADDR not an address reply")
        << QStringList{R"(once DEVADDR {"DEVADDR":"OK","Val":"00:1A:7D:DA:71:13:00"})"}
        << QByteArray("PING\rPEERADDR\rDEVADDR\r") << QStringList{"Неопределенный ответ на команду \"DEVADDR\""};
    QTest::newRow("PING failed three times")
        << QStringList{R"(reply PING {"PONG":"1"})"} << QByteArray("PING\rPING\rPING\r")
        << QStringList{"Сбой модуля. Команда \"PING\"."};
    QTest::newRow("VER failed: the values read are dropped")
        << QStringList{"state connected", R"(reply VER {"VRS":"1.07"})"}
        << QByteArray("PING\rPEERADDR\rDEVADDR\rVER\rVER\rVER\r") << QStringList{"Сбой модуля. Команда \"VER\"."};
}

void TestReadDeviceState::undefinedOrFailed_endsInNoView()
{
    QFETCH(QStringList, controls);
    QFETCH(QByteArray, wire);
    QFETCH(QStringList, messages);
    OperationRig rig;
    QVERIFY(rig.link(controls));
    QVERIFY(rig.run(ReadDeviceState));
    QCOMPARE(rig.wire(), wire);
    QCOMPARE(rig.window.messages, messages);
    QVERIFY(!rig.window.state);
    QCOMPARE(rig.window.viewsLeft, 1);
    QCOMPARE(rig.window.waitWindow.last(), QStringLiteral("close"));
    QVERIFY(!rig.window.hourglass);
    QCOMPARE(rig.window.operationTexts.last(), QString());
}

void TestReadDeviceState::progressAndStatusText_followTheCommands_data()
{
    QTest::addColumn<QString>("state");
    QTest::addColumn<QStringList>("waitWindow");
    QTest::newRow("four commands") << "paired" << QStringList{"open 0 4", "+", "+", "+", "end", "close"};
    QTest::newRow("PEERADDR not asked") << "waiting" << QStringList{"open 0 4", "+", "+", "end", "close"};
}

void TestReadDeviceState::progressAndStatusText_followTheCommands()
{
    QFETCH(QString, state);
    QFETCH(QStringList, waitWindow);
    OperationRig rig;
    QVERIFY(rig.link({"state " + state}));
    rig.window.onPass = [&rig] { QVERIFY(rig.window.hourglass); };
    QVERIFY(rig.run(ReadDeviceState));
    QCOMPARE(rig.window.waitWindow, waitWindow);
    QCOMPARE(rig.window.operationTexts, (QStringList{" Выполняеся чтение состояния устройства", ""}));
    QVERIFY(!rig.window.hourglass);
    QVERIFY(rig.window.state);
}

void TestReadDeviceState::phoneLink_readsThroughTheModem()
{
    OperationRig rig;
    QVERIFY(rig.link({"state paired"}, Phone));
    QVERIFY(rig.run(ReadDeviceState));
    QCOMPARE(rig.wire(), QByteArray("PING\rPEERADDR\rDEVADDR\rVER\r"));
    QVERIFY(rig.window.state);
    QCOMPARE(rig.window.state->mode, QStringLiteral("Эксплуатационный"));
    QCOMPARE(rig.window.state->peerAddress, QStringLiteral("0A:1B:2C:3D:4E:5F"));
}

QTEST_GUILESS_MAIN(TestReadDeviceState)

#include "tst_readdevicestate.moc"
