// The command executor over the real exchange engine, with a scripted port standing in
// for the module: what goes on the line, how many attempts and pauses a command costs,
// and what the user is told.
#include "link/exchangechannel.h"
#include "link/serialport.h"
#include "protocol/executecommand.h"
#include "support/linkfakes.h"

#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QTest>

using namespace tavrin;

namespace {

// A window as the executor and the engine see it. Esc is pressed during the commands
// whose write numbers (1-based) are listed.
class ScriptedWindow : public test::FakeUi, public CommandHost {
public:
    QStringList messages;
    int scrolls = 0;
    QList<int> escapeDuringWrite;
    const QList<QByteArray> *writes = nullptr;

    bool takeEscape() override
    {
        const int write = writes ? int(writes->size()) : 0;
        return escapeDuringWrite.removeOne(write);
    }

    void showMessage(const QString &text) override { messages << text; }
    void scrollLogToEnd() override { ++scrolls; }
};

// The module: every command written gets the next scripted reply at once; an empty
// reply is silence.
class ScriptedModule : public SerialPort {
public:
    QList<QByteArray> replies;
    QList<QByteArray> writes;

    qint64 write(const char *data, qint64 size) override
    {
        writes << QByteArray(data, size);
        m_pending += replies.isEmpty() ? QByteArray() : replies.takeFirst();
        return size;
    }
    int readByte(char *byte) override
    {
        if (m_pending.isEmpty())
            return 0;
        *byte = m_pending.front();
        m_pending.remove(0, 1);
        return 1;
    }
    qint64 bytesAvailable() const override { return m_pending.size(); }
    void purge() override { m_pending.clear(); }
    bool clearError() override { return true; }
    QObject *notifier() override { return nullptr; }

private:
    QByteArray m_pending;
};

struct Rig {
    ScriptedModule module;
    ScriptedWindow window;
    ExchangeChannel channel;
    ProtocolFields fields;
    QList<int> pauses;
    ProtocolContext context{channel, window, fields, [this](int ms) { pauses << ms; }};

    Rig()
    {
        channel.port = &module;
        channel.ui = &window;
        channel.attempts = 1;
        channel.firstByteWaitMs = 30; // a silent module costs little
        channel.interByteWaitMs = 30;
        window.writes = &module.writes;
    }
};

} // namespace

class ExecuteCommandTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { QLoggingCategory::setFilterRules(QString()); }

    void echo_replyMustHoldTheRowsCommandText_data();
    void echo_replyMustHoldTheRowsCommandText();
    void rowSeven_sendsTheCommandBuiltFromTheTargetAddress();
    void attempts_exchangesPausesAndWhatTheUserIsTold_data();
    void attempts_exchangesPausesAndWhatTheUserIsTold();
    void closingWindow_stopsAtOnceAndTellsNoOne();
    void realPause_holdsTheGivenTimeBetweenAttempts();
    void failureCause_reachesTheLogWhenItIsOn_data();
    void failureCause_reachesTheLogWhenItIsOn();
};

void ExecuteCommandTest::echo_replyMustHoldTheRowsCommandText_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<QString>("message");
    const QString noEcho = QStringLiteral("Сбой модуля. Команда \"%1\".");
    QTest::newRow("PING echoed") << 2 << QByteArray(R"({"PING":"NoConnection"})") << 0 << QString();
    QTest::newRow("lower-case ping") << 2 << QByteArray(R"({"ping":"NoConnection"})") << 2 << noEcho.arg("PING");
    QTest::newRow("PEERADDR inside a longer word") << 6 << QByteArray(R"({"xPEERADDRx":"No Peer"})") << 0 << QString();
    QTest::newRow("row 7 answered as PEERADDR")
        << 7 << QByteArray(R"({"PEERADDR":"OK","Val":"0A:1B:2C:3D:4E:5F"})") << 2 << noEcho.arg("PEERADDR(");
    QTest::newRow("row 7 echoed") << 7 << QByteArray(R"x({"PEERADDR(0A:1B:2C:3D:4E:5F)":"OK"})x") << 0 << QString();
    QTest::newRow("echo split over the frame") << 9 << QByteArray(R"({"KI":"LL"})") << 2 << noEcho.arg("KILL");
}

void ExecuteCommandTest::echo_replyMustHoldTheRowsCommandText()
{
    QFETCH(int, row);
    QFETCH(QByteArray, reply);
    QFETCH(int, outcome);
    QFETCH(QString, message);
    Rig rig;
    rig.module.replies = {reply, reply, reply};
    QCOMPARE(int(ExecuteCommand(rig.context, row, 3, 500)), outcome);
    QCOMPARE(rig.fields.CurrentRow, row);
    QCOMPARE(rig.module.writes.size(), outcome == 0 ? 1 : 3);
    QCOMPARE(rig.window.messages, message.isEmpty() ? QStringList() : QStringList{message});
    if (outcome == 0)
        QCOMPARE(QByteArray(rig.channel.reply()), reply);
}

void ExecuteCommandTest::rowSeven_sendsTheCommandBuiltFromTheTargetAddress()
{
    Rig rig;
    rig.fields.TargetPeerAddress = {0x0A, 0x1B, 0x2C, 0x3D, 0x4E, 0x5F};
    rig.module.replies = {QByteArray(R"x({"PEERADDR(0A:1B:2C:3D:4E:5F)":"OK","Val":"0A:1B:2C:3D:4E:5F"})x")};
    QCOMPARE(ExecuteCommand(rig.context, 7, 3, 500), CommandOutcome::Ok);
    QCOMPARE(rig.module.writes, QList<QByteArray>{QByteArray("PEERADDR(0A:1B:2C:3D:4E:5F)\r")});

    Rig zero;
    zero.module.replies = {QByteArray(R"x({"PEERADDR(":"OK"})x")};
    QCOMPARE(ExecuteCommand(zero.context, 7, 1, 0), CommandOutcome::Ok);
    QCOMPARE(zero.module.writes, QList<QByteArray>{QByteArray("PEERADDR(00:00:00:00:00:00)\r")});
}

void ExecuteCommandTest::attempts_exchangesPausesAndWhatTheUserIsTold_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("attempts");
    QTest::addColumn<int>("pauseMs");
    QTest::addColumn<QList<QByteArray>>("replies"); // one per exchange; empty is silence
    QTest::addColumn<QList<int>>("escapeDuringWrite");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<QList<QByteArray>>("writes");
    QTest::addColumn<QList<int>>("pauses");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QStringList>("statusTexts"); // the engine's, of the failed exchanges
    const QByteArray ver(R"({"VER":"OK","Val":"1.0"})");
    const QString noReply = QStringLiteral("Устройство не отвечает");
    const QString escaped = QStringLiteral("Обмен прерван по Esc");

    QTest::newRow("no echo every time: three exchanges, two pauses, one message")
        << 5 << 3 << 500 << QList<QByteArray>{ver, ver, ver, ver} << QList<int>() << int(CommandOutcome::NoEcho)
        << QList<QByteArray>(3, "DEVADDR\r") << QList<int>{500, 500}
        << QStringList{QStringLiteral("Сбой модуля. Команда \"DEVADDR\".")} << QStringList();
    QTest::newRow("two failures then an echo: ok without a message")
        << 2 << 3 << 500 << QList<QByteArray>{QByteArray(), R"({"PING":)", R"({"PING":"Connected"})"} << QList<int>()
        << int(CommandOutcome::Ok) << QList<QByteArray>(3, "PING\r") << QList<int>{500, 500} << QStringList()
        << QStringList{noReply, QStringLiteral("Ответ получен не полностью (превышено время между байтами)")};
    QTest::newRow("Esc ends only the attempt it falls in")
        << 3 << 3 << 500 << QList<QByteArray>{QByteArray(), R"({"RESET":"OK"})"} << QList<int>{1}
        << int(CommandOutcome::Ok) << QList<QByteArray>(2, "RESET\r") << QList<int>{500} << QStringList()
        << QStringList{escaped};
    QTest::newRow("Esc in every attempt: the exchange failure message")
        << 9 << 3 << 1000 << QList<QByteArray>() << QList<int>{1, 2, 3} << int(CommandOutcome::ExchangeFailed)
        << QList<QByteArray>(3, "KILL\r") << QList<int>{1000, 1000}
        << QStringList{QStringLiteral("Сбой операции.\rНе выполнена команда \"KILL\".")}
        << QStringList{escaped, escaped, escaped};
    QTest::newRow("one attempt without pause: one exchange, no pause")
        << 8 << 1 << 0 << QList<QByteArray>() << QList<int>() << int(CommandOutcome::ExchangeFailed)
        << QList<QByteArray>{"KEEP\r"} << QList<int>()
        << QStringList{QStringLiteral("Сбой операции.\rНе выполнена команда \"KEEP\".")} << QStringList{noReply};
}

void ExecuteCommandTest::attempts_exchangesPausesAndWhatTheUserIsTold()
{
    QFETCH(int, row);
    QFETCH(int, attempts);
    QFETCH(int, pauseMs);
    QFETCH(QList<QByteArray>, writes);
    Rig rig;
    QFETCH(QList<QByteArray>, replies);
    rig.module.replies = replies;
    QFETCH(QList<int>, escapeDuringWrite);
    rig.window.escapeDuringWrite = escapeDuringWrite;
    QFETCH(int, outcome);
    QCOMPARE(int(ExecuteCommand(rig.context, row, attempts, pauseMs)), outcome);
    QCOMPARE(rig.module.writes, writes);
    if (outcome == int(CommandOutcome::Ok))
        QCOMPARE(QByteArray(rig.channel.reply()), replies.last());
    QTEST(rig.pauses, "pauses");
    QTEST(rig.window.messages, "messages");
    QTEST(rig.window.resultTexts, "statusTexts");
    QCOMPARE(rig.window.scrolls, writes.size()); // the newest trace is brought into view after every attempt
}

void ExecuteCommandTest::closingWindow_stopsAtOnceAndTellsNoOne()
{
    Rig rig;
    rig.window.closing = true;
    rig.module.replies = {QByteArray(R"({"PING":"Connected"})")};
    QCOMPARE(ExecuteCommand(rig.context, 2, 3, 500), CommandOutcome::ExchangeFailed);
    QVERIFY(rig.module.writes.size() <= 1);
    QVERIFY(rig.pauses.isEmpty());
    QVERIFY(rig.window.messages.isEmpty());
}

void ExecuteCommandTest::realPause_holdsTheGivenTimeBetweenAttempts()
{
    Rig rig;
    rig.context.pause = Pause; // the production pause, at a real value
    const QByteArray other(R"({"KILL":"Peer Deleted"})");
    rig.module.replies = {other, other};
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(ExecuteCommand(rig.context, 2, 2, 500), CommandOutcome::NoEcho);
    QVERIFY2(clock.elapsed() >= 500, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(rig.module.writes.size(), 2);
}

void ExecuteCommandTest::failureCause_reachesTheLogWhenItIsOn_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QByteArray>("reply"); // to every attempt; empty is silence
    QTest::addColumn<QString>("logged");
    QTest::newRow("silent module")
        << 8 << QByteArray() << QString::fromUtf8("KEEP failed after 2 attempts: exchange result 3 (Устройство не отвечает)");
    QTest::newRow("another command's reply")
        << 5 << QByteArray(R"({"VER":"OK"})")
        << QStringLiteral(R"(DEVADDR failed after 2 attempts: no echo in the reply {"VER":"OK"})");
}

void ExecuteCommandTest::failureCause_reachesTheLogWhenItIsOn()
{
    QFETCH(int, row);
    QFETCH(QByteArray, reply);
    QFETCH(QString, logged);
    Rig rig;
    rig.module.replies = {reply, reply};
    QLoggingCategory::setFilterRules(QStringLiteral("tavrin.protocol.debug=true"));
    QTest::ignoreMessage(QtDebugMsg, qPrintable(logged));
    ExecuteCommand(rig.context, row, 2, 0);
}

QTEST_GUILESS_MAIN(ExecuteCommandTest)
#include "tst_executecommand.moc"
