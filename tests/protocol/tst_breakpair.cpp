// Pair break against the simulated module: the commands on the wire with their pauses,
// the message told and the state shown at the end.
#include "operationrig.h"

#include "protocol/moduleoperations.h"

#include <QTest>

using namespace tavrin;
using namespace tavrin::test;

class TestBreakPair : public QObject {
    Q_OBJECT
private slots:
    void road_data();
    void road();
    void statusText_onlyWhileTheFirstPeerAddrRuns();
};

void TestBreakPair::road_data()
{
    QTest::addColumn<QStringList>("controls");
    QTest::addColumn<QByteArray>("wire");
    QTest::addColumn<QList<int>>("pauses");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QString>("mode"); // shown at the end; empty: no view

    const QByteArray reading = "PING\rPEERADDR\rDEVADDR\rVER\r";
    const QList<int> readingPauses = {500, 500, 500};
    const QString broken = QStringLiteral("Операция разрыва пары выполнена");
    const QString commissioning = QStringLiteral("Пусконаладочный");
    const QString operational = QStringLiteral("Эксплуатационный");

    QTest::newRow("Peer Deleted")
        << QStringList{"state paired"} << "PEERADDR\rKILL\r" + reading << QList<int>{1000} + readingPauses
        << QStringList{broken} << commissioning;
    QTest::newRow("peripheral still connected: it waits for KEEP")
        << QStringList{"state connected"} << QByteArray("PEERADDR\rKILL\rPING\rDEVADDR\rVER\r")
        << QList<int>{1000, 500, 500} << QStringList{broken} << commissioning;
    QTest::newRow("KILL OK, read back No Peer")
        << QStringList{"state paired", "kill-mode forgets"} << "PEERADDR\rKILL\rPEERADDR\r" + reading
        << QList<int>{1000} + readingPauses << QStringList{broken} << commissioning;
    QTest::newRow("KILL OK, read back the pair still there")
        << QStringList{"state paired", "kill-mode keeps"} << "PEERADDR\rKILL\rPEERADDR\r" + reading
        << QList<int>{1000} + readingPauses << QStringList{"Сбой операции разрыва пары"} << operational;
    QTest::newRow("No Peer first: no KILL")
        << QStringList{"state none"} << "PEERADDR\r" + reading << readingPauses
        << QStringList{"Перед началом операции\rне подтверждено наличие пары"} << commissioning;
    QTest::newRow("first PEERADDR failed: no state reading")
        << QStringList{"state paired", R"(reply PEERADDR {"PEER":"OK"})"}
        << QByteArray("PEERADDR\rPEERADDR\rPEERADDR\r") << QList<int>{500, 500}
        << QStringList{"Сбой модуля. Команда \"PEERADDR\"."} << QString();
    QTest::newRow("KILL failed three times, a second apart")
        << QStringList{"state paired", R"(reply KILL {"KIL":"OK"})"} << "PEERADDR\rKILL\rKILL\rKILL\r" + reading
        << QList<int>{1000, 1000, 1000} + readingPauses << QStringList{"Сбой модуля. Команда \"KILL\"."}
        << operational;
    QTest::newRow("read back failed")
        << QStringList{"state paired", "kill-mode forgets", "once PEERADDR normal",
                       R"(once PEERADDR {"PEER":"?"})", R"(once PEERADDR {"PEER":"?"})",
                       R"(once PEERADDR {"PEER":"?"})"}
        << "PEERADDR\rKILL\rPEERADDR\rPEERADDR\rPEERADDR\r" + reading
        << QList<int>{1000, 500, 500} + readingPauses << QStringList{"Сбой модуля. Команда \"PEERADDR\"."}
        << commissioning;
}

void TestBreakPair::road()
{
    QFETCH(QStringList, controls);
    QFETCH(QByteArray, wire);
    QFETCH(QList<int>, pauses);
    QFETCH(QStringList, messages);
    QFETCH(QString, mode);
    OperationRig rig;
    QVERIFY(rig.link(controls));
    QVERIFY(rig.run(BreakPair));
    QCOMPARE(rig.wire(), wire);
    QCOMPARE(rig.pauses, pauses);
    QCOMPARE(rig.window.messages, messages);
    QCOMPARE(rig.window.mode(), mode);
    QCOMPARE(rig.window.viewsLeft, mode.isEmpty() ? 1 : 0);
    QCOMPARE(rig.window.asked, QStringList());
    QVERIFY(!rig.window.hourglass);
    if (rig.window.state)
        QCOMPARE(rig.window.state->pairExists, mode == QStringLiteral("Эксплуатационный"));
}

void TestBreakPair::statusText_onlyWhileTheFirstPeerAddrRuns()
{
    OperationRig rig;
    QVERIFY(rig.link({"state paired"}));
    QStringList textDuring;
    rig.window.onPass = [&] {
        const QString &last = rig.window.operationTexts.last();
        if (textDuring.isEmpty() || textDuring.last() != last)
            textDuring << last;
    };
    QVERIFY(rig.run(BreakPair));
    // The PEERADDR, KILL, then the state reading's four commands.
    QCOMPARE(textDuring, (QStringList{" Выполняеся разрыв пары", "", " Выполняеся чтение состояния устройства"}));
    QCOMPARE(rig.window.operationTexts.last(), QString());
    // No wait window of its own: only the state reading's.
    QCOMPARE(rig.window.waitWindow.first(), QStringLiteral("open 0 4"));
}

QTEST_GUILESS_MAIN(TestBreakPair)

#include "tst_breakpair.moc"
