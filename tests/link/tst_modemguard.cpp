// The modem's "+++" guard on the wire: with the link's own pauses, the presence check
// and the hang-up leave enough silence before their escape for a modem that insists on
// a guard time just short of those pauses.
#include "link/modem.h"
#include "link/serialport.h"
#include "support/devsim.h"
#include "support/linkfakes.h"

#include <QTemporaryDir>
#include <QTest>

using namespace tavrin;
using namespace tavrin::test;

namespace {

enum class Operation { PresenceCheck, HangUp };

} // namespace

Q_DECLARE_METATYPE(Operation)

class ModemGuardTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void escape_realPauseSatisfiesAGuardJustBelowIt_data();
    void escape_realPauseSatisfiesAGuardJustBelowIt();

private:
    QTemporaryDir m_comDir;
};

void ModemGuardTest::initTestCase()
{
    QVERIFY(m_comDir.isValid());
    qputenv("TAVRIN_COM_DIR", m_comDir.path().toUtf8());
}

void ModemGuardTest::escape_realPauseSatisfiesAGuardJustBelowIt_data()
{
    QTest::addColumn<Operation>("operation");
    QTest::addColumn<int>("guardMs");
    QTest::addColumn<QByteArray>("wire");          // what the program writes once the call is up
    QTest::addColumn<qint64>("silenceMicros");     // the least silence on the line before "+++"
    QTest::addColumn<QString>("lastNote");

    QTest::newRow("presence check with a call up") << Operation::PresenceCheck << 1150
                                                   << QByteArray("ATE0\r+++ATE0\r") << qint64(1200000)
                                                   << "modem: escape, command mode with the call up";
    QTest::newRow("hang-up of a call in data mode") << Operation::HangUp << 950
                                                    << QByteArray("ath\r+++ath\r") << qint64(1000000)
                                                    << "modem: hung up";
}

void ModemGuardTest::escape_realPauseSatisfiesAGuardJustBelowIt()
{
    QFETCH(Operation, operation);
    QFETCH(int, guardMs);
    QFETCH(qint64, silenceMicros);
    QFETCH(QString, lastNote);

    DevSim sim(m_comDir.path());
    QVERIFY2(sim.start({.modem = true, .extraArgs = {"--dial-ms", "20", "--guard-ms", QString::number(guardMs)}}),
             qPrintable(sim.errorString()));
    auto port = OpenPort(1, {});
    QVERIFY(port);
    FakeUi ui;
    // The call comes up quickly; the operation under test runs with the link's own timing.
    LinkTiming quickDial;
    quickDial.dialPauseMs = 10;
    quickDial.acceptedCommandPauseMs = 10;
    QCOMPARE(ModemDialogue(*port, ui, quickDial).DialSubscriber("555", QString(), false, 1, 2), 0);

    // The module behind the call answers the first command that reaches it with a line
    // of its own, so the operation goes on to its pause and escape at once.
    QVERIFY(sim.command("raw 0D 78 78 78 0D"));
    sim.clearLog();
    ModemDialogue modem(*port, ui);
    if (operation == Operation::PresenceCheck)
        QCOMPARE(modem.CheckModem(false), 0);
    else
        modem.HangUp(false);

    const QList<DevSimLogEntry> log = sim.log();
    QByteArray wire;
    int escape = -1;
    for (int i = 0; i < log.size(); ++i) {
        if (!log[i].fromProgram)
            continue;
        if (escape < 0 && log[i].bytes.startsWith('+'))
            escape = i;
        wire += log[i].bytes;
    }
    QTEST(wire, "wire");
    QVERIFY(escape > 0);
    const qint64 silence = log[escape].micros - log[escape - 1].micros;
    QVERIFY2(silence >= silenceMicros, qPrintable(QString("%1 us of silence before +++").arg(silence)));
    const QStringList notes = sim.notes();
    QVERIFY2(notes.contains("modem: escape, command mode with the call up"), qPrintable(notes.join('\n')));
    QCOMPARE(notes.last(), lastNote);
}

QTEST_GUILESS_MAIN(ModemGuardTest)
#include "tst_modemguard.moc"
