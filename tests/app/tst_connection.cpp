// The connection flow against the device simulator: the connect dialog at start, a
// direct link, a phone call that succeeds or fails, dropping the link, and closing the
// window while an exchange or a dial is running.
#include "apptest.h"

#include "app/tavrinapplication.h"
#include "dialogs/formconnect.h"
#include "dialogs/panelstatusbar.h"
#include "link/serialport.h"
#include "support/devsim.h"

#include <QAction>
#include <QDir>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTest>

using namespace tavrin;
using namespace tavrin::test;

namespace {

constexpr int kDirectPort = 2;
constexpr int kPhonePort = 4;
const QString kNumber = QStringLiteral("8 (900) 555-12-34");

// Settings as if read from the files: the live record equals the saved one.
void UseDirect(TFormMain &window, int port)
{
    Settings &s = window.Store.CurrentSettings;
    s.Conn_Prz = Direct;
    s.direct.COMPort = quint8(port);
    s.direct.Rate = 19200;
    s.direct.WaitTime = 4;
    s.direct.TimeOut = 150;
    s.direct.Repeat = 3;
    s.direct.First_Zero_Need = true;
    window.Store.SavedSettings = s;
}

void UsePhone(TFormMain &window, int port, int abonents = 1)
{
    Settings &s = window.Store.CurrentSettings;
    s.Conn_Prz = Phone;
    s.phone.COMPort = quint8(port);
    s.phone.Rate = 9600;
    s.phone.WaitTime = 3;
    s.phone.TimeOut = 200;
    s.phone.Repeat = 1;
    s.Command = QStringLiteral("AT&F");
    s.ConnectWaitTime = 5;
    s.Conn_Repeat = 1;
    s.directory.users_num = quint8(abonents);
    s.directory.user_index = 0;
    s.directory.entries[0].user_name = QStringLiteral("Подстанция");
    s.directory.entries[0].phone_code = kNumber;
    window.Store.SavedSettings = s;
}

DevSimOptions ModemAt(int port)
{
    DevSimOptions options;
    options.port = port;
    options.modem = true;
    options.extraArgs = FastModemArgs();
    return options;
}

DevSimOptions ModuleAt(int port)
{
    DevSimOptions options;
    options.port = port;
    return options;
}

void Click(QPushButton *button)
{
    QVERIFY(button);
    button->click();
}

} // namespace

class TestConnection : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QuietPlatformNotes(); } // after QTest's own handler
    void init() { m_fixture = std::make_unique<AppFixture>(); }
    void cleanup() { m_fixture.reset(); }

    void start_connectDialogOpensByItself_cancelLeavesNoLink();
    void accept_directWithoutChanges_armsChannelWritesNoFile();
    void absentPort_namesItsNumberAndNothingElse();
    void phoneKindWithoutSubscriber_isRefused();
    void phoneDial_success_showsCallPanelAndCountsDuration();
    void phoneDial_failure_asksAgainThenGivesUpWithoutHangUp();
    void connectionParameters_whileLinked_hangsUpBeforeDialog();
    void disconnectButton_hangsUpAndLeavesView();
    void reopenedLink_firstExchangeIsNotAborted();
    void secondConnectDuringDial_doesNothing();
    void clickDuringHangUp_doesNothing_data();
    void clickDuringHangUp_doesNothing();
    void close_midExchange_abortsThenClosesFully();
    void close_midDial_endsDialThenClosesFully();
    void close_duringCall_hangsUpBeforeWritingSettings();
    void close_whileConnectDialogOpen_closesDialogThenWindow();
    void close_duringHangUp_letsHangUpFinish();

private:
    std::unique_ptr<AppFixture> m_fixture;
};

void TestConnection::start_connectDialogOpensByItself_cancelLeavesNoLink()
{
    auto window = m_fixture->window(false);
    QElapsedTimer shown;
    shown.start();
    qint64 openedAfter = -1;
    ModalDriver driver;
    driver.on<TFormConnect>([&](TFormConnect *dialog) {
        openedAfter = shown.elapsed();
        Click(Named<QPushButton>(dialog, "BitBtn2")); // "Выход"
    });
    QTRY_COMPARE_WITH_TIMEOUT(driver.done(), 1, 3000);
    QVERIFY2(openedAfter >= 450 && openedAfter < 2500, qPrintable(QString::number(openedAfter)));
    QVERIFY(!window->TimerStart->isActive());

    QVERIFY(!window->Link.LinkOpen);
    QVERIFY(!window->Nnastr->menuAction()->isVisible());
    QVERIFY(window->Nconn->isVisible() && window->Nconn->isEnabled());
    QVERIFY(window->Nexit->isVisible() && window->Nexit->isEnabled());
    QCOMPARE(QDir(QDir(m_fixture->programDir()).filePath("INI")).entryList(QDir::Files), QStringList());
}

void TestConnection::accept_directWithoutChanges_armsChannelWritesNoFile()
{
    DevSim sim(m_fixture->comDir());
    QVERIFY2(sim.start(ModuleAt(kDirectPort)), qPrintable(sim.errorString()));
    auto window = m_fixture->window();
    UseDirect(*window, kDirectPort);
    window->Channel.abortRequested = true; // left over from an earlier link
    MessageLog messages;
    messages.attach(*window);

    ModalDriver driver;
    driver.on<TFormConnect>([](TFormConnect *dialog) { Click(Named<QPushButton>(dialog, "BitBtn1")); }); // "Принять"
    window->NconnClick();
    QCOMPARE(driver.done(), 1);
    QCOMPARE(messages.messages, QStringList());

    QVERIFY(window->Link.LinkOpen);
    QVERIFY(!window->Link.ModemConnected);
    QVERIFY(window->PortHandle);
    const ExchangeChannel &channel = window->Channel;
    QCOMPARE(channel.port, window->PortHandle.get());
    QCOMPARE(channel.baudRate, 19200);
    QCOMPARE(channel.firstByteWaitMs, 4000);
    QCOMPARE(channel.interByteWaitMs, 150);
    QCOMPARE(int(channel.attempts), 3);
    QCOMPARE(channel.wakeUpByte, true);
    QCOMPARE(channel.abortRequested, false);
    QVERIFY(window->Nnastr->menuAction()->isVisible());
    QVERIFY(!window->pnmodem->isVisible());
    QCOMPARE(window->StatusBar1->panelText(0), QStringLiteral(" COM2,   19200 бит/с"));
    QCOMPARE(window->StatusBar1->panelText(1), QStringLiteral(" Непосредственная связь"));
    QVERIFY(!QFile::exists(m_fixture->iniPath("bluetooth.ini")));
    QVERIFY(!QFile::exists(m_fixture->iniPath("abonents.ini")));
}

void TestConnection::absentPort_namesItsNumberAndNothingElse()
{
    auto window = m_fixture->window();
    UseDirect(*window, 9);
    MessageLog messages;
    messages.attach(*window);
    ModalDriver driver;
    driver.on<TFormConnect>([](TFormConnect *dialog) { Click(Named<QPushButton>(dialog, "BitBtn1")); });
    window->NconnClick();
    QCOMPARE(messages.messages, QStringList{QStringLiteral("Коммуникационный порт \u0421\u041e\u041c9 недоступен")});
    QCOMPARE(messages.questions, QStringList());
    QVERIFY(!window->Link.LinkOpen);
    QVERIFY(!window->PortHandle);
    QVERIFY(!window->Nnastr->menuAction()->isVisible());
}

void TestConnection::phoneKindWithoutSubscriber_isRefused()
{
    auto window = m_fixture->window();
    UsePhone(*window, kPhonePort, 0);
    MessageLog messages;
    messages.attach(*window);
    ModalDriver driver;
    bool stillOpen = false;
    driver.on<TFormConnect>([&](TFormConnect *dialog) {
        Click(Named<QPushButton>(dialog, "BitBtn1"));
        stillOpen = dialog->isVisible();
        Click(Named<QPushButton>(dialog, "BitBtn2"));
    });
    window->NconnClick();
    QCOMPARE(messages.messages, QStringList{QStringLiteral("Введены не все параметры")});
    QVERIFY(stillOpen);
    QVERIFY(!window->Link.LinkOpen);
    QVERIFY(!window->Nnastr->menuAction()->isVisible());
}

void TestConnection::phoneDial_success_showsCallPanelAndCountsDuration()
{
    DevSim sim(m_fixture->comDir());
    QVERIFY2(sim.start(ModemAt(kPhonePort)), qPrintable(sim.errorString()));
    auto window = m_fixture->window();
    UsePhone(*window, kPhonePort);
    ShowConnectionStatus(window->Store.CurrentSettings, window->StatusBar1); // as the dialog leaves it
    MessageLog messages;
    messages.attach(*window);

    QVERIFY(window->OpenConnection());
    QVERIFY(window->Link.LinkOpen);
    QVERIFY(window->Link.ModemConnected);
    QVERIFY(window->pnmodem->isVisible());
    QCOMPARE(window->pntime->text(), QStringLiteral("00:00:00"));
    QVERIFY(window->TimerMoney->isActive());
    QCOMPARE(window->StatusBar1->panelText(2), QString()); // the dialling progress is gone
    QVERIFY(sim.received().contains("ATD89005551234\r"));
    QCOMPARE(window->Channel.port, window->PortHandle.get());
    QCOMPARE(window->Channel.baudRate, 9600);
    QCOMPARE(window->Channel.firstByteWaitMs, 3000);
    QCOMPARE(messages.questions, QStringList());

    QTRY_COMPARE_WITH_TIMEOUT(window->pntime->text(), QStringLiteral("00:00:01"), 2500);
    SaveScreen(window.get(), QStringLiteral("call-panel.png"));
}

void TestConnection::phoneDial_failure_asksAgainThenGivesUpWithoutHangUp()
{
    DevSim sim(m_fixture->comDir());
    QVERIFY2(sim.start(ModemAt(kPhonePort)), qPrintable(sim.errorString()));
    QVERIFY(sim.command("dial busy"));
    auto window = m_fixture->window();
    UsePhone(*window, kPhonePort);
    MessageLog messages;
    messages.answers = {true, false}; // one more try, then give up
    messages.attach(*window);

    QVERIFY(!window->OpenConnection());
    const QString question = QStringLiteral("Номер абонента занят\rПовторить попытку соединения?");
    QCOMPARE(messages.questions, QStringList({question, question}));
    QCOMPARE(messages.messages, QStringList{QStringLiteral("Связь по телефону не установлена")});
    QVERIFY(!window->Link.LinkOpen);
    QVERIFY(!window->Link.ModemConnected);
    QVERIFY(!window->PortHandle);
    QVERIFY(!window->pnmodem->isVisible());
    QVERIFY(!window->TimerMoney->isActive());

    const QByteArray wire = sim.received();
    QCOMPARE(wire.count("ATD89005551234\r"), 2);
    // No call was made, so nothing is hung up.
    const QByteArray afterLastDial = wire.mid(wire.lastIndexOf("ATD"));
    QVERIFY2(!afterLastDial.contains("+++") && !afterLastDial.contains("ath"), afterLastDial.constData());
}

void TestConnection::connectionParameters_whileLinked_hangsUpBeforeDialog()
{
    DevSim sim(m_fixture->comDir());
    QVERIFY2(sim.start(ModemAt(kPhonePort)), qPrintable(sim.errorString()));
    auto window = m_fixture->window();
    UsePhone(*window, kPhonePort);
    MessageLog messages;
    messages.attach(*window);
    QVERIFY(window->OpenConnection());
    window->Nnastr->menuAction()->setVisible(true);
    sim.clearLog();

    QByteArray wireWhenDialogOpened;
    bool linkOpenWhenDialogOpened = true;
    bool callPanelWhenDialogOpened = true;
    ModalDriver driver;
    driver.on<TFormConnect>([&](TFormConnect *dialog) {
        wireWhenDialogOpened = sim.received();
        linkOpenWhenDialogOpened = window->Link.LinkOpen;
        callPanelWhenDialogOpened = window->pnmodem->isVisible();
        Click(Named<QPushButton>(dialog, "BitBtn2"));
    });
    window->Nconn->trigger();
    QCOMPARE(driver.done(), 1);
    QVERIFY2(wireWhenDialogOpened.contains("+++") && wireWhenDialogOpened.endsWith("ath\r"),
             wireWhenDialogOpened.constData());
    QVERIFY(!wireWhenDialogOpened.contains("\rath\r+++")); // escape at once: no plain hang-up first
    QVERIFY(!linkOpenWhenDialogOpened);
    QVERIFY(!callPanelWhenDialogOpened);
    QVERIFY(!window->PortHandle);
    QVERIFY(!window->TimerMoney->isActive());
    QVERIFY(!window->Nnastr->menuAction()->isVisible());
}

void TestConnection::disconnectButton_hangsUpAndLeavesView()
{
    DevSim sim(m_fixture->comDir());
    QVERIFY2(sim.start(ModemAt(kPhonePort)), qPrintable(sim.errorString()));
    auto window = m_fixture->window();
    UsePhone(*window, kPhonePort);
    QVERIFY(window->OpenConnection());
    window->Nnastr->menuAction()->setVisible(true);
    window->NcommandClick();
    sim.clearLog();

    QTest::mouseClick(window->BitBtn3, Qt::LeftButton); // "Отключить связь"
    QVERIFY(sim.received().contains("+++"));
    QVERIFY(!window->Link.LinkOpen);
    QVERIFY(!window->PortHandle);
    QVERIFY(!window->pnmodem->isVisible());
    QCOMPARE(int(window->ViewMode), 0);
    QVERIFY(!window->gb_command->isVisible());
    QVERIFY(window->Nconn->isEnabled());
    QVERIFY(!window->Nnastr->menuAction()->isVisible());
}

void TestConnection::reopenedLink_firstExchangeIsNotAborted()
{
    DevSim sim(m_fixture->comDir());
    QVERIFY2(sim.start(ModuleAt(kDirectPort)), qPrintable(sim.errorString()));
    auto window = m_fixture->window();
    UseDirect(*window, kDirectPort);
    QVERIFY(window->OpenConnection());
    window->CloseConnection(); // raises the abort request of a running exchange
    QVERIFY(window->Channel.abortRequested);
    QVERIFY(window->OpenConnection());
    window->NcommandClick();
    window->btClick(2); // PING
    QCOMPARE(int(window->Channel.result), int(ExchangeOk));
    QCOMPARE(window->StatusBar1->panelText(2), QStringLiteral(" Командный режим"));
}

void TestConnection::secondConnectDuringDial_doesNothing()
{
    DevSim sim(m_fixture->comDir());
    QVERIFY2(sim.start(ModemAt(kPhonePort)), qPrintable(sim.errorString()));
    QVERIFY(sim.command("dial-ms 800"));
    auto window = m_fixture->window();
    UsePhone(*window, kPhonePort);
    MessageLog messages;
    messages.attach(*window);

    int dialogsDuringDial = 0;
    QTimer::singleShot(300, window.get(), [&] {
        ModalDriver inner;
        inner.on<TFormConnect>([&](TFormConnect *dialog) {
            ++dialogsDuringDial;
            Click(Named<QPushButton>(dialog, "BitBtn2"));
        });
        window->Nconn->trigger();
        QTest::qWait(50);
    });
    QVERIFY(window->OpenConnection());
    QCOMPARE(dialogsDuringDial, 0);
    QVERIFY(window->Link.ModemConnected);
    QCOMPARE(messages.messages, QStringList());
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
}

// The hang-up waits for the modem's replies in the event loop, so the menu and the call
// panel's button can be clicked meanwhile; a second teardown must not start inside it.
void TestConnection::clickDuringHangUp_doesNothing()
{
    QFETCH(bool, startWithConnect);
    QFETCH(QString, click);
    DevSim sim(m_fixture->comDir());
    QVERIFY2(sim.start(ModemAt(kPhonePort)), qPrintable(sim.errorString()));
    auto window = m_fixture->window();
    UsePhone(*window, kPhonePort);
    MessageLog messages;
    messages.attach(*window);
    QVERIFY(window->OpenConnection());
    window->Nnastr->menuAction()->setVisible(true);
    if (click == "command")
        window->NcommandClick(); // its buttons stay on screen until the hang-up ends
    sim.clearLog();

    int dialogs = 0;
    ModalDriver driver;
    for (int i = 0; i < 2; ++i) // room for a wrong second dialog, so the test cannot hang
        driver.on<TFormConnect>([&](TFormConnect *dialog) {
            ++dialogs;
            Click(Named<QPushButton>(dialog, "BitBtn2"));
        });
    bool clicked = false;
    QTimer watch;
    connect(&watch, &QTimer::timeout, window.get(), [&] {
        if (!clicked && sim.received().contains("+++")) {
            clicked = true;
            if (click == "connect")
                window->Nconn->trigger();
            else if (click == "disconnect")
                window->BitBtn3->click();
            else
                window->bt[0]->click(); // HELP
        }
    });
    watch.start(5);
    if (startWithConnect)
        window->Nconn->trigger();
    else
        window->BitBtn3->click();
    watch.stop();

    QVERIFY(clicked);
    QCOMPARE(dialogs, startWithConnect ? 1 : 0);
    const QByteArray wire = sim.received();
    QCOMPARE(wire.count("+++"), 1);
    QCOMPARE(wire.count("ath\r"), 1);
    QVERIFY2(!wire.contains("HELP"), wire.constData());
    QVERIFY(!window->Link.LinkOpen);
    QVERIFY(!window->PortHandle);
    QVERIFY(!window->pnmodem->isVisible());
    QVERIFY(!window->Nnastr->menuAction()->isVisible());
    QCOMPARE(messages.messages, QStringList());
}

void TestConnection::close_midExchange_abortsThenClosesFully()
{
    DevSim sim(m_fixture->comDir());
    QVERIFY2(sim.start(ModuleAt(kDirectPort)), qPrintable(sim.errorString()));
    QVERIFY(sim.command("silent on"));
    auto window = m_fixture->window();
    UseDirect(*window, kDirectPort);
    window->Store.CurrentSettings.StoredPeerAddress[5] = 0x5A; // a change to write at close
    MessageLog messages;
    messages.attach(*window);
    QVERIFY(window->OpenConnection());
    window->NcommandClick();

    QElapsedTimer clock;
    clock.start();
    bool closeReturned = true;
    QTimer::singleShot(200, window.get(), [&] {
        QVERIFY(window->Channel.busy);
        closeReturned = window->close();
    });
    window->btClick(2); // waits up to 4 s x 3 attempts for a silent device
    const qint64 exchangeEnded = clock.elapsed();
    QVERIFY(!closeReturned); // the close waited for the exchange
    QCOMPARE(int(window->Channel.result), int(Aborted));
    QVERIFY2(exchangeEnded < 2500, qPrintable(QString::number(exchangeEnded)));

    QTRY_VERIFY_WITH_TIMEOUT(window->closeCompleted(), 2000);
    QVERIFY(!window->isVisible());
    QVERIFY(!window->PortHandle);
    QVERIFY(!window->Link.LinkOpen);
    QVERIFY(!window->cancelRequested());
    QVERIFY(m_fixture->readIni("bluetooth.ini").contains("Adr_5=90"));
    QCOMPARE(messages.messages, QStringList());
}

void TestConnection::close_midDial_endsDialThenClosesFully()
{
    DevSim sim(m_fixture->comDir());
    QVERIFY2(sim.start(ModemAt(kPhonePort)), qPrintable(sim.errorString()));
    QVERIFY(sim.command("dial-ms 4000"));
    auto window = m_fixture->window();
    UsePhone(*window, kPhonePort);
    MessageLog messages;
    messages.attach(*window);

    ModalDriver driver;
    driver.on<TFormConnect>([](TFormConnect *dialog) { Click(Named<QPushButton>(dialog, "BitBtn1")); });
    // The close comes from the event processing of the dial, as a click would.
    QElapsedTimer clock;
    bool closeAsked = false;
    bool closeReturned = true;
    QTimer watch;
    connect(&watch, &QTimer::timeout, window.get(), [&] {
        if (!closeAsked && sim.received().contains("ATD")) {
            closeAsked = true;
            clock.start();
            closeReturned = window->close();
        }
    });
    watch.start(20);
    window->NconnClick();
    watch.stop();
    QVERIFY(closeAsked);
    QVERIFY(!closeReturned);
    QTRY_VERIFY_WITH_TIMEOUT(window->closeCompleted(), 2500);
    QVERIFY2(clock.elapsed() < 2500, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(!window->PortHandle);
    QVERIFY(!window->Link.LinkOpen);
    QVERIFY(!window->Link.ModemConnected);
    QVERIFY(!window->pnmodem->isVisible());
    // Giving up because the window closes asks nothing and reports nothing.
    QCOMPARE(messages.questions, QStringList());
    QCOMPARE(messages.messages, QStringList());
}

void TestConnection::close_duringCall_hangsUpBeforeWritingSettings()
{
    DevSim sim(m_fixture->comDir());
    QVERIFY2(sim.start(ModemAt(kPhonePort)), qPrintable(sim.errorString()));
    auto window = m_fixture->window();
    UsePhone(*window, kPhonePort);
    QVERIFY(window->OpenConnection());
    window->Store.CurrentSettings.StoredPeerAddress[0] = 0x10;
    sim.clearLog();
    QVERIFY(window->close());
    QVERIFY(sim.received().contains("+++"));
    QVERIFY(sim.received().endsWith("ath\r"));
    QVERIFY(m_fixture->readIni("bluetooth.ini").contains("Adr_0=16"));
    QVERIFY(!window->PortHandle);
}

void TestConnection::close_whileConnectDialogOpen_closesDialogThenWindow()
{
    auto window = m_fixture->window();
    UseDirect(*window, kDirectPort);
    ModalDriver driver;
    bool closeReturned = true;
    driver.on<TFormConnect>([&](TFormConnect *) { closeReturned = window->close(); });
    window->NconnClick();
    QCOMPARE(driver.done(), 1);
    QVERIFY(!closeReturned);
    QVERIFY(!window->Link.LinkOpen); // the dialog ended as cancelled
    QTRY_VERIFY_WITH_TIMEOUT(window->closeCompleted(), 1000);
    QVERIFY(!window->isVisible());
}

void TestConnection::close_duringHangUp_letsHangUpFinish()
{
    DevSim sim(m_fixture->comDir());
    QVERIFY2(sim.start(ModemAt(kPhonePort)), qPrintable(sim.errorString()));
    auto window = m_fixture->window();
    UsePhone(*window, kPhonePort);
    QVERIFY(window->OpenConnection());
    sim.clearLog();
    bool closeAsked = false;
    QTimer watch;
    connect(&watch, &QTimer::timeout, window.get(), [&] {
        if (!closeAsked && sim.received().contains("+++")) {
            closeAsked = true;
            window->close();
        }
    });
    watch.start(5);
    QTest::mouseClick(window->BitBtn3, Qt::LeftButton); // "Отключить связь"
    watch.stop();
    QVERIFY(closeAsked);
    QVERIFY2(sim.received().endsWith("+++ath\r"), sim.received().constData());
    QTRY_VERIFY_WITH_TIMEOUT(window->closeCompleted(), 1000);
}

int main(int argc, char *argv[])
{
    TavrinApplication app(argc, argv);
    TestConnection test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_connection.moc"
