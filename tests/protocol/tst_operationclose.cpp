// Closing the window while a state reading, pair creation or pair break runs: the
// running exchange ends, nothing more goes on the wire, nothing more is told or asked,
// and the close sequence runs once the operation has returned.
#include "operationrig.h"

#include "protocol/moduleoperations.h"

#include <QTest>

using namespace tavrin;
using namespace tavrin::test;

namespace {

using Operation = void (*)(ProtocolContext &, ModuleOperationHost &);

Operation OperationNamed(const QString &name)
{
    if (name == "reading")
        return ReadDeviceState;
    return name == "creation" ? CreatePair : BreakPair;
}

} // namespace

class TestOperationClose : public QObject {
    Q_OBJECT
private slots:
    void closeDuringOperation_sendsNothingMore_data();
    void closeDuringOperation_sendsNothingMore();
};

void TestOperationClose::closeDuringOperation_sendsNothingMore_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QStringList>("controls");
    QTest::addColumn<QString>("closeAt"); // the command on the wire, or the question open
    QTest::addColumn<QByteArray>("wire");

    QTest::newRow("reading, during DEVADDR") << "reading" << QStringList{"state paired"} << "DEVADDR"
                                             << QByteArray("PING\rPEERADDR\rDEVADDR\r");
    QTest::newRow("creation, during the clean-up's first RESET")
        << "creation" << QStringList{"state none", "memerror 1"} << "RESET"
        << QByteArray("PING\rPEERADDR(12:34:56:78:9A:BC)\rRESET\r");
    QTest::newRow("creation, during KEEP") << "creation" << QStringList{"state waiting"} << "KEEP"
                                           << QByteArray("PING\rKEEP\r");
    QTest::newRow("creation, in the confirmation") << "creation" << QStringList{"state waiting"} << "asked"
                                                   << QByteArray("PING\r");
    QTest::newRow("creation, in the address dialog") << "creation" << QStringList{"state none"} << "asked"
                                                     << QByteArray("PING\r");
    QTest::newRow("break, during KILL") << "break" << QStringList{"state paired", "kill-mode forgets"} << "KILL"
                                        << QByteArray("PEERADDR\rKILL\r");
    QTest::newRow("break, during the first PEERADDR") << "break" << QStringList{"state paired"} << "PEERADDR"
                                                      << QByteArray("PEERADDR\r");
}

void TestOperationClose::closeDuringOperation_sendsNothingMore()
{
    QFETCH(QString, operation);
    QFETCH(QStringList, controls);
    QFETCH(QString, closeAt);
    QFETCH(QByteArray, wire);
    OperationRig rig;
    QVERIFY(rig.link(controls));
    ScriptedWindow &window = rig.window;
    Session &session = *rig.session;
    qsizetype waitEventsBefore = -1;
    qsizetype textsBefore = -1;
    const auto close = [&] {
        QCOMPARE(session.requestClose(), Session::CloseOutcome::Deferred);
        waitEventsBefore = window.waitWindow.size();
        textsBefore = window.operationTexts.size();
    };
    if (closeAt == "asked") {
        // The user's answer races the close: it is taken as No, the typed address as Cancel.
        window.whileAsked = close;
        window.confirmations = {true};
        window.typedAddresses = {Address("\x12\x34\x56\x78\x9A\xBC")};
    } else {
        window.typedAddresses = {Address("\x12\x34\x56\x78\x9A\xBC")};
        window.confirmations = {true};
        // At the first pass of the exchange loop after the command and its CR (traced
        // as ␍) have gone out.
        const QString sent = closeAt + QChar(0x240D);
        window.onPass = [&, sent, done = false]() mutable {
            if (!done && window.trace.lines.join(QString()).contains(sent)) {
                done = true;
                close();
            }
        };
    }
    QVERIFY(rig.run(OperationNamed(operation)));
    QCOMPARE(rig.wire(), wire);
    QCOMPARE(window.messages, QStringList());
    QCOMPARE(window.questions, QStringList());
    QVERIFY(!window.state);
    QVERIFY(!window.hourglass);
    // Nothing new starts after the close: no wait window, no progress text.
    QVERIFY(waitEventsBefore >= 0);
    const QString waitAfter = window.waitWindow.mid(waitEventsBefore).join(' ');
    QVERIFY2(!waitAfter.contains(QStringLiteral("open")) && !waitAfter.contains(QStringLiteral("maximum")),
             qPrintable(waitAfter));
    QVERIFY(window.waitWindow.isEmpty() || window.waitWindow.last() == QStringLiteral("close"));
    QCOMPARE(window.operationTexts.mid(textsBefore).join(QString()), QString());

    // The close comes back from the event loop and then runs to its end.
    QTRY_COMPARE(window.closeWindowCalls, 1);
    QCOMPARE(session.requestClose(), Session::CloseOutcome::Closed);
    QCOMPARE(session.activity(), Activity::Closed);
    QVERIFY(!session.link().LinkOpen);
    QVERIFY(!session.port());
    QCOMPARE(rig.wire(), wire);
}

QTEST_GUILESS_MAIN(TestOperationClose)

#include "tst_operationclose.moc"
