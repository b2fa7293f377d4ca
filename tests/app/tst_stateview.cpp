// The state view in the real window against the simulated module, with the real
// pauses: the values and colours of both modes, Esc and Ctrl+Z, the pair buttons with
// their confirmation, address dialog and wait window, and a close in the middle.
#include "apptest.h"

#include "app/tavrinapplication.h"
#include "dialogs/forminputadr.h"
#include "dialogs/formwait.h"
#include "dialogs/panelstatusbar.h"

#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QScreen>
#include <QLineEdit>
#include <QMessageBox>
#include <QSet>
#include <QSignalSpy>
#include <QTest>

using namespace tavrin;
using namespace tavrin::test;

namespace {

// A window linked directly to a simulated module.
struct StateWindow : SimLinkedWindow {
    // The module on COM4 in the state named first, after the further control lines.
    bool open(const QStringList &controls)
    {
        DevSimOptions options{.port = 4, .extraArgs = {"--control", "state " + controls.first()}};
        for (const QString &line : controls.mid(1))
            options.extraArgs << QStringLiteral("--control") << line;
        const ConnectionParameters direct{.bitRate = 115200, .exchangeAttempts = 1, .replyWaitSeconds = 1, .byteWaitMs = 500};
        return SimLinkedWindow::open(options, direct, {0x12, 0x34, 0x56, 0x78, 0x9A, 0x00}) && Activate(window.get());
    }

    // "Настройки" → "Сoстояние": the state view after a whole reading.
    void readState()
    {
        sim.clearLog();
        Action(*window, "Nstate")->trigger();
    }

    QString value(int index) const
    {
        return Named<QLabel>(window.get(), qPrintable(QStringLiteral("ls%1").arg(index)))->text();
    }
    QStringList values() const
    {
        QStringList all;
        for (int i = 0; i < 6; ++i)
            all << value(i);
        return all;
    }
    bool enabled(const char *button) const { return Button(*window, button)->isEnabled(); }
};

// The wait window the main window has open, if any.
TFormWait *WaitWindow(const TFormMain &window)
{
    return window.findChild<TFormWait *>();
}

// With TAVRIN_SCREENS_DIR set, saves the whole screen there, the window manager's title
// bars included (run under Xvfb with a window manager to see them).
void SaveWholeScreen(const QString &name)
{
    const QString dir = qEnvironmentVariable("TAVRIN_SCREENS_DIR");
    if (dir.isEmpty() || !QGuiApplication::primaryScreen())
        return;
    QTest::qWait(200);
    QDir().mkpath(dir);
    QGuiApplication::primaryScreen()->grabWindow(0).save(QDir(dir).filePath(name));
}

QString WaitLines(const TFormWait *wait)
{
    return Named<QLabel>(wait, "Label2")->text() + '|' + Named<QLabel>(wait, "Label3")->text();
}

} // namespace

class TestStateView : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QuietPlatformNotes(); }
    void reading_showsValuesModeAndButtons_data();
    void reading_showsValuesModeAndButtons();
    void failedReading_leavesTheView();
    void keyboardOnly_menuOpensTheView_enterPressesItsButtons();
    void escape_readsAgain_ctrlZ_showsTheReadingsLog();
    void createPair_confirmationTitledQuestionMark();
    void createPair_typedAddressUnderTheWaitWindow();
    void createPair_nullAddressRefusedAndNothingSent();
    void breakPair_fromItsButton();
    void closeInTheAddressDialog_sendsNothingMoreAndCloses();
};

void TestStateView::reading_showsValuesModeAndButtons_data()
{
    QTest::addColumn<QString>("state");
    QTest::addColumn<QStringList>("values");
    QTest::addColumn<QColor>("modeColour");
    QTest::addColumn<bool>("createPair");
    QTest::addColumn<bool>("breakPair");
    QTest::addColumn<QString>("screen");
    QTest::newRow("paired, peripheral away")
        << "paired"
        << QStringList{"Эксплуатационный", "Нет", "Есть", "0A:1B:2C:3D:4E:5F", "00:1A:7D:DA:71:13", "1.07"}
        << QColor(0, 128, 0) << false << true << "state-operational.png";
    QTest::newRow("peripheral waiting")
        << "waiting"
        << QStringList{"Пусконаладочный", "Есть", "Нет", "0A:1B:2C:3D:4E:5F", "00:1A:7D:DA:71:13", "1.07"}
        << QColor(128, 0, 0) << true << false << "state-commissioning.png";
}

void TestStateView::reading_showsValuesModeAndButtons()
{
    QFETCH(QString, state);
    QFETCH(QStringList, values);
    QFETCH(QColor, modeColour);
    QFETCH(bool, createPair);
    QFETCH(bool, breakPair);
    QFETCH(QString, screen);
    StateWindow linked;
    QVERIFY(linked.open({state}));
    linked.readState();
    TFormMain &window = *linked.window;
    QVERIFY(IsShown(window, "gb_state"));
    QCOMPARE(Named<QGroupBox>(&window, "gb_state")->pos(), QPoint(14, 18));
    QVERIFY(!IsShown(window, "gb_obmen"));
    QCOMPARE(linked.values(), values);
    QCOMPARE(Named<QLabel>(&window, "ls0")->palette().color(QPalette::WindowText), modeColour);
    QCOMPARE(linked.enabled("BitBtn4"), createPair);
    QCOMPARE(linked.enabled("BitBtn1"), breakPair);
    QVERIFY(!WaitWindow(window));
    QVERIFY(!QApplication::overrideCursor());
    QCOMPARE(Named<PanelStatusBar>(&window, "StatusBar1")->panelText(StatusPanel::Operation), QString());
    QVERIFY(!Action(window, "Nconn")->isEnabled());
    SaveScreen(&window, screen);
    SaveWholeScreen(QStringLiteral("screen-") + screen);
}

void TestStateView::failedReading_leavesTheView()
{
    StateWindow linked;
    QVERIFY(linked.open({"paired", R"(once DEVADDR {"DEVADDR":"OK","Val":"00:1A"})"}));
    MessageLog messages;
    messages.attach(*linked.window);
    linked.readState();
    QCOMPARE(messages.messages, QStringList{"Неопределенный ответ на команду \"DEVADDR\""});
    QCOMPARE(linked.sim.received(), QByteArray("PING\rPEERADDR\rDEVADDR\r"));
    for (const char *view : {"gb_state", "gb_obmen", "gb_command"})
        QVERIFY2(!IsShown(*linked.window, view), view);
    QVERIFY(Action(*linked.window, "Nconn")->isEnabled());
    QVERIFY(!WaitWindow(*linked.window));
}

// Alt, Right, Down opens "Настройки" on "Сoстояние"; Enter reads the state. In the view
// Enter presses the focused button.
void TestStateView::keyboardOnly_menuOpensTheView_enterPressesItsButtons()
{
    StateWindow linked;
    QVERIFY(linked.open({"paired"}));
    TFormMain &window = *linked.window;
    PressLoneAlt();
    PressKey(Qt::Key_Right);
    PressKey(Qt::Key_Down);
    QTRY_VERIFY(QApplication::activePopupWidget());
    linked.sim.clearLog();
    PressKey(Qt::Key_Return);
    QTRY_VERIFY(IsShown(window, "gb_state"));
    QCOMPARE(linked.sim.received(), QByteArray("PING\rPEERADDR\rDEVADDR\rVER\r"));
    QCOMPARE(linked.value(0), QStringLiteral("Эксплуатационный"));

    QTRY_VERIFY(window.isActiveWindow());
    Button(window, "BitBtn2")->setFocus(Qt::TabFocusReason); // "Обновить"
    linked.sim.clearLog();
    PressKey(Qt::Key_Return);
    QCOMPARE(linked.sim.received(), QByteArray("PING\rPEERADDR\rDEVADDR\rVER\r"));
    QTRY_VERIFY(window.isActiveWindow());
    Button(window, "BitBtn5")->setFocus(Qt::TabFocusReason); // "Выход"
    PressKey(Qt::Key_Return);
    QVERIFY(!IsShown(window, "gb_state"));
    QVERIFY(Action(window, "Nconn")->isEnabled());
}

void TestStateView::escape_readsAgain_ctrlZ_showsTheReadingsLog()
{
    StateWindow linked;
    QVERIFY(linked.open({"paired"}));
    linked.readState();
    TFormMain &window = *linked.window;
    QCOMPARE(linked.value(0), QStringLiteral("Эксплуатационный"));

    // The peripheral comes back unpaired; Esc reads the module again.
    linked.sim.command(QStringLiteral("state waiting"));
    linked.sim.clearLog();
    QVERIFY(Activate(&window));
    QTest::keyClick(&window, Qt::Key_Escape);
    QCOMPARE(linked.sim.received(), QByteArray("PING\rDEVADDR\rVER\r"));
    QCOMPARE(linked.value(0), QStringLiteral("Пусконаладочный"));
    QVERIFY(linked.enabled("BitBtn4"));
    QTRY_VERIFY(window.isActiveWindow()); // the keyboard is back from the wait window

    // Ctrl+Z shows the exchange log of the readings beside the view and hides it again.
    PressCtrlZ(&window);
    QVERIFY(IsShown(window, "gb_obmen"));
    QVERIFY((*Named<ExchangeLogView>(&window, "Memo1")).lineCount() > 0);
    SaveScreen(&window, QStringLiteral("state-with-log.png"));
    PressCtrlZ(&window);
    QVERIFY(!IsShown(window, "gb_obmen"));
}

void TestStateView::createPair_confirmationTitledQuestionMark()
{
    StateWindow linked;
    QVERIFY(linked.open({"waiting"}));
    linked.readState();
    TFormMain &window = *linked.window;
    QString title, text, waitLines, done;
    bool stateHidden = false;
    ModalDriver driver;
    driver.on<QMessageBox>([&](QMessageBox *box) {
        title = box->windowTitle();
        text = box->text();
        stateHidden = !IsShown(window, "gb_state");
        if (TFormWait *wait = WaitWindow(window)) {
            waitLines = WaitLines(wait);
            SaveScreen(wait, QStringLiteral("wait-pair-creation.png"));
        }
        SaveScreen(box, QStringLiteral("pair-confirmation.png"));
        SaveWholeScreen(QStringLiteral("screen-pair-confirmation.png"));
        box->button(QMessageBox::Yes)->click();
    });
    driver.on<QMessageBox>([&](QMessageBox *box) {
        done = box->text();
        box->button(QMessageBox::Ok)->click();
    });
    // What the wait window names while the exchanges run, the closing reading's included.
    QSet<QString> namedDuringReading;
    QTimer watch;
    connect(&watch, &QTimer::timeout, [&] {
        const TFormWait *wait = WaitWindow(window);
        const QString status = Named<PanelStatusBar>(&window, "StatusBar1")->panelText(StatusPanel::Operation);
        if (wait && status == QStringLiteral(" Выполняеся чтение состояния устройства"))
            namedDuringReading << WaitLines(wait);
    });
    watch.start(1);
    linked.sim.clearLog();
    QTest::mouseClick(Button(window, "BitBtn4"), Qt::LeftButton);
    watch.stop();
    QCOMPARE(namedDuringReading, QSet<QString>{"Выполняется операция|создания пары с периферийным устройством"});
    QCOMPARE(driver.done(), 2);
    QCOMPARE(title, QStringLiteral("?"));
    QCOMPARE(text, QStringLiteral("Создать пару с периферийным устройством\n(MAC 0A:1B:2C:3D:4E:5F) ?"));
    QVERIFY(stateHidden);
    QCOMPARE(waitLines, QStringLiteral("Выполняется операция|создания пары с периферийным устройством"));
    QCOMPARE(done, QStringLiteral("Операция создания пары\nвыполнена успешно"));
    QCOMPARE(linked.sim.received(), QByteArray("PING\rKEEP\rPEERADDR\rPING\rPEERADDR\rDEVADDR\rVER\r"));
    QCOMPARE(linked.value(0), QStringLiteral("Эксплуатационный"));
    QVERIFY(linked.enabled("BitBtn1"));
    QVERIFY(!linked.enabled("BitBtn4"));
    QVERIFY(!WaitWindow(window));
}

void TestStateView::createPair_typedAddressUnderTheWaitWindow()
{
    StateWindow linked;
    QVERIFY(linked.open({"waiting"}));
    linked.readState();
    TFormMain &window = *linked.window;
    // The peripheral goes away before "Создание пары" is pressed: the address is asked.
    linked.sim.command(QStringLiteral("state none"));
    MessageLog messages;
    messages.attach(window);
    bool waitShown = false;
    ModalDriver driver;
    driver.on<TFormInput_Adr>([&](TFormInput_Adr *dialog) {
        waitShown = WaitWindow(window) && WaitWindow(window)->isVisible();
        auto *lastByte = Named<QLineEdit>(dialog, "a5");
        lastByte->setFocus();
        lastByte->selectAll();
        QTest::keyClicks(lastByte, QStringLiteral("bc"));
        SaveScreen(dialog, QStringLiteral("address-dialog.png"));
        SaveWholeScreen(QStringLiteral("screen-address-dialog.png"));
        QTest::mouseClick(Named<QPushButton>(dialog, "BitBtn1"), Qt::LeftButton); // "Принять"
    });
    linked.sim.clearLog();
    QTest::mouseClick(Button(window, "BitBtn4"), Qt::LeftButton);
    QCOMPARE(driver.done(), 1);
    QVERIFY(waitShown);
    QCOMPARE(linked.sim.received(),
             QByteArray("PING\rPEERADDR(12:34:56:78:9A:BC)\rRESET\rPEERADDR\rPING\rPEERADDR\rDEVADDR\rVER\r"));
    QCOMPARE(messages.messages, QStringList{"Операция создания пары\rвыполнена успешно"});
    QCOMPARE(window.session().store().CurrentSettings.storedPeerAddress, (MacAddress{0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC}));
    QCOMPARE(linked.values().mid(0, 4), (QStringList{"Эксплуатационный", "Нет", "Есть", "12:34:56:78:9A:BC"}));
}

void TestStateView::createPair_nullAddressRefusedAndNothingSent()
{
    StateWindow linked;
    QVERIFY(linked.open({"waiting"}));
    linked.readState();
    TFormMain &window = *linked.window;
    MacAddress &stored = window.session().store().CurrentSettings.storedPeerAddress;
    stored = MacAddress{}; // nothing stored yet: the dialog offers 00:00:00:00:00:00
    linked.sim.command(QStringLiteral("state none"));
    MessageLog messages;
    messages.attach(window);
    bool stayedOpen = false;
    ModalDriver driver;
    driver.on<TFormInput_Adr>([&](TFormInput_Adr *dialog) {
        QTest::mouseClick(Named<QPushButton>(dialog, "BitBtn1"), Qt::LeftButton); // "Принять"
        stayedOpen = dialog->isVisible();
        QTest::mouseClick(Named<QPushButton>(dialog, "BitBtn2"), Qt::LeftButton); // "Отменить"
    });
    linked.sim.clearLog();
    QTest::mouseClick(Button(window, "BitBtn4"), Qt::LeftButton);
    QCOMPARE(driver.done(), 1);
    QVERIFY(stayedOpen);
    QCOMPARE(messages.messages,
             QStringList{"Адрес 00:00:00:00:00:00 не может быть адресом периферийного устройства.\r"
                         "Введите адрес устройства"});
    // No pair written, no restart, and no success told: only the closing reading.
    QCOMPARE(linked.sim.received(), QByteArray("PING\rPING\rPEERADDR\rDEVADDR\rVER\r"));
    QCOMPARE(stored, MacAddress{});
    QCOMPARE(linked.value(0), QStringLiteral("Пусконаладочный"));
}

void TestStateView::breakPair_fromItsButton()
{
    StateWindow linked;
    QVERIFY(linked.open({"paired"}));
    linked.readState();
    MessageLog messages;
    messages.attach(*linked.window);
    linked.sim.clearLog();
    QTest::mouseClick(Button(*linked.window, "BitBtn1"), Qt::LeftButton);
    QCOMPARE(messages.messages, QStringList{"Операция разрыва пары выполнена"});
    QCOMPARE(linked.sim.received(), QByteArray("PEERADDR\rKILL\rPING\rPEERADDR\rDEVADDR\rVER\r"));
    QCOMPARE(linked.value(0), QStringLiteral("Пусконаладочный"));
    QCOMPARE(linked.value(3), QStringLiteral("--"));
    QVERIFY(!linked.enabled("BitBtn1"));
}

void TestStateView::closeInTheAddressDialog_sendsNothingMoreAndCloses()
{
    StateWindow linked;
    QVERIFY(linked.open({"none"}));
    linked.readState();
    TFormMain &window = *linked.window;
    QSignalSpy closed(&window, &TFormMain::closed);
    // The button is enabled only for a waiting peripheral; pressed as if it still were.
    Button(window, "BitBtn4")->setEnabled(true);
    ModalDriver driver;
    driver.on<TFormInput_Adr>([&](TFormInput_Adr *) { window.close(); });
    linked.sim.clearLog();
    QTest::mouseClick(Button(window, "BitBtn4"), Qt::LeftButton);
    QCOMPARE(driver.done(), 1);
    QTRY_COMPARE(closed.count(), 1);
    QCOMPARE(linked.sim.received(), QByteArray("PING\r"));
    QVERIFY(!window.isVisible());
    QVERIFY(!WaitWindow(window));
}

int main(int argc, char *argv[])
{
    TavrinApplication app(argc, argv);
    TestStateView test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_stateview.moc"
