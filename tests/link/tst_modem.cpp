// The modem dialogue: reply lines and their classification over a scripted port,
// then whole dials against the simulated GSM modem on a pseudo-terminal.
#include "fakes.h"

#include "link/modem.h"
#include "link/serialport.h"
#include "support/devsim.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>
#include <QTest>

using namespace tavrin;
using namespace tavrin::test;

namespace {

LinkTiming shortTiming()
{
    LinkTiming timing;
    timing.presenceReplyWaitMs = 300;
    timing.escapeGuardMs = 20;
    timing.dialPauseMs = 20;
    timing.acceptedCommandPauseMs = 10;
    timing.gsmLineWaitMs = 300;
    timing.hangUpReplyWaitMs = 200;
    timing.hangUpGuardMs = 20;
    return timing;
}

ScriptedPort::Reply answer(const QByteArray &bytes)
{
    return {{5, bytes}};
}

const ScriptedPort::Reply kSilence{};

int count(const QByteArray &haystack, const QByteArray &needle)
{
    return int(haystack.count(needle));
}

} // namespace

class ModemTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    // Over a scripted port.
    void replyLine_data();
    void replyLine();
    void escapeWhileWaiting_givesEscapeReply();
    void progressTexts_showCommandThenReply();
    void checkModem_data();
    void checkModem();
    void checkGsmReady_data();
    void checkGsmReady();
    void checkGsmReady_showsCommandThenEachLine();
    void dial_scriptedNotConnected_data();
    void dial_scriptedNotConnected();
    void hangUp_data();
    void hangUp();
    void windowClosingDuringDial_endsAtOnce();

    // Against the simulated modem.
    void dial_realTiming_wholeDialogueOnTheWire();
    void dial_outcomes_data();
    void dial_outcomes();
    void dial_escapeEndsOnlyThatRound();
    void hangUp_endsTheCall();

private:
    // A dialogue with a modem that answers each command written with the next of
    // replies, through the fixture's scripted port and window.
    ModemDialogue scriptedModem(const QList<ScriptedPort::Reply> &replies);
    // The simulator started with options and given controlLines, and COM1 opened on it
    // as the fixture's port.
    bool simulatorPort(const DevSimOptions &options, const QStringList &controlLines = {});

    QTemporaryDir m_comDir;
    // Made afresh for every test.
    std::unique_ptr<DevSim> m_sim;
    std::unique_ptr<FakeUi> m_ui;
    std::unique_ptr<ScriptedPort> m_script;
    std::unique_ptr<SerialPort> m_port;
};

void ModemTest::initTestCase()
{
    QVERIFY(m_comDir.isValid());
    qputenv("TAVRIN_COM_DIR", m_comDir.path().toUtf8());
}

void ModemTest::init()
{
    m_sim = std::make_unique<DevSim>(m_comDir.path());
    m_ui = std::make_unique<FakeUi>();
    m_script = std::make_unique<ScriptedPort>();
}

void ModemTest::cleanup()
{
    m_port.reset();
    m_sim.reset();
    m_script.reset();
    m_ui.reset();
}

ModemDialogue ModemTest::scriptedModem(const QList<ScriptedPort::Reply> &replies)
{
    m_script->replies = replies;
    return ModemDialogue(*m_script, *m_ui, shortTiming());
}

bool ModemTest::simulatorPort(const DevSimOptions &options, const QStringList &controlLines)
{
    if (!m_sim->start(options)) {
        qWarning("%s", qPrintable(m_sim->errorString()));
        return false;
    }
    for (const QString &line : controlLines) {
        if (!m_sim->command(line))
            return false;
    }
    m_port = OpenPort(1, {});
    return m_port != nullptr;
}

void ModemTest::replyLine_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<int>("result");
    QTest::newRow("echo then OK") << QByteArray("ATE0\r\r\nOK\r\n") << QByteArray("\r\r\nOK\r") << 0;
    QTest::newRow("numeric 0 ends at its 4th byte") << QByteArray("\r\n0\r") << QByteArray("\r\n0\r") << 0;
    QTest::newRow("stray bytes before the line") << QByteArray("xyz\nBUSY\r\n") << QByteArray("\nBUSY\r") << 2;
    QTest::newRow("CR LF does not end a line early")
        << QByteArray("\r\nNO CARRIER\r\n") << QByteArray("\r\nNO CARRIER\r") << 3;
    QTest::newRow("CONNECT with rate") << QByteArray("\r\nCONNECT 9600\r\n") << QByteArray("\r\nCONNECT 9600\r") << 0;
    QTest::newRow("ERROR and NO CARRIER") << QByteArray("\r\nERROR NO CARRIER\r\n")
                                          << QByteArray("\r\nERROR NO CARRIER\r") << 4;
    QTest::newRow("no line end after the start: time-out, reply emptied") << QByteArray("\r\nOK") << QByteArray() << 9;
    QTest::newRow("at most 255 bytes kept") << "\r" + QByteArray(300, 'x') << "\r" + QByteArray(254, 'x') << 0;
}

void ModemTest::replyLine()
{
    QFETCH(QByteArray, bytes);
    ModemDialogue modem = scriptedModem({answer(bytes)});
    QByteArray reply = "old";
    QTEST(modem.ModemCommand("ATE0\r", reply, 300, false), "result");
    QTEST(reply, "line");
    QCOMPARE(m_script->journal, (QList<QByteArray>{"purge", "write 415445300d"}));
}

void ModemTest::escapeWhileWaiting_givesEscapeReply()
{
    QTimer::singleShot(50, [this] { m_ui->pressEscape(); });
    ModemDialogue modem = scriptedModem({});
    QByteArray reply;
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(modem.ModemCommand("ATD123\r", reply, 5000, false), 10);
    QVERIFY(clock.elapsed() < 4000);
    QCOMPARE(reply, QByteArray("Escape..."));
    QCOMPARE(m_ui->watching, 0);
}

void ModemTest::progressTexts_showCommandThenReply()
{
    ModemDialogue modem = scriptedModem({answer("\r\nOK\r\n")});
    QByteArray reply;
    QCOMPARE(modem.ModemCommand("ATV1\r", reply, 300, true), 0);
    QCOMPARE(m_ui->resultTexts,
             (QStringList{QString::fromUtf8(" Установление связи по телефону. Команда ATV1\r."),
                          QString::fromUtf8(" Установление связи по телефону. Команда ATV1\r.  Ответ \r\nOK\r")}));
}

void ModemTest::checkModem_data()
{
    // Each reply answers one command in order; an empty one is silence.
    QTest::addColumn<QList<QByteArray>>("answers");
    QTest::addColumn<int>("result");
    QTest::addColumn<QList<QByteArray>>("writes");
    const QByteArray ok = "\r\nOK\r\n";
    const QByteArray error = "\r\nERROR\r\n";
    const QByteArray odd = "\n\n\nxyz\n"; // a line that shows no command mode
    QTest::newRow("command mode: echo off, verbose")
        << QList<QByteArray>{ok, ok} << 0 << QList<QByteArray>{"ATE0\r", "ATV1\r"};
    QTest::newRow("numeric replies are recognised")
        << QList<QByteArray>{"\r\n0\r", "\r\n0\r"} << 0 << QList<QByteArray>{"ATE0\r", "ATV1\r"};
    QTest::newRow("silent port: no modem") << QList<QByteArray>{} << 7 << QList<QByteArray>{"ATE0\r", "+++"};
    QTest::newRow("data mode: escape, echo off, no verbose")
        << QList<QByteArray>{QByteArray(), ok, ok} << 0 << QList<QByteArray>{"ATE0\r", "+++", "ATE0\r"};
    QTest::newRow("odd echo-off reply also escapes")
        << QList<QByteArray>{odd, ok, ok} << 0 << QList<QByteArray>{"ATE0\r", "+++", "ATE0\r"};
    QTest::newRow("escape unrecognised, echo off answers")
        << QList<QByteArray>{QByteArray(), odd, ok} << 0 << QList<QByteArray>{"ATE0\r", "+++", "ATE0\r"};
    QTest::newRow("echo off refused: returned at once") << QList<QByteArray>{error} << 4 << QList<QByteArray>{"ATE0\r"};
    QTest::newRow("escape refused: returned as it is")
        << QList<QByteArray>{QByteArray(), error} << 4 << QList<QByteArray>{"ATE0\r", "+++"};
    // Only the escape's silence means no modem; after it a silence is a reply time-out.
    QTest::newRow("silent after the escape: time-out")
        << QList<QByteArray>{QByteArray(), ok} << 9 << QList<QByteArray>{"ATE0\r", "+++", "ATE0\r"};
    QTest::newRow("verbose refused") << QList<QByteArray>{ok, error} << 4 << QList<QByteArray>{"ATE0\r", "ATV1\r"};
    QTest::newRow("echo off again refused")
        << QList<QByteArray>{QByteArray(), ok, error} << 4 << QList<QByteArray>{"ATE0\r", "+++", "ATE0\r"};
    // Lines that never show command mode: two rounds, then the dial decides.
    QTest::newRow("no command mode: two rounds, then go on")
        << QList<QByteArray>(7, odd) << 0
        << QList<QByteArray>{"ATE0\r", "+++", "ATE0\r", "ATV1\r", "+++", "ATE0\r", "ATV1\r"};
    QTest::newRow("escape answered: second round from echo off")
        << QList<QByteArray>{odd, ok, odd, odd, odd, odd} << 0
        << QList<QByteArray>{"ATE0\r", "+++", "ATE0\r", "ATV1\r", "ATE0\r", "ATV1\r"};
    QTest::newRow("verbose unrecognised at once: second round escapes")
        << QList<QByteArray>{ok, odd, ok, ok} << 0 << QList<QByteArray>{"ATE0\r", "ATV1\r", "+++", "ATE0\r"};
    QTest::newRow("no modem found in the second round")
        << QList<QByteArray>{ok, odd} << 7 << QList<QByteArray>{"ATE0\r", "ATV1\r", "+++"};
}

void ModemTest::checkModem()
{
    QFETCH(QList<QByteArray>, answers);
    QList<ScriptedPort::Reply> replies;
    for (const QByteArray &bytes : answers)
        replies.append(bytes.isEmpty() ? kSilence : answer(bytes));
    ModemDialogue modem = scriptedModem(replies);
    QTEST(modem.CheckModem(true), "result");
    QTEST(m_script->writes, "writes");
    // Progress shows for the first echo-off and the verbose command only.
    for (const QString &text : m_ui->resultTexts)
        QVERIFY2(!text.contains("+++"), qPrintable(text));
}

void ModemTest::checkGsmReady_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("ready");
    QTest::newRow("status 0 then OK") << QByteArray("\r\n+CPAS: 0\r\n\r\nOK\r\n") << true;
    QTest::newRow("status 3") << QByteArray("\r\n+CPAS: 3\r\n\r\nOK\r\n") << false;
    QTest::newRow("ERROR") << QByteArray("\r\nERROR\r\n") << false;
    QTest::newRow("status without OK") << QByteArray("\r\n+CPAS: 0\r\n") << false;
    QTest::newRow("nothing") << QByteArray() << false;
}

void ModemTest::checkGsmReady()
{
    QFETCH(QByteArray, bytes);
    ModemDialogue modem = scriptedModem({answer(bytes)});
    QTEST(modem.CheckGsmReady(false), "ready");
    QCOMPARE(m_script->journal, (QList<QByteArray>{"purge", "write 41542b435041530d"}));
}

void ModemTest::checkGsmReady_showsCommandThenEachLine()
{
    ModemDialogue modem = scriptedModem({answer("\r\n+CPAS: 0\r\n\r\nOK\r\n")});
    QVERIFY(modem.CheckGsmReady(true));
    QCOMPARE(m_ui->resultTexts,
             (QStringList{QString::fromUtf8(" Проверка готовности GSM. Команда AT+CPAS"),
                          QString::fromUtf8(" Проверка готовности GSM. Команда AT+CPAS. Ответ \r\n+CPAS: 0\r"),
                          QString::fromUtf8(" Проверка готовности GSM. Команда AT+CPAS. Ответ \n\r\nOK\r")}));
}

void ModemTest::dial_scriptedNotConnected_data()
{
    QTest::addColumn<QList<QByteArray>>("answers");
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("init");
    QTest::addColumn<QList<QByteArray>>("writes");
    const QByteArray ok = "\r\nOK\r\n";
    QTest::newRow("dial answered OK, no CONNECT")
        << QList<QByteArray>{ok, ok, "\r\n+CPAS: 0\r\n\r\nOK\r\n", ok} << "1-2" << QString()
        << QList<QByteArray>{"ATE0\r", "ATV1\r", "AT+CPAS\r", "ATD12\r"};
    QTest::newRow("init command answered numerically is not accepted")
        << QList<QByteArray>{ok, ok, "\r\n0\r"} << "123" << "AT&F" << QList<QByteArray>{"ATE0\r", "ATV1\r", "AT&F\r"};
}

void ModemTest::dial_scriptedNotConnected()
{
    QFETCH(QList<QByteArray>, answers);
    QFETCH(QString, number);
    QFETCH(QString, init);
    QList<ScriptedPort::Reply> replies;
    for (const QByteArray &bytes : answers)
        replies.append(answer(bytes));
    ModemDialogue modem = scriptedModem(replies);
    QCOMPARE(modem.DialSubscriber(number, init, false, 1, 1), 8);
    QTEST(m_script->writes, "writes");
}

void ModemTest::hangUp_data()
{
    QTest::addColumn<bool>("closing"); // the closing window asks for it: it runs to its end
    QTest::addColumn<bool>("escapeAtOnce");
    QTest::addColumn<QByteArray>("firstAnswer");
    QTest::addColumn<QList<QByteArray>>("writes");
    QTest::newRow("command mode answers OK: escape and hang up anyway")
        << false << false << QByteArray("\r\nOK\r\n") << QList<QByteArray>{"ath\r", "+++", "ath\r"};
    QTest::newRow("NO CARRIER: line already down")
        << false << false << QByteArray("\r\nNO CARRIER\r\n") << QList<QByteArray>{"ath\r"};
    QTest::newRow("data mode: no answer")
        << false << false << QByteArray() << QList<QByteArray>{"ath\r", "+++", "ath\r"};
    QTest::newRow("escape at once") << false << true << QByteArray("\r\nOK\r\n") << QList<QByteArray>{"+++", "ath\r"};
    QTest::newRow("escape at once, window closing")
        << true << true << QByteArray("\r\nOK\r\n") << QList<QByteArray>{"+++", "ath\r"};
}

void ModemTest::hangUp()
{
    QFETCH(bool, escapeAtOnce);
    QFETCH(QByteArray, firstAnswer);
    QFETCH(bool, closing);
    m_ui->closing = closing;
    ModemDialogue modem = scriptedModem({answer(firstAnswer), answer("\r\nOK\r\n"), answer("\r\nOK\r\n")});
    modem.HangUp(escapeAtOnce);
    QTEST(m_script->writes, "writes");
    QVERIFY(m_ui->resultTexts.isEmpty()); // the hang-up shows no progress
}

void ModemTest::windowClosingDuringDial_endsAtOnce()
{
    const ScriptedPort::Reply ok = answer("\r\nOK\r\n");
    ModemDialogue modem = scriptedModem({ok, ok, ok, answer("\r\n+CPAS: 0\r\n\r\nOK\r\n")});
    m_ui->onPass = [this] {
        if (!m_script->writes.isEmpty() && m_script->writes.last().startsWith("ATD"))
            m_ui->closing = true;
    };
    QCOMPARE(modem.DialSubscriber("123", "AT&F", false, 3, 5), 10);
    QCOMPARE(count(m_script->writes.join('|'), "ATD123\r"), 1);
}

void ModemTest::dial_realTiming_wholeDialogueOnTheWire()
{
    QVERIFY(simulatorPort({.modem = true, .extraArgs = {"--dial-ms", "100"}}));
    ModemDialogue modem(*m_port, *m_ui);
    QCOMPARE(modem.DialSubscriber("+7 (812) 555-01-02", "AT&C1^ ATS0=0", true, 1, 5), 0);
    QCOMPARE(m_sim->received(), QByteArray("ATE0\rATV1\rAT&C1\rATS0=0\rAT+CPAS\rATD+78125550102\r"));
    const QString last = m_ui->resultTexts.last();
    QVERIFY(last.startsWith(QString::fromUtf8(" Установление связи по телефону. Команда ATD+78125550102\r.  Ответ ")));
    QVERIFY(last.contains("CONNECT"));
}

void ModemTest::dial_outcomes_data()
{
    QTest::addColumn<bool>("modem"); // else the module alone, which answers no AT command with a line
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("init");
    QTest::addColumn<int>("rounds");
    QTest::addColumn<int>("result");
    QTest::addColumn<QByteArray>("wire");
    const QByteArray once = "ATE0\rATV1\rAT+CPAS\rATD555\r";
    QTest::newRow("busy") << true << "dial busy" << QString() << 1 << 2 << once;
    QTest::newRow("no answer") << true << "dial no-answer" << QString() << 1 << 5 << once;
    QTest::newRow("no dial tone") << true << "dial no-dialtone" << QString() << 1 << 1 << once;
    QTest::newRow("no carrier") << true << "dial no-carrier" << QString() << 1 << 3 << once;
    QTest::newRow("error") << true << "dial error" << QString() << 1 << 4 << once;
    QTest::newRow("silent") << true << "dial silent" << QString() << 1 << 9 << once;
    QTest::newRow("busy, three rounds: init and GSM check again, not the presence check")
        << true << "dial busy" << "AT&C1" << 3 << 2
        << QByteArray("ATE0\rATV1\rAT&C1\rAT+CPAS\rATD555\rAT&C1\rAT+CPAS\rATD555\rAT&C1\rAT+CPAS\rATD555\r");
    QTest::newRow("zero rounds still dial once") << true << "dial busy" << QString() << 0 << 2 << once;
    QTest::newRow("GSM refused: not ready, nothing dialled")
        << true << "cpas error" << QString() << 3 << 11 << QByteArray("ATE0\rATV1\rAT+CPAS\r");
    QTest::newRow("no modem") << false << QString() << QString() << 1 << 7 << QByteArray("ATE0\r+++");
}

void ModemTest::dial_outcomes()
{
    QFETCH(bool, modem);
    QFETCH(QString, control);
    QFETCH(QString, init);
    QFETCH(int, rounds);
    QVERIFY(simulatorPort({.modem = modem, .extraArgs = modem ? QStringList{"--dial-ms", "20"} : QStringList()},
                          control.isEmpty() ? QStringList() : QStringList{control}));
    ModemDialogue dialogue(*m_port, *m_ui, shortTiming());
    QTEST(dialogue.DialSubscriber("555", init, false, rounds, 1), "result");
    QTEST(m_sim->received(), "wire");
}

void ModemTest::dial_escapeEndsOnlyThatRound()
{
    // Esc leaves the dial running; a modem that a character would stop ends it at the
    // next round's first command, which is not what this looks at.
    QVERIFY(simulatorPort({.modem = true, .extraArgs = {}}, {"dial silent", "dial-abandon off"}));
    TapPort tap(*m_port);
    bool pressed = false;
    m_ui->onPass = [&] {
        // Pressed a moment after the dial command left, as a person would.
        if (!pressed && !tap.writes.isEmpty() && tap.writes.last().startsWith("ATD")) {
            pressed = true;
            QTimer::singleShot(100, [this] { m_ui->pressEscape(); });
        }
    };
    ModemDialogue modem(tap, *m_ui, shortTiming());
    QCOMPARE(modem.DialSubscriber("555", QString(), false, 2, 1), 9);
    QCOMPARE(count(m_sim->received(), "ATD555\r"), 2);
}

void ModemTest::hangUp_endsTheCall()
{
    QVERIFY(simulatorPort({.modem = true, .extraArgs = {"--dial-ms", "20", "--guard-ms", "100"}}));
    LinkTiming timing = shortTiming();
    timing.hangUpGuardMs = 150;
    ModemDialogue modem(*m_port, *m_ui, timing);
    QCOMPARE(modem.DialSubscriber("555", QString(), false, 1, 1), 0);
    modem.HangUp(true);
    QVERIFY2(m_sim->notes().join('\n').contains("modem: hung up"), qPrintable(m_sim->notes().join('\n')));
}

QTEST_GUILESS_MAIN(ModemTest)
#include "tst_modem.moc"
