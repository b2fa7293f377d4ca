// The session controller with a scripted window: which handlers it lets start while
// another activity runs, how a close that arrives meanwhile waits and is carried out,
// and a module operation on a real link to the simulated module.
#include "link/serialport.h"
#include "protocol/commandtable.h"
#include "session/session.h"
#include "session/sessionhost.h"
#include "support/devsim.h"
#include "support/fasttiming.h"
#include "support/linkfakes.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace tavrin;
using namespace tavrin::test;

namespace {

constexpr int kPort = 5;

// The window as the session sees it: every call counted, the connect dialog and the
// error box scripted.
class ScriptedHost : public FakeUi, public CommandHost, public SessionHost {
public:
    QStringList messages;
    QStringList errors;
    int connectDialogs = 0;
    int viewsLeft = 0;
    int dialogsClosed = 0;
    int closeWindowCalls = 0;
    std::function<bool()> onConnectDialog = [] { return false; }; // the user cancels
    std::function<void()> onError;

    void showMessage(const QString &text) override { messages << text; }
    void scrollLogToEnd() override {}

    bool runConnectDialog() override
    {
        ++connectDialogs;
        const auto dialog = onConnectDialog; // the script may replace itself
        return dialog();
    }
    void setSettingsMenuVisible(bool) override {}
    void leaveOpenView() override { ++viewsLeft; }
    void showCallPanel() override {}
    void stopCallClock() override {}
    void hideCallPanel() override {}
    void closeDialogs() override { ++dialogsClosed; }
    void destroyWaitWindow() override {}
    void reportError(const std::exception &error) override
    {
        errors << QString::fromUtf8(error.what());
        if (onError)
            onError();
    }
    void closeWindow() override { ++closeWindowCalls; }
    void activityChanged(Activity activity) override { activities << activity; }
    QList<Activity> activities; // as reported, in order
};

// A session on a program folder and a port folder of its own, with the simulator
// behind COM5 when the test starts one.
struct Bench {
    QTemporaryDir program;
    QTemporaryDir com;
    QByteArray previousComDir = qgetenv("TAVRIN_COM_DIR");
    DevSim sim{com.path()};
    ScriptedHost host;
    std::unique_ptr<Session> session;

    Bench()
    {
        qputenv("TAVRIN_COM_DIR", QFile::encodeName(com.path()));
        session = std::make_unique<Session>(program.path(), host, host, host, FastTiming());
    }
    ~Bench()
    {
        session.reset();
        qputenv("TAVRIN_COM_DIR", previousComDir);
    }

    // The simulated module (or a modem in front of it) on COM5, given the control lines,
    // and the session linked to it through an accepted connect dialog.
    bool link(ConnectionKind kind, const QStringList &controls = {})
    {
        if (!sim.start({.port = kPort, .modem = kind == Phone, .listen = kind == Network,
                        .extraArgs = kind == Phone ? FastModemArgs() : QStringList()}))
            return false;
        for (const QString &line : controls)
            sim.command(line);
        Settings &s = session->store().CurrentSettings;
        s.connectionKind = kind;
        s.direct.portNumber = s.phone.portNumber = kPort;
        s.direct.bitRate = s.phone.bitRate = 38400;
        s.directory.count = 1;
        s.directory.entries[0].phoneNumber = QStringLiteral("123");
        s.directory.entries[0].networkAddress = QStringLiteral("127.0.0.1:%1").arg(sim.tcpPort());
        host.onConnectDialog = [this] {
            host.onConnectDialog = [] { return false; };
            return true;
        };
        session->chooseConnection();
        return session->link().LinkOpen;
    }

    // Tries one user action; true when it started.
    bool attempt(const QString &action)
    {
        const int dialogs = host.connectDialogs;
        const int viewsLeft = host.viewsLeft;
        if (action == "connect") {
            session->chooseConnection();
            return host.connectDialogs > dialogs;
        }
        if (action == "disconnect") {
            session->dropConnection();
            return host.viewsLeft > viewsLeft;
        }
        if (action == "command")
            return session->sendCommand(RowHelp);
        bool ran = false;
        session->runModuleOperation([&ran](ProtocolContext &) { ran = true; });
        return ran;
    }

    // Runs action once, at the first pass of the event loop after when() holds.
    void atPass(std::function<void()> action, std::function<bool()> when = [] { return true; })
    {
        host.onPass = [action, when, done = false]() mutable {
            if (!done && when()) {
                done = true;
                action();
            }
        };
    }
};

} // namespace

class TestSession : public QObject {
    Q_OBJECT
private slots:
    void actionDuringActivity_startsOnlyWhenIdle_data();
    void actionDuringActivity_startsOnlyWhenIdle();
    void closeDuringOperation_silencesItThenClosesOnceAfterIt();
    void closeDuringOperation_endsItsExchangeWithoutRetryOrMessage();
    void moduleOperation_runsOnTheArmedLink();
    void adapterUnpluggedAndBack_commandsWorkAgainWithoutReconnecting();
    void operationThatThrows_leavesTheSessionIdle();
    void networkLink_opensWithoutBlockingAndNamesWhatFailed_data();
    void networkLink_opensWithoutBlockingAndNamesWhatFailed();
    void networkLinkLost_askedAsALostCarrierIsNothingHangs_data();
    void networkLinkLost_askedAsALostCarrierIsNothingHangs();
};

void TestSession::actionDuringActivity_startsOnlyWhenIdle_data()
{
    QTest::addColumn<QString>("activity"); // what runs when the action is tried
    QTest::addColumn<QString>("action");
    QTest::addColumn<bool>("starts");
    const QStringList activities = {"nothing",   "connect dialog", "exchange", "module operation",
                                    "hang-up",   "close waiting",  "closing"};
    for (const QString &activity : activities) {
        for (const char *action : {"connect", "disconnect", "command", "module operation"}) {
            QTest::addRow("%s, %s", qPrintable(activity), action)
                << activity << QString::fromLatin1(action) << (activity == "nothing");
        }
    }
}

void TestSession::actionDuringActivity_startsOnlyWhenIdle()
{
    QFETCH(QString, activity);
    QFETCH(QString, action);
    QFETCH(bool, starts);
    Bench bench;
    Session &session = *bench.session;
    bool started = !starts; // so that an action never tried fails the row
    const auto tryIt = [&] { started = bench.attempt(action); };

    if (activity == "nothing") {
        tryIt();
    } else if (activity == "connect dialog") {
        bench.host.onConnectDialog = [&] {
            bench.host.onConnectDialog = [] { return false; };
            tryIt();
            return false;
        };
        session.chooseConnection();
    } else if (activity == "exchange") {
        QVERIFY(bench.link(Direct, {QStringLiteral("silent on")}));
        bench.atPass([&] {
            tryIt();
            bench.host.pressEscape(); // ends the exchange without its time-out
        });
        QVERIFY(session.sendCommand(RowPing));
    } else if (activity == "module operation") {
        session.runModuleOperation([&](ProtocolContext &) { tryIt(); });
    } else if (activity == "hang-up") {
        QVERIFY(bench.link(Phone));
        bench.atPass(tryIt);
        session.dropConnection();
    } else if (activity == "close waiting") {
        // The operation the close waited for has returned; the close comes back from the
        // event loop, where a click may be queued before it.
        session.runModuleOperation(
            [&](ProtocolContext &) { QCOMPARE(session.requestClose(), Session::CloseOutcome::Deferred); });
        QCOMPARE(session.activity(), Activity::Idle);
        tryIt();
    } else if (activity == "closing") {
        // The settings file cannot be written: the error is shown inside the close sequence.
        QVERIFY(QDir().mkpath(session.store().BluetoothIniPath));
        session.store().CurrentSettings.storedPeerAddress[0] = 0x01;
        bench.host.onError = tryIt;
        QCOMPARE(session.requestClose(), Session::CloseOutcome::Refused);
    }
    QCOMPARE(started, starts);
}

void TestSession::closeDuringOperation_silencesItThenClosesOnceAfterIt()
{
    Bench bench;
    Session &session = *bench.session;
    int closeCallsInside = -1;
    bool answer = true;
    session.runModuleOperation([&](ProtocolContext &context) {
        QCOMPARE(session.requestClose(), Session::CloseOutcome::Deferred);
        QVERIFY(context.channel.abortRequested);
        QVERIFY(context.channel.ui->cancelRequested());
        QCOMPARE(bench.host.dialogsClosed, 1);
        context.host.showMessage(QStringLiteral("Нет ответа"));
        answer = context.channel.ui->askYesNo(QStringLiteral("Восстановить?"));
        QCOMPARE(session.requestClose(), Session::CloseOutcome::Deferred); // a second click
        QTest::qWait(20);
        closeCallsInside = bench.host.closeWindowCalls;
    });
    QCOMPARE(closeCallsInside, 0);
    QVERIFY(!answer);
    QCOMPARE(bench.host.questions, QStringList());
    QCOMPARE(bench.host.messages, QStringList());

    QTRY_COMPARE(bench.host.closeWindowCalls, 1);
    QCOMPARE(session.requestClose(), Session::CloseOutcome::Closed);
    QCOMPARE(session.activity(), Activity::Closed);
    // The window heard of every change, in order, and of nothing twice.
    QCOMPARE(bench.host.activities, (QList<Activity>{Activity::ModuleOperation, Activity::Idle, Activity::Closing,
                                                     Activity::Closed}));
    QVERIFY(!session.cancelRequested());
    QCOMPARE(session.requestClose(), Session::CloseOutcome::Closed);
    QTest::qWait(20);
    QCOMPARE(bench.host.closeWindowCalls, 1);
}

// A module operation that retries on its own stops at the close: one PING on the
// wire, no second attempt, no failure message.
void TestSession::closeDuringOperation_endsItsExchangeWithoutRetryOrMessage()
{
    Bench bench;
    QVERIFY(bench.link(Direct, {QStringLiteral("silent on")}));
    bench.sim.clearLog();
    // Once the command has gone out, as its trace in the log shows.
    bench.atPass([&] { bench.session->requestClose(); },
                 [&] { return bench.host.trace.lines.join(QString()).contains(QStringLiteral("PING")); });
    CommandOutcome outcome = CommandOutcome::Ok;
    QVERIFY(bench.session->runModuleOperation(
        [&](ProtocolContext &context) { outcome = ExecuteCommand(context, RowPing, 3, 0); }));
    QCOMPARE(outcome, CommandOutcome::ExchangeFailed);
    QCOMPARE(int(bench.session->channel().result), int(Aborted));
    QCOMPARE(bench.sim.received(), QByteArray("PING\r"));
    QCOMPARE(bench.host.messages, QStringList());
    QTRY_COMPARE(bench.host.closeWindowCalls, 1);
}

void TestSession::moduleOperation_runsOnTheArmedLink()
{
    Bench bench;
    QVERIFY(bench.link(Direct, {QStringLiteral("state waiting")}));
    bench.sim.clearLog();
    Activity during = Activity::Idle;
    CommandOutcome outcome = CommandOutcome::ExchangeFailed;
    QVERIFY(bench.session->runModuleOperation([&](ProtocolContext &context) {
        during = bench.session->activity();
        QCOMPARE(context.channel.port, bench.session->port());
        outcome = ExecuteCommand(context, RowPing, 1, 0);
    }));
    QCOMPARE(during, Activity::ModuleOperation);
    QCOMPARE(outcome, CommandOutcome::Ok);
    QCOMPARE(bench.sim.received(), QByteArray("PING\r"));
    QVERIFY2(QByteArray(bench.session->channel().reply()).contains("WaitForKEEP"), bench.session->channel().reply());
    QCOMPARE(bench.session->fields().CurrentRow, int(RowPing));
    QVERIFY(bench.session->canStartOperation());
}

void TestSession::adapterUnpluggedAndBack_commandsWorkAgainWithoutReconnecting()
{
    Bench bench;
    QVERIFY(bench.link(Direct, {QStringLiteral("state waiting")}));
    QVERIFY(bench.sim.command(QStringLiteral("vanish")));
    QVERIFY(bench.session->sendCommand(RowPing));
    QCOMPARE(bench.host.resultTexts, QStringList{QString::fromUtf8("Сбой при выполнении операции записи")});

    QVERIFY(bench.sim.command(QStringLiteral("restore")));
    bench.sim.clearLog();
    QVERIFY(bench.session->sendCommand(RowPing));
    QCOMPARE(int(bench.session->channel().result), 0);
    QCOMPARE(bench.sim.received(), QByteArray("PING\r"));
    QCOMPARE(bench.host.resultTexts.size(), 1);
    QCOMPARE(bench.host.connectDialogs, 1); // the one that made the link
    QVERIFY(bench.session->link().LinkOpen);
}

void TestSession::operationThatThrows_leavesTheSessionIdle()
{
    Bench bench;
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, bench.session->runModuleOperation([](ProtocolContext &) {
        throw std::runtime_error("settings file not written");
    }));
    QCOMPARE(bench.session->activity(), Activity::Idle);
    QVERIFY(bench.session->canStartOperation());
    // The window is told, so it does not stay disabled.
    QCOMPARE(bench.host.activities, (QList<Activity>{Activity::ModuleOperation, Activity::Idle}));
}

void TestSession::networkLink_opensWithoutBlockingAndNamesWhatFailed_data()
{
    QTest::addColumn<QString>("address"); // "sim": the simulator's own TCP line
    QTest::addColumn<QStringList>("messages");
    QTest::newRow("the simulator's line") << "sim" << QStringList();
    QTest::newRow("nobody listens") << "127.0.0.1:1"
                                    << QStringList{QStringLiteral("Связь по сети с 127.0.0.1:1 не установлена:\r"
                                                                  "соединение отклонено")};
    QTest::newRow("address a hand-edited file spoilt")
        << "127.0.0.1"
        << QStringList{QStringLiteral("У абонента «» нет верного сетевого адреса.\rСвязь по сети не установлена")};
}

void TestSession::networkLink_opensWithoutBlockingAndNamesWhatFailed()
{
    QFETCH(QString, address);
    QFETCH(QStringList, messages);
    Bench bench;
    const int waitsBefore = bench.host.waits;
    if (address == "sim") {
        QVERIFY(bench.link(Network, {QStringLiteral("state waiting")}));
        QVERIFY(bench.host.waits > waitsBefore); // the event loop ran while it connected
        bench.sim.clearLog();
        QVERIFY(bench.session->sendCommand(RowPing));
        QCOMPARE(bench.sim.received(), QByteArray("PING\r"));
    } else {
        Settings &s = bench.session->store().CurrentSettings;
        s.connectionKind = Network;
        s.directory.count = 1;
        s.directory.entries[0].networkAddress = address;
        bench.host.onConnectDialog = [&bench] {
            bench.host.onConnectDialog = [] { return false; };
            return true;
        };
        bench.session->chooseConnection();
        QVERIFY(!bench.session->link().LinkOpen);
    }
    QCOMPARE(bench.host.messages, messages);
    QCOMPARE(bench.host.busyCursor, 0);
    QCOMPARE(bench.host.watching, 0);
}

void TestSession::networkLinkLost_askedAsALostCarrierIsNothingHangs_data()
{
    QTest::addColumn<bool>("restore");
    QTest::newRow("No: the exchange ends naming the address") << false;
    QTest::newRow("Yes: connected again, the command repeated") << true;
}

void TestSession::networkLinkLost_askedAsALostCarrierIsNothingHangs()
{
    QFETCH(bool, restore);
    Bench bench;
    QVERIFY(bench.link(Network, {QStringLiteral("state waiting")}));
    const QString where = QStringLiteral("127.0.0.1:%1").arg(bench.sim.tcpPort());
    QVERIFY(bench.sim.command(QStringLiteral("vanish")));
    bench.host.answers = {restore};
    bench.sim.clearLog();
    QVERIFY(bench.session->sendCommand(RowPing));
    QCOMPARE(bench.host.questions,
             QStringList{QStringLiteral("Связь по сети с %1 прервана.\rВосстановить сейчас?").arg(where)});
    if (restore) {
        QCOMPARE(int(bench.session->channel().result), 0);
        QCOMPARE(bench.sim.received(), QByteArray("PING\r"));
    } else {
        QCOMPARE(int(bench.session->channel().result), int(CarrierLost));
        QCOMPARE(bench.host.resultTexts.last(), QStringLiteral("Связь по сети с %1 прервана").arg(where));
    }
    QVERIFY(bench.session->canStartOperation());
}

QTEST_GUILESS_MAIN(TestSession)

#include "tst_session.moc"
