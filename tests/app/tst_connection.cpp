// The connection flow against the device simulator: the connect dialog at start, a
// direct link, a phone call that succeeds or fails, dropping the link, and closing the
// window while an exchange or a dial is running.
#include "apptest.h"

#include "app/errorreport.h"
#include "app/tavrinapplication.h"
#include "dialogs/formabonentslist.h"
#include "dialogs/formconnect.h"
#include "dialogs/formsurvey.h"
#include "dialogs/panelstatusbar.h"
#include "link/serialport.h"
#include "support/devsim.h"

#include <QAction>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QShortcut>
#include <QTest>

using namespace tavrin;
using namespace tavrin::test;

namespace {

constexpr int kDirectPort = 2;
constexpr int kPhonePort = 4;
const QString kNumber = QStringLiteral("8 (900) 555-12-34");

// Settings as if read from the files (the live record equals the saved one), naming
// COM<port> for the link of the given kind.
void UseSettings(Session &session, ConnectionKind kind, int port, int abonents)
{
    Settings &s = session.store().CurrentSettings;
    s.connectionKind = kind;
    s.direct = {.portNumber = quint8(port), .wakeUpByte = true, .bitRate = 19200, .exchangeAttempts = 3, .replyWaitSeconds = 4, .byteWaitMs = 150};
    s.phone = {.portNumber = quint8(port), .bitRate = 9600, .exchangeAttempts = 1, .replyWaitSeconds = 3, .byteWaitMs = 200};
    s.modemCommands = QStringLiteral("AT&F");
    s.connectWaitSeconds = 5;
    s.dialRounds = 1;
    s.directory.count = quint8(abonents);
    s.directory.selectedIndex = 0;
    s.directory.entries[0].name = QStringLiteral("Подстанция");
    s.directory.entries[0].phoneNumber = kNumber;
    session.store().SavedSettings = s;
}

void Click(QPushButton *button)
{
    QVERIFY(button);
    button->click();
}

// Presses "Выход" in the connect dialog.
void CancelDialog(TFormConnect *dialog)
{
    Click(Button(*dialog, "BitBtn2"));
}

// A window whose settings name a port of the simulator, with its messages recorded.
struct Rig {
    AppFixture app;
    DevSim sim{app.comDir()};
    std::unique_ptr<TFormMain> window;
    MessageLog messages;

    // The window alone, its settings naming port (no simulator behind it).
    void openWindow(ConnectionKind kind, int port, int abonents = 1, bool stopStartTimer = true)
    {
        window = app.window(stopStartTimer);
        UseSettings(window->session(), kind, port, abonents);
        messages.attach(*window);
    }
    // The simulated module (direct) or the simulated modem in front of it (phone),
    // given the control lines, and the window whose settings name it.
    bool start(ConnectionKind kind, const QStringList &controls = {})
    {
        DevSimOptions options;
        options.port = kind == Phone ? kPhonePort : kDirectPort;
        options.modem = kind == Phone;
        if (options.modem)
            options.extraArgs = FastModemArgs();
        if (!sim.start(options)) {
            qWarning("%s", qPrintable(sim.errorString()));
            return false;
        }
        for (const QString &line : controls) {
            if (!sim.command(line))
                return false;
        }
        openWindow(kind, options.port);
        return true;
    }
    Session &session() { return window->session(); }
    bool shown(const char *objectName) const { return IsShown(*window, objectName); }
    QString panel(int index) const { return Named<PanelStatusBar>(window.get(), "StatusBar1")->panelText(StatusPanel(index)); }
    // What is left of a link that should be gone; empty when nothing is.
    QStringList linkLeftovers() const
    {
        QStringList left;
        const Session &session = window->session();
        if (session.link().LinkOpen || session.link().ModemConnected)
            left << "link open";
        if (session.port())
            left << "port";
        if (shown("pnmodem"))
            left << "call panel";
        if (Named<QTimer>(window.get(), "TimerMoney")->isActive())
            left << "call clock";
        if (window->isVisible() && SettingsMenuItem(*window)->isVisible()) // a closed window's menu is gone anyway
            left << "settings menu";
        return left;
    }
};

} // namespace

class TestConnection : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QuietPlatformNotes(); } // after QTest's own handler
    void init() { m_rig = std::make_unique<Rig>(); }
    void cleanup() { m_rig.reset(); }

    void startTick_fromAnyState_leavesWindowUsable_data();
    void startTick_fromAnyState_leavesWindowUsable();
    void start_settingsFilesNotRead_namedBeforeConnectDialog();
    void accept_directWithoutChanges_armsChannelWritesNoFile();
    void accept_settingsNotWritable_namesEachFileAndOpensTheLink();
    void absentPort_namesItsNumberAndNothingElse();
    void phoneKindWithoutSubscriber_isRefused();
    void phoneDial_success_showsCallPanelAndCountsDuration_data();
    void phoneDial_success_showsCallPanelAndCountsDuration();
    void phoneDial_failure_asksAgainThenGivesUpWithoutHangUp();
    void hangUp_escapesAtOnceAndLeavesNoLink_data();
    void hangUp_escapesAtOnceAndLeavesNoLink();
    void reopenedLink_firstExchangeIsNotAborted();
    void secondConnectDuringDial_doesNothing();
    void escape_duringDial_endsAttemptAndAsks();
    void clickDuringHangUp_doesNothing_data();
    void clickDuringHangUp_doesNothing();
    void close_midExchange_abortsThenClosesFully();
    void close_midDial_endsDialThenClosesFully();
    void close_whileConnectDialogOpen_closesDialogThenWindow();
    void close_duringSurvey_hangsUpAndClosesEveryWindow();

private:
    std::unique_ptr<Rig> m_rig;
};

void TestConnection::startTick_fromAnyState_leavesWindowUsable_data()
{
    QTest::addColumn<QString>("before"); // what the user does before the tick
    QTest::newRow("nothing: the dialog opens by itself") << "";
    QTest::newRow("command view opened") << "command";
    QTest::newRow("state view opened") << "state";
    QTest::newRow("state view with its log") << "state+log";
    QTest::newRow("connect dialog opened") << "dialog";
}

// The first half second offers the whole menu; whatever was opened in it, the connect
// dialog comes, and leaving it leaves a window with no link, no file written and a
// menu that works.
void TestConnection::startTick_fromAnyState_leavesWindowUsable()
{
    QFETCH(QString, before);
    Rig &rig = *m_rig;
    QElapsedTimer sinceShown;
    sinceShown.start();
    rig.openWindow(Direct, kDirectPort, 1, false);
    TFormMain &window = *rig.window;
    ModalDriver driver;
    QPointer<QWidget> first;
    if (before == "dialog") {
        // Opened by hand, and left only after the tick has come while it was open.
        driver.on<TFormConnect>([&](TFormConnect *dialog) {
            first = dialog;
            QTimer::singleShot(700, dialog, [dialog] { CancelDialog(dialog); });
        });
    }
    qint64 openedAfter = -1; // by the tick
    while (driver.pending() < 2) { // room for a wrong second dialog, so the test cannot hang
        driver.add([&](QWidget *w) { return qobject_cast<TFormConnect *>(w) && w != first; },
                   [&](QWidget *w) {
                       if (openedAfter < 0)
                           openedAfter = sinceShown.elapsed();
                       CancelDialog(qobject_cast<TFormConnect *>(w));
                   });
    }
    if (before == "command") {
        Action(window, "Ncommand")->trigger();
    } else if (before.startsWith("state")) {
        window.openView(ViewMode::State);
        if (before == "state+log")
            Named<QShortcut>(&window, "N_secretShortcut")->activated();
    } else if (before == "dialog") {
        Action(window, "Nconn")->trigger();
        QVERIFY(!Named<QTimer>(&window, "TimerStart")->isActive());
    }
    QTRY_COMPARE_WITH_TIMEOUT(driver.done(), 1, 3000);
    QTest::qWait(100); // a second dialog would open now

    QCOMPARE(driver.done(), 1);
    if (before != "dialog")
        QVERIFY2(openedAfter >= 450 && openedAfter < 2500, qPrintable(QString::number(openedAfter)));
    QVERIFY(!Named<QTimer>(&window, "TimerStart")->isActive());
    QCOMPARE(QDir(QDir(rig.app.programDir()).filePath("INI")).entryList(QDir::Files), QStringList());
    for (const char *view : {"gb_command", "gb_state", "gb_obmen"})
        QVERIFY2(!rig.shown(view), view);
    for (const char *item : {"Nconn", "Nexit"})
        QVERIFY2(Action(window, item)->isVisible() && Action(window, item)->isEnabled(), item);
    QCOMPARE(rig.linkLeftovers(), QStringList());
    QCOMPARE(rig.panel(2), QString());
    // The menu works: "Параметры связи" opens the dialog again.
    driver.on<TFormConnect>(CancelDialog);
    Action(window, "Nconn")->trigger();
    QCOMPARE(driver.done(), 2);
}

void TestConnection::start_settingsFilesNotRead_namedBeforeConnectDialog()
{
    Rig &rig = *m_rig;
    // One file over the size limit, the other not a file at all.
    QVERIFY(QDir().mkpath(rig.app.iniPath("abonents.ini")));
    QFile large(rig.app.iniPath("bluetooth.ini"));
    QVERIFY(large.open(QIODevice::WriteOnly));
    QVERIFY(large.write(QByteArray(1024 * 1024 + 1, ';')) > 0);
    large.close();
    rig.window = rig.app.window(false); // real boxes: no message presenter

    QStringList order; // each box's text, and whether it was plain: no title, no icon, OK alone
    ModalDriver driver;
    for (int i = 0; i < 3; ++i) {
        driver.add([](QWidget *w) { return qobject_cast<QMessageBox *>(w) || qobject_cast<TFormConnect *>(w); },
                   [&](QWidget *w) {
                       if (auto *dialog = qobject_cast<TFormConnect *>(w)) {
                           order << "connect dialog";
                           return CancelDialog(dialog);
                       }
                       auto *box = qobject_cast<QMessageBox *>(w);
                       const bool plain = box->windowTitle().trimmed().isEmpty() && box->icon() == QMessageBox::NoIcon
                           && box->standardButtons() == QMessageBox::Ok;
                       order << (plain ? "" : "not plain: ") + box->text();
                       box->buttons().constFirst()->click();
                   });
    }
    QTRY_COMPARE_WITH_TIMEOUT(order.size(), 3, 3000);
    const QString bluetooth = QDir::toNativeSeparators(rig.app.iniPath("bluetooth.ini"));
    const QString abonents = QDir::toNativeSeparators(rig.app.iniPath("abonents.ini"));
    QCOMPARE(order, QStringList({"Файл " + bluetooth + " больше 1 МБ и не прочитан. Настройки из него взяты по "
                                                       "умолчанию, файл программа не изменит.",
                                 "Не удалось прочитать файл " + abonents
                                     + ". Настройки из него взяты по умолчанию, файл программа не изменит.",
                                 "connect dialog"}));

    // Once per start: the next connect dialog comes alone.
    rig.messages.attach(*rig.window);
    driver.on<TFormConnect>(CancelDialog);
    Action(*rig.window, "Nconn")->trigger();
    QCOMPARE(driver.done(), 4);
    QCOMPARE(rig.messages.messages, QStringList());
    QCOMPARE(order.size(), 3);
}

void TestConnection::accept_directWithoutChanges_armsChannelWritesNoFile()
{
    Rig &rig = *m_rig;
    QVERIFY(rig.start(Direct));
    rig.session().channel().abortRequested = true; // left over from an earlier link

    QVERIFY(Connect(*rig.window));
    QCOMPARE(rig.messages.messages, QStringList());
    QVERIFY(!rig.session().link().ModemConnected);
    QVERIFY(rig.session().port());
    const ExchangeChannel &channel = rig.session().channel();
    QCOMPARE(channel.port, rig.session().port());
    QCOMPARE(channel.baudRate, 19200);
    QCOMPARE(channel.firstByteWaitMs, 4000);
    QCOMPARE(channel.interByteWaitMs, 150);
    QCOMPARE(int(channel.attempts), 3);
    QCOMPARE(channel.wakeUpByte, true);
    QCOMPARE(channel.abortRequested, false);
    QVERIFY(SettingsMenuItem(*rig.window)->isVisible());
    QVERIFY(!rig.shown("pnmodem"));
    QCOMPARE(rig.panel(0), QStringLiteral(" COM2,   19200 бит/с"));
    QCOMPARE(rig.panel(1), QStringLiteral(" Непосредственная связь"));
    QVERIFY(!QFile::exists(rig.app.iniPath("bluetooth.ini")));
    QVERIFY(!QFile::exists(rig.app.iniPath("abonents.ini")));
}

void TestConnection::accept_settingsNotWritable_namesEachFileAndOpensTheLink()
{
    Rig &rig = *m_rig;
    QVERIFY(rig.start(Direct));
    QStringList reported;
    SetExceptionReporter([&reported](const QString &message) { reported << message; });
    const auto noReporter = qScopeGuard([] { SetExceptionReporter({}); });
    // Folders where the files should be, and a choice that differs from both files.
    QVERIFY(QDir().mkpath(rig.app.iniPath("bluetooth.ini")));
    QVERIFY(QDir().mkpath(rig.app.iniPath("abonents.ini")));
    SettingsStore &store = rig.session().store();
    store.SavedSettings.direct.bitRate = 9600;
    store.SavedSettings.directory.count = 0;

    QVERIFY(Connect(*rig.window));
    QCOMPARE(reported, QStringList({"Не удалось записать файл " + QDir::toNativeSeparators(rig.app.iniPath("bluetooth.ini")),
                                    "Не удалось записать файл " + QDir::toNativeSeparators(rig.app.iniPath("abonents.ini"))}));
    QCOMPARE(rig.session().channel().baudRate, 19200); // the parameters chosen
    PressCommand(*rig.window, 2); // PING
    QCOMPARE(int(rig.session().channel().result), int(ExchangeOk));
    QCOMPARE(rig.sim.received(), QByteArray("\0PING\r", 6)); // with the wake-up byte
    QCOMPARE(store.SavedSettings.direct.bitRate, 9600); // still to be written at close
}

void TestConnection::absentPort_namesItsNumberAndNothingElse()
{
    Rig &rig = *m_rig;
    rig.openWindow(Direct, 9);
    QVERIFY(!Connect(*rig.window));
    QCOMPARE(rig.messages.messages, QStringList{QStringLiteral("Коммуникационный порт \u0421\u041e\u041c9 недоступен")});
    QCOMPARE(rig.messages.questions, QStringList());
    QCOMPARE(rig.linkLeftovers(), QStringList());
}

void TestConnection::phoneKindWithoutSubscriber_isRefused()
{
    Rig &rig = *m_rig;
    rig.openWindow(Phone, kPhonePort, 0);
    ModalDriver driver;
    bool stillOpen = false;
    driver.on<TFormConnect>([&](TFormConnect *dialog) {
        Click(Button(*dialog, "BitBtn1"));
        stillOpen = dialog->isVisible();
        CancelDialog(dialog);
    });
    Action(*rig.window, "Nconn")->trigger();
    QCOMPARE(rig.messages.messages, QStringList{QStringLiteral("Введены не все параметры")});
    QVERIFY(stillOpen);
    QCOMPARE(rig.linkLeftovers(), QStringList());
}

// The call's clock shows the time since the call began, so a test process held up by
// a busy machine may see it pass 00:00:01 without ever reading that value: what counts
// is that it leaves 00:00:00 and shows whole seconds.
static bool CallClockMoves(const QLabel &duration)
{
    if (!QTest::qWaitFor([&] { return duration.text() != QLatin1String("00:00:00"); }, 2500))
        return false;
    static const QRegularExpression secondsShown(QStringLiteral("^00:00:[0-5][0-9]$"));
    return secondsShown.match(duration.text()).hasMatch();
}

void TestConnection::phoneDial_success_showsCallPanelAndCountsDuration_data()
{
    QTest::addColumn<bool>("restored");
    QTest::newRow("first call") << false;
    // The carrier lost after a second of the call, the link restored from the command
    // view: the new call is shown as the first one was.
    QTest::newRow("call restored by a re-dial") << true;
}

void TestConnection::phoneDial_success_showsCallPanelAndCountsDuration()
{
    QFETCH(bool, restored);
    Rig &rig = *m_rig;
    QVERIFY(rig.start(Phone));

    QVERIFY(Connect(*rig.window));
    auto *duration = Named<QLabel>(rig.window.get(), "pntime");
    if (restored) {
        QVERIFY(CallClockMoves(*duration));
        QVERIFY(rig.sim.command(QStringLiteral("drop")));
        QVERIFY(rig.sim.waitForSent("\r\nNO CARRIER\r\n", 2000));
        rig.messages.answers = {true};
        rig.sim.clearLog();
        PressCommand(*rig.window, 2); // PING: the report is found, the link restored
        QCOMPARE(rig.messages.questions,
                 QStringList{QStringLiteral("Связь через модем прервана.\rВосстановить сейчас?")});
        QVERIFY(rig.sim.received().endsWith("ATD89005551234\rPING\r"));
        QCOMPARE(int(rig.session().channel().result), int(ExchangeOk));
    }
    QVERIFY(rig.session().link().ModemConnected);
    QVERIFY(rig.shown("pnmodem"));
    QCOMPARE(duration->text(), QStringLiteral("00:00:00"));
    QVERIFY(Named<QTimer>(rig.window.get(), "TimerMoney")->isActive());
    QCOMPARE(rig.panel(2), QString()); // no dialling progress left
    QVERIFY(rig.sim.received().contains("ATD89005551234\r"));
    QCOMPARE(rig.session().channel().port, rig.session().port());
    QCOMPARE(rig.session().channel().baudRate, 9600);
    QCOMPARE(rig.session().channel().firstByteWaitMs, 3000);
    if (!restored)
        QCOMPARE(rig.messages.questions, QStringList());

    QVERIFY(CallClockMoves(*duration));
    if (!restored)
        SaveScreen(rig.window.get(), QStringLiteral("call-panel.png"));
}

void TestConnection::phoneDial_failure_asksAgainThenGivesUpWithoutHangUp()
{
    Rig &rig = *m_rig;
    QVERIFY(rig.start(Phone, {QStringLiteral("dial busy")}));
    rig.messages.answers = {true, false}; // one more try, then give up

    QVERIFY(!Connect(*rig.window));
    const QString question = QStringLiteral("Номер абонента занят\rПовторить попытку соединения?");
    QCOMPARE(rig.messages.questions, QStringList({question, question}));
    QCOMPARE(rig.messages.messages, QStringList{QStringLiteral("Связь по телефону не установлена")});
    QCOMPARE(rig.linkLeftovers(), QStringList());

    const QByteArray wire = rig.sim.received();
    QCOMPARE(wire.count("ATD89005551234\r"), 2);
    // No call was made, so nothing is hung up.
    const QByteArray afterLastDial = wire.mid(wire.lastIndexOf("ATD"));
    QVERIFY2(!afterLastDial.contains("+++") && !afterLastDial.contains("ath"), afterLastDial.constData());
}

void TestConnection::hangUp_escapesAtOnceAndLeavesNoLink_data()
{
    QTest::addColumn<QString>("by");
    QTest::newRow("\"Параметры связи\" while linked: before the dialog") << "connect";
    QTest::newRow("\"Отключить связь\"") << "disconnect";
    QTest::newRow("window closed during the call: before the settings are written") << "close";
}

// The modem is put back into command mode at once (no plain hang-up first) and hangs up.
void TestConnection::hangUp_escapesAtOnceAndLeavesNoLink()
{
    QFETCH(QString, by);
    Rig &rig = *m_rig;
    QVERIFY(rig.start(Phone));
    QVERIFY(Connect(*rig.window));
    Action(*rig.window, "Ncommand")->trigger();
    rig.session().store().CurrentSettings.storedPeerAddress[0] = 0x10; // a change to write at close
    rig.sim.clearLog();

    QByteArray wire;
    QStringList leftovers = {"not looked at"};
    ModalDriver driver;
    driver.on<TFormConnect>([&](TFormConnect *dialog) {
        wire = rig.sim.received();
        leftovers = rig.linkLeftovers();
        CancelDialog(dialog);
    });
    if (by == "connect") {
        Button(*rig.window, "BitBtn7")->click(); // "Выход": the menu is offered outside the views
        Action(*rig.window, "Nconn")->trigger();
        QCOMPARE(driver.done(), 1);
    } else {
        if (by == "disconnect")
            QTest::mouseClick(Button(*rig.window, "BitBtn3"), Qt::LeftButton);
        else
            QVERIFY(rig.window->close());
        wire = rig.sim.received();
        leftovers = rig.linkLeftovers();
    }
    QCOMPARE(wire, QByteArray("+++ath\r"));
    QCOMPARE(leftovers, QStringList());
    QVERIFY(!rig.shown("gb_command"));
    QVERIFY(!rig.shown("gb_obmen"));
    if (by == "close")
        QVERIFY(rig.app.readIni("bluetooth.ini").contains("Adr_0=16"));
    else
        QVERIFY(Action(*rig.window, "Nconn")->isEnabled());
}

void TestConnection::reopenedLink_firstExchangeIsNotAborted()
{
    Rig &rig = *m_rig;
    QVERIFY(rig.start(Direct));
    QVERIFY(Connect(*rig.window));
    // Connecting again drops the first link, which raises the abort request of a
    // running exchange.
    QVERIFY(Connect(*rig.window));
    PressCommand(*rig.window, 2); // PING
    QCOMPARE(int(rig.session().channel().result), int(ExchangeOk));
    QCOMPARE(rig.panel(2), QStringLiteral(" Командный режим"));
}

void TestConnection::secondConnectDuringDial_doesNothing()
{
    Rig &rig = *m_rig;
    QVERIFY(rig.start(Phone, {QStringLiteral("dial-ms 800")}));

    ModalDriver driver;
    driver.on<TFormConnect>([](TFormConnect *dialog) { Click(Button(*dialog, "BitBtn1")); });
    driver.on<TFormConnect>(CancelDialog); // a second dialog, if the menu were not refused
    OnceWhen again([&] { return rig.sim.received().contains("ATD"); },
                   [&] { Action(*rig.window, "Nconn")->trigger(); });
    Action(*rig.window, "Nconn")->trigger();
    QVERIFY(again.done());
    QCOMPARE(driver.done(), 1);
    QVERIFY(rig.session().link().ModemConnected);
    QVERIFY(SettingsMenuItem(*rig.window)->isVisible());
    QCOMPARE(rig.messages.messages, QStringList());
}

void TestConnection::escape_duringDial_endsAttemptAndAsks()
{
    Rig &rig = *m_rig;
    // The modem answers ATD only after a minute: only Esc can end the attempt in time.
    QVERIFY(rig.start(Phone, {QStringLiteral("dial-ms 60000")}));
    rig.session().store().CurrentSettings.connectWaitSeconds = 90;
    rig.session().store().SavedSettings = rig.session().store().CurrentSettings;
    QVERIFY(Activate(rig.window.get()));
    OnceWhen escape([&] { return rig.sim.received().contains("ATD"); },
                    [&] { QTest::keyClick(rig.window->windowHandle(), Qt::Key_Escape); }); // as the keyboard delivers it
    QVERIFY(!Connect(*rig.window)); // the user answers No to the retry question
    QVERIFY(escape.done());
    QCOMPARE(rig.messages.questions,
             QStringList{QStringLiteral("Попытка соединения прервана по требованию пользователя\r"
                                        "Повторить попытку соединения?")});
    QCOMPARE(rig.messages.messages, QStringList{QStringLiteral("Связь по телефону не установлена")});
    QCOMPARE(rig.linkLeftovers(), QStringList());
    QVERIFY(Action(*rig.window, "Nconn")->isEnabled());
}

void TestConnection::clickDuringHangUp_doesNothing_data()
{
    QTest::addColumn<bool>("startWithConnect"); // else "Отключить связь" starts the hang-up
    QTest::addColumn<QString>("click");         // what is clicked while it runs
    QTest::newRow("connect, connect again") << true << "connect";
    QTest::newRow("connect, disconnect button") << true << "disconnect";
    QTest::newRow("disconnect button twice") << false << "disconnect";
    QTest::newRow("disconnect button, connect") << false << "connect";
    QTest::newRow("disconnect button, command button") << false << "command";
    QTest::newRow("disconnect button, window closed") << false << "close";
}

// The hang-up waits for the modem's replies in the event loop, so the menu and the call
// panel's button can be clicked, or the window closed, meanwhile; a second teardown must
// not start inside it, and a close waits for the hang-up to finish.
void TestConnection::clickDuringHangUp_doesNothing()
{
    QFETCH(bool, startWithConnect);
    QFETCH(QString, click);
    Rig &rig = *m_rig;
    QVERIFY(rig.start(Phone));
    QVERIFY(Connect(*rig.window));
    if (click == "command")
        Action(*rig.window, "Ncommand")->trigger(); // its buttons stay on screen until the hang-up ends
    rig.sim.clearLog();

    ModalDriver driver;
    for (int i = 0; i < 2; ++i) // room for a wrong second dialog, so the test cannot hang
        driver.on<TFormConnect>(CancelDialog);
    const QMap<QString, std::function<void()>> clicks = {
        {"connect", [&] { Action(*rig.window, "Nconn")->trigger(); }},
        {"disconnect", [&] { Button(*rig.window, "BitBtn3")->click(); }},
        {"command", [&] { Button(*rig.window, "bt1")->click(); }}, // HELP
        {"close", [&] { rig.window->close(); }},
    };
    OnceWhen second([&] { return rig.sim.received().contains("+++"); }, clicks[click], 5);
    clicks[startWithConnect ? "connect" : "disconnect"]();

    QVERIFY(second.done());
    QCOMPARE(driver.done(), startWithConnect ? 1 : 0);
    QCOMPARE(rig.sim.received(), QByteArray("+++ath\r")); // one hang-up, no HELP
    QCOMPARE(rig.linkLeftovers(), QStringList());
    if (click == "close")
        QTRY_VERIFY_WITH_TIMEOUT(rig.session().activity() == Activity::Closed, 1000);
    QCOMPARE(rig.messages.messages, QStringList());
}

void TestConnection::close_midExchange_abortsThenClosesFully()
{
    Rig &rig = *m_rig;
    QVERIFY(rig.start(Direct, {QStringLiteral("silent on")}));
    QVERIFY(Connect(*rig.window));
    rig.session().store().CurrentSettings.storedPeerAddress[5] = 0x5A; // a change to write at close

    QElapsedTimer clock;
    clock.start();
    bool closeReturned = true;
    QTimer::singleShot(200, rig.window.get(), [&] {
        QVERIFY(rig.session().channel().busy);
        closeReturned = rig.window->close();
    });
    PressCommand(*rig.window, 2); // waits up to 4 s x 3 attempts for a silent device
    const qint64 exchangeEnded = clock.elapsed();
    QVERIFY(!closeReturned); // the close waited for the exchange
    QCOMPARE(int(rig.session().channel().result), int(Aborted));
    QVERIFY2(exchangeEnded < 2500, qPrintable(QString::number(exchangeEnded)));

    QTRY_VERIFY_WITH_TIMEOUT(rig.session().activity() == Activity::Closed, 2000);
    QVERIFY(!rig.window->isVisible());
    QCOMPARE(rig.linkLeftovers(), QStringList());
    QVERIFY(!WindowUi(*rig.window).cancelRequested());
    QVERIFY(rig.app.readIni("bluetooth.ini").contains("Adr_5=90"));
    QCOMPARE(rig.messages.messages, QStringList());
}

void TestConnection::close_midDial_endsDialThenClosesFully()
{
    Rig &rig = *m_rig;
    QVERIFY(rig.start(Phone, {QStringLiteral("dial-ms 4000")}));

    // The close comes from the event processing of the dial, as a click would.
    QElapsedTimer clock;
    bool closeReturned = true;
    OnceWhen close([&] { return rig.sim.received().contains("ATD"); }, [&] {
        clock.start();
        closeReturned = rig.window->close();
    });
    QVERIFY(!Connect(*rig.window));
    QVERIFY(close.done());
    QVERIFY(!closeReturned);
    QTRY_VERIFY_WITH_TIMEOUT(rig.session().activity() == Activity::Closed, 2500);
    QVERIFY2(clock.elapsed() < 2500, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(rig.linkLeftovers(), QStringList());
    // Giving up because the window closes asks nothing and reports nothing.
    QCOMPARE(rig.messages.questions, QStringList());
    QCOMPARE(rig.messages.messages, QStringList());
}

void TestConnection::close_whileConnectDialogOpen_closesDialogThenWindow()
{
    Rig &rig = *m_rig;
    rig.openWindow(Direct, kDirectPort);
    ModalDriver driver;
    bool closeReturned = true;
    driver.on<TFormConnect>([&](TFormConnect *) { closeReturned = rig.window->close(); });
    Action(*rig.window, "Nconn")->trigger();
    QCOMPARE(driver.done(), 1);
    QVERIFY(!closeReturned);
    QCOMPARE(rig.linkLeftovers(), QStringList()); // the dialog ended as cancelled
    QTRY_VERIFY_WITH_TIMEOUT(rig.session().activity() == Activity::Closed, 1000);
    QVERIFY(!rig.window->isVisible());
}

void TestConnection::close_duringSurvey_hangsUpAndClosesEveryWindow()
{
    // The connect dialog, its subscriber list and the survey window over it; the module
    // is silent, so the survey's PING waits when the main window is closed.
    Rig &rig = *m_rig;
    QVERIFY(rig.start(Phone, {QStringLiteral("silent on")}));
    // Each press from the event loop, since each opens a window or runs the round there.
    const auto later = [](QPushButton *button) { QTimer::singleShot(0, button, &QPushButton::click); };
    ModalDriver driver;
    driver.on<TFormConnect>([later](TFormConnect *dialog) { later(Button(*dialog, "BitBtn6")); });
    driver.on<TFormAbonents_List>([later](TFormAbonents_List *list) { later(Named<QPushButton>(list, "SurveyButton")); });
    driver.on<TFormSurvey>([later](TFormSurvey *survey) { later(Named<QPushButton>(survey, "SurveyStart")); });
    bool closeReturned = true;
    QElapsedTimer clock;
    OnceWhen close([&] { return rig.sim.received().contains("ATD89005551234\rPING\r"); }, [&] {
        clock.start();
        closeReturned = rig.window->close();
    });
    // A window the close left open is closed by hand after a while, as a user would.
    QTimer::singleShot(20000, [&rig] {
        for (QWidget *window : QApplication::topLevelWidgets()) {
            if (window != rig.window.get() && window->isVisible())
                window->close();
        }
    });
    Action(*rig.window, "Nconn")->trigger();
    QCOMPARE(driver.done(), 3);
    QVERIFY(close.done());
    QVERIFY(!closeReturned);
    QTRY_VERIFY_WITH_TIMEOUT(rig.session().activity() == Activity::Closed, 10000);
    // The silent module's PING would wait for many seconds more; the close cut it short.
    QVERIFY2(clock.elapsed() < 10000, qPrintable(QString::number(clock.elapsed())));
    // The survey's call was hung up before everything closed.
    const QByteArray wire = rig.sim.received();
    QVERIFY2(wire.endsWith("+++ath\r"), wire.right(40).constData());
    QCOMPARE(rig.linkLeftovers(), QStringList());
    QStringList open;
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (window->isVisible())
            open << window->metaObject()->className();
    }
    QCOMPARE(open, QStringList());
}

int main(int argc, char *argv[])
{
    TavrinApplication app(argc, argv);
    TestConnection test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_connection.moc"
