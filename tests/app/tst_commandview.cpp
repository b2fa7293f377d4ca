// The command view: what each button puts on the wire, the address fields' key filter,
// paste filter and leave handler, and a whole session against the simulated module.
#include "apptest.h"

#include "app/exchangelogview.h"
#include "app/tavrinapplication.h"
#include "dialogs/panelstatusbar.h"

#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTest>

using namespace tavrin;
using namespace tavrin::test;

namespace {

// A window linked directly to a simulated module on COM3, with the command view open.
struct LinkedWindow : SimLinkedWindow {
    bool open(bool wakeUpByte, const QStringList &simArgs = {})
    {
        const ConnectionParameters direct{
            .First_Zero_Need = wakeUpByte, .Rate = 115200, .Repeat = 1, .WaitTime = 1, .TimeOut = 100};
        if (!SimLinkedWindow::open({.port = 3, .extraArgs = simArgs}, direct, {0x00, 0x11, 0x22, 0xAA, 0xBB, 0xCC}))
            return false;
        Action(*window, "Ncommand")->trigger();
        return true;
    }
};

// A window without a link, active, with the command view open.
struct OfflineView {
    AppFixture fixture;
    std::unique_ptr<TFormMain> window = fixture.window();

    bool open()
    {
        Action(*window, "Ncommand")->trigger();
        return Activate(window.get());
    }
};

// The address field a<index> of the command view.
QLineEdit *AddressField(const TFormMain &window, int index)
{
    return Named<QLineEdit>(&window, qPrintable(QStringLiteral("a%1").arg(index)));
}

// Moves the focus from a field the way a Tab press does, so its leave handler runs.
void Leave(TFormMain &window, QLineEdit *field)
{
    AddressField(window, (field->property("tag").toInt() + 1) % 6)->setFocus(Qt::TabFocusReason);
    QCoreApplication::processEvents();
}

// The button of a command table row, bt1 to bt10.
QPushButton *CommandButton(const TFormMain &window, int row)
{
    return Button(window, qPrintable(QStringLiteral("bt%1").arg(row + 1)));
}

PanelStatusBar *StatusBar(const TFormMain &window)
{
    return Named<PanelStatusBar>(&window, "StatusBar1");
}

// Types text key by key; characters outside Latin-1 arrive as they do from a
// Cyrillic keyboard layout, with their text and no Latin key code.
void Type(QWidget *field, const QString &text)
{
    for (QChar c : text) {
        const int key = c.unicode() < 0x80 ? c.toUpper().unicode() : int(Qt::Key_unknown);
        QTest::sendKeyEvent(QTest::Click, field, Qt::Key(key), QString(c), Qt::NoModifier);
    }
}

} // namespace

class TestCommandView : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QuietPlatformNotes(); }
    void open_placesViewsFillsFieldsDisablesMenu();
    void buttons_captionsTagsAndHints();
    void button_sendsRowBytes_data();
    void button_sendsRowBytes();
    void oneDigitField_isSentAsTwoDigitsButShownAsTyped();
    void typedKeys_data();
    void typedKeys();
    void paste_goesThroughTheSameFilter();
    void leavingField_storesByte_data();
    void leavingField_storesByte();
    void session_everyButton_repliesInLog();
    void enterOnFocusedButton_sendsItsCommand_focusStays();
    void silentDevice_resultTextInPanel2AndViewStays();
    void duringExchangeOnSilentModule_allElseRefused_escapeAborts();
    void savedTrace_headsEveryExchangeCycle();
};

void TestCommandView::open_placesViewsFillsFieldsDisablesMenu()
{
    AppFixture fixture;
    auto window = fixture.window();
    window->session().store().CurrentSettings.StoredPeerAddress = {0x00, 0x0A, 0x7F, 0xAB, 0xF0, 0x05};
    auto *view = Named<QGroupBox>(window.get(), "gb_command");
    view->move(100, 100);
    (*Named<ExchangeLogView>(window.get(), "Memo1")).addLine(QStringLiteral("old"));
    Action(*window, "Ncommand")->trigger();
    QVERIFY(view->isVisible());
    QCOMPARE(view->pos(), QPoint(14, 18));
    auto *log = Named<QGroupBox>(window.get(), "gb_obmen");
    QVERIFY(log->isVisible());
    QCOMPARE(log->pos(), QPoint(435, 18));
    QVERIFY(!IsShown(*window, "gb_state"));
    QStringList fields;
    for (int i = 0; i < 6; ++i)
        fields << AddressField(*window, i)->text();
    QCOMPARE(fields, QStringList({"00", "0A", "7F", "AB", "F0", "05"}));
    QCOMPARE((*Named<ExchangeLogView>(window.get(), "Memo1")).lineCount(), 0);
    QCOMPARE(StatusBar(*window)->panelText(StatusPanel::Operation), QStringLiteral(" Командный режим"));
    QVERIFY(!Action(*window, "Nconn")->isEnabled());
    QVERIFY(!SettingsMenuItem(*window)->isEnabled());
    QVERIFY(!Action(*window, "Nexit")->isEnabled());
}

void TestCommandView::buttons_captionsTagsAndHints()
{
    AppFixture fixture;
    auto window = fixture.window();
    const QStringList captions = {"HELP", "VER", "PING", "RESET", "SLEEP",
                                  "DEVADDR", "PEERADDR", "PEERADDR(", "KEEP", "KILL"};
    for (int row = 0; row < 10; ++row) {
        QCOMPARE(CommandButton(*window, row)->text(), captions[row]);
        auto *hint = Named<QLabel>(window.get(), qPrintable(QStringLiteral("pv%1").arg(row + 1)));
        QCOMPARE(hint->text(), QStringLiteral("?"));
        QVERIFY(!hint->toolTip().isEmpty());
    }
    QCOMPARE(Named<QLabel>(window.get(), "pv1")->toolTip(), QStringLiteral("Получить перечень команд"));
    QCOMPARE(Named<QLabel>(window.get(), "pv10")->toolTip(), QStringLiteral("Разорвать пару с периферийным устройством"));
    // The fields sit in one line beside the button of the addressed command.
    Action(*window, "Ncommand")->trigger();
    const auto inView = [&window](QWidget *control) {
        return QRect(control->mapTo(Named<QWidget>(window.get(), "gb_command"), QPoint(0, 0)), control->size());
    };
    const QRect addressedButton = inView(CommandButton(*window, 7));
    for (int i = 0; i < 6; ++i) {
        const QRect field = inView(AddressField(*window, i));
        QVERIFY(qAbs(field.center().y() - addressedButton.center().y()) <= 1);
        QVERIFY(field.x() > addressedButton.right());
    }
}

void TestCommandView::button_sendsRowBytes_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<bool>("wakeUp");
    QTest::addColumn<QByteArray>("wire");
    QTest::newRow("HELP") << 0 << false << QByteArray("HELP\r");
    QTest::newRow("HELP, wake-up byte") << 0 << true << QByteArray("\x00HELP\r", 6);
    QTest::newRow("VER") << 1 << false << QByteArray("\x56\x45\x52\x0D");
    QTest::newRow("PING") << 2 << false << QByteArray("PING\r");
    QTest::newRow("RESET") << 3 << false << QByteArray("RESET\r");
    QTest::newRow("SLEEP") << 4 << false << QByteArray("SLEEP\r");
    QTest::newRow("DEVADDR") << 5 << false << QByteArray("DEVADDR\r");
    QTest::newRow("PEERADDR") << 6 << false << QByteArray("PEERADDR\r");
    QTest::newRow("PEERADDR(address)") << 7 << false << QByteArray("PEERADDR(00:11:22:AA:BB:CC)\r");
    QTest::newRow("PEERADDR(address), wake-up byte")
        << 7 << true << QByteArray("\x00PEERADDR(00:11:22:AA:BB:CC)\r", 29);
    QTest::newRow("KEEP") << 8 << false << QByteArray("KEEP\r");
    QTest::newRow("KILL") << 9 << false << QByteArray("KILL\r");
}

void TestCommandView::button_sendsRowBytes()
{
    QFETCH(int, row);
    QFETCH(bool, wakeUp);
    QFETCH(QByteArray, wire);
    LinkedWindow linked;
    QVERIFY(linked.open(wakeUp));
    linked.sim.clearLog();
    QTest::mouseClick(CommandButton(*linked.window, row), Qt::LeftButton);
    QCOMPARE(linked.window->session().fields().CurrentRow, row);
    QCOMPARE(linked.sim.received(), wire);
}

void TestCommandView::oneDigitField_isSentAsTwoDigitsButShownAsTyped()
{
    LinkedWindow linked;
    QVERIFY(linked.open(false));
    TFormMain &window = *linked.window;
    QVERIFY(Activate(&window));
    QLineEdit *field = AddressField(window, 3);
    field->setFocus(Qt::MouseFocusReason);
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Backspace);
    Type(field, QStringLiteral("5"));
    linked.sim.clearLog();
    // The click takes the focus from the field, which stores its byte first.
    QTest::mouseClick(CommandButton(window, 7), Qt::LeftButton);
    QCOMPARE(linked.sim.received(), QByteArray("PEERADDR(00:11:22:05:BB:CC)\r"));
    QCOMPARE(field->text(), QStringLiteral("5"));
    QCOMPARE(window.session().store().CurrentSettings.StoredPeerAddress[3], quint8(0x05));
}

void TestCommandView::typedKeys_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::newRow("lower-case a") << "a" << "A";
    QTest::newRow("lower-case f, digit") << "f0" << "F0";
    QTest::newRow("upper-case hex") << "BC" << "BC";
    QTest::newRow("g") << "g" << "";
    QTest::newRow("blank") << " " << "";
    QTest::newRow("punctuation") << ".:-," << "";
    QTest::newRow("Cyrillic") << "аб" << "";
    QTest::newRow("mixed") << "x1!e" << "1E";
    QTest::newRow("beyond two characters") << "abc" << "AB";
}

void TestCommandView::typedKeys()
{
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    OfflineView view;
    QVERIFY(view.open());
    QLineEdit *field = AddressField(*view.window, 2);
    field->setFocus();
    field->clear();
    Type(field, typed);
    QCOMPARE(field->text(), shown);

    // Backspace and cursor keys work as in any field.
    field->setText(QStringLiteral("7F"));
    field->setCursorPosition(2);
    QTest::keyClick(field, Qt::Key_Left);
    QTest::keyClick(field, Qt::Key_Backspace);
    QCOMPARE(field->text(), QStringLiteral("F"));
}

void TestCommandView::paste_goesThroughTheSameFilter()
{
    OfflineView view;
    QVERIFY(view.open());
    QLineEdit *field = AddressField(*view.window, 1);
    field->setFocus();
    field->clear();
    QApplication::clipboard()->setText(QStringLiteral("g1:f"));
    QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(field->text(), QStringLiteral("1F")); // as if typed key by key

    // Text that reaches the field another way (the context menu, a drop) passes the
    // validator, which holds the field to hexadecimal digits.
    field->clear();
    field->insert(QStringLiteral("z7"));
    QCOMPARE(field->text(), QStringLiteral("7"));
    field->clear();
    field->insert(QStringLiteral("<b>"));
    QCOMPARE(field->text(), QStringLiteral("B"));
}

void TestCommandView::leavingField_storesByte_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shownAfter");
    QTest::addColumn<int>("stored");
    QTest::newRow("empty") << "" << "00" << 0x00;
    QTest::newRow("one digit") << "5" << "5" << 0x05;
    QTest::newRow("two digits") << "7F" << "7F" << 0x7F;
    QTest::newRow("top") << "FF" << "FF" << 0xFF;
}

void TestCommandView::leavingField_storesByte()
{
    QFETCH(QString, text);
    QFETCH(QString, shownAfter);
    QFETCH(int, stored);
    OfflineView view;
    TFormMain *window = view.window.get();
    MacAddress &address = window->session().store().CurrentSettings.StoredPeerAddress;
    address = {0x11, 0x22, 0x33, 0x44, 0x55, 0x66};
    QVERIFY(view.open());
    QLineEdit *field = AddressField(*window, 4);
    field->setFocus(Qt::TabFocusReason);
    field->setText(text);
    Leave(*window, field);
    QCOMPARE(field->text(), shownAfter);
    const MacAddress expected = {0x11, 0x22, 0x33, 0x44, quint8(stored), 0x66};
    QCOMPARE(address, expected);

    // Leaving for another program is not leaving the field.
    field->setFocus(Qt::TabFocusReason);
    field->clear();
    QFocusEvent away(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QCoreApplication::sendEvent(field, &away);
    QCOMPARE(field->text(), QString());
    QCOMPARE(address, expected);

    // The address typed here is the one the next opening shows and closing saves.
    Leave(*window, field);
    Button(*window, "BitBtn7")->click(); // "Выход"
    Action(*window, "Ncommand")->trigger();
    QCOMPARE(field->text(), QStringLiteral("00"));
    QVERIFY(window->close());
    QVERIFY(view.fixture.readIni(QStringLiteral("bluetooth.ini")).contains(QStringLiteral("Adr_4=0")));
}

void TestCommandView::session_everyButton_repliesInLog()
{
    LinkedWindow linked;
    QVERIFY(linked.open(false, {QStringLiteral("--state"), QStringLiteral("connected"),
                                QStringLiteral("--reset-ms"), QStringLiteral("100")}));
    TFormMain &window = *linked.window;
    const char *const expectedInReply[10] = {
        "{\"HELP\":\"OK\",\"Val\":\"HELP VER PING",
        "{\"VER\":\"OK\",\"Val\":\"1.07\"}",
        "{\"PING\":\"Connected\"}",
        "{\"RESET\":\"OK\"}",
        "{\"SLEEP\":\"OK\"}",
        "{\"DEVADDR\":\"OK\",\"Val\":\"00:1A:7D:DA:71:13\"}",
        "{\"PEERADDR\":\"OK\",\"Val\":\"0A:1B:2C:3D:4E:5F\"}",
        "{\"PEERADDR(\":\"OK\",\"Val\":\"00:11:22:AA:BB:CC\"}",
        "{\"KEEP\":",
        "{\"KILL\":\"Peer Deleted\"}",
    };
    for (int row = 0; row < 10; ++row) {
        QTest::mouseClick(CommandButton(window, row), Qt::LeftButton);
        const ExchangeChannel &channel = window.session().channel();
        QVERIFY2(channel.result == ExchangeOk, qPrintable(QString::number(row)));
        QVERIFY2(QByteArray(channel.reply()).startsWith(expectedInReply[row]), channel.reply());
        if (row == 3)
            QTest::qWait(150); // the module restarts after RESET
    }
    // No failure text: panel 2 still names the view.
    QCOMPARE(StatusBar(window)->panelText(StatusPanel::Operation), QStringLiteral(" Командный режим"));
    QCOMPARE(StatusBar(window)->panelText(StatusPanel::Activity), QString());

    // Per exchange the log holds a blank line, the command sent and the reply.
    auto *memo = Named<ExchangeLogView>(&window, "Memo1");
    const QStringList lines = memo->lines();
    QVERIFY2(lines.size() >= 30, qPrintable(lines.join('\n')));
    QCOMPARE(lines[0], QStringLiteral(" "));
    QVERIFY2(lines[1].startsWith(QStringLiteral(" HELP")), qPrintable(lines[1]));
    QVERIFY(lines[2].startsWith(QStringLiteral(" {\"HELP\":\"OK\"")));
    QVERIFY(lines.join('\n').contains(QStringLiteral(" PEERADDR(00:11:22:AA:BB:CC)")));
    QVERIFY(lines.last().startsWith(QStringLiteral(" {\"KILL\":\"Peer Deleted\"}")));

    // The newest lines are in view.
    QScrollBar *bar = Named<QScrollBar>(&window, "ScrollBox1");
    QVERIFY(bar->isVisible());
    QCOMPARE(bar->value(), bar->maximum());
    SaveScreen(&window, QStringLiteral("command-view.png"));
}

void TestCommandView::enterOnFocusedButton_sendsItsCommand_focusStays()
{
    LinkedWindow linked;
    QVERIFY(linked.open(false));
    TFormMain &window = *linked.window;
    QVERIFY(Activate(&window));
    CommandButton(window, 2)->setFocus(Qt::TabFocusReason);
    linked.sim.clearLog();
    PressKey(Qt::Key_Return);
    QCOMPARE(linked.sim.received(), QByteArray("PING\r"));
    // The buttons were disabled during the exchange; the keyboard is back on PING, so a
    // second Enter sends it again.
    QCOMPARE(QApplication::focusWidget(), CommandButton(window, 2));
    PressKey(Qt::Key_Enter);
    QCOMPARE(linked.sim.received(), QByteArray("PING\rPING\r"));
}

void TestCommandView::silentDevice_resultTextInPanel2AndViewStays()
{
    LinkedWindow linked;
    QVERIFY(linked.open(false));
    QVERIFY(linked.sim.command(QStringLiteral("silent on")));
    TFormMain &window = *linked.window;
    MessageLog messages;
    messages.attach(window);
    QTest::mouseClick(CommandButton(window, 2), Qt::LeftButton);
    QCOMPARE(int(window.session().channel().result), int(NoAnswer));
    QCOMPARE(StatusBar(window)->panelText(StatusPanel::Operation), QStringLiteral("Устройство не отвечает"));
    QCOMPARE(messages.messages, QStringList());
    QVERIFY(IsShown(window, "gb_command"));
    QVERIFY(!Action(window, "Nconn")->isEnabled()); // the view is still in force
}

void TestCommandView::duringExchangeOnSilentModule_allElseRefused_escapeAborts()
{
    LinkedWindow linked;
    QVERIFY(linked.open(false));
    TFormMain &window = *linked.window;
    // A wait that would outlast the test's patience, so only Esc can end it.
    window.session().channel().firstByteWaitMs = 60000;
    window.session().channel().attempts = 3;
    QVERIFY(linked.sim.command(QStringLiteral("silent on")));
    QVERIFY(Activate(&window));
    MessageLog messages;
    messages.attach(window);
    linked.sim.clearLog();
    QStringList enabledWhileBusy;
    OnceWhen escape([&] { return window.session().channel().busy && linked.sim.received().contains("PING\r"); },
                    [&] {
                        // Every button and menu item is refused while the exchange runs.
                        for (QAbstractButton *button : window.findChildren<QAbstractButton *>()) {
                            if (button->isVisible() && button->isEnabled())
                                enabledWhileBusy << button->objectName();
                        }
                        for (QAction *item : window.menuBar()->actions()) {
                            if (item->isVisible() && item->isEnabled())
                                enabledWhileBusy << item->objectName();
                        }
                        QTest::mouseClick(Button(window, "BitBtn7"), Qt::LeftButton); // "Выход"
                        QTest::mouseClick(Button(window, "BitBtn6"), Qt::LeftButton); // "Очистить список"
                        QTest::keyClick(window.windowHandle(), Qt::Key_Escape); // as the keyboard delivers it
                    });
    QTest::mouseClick(CommandButton(window, 2), Qt::LeftButton); // PING
    QVERIFY(escape.done());
    QCOMPARE(enabledWhileBusy, QStringList());
    // "Выход" did not leave the view under the exchange, nor was the log cleared.
    QVERIFY(!Action(window, "Nconn")->isEnabled());
    QVERIFY(Named<ExchangeLogView>(&window, "Memo1")->lines().join(u'\n').contains(QStringLiteral("PING")));
    QCOMPARE(int(window.session().channel().result), int(Aborted));
    QCOMPARE(linked.sim.received(), QByteArray("PING\r")); // no further attempt
    QCOMPARE(StatusBar(window)->panelText(StatusPanel::Operation), QStringLiteral("Обмен прерван по Esc"));
    QCOMPARE(messages.messages, QStringList());
    QVERIFY(IsShown(window, "gb_command"));

    // The next press is an exchange like any other; the keyboard is where it was.
    QVERIFY(CommandButton(window, 2)->isEnabled());
    QVERIFY(linked.sim.command(QStringLiteral("silent off")));
    QTest::mouseClick(CommandButton(window, 2), Qt::LeftButton);
    QCOMPARE(int(window.session().channel().result), int(ExchangeOk));
}

void TestCommandView::savedTrace_headsEveryExchangeCycle()
{
    LinkedWindow linked;
    QVERIFY(linked.open(false));
    TFormMain &window = *linked.window;
    QTest::mouseClick(CommandButton(window, 2), Qt::LeftButton); // PING, answered
    // Replies that never end: each of three attempts ends when the next byte is late.
    window.session().channel().attempts = 3;
    QVERIFY(linked.sim.command(QStringLiteral("no-end on")));
    QTest::mouseClick(CommandButton(window, 1), Qt::LeftButton); // VER
    QCOMPARE(int(window.session().channel().result), int(IncompleteReply));

    const QStringList saved = Named<ExchangeLogView>(&window, "Memo1")->traceFileText().split(u'\n');
    const QRegularExpression stamp(QStringLiteral(R"(^\d\d\.\d\d\.\d{4} \d\d:\d\d:\d\d$)"));
    QStringList shape; // each line as a stamp, the command sent, or the rest as it is
    for (const QString &line : saved)
        shape << (stamp.match(line).hasMatch() ? QStringLiteral("<time>") : line.left(5));
    QCOMPARE(shape, QStringList({"<time>", " ", " PING", " {\"PI",
                                 "<time>", " ", " VER\u240D", " {\"VE",
                                 "<time>", " ", " VER\u240D", " {\"VE",
                                 "<time>", " ", " VER\u240D", " {\"VE", ""}));
}

int main(int argc, char *argv[])
{
    TavrinApplication app(argc, argv);
    TestCommandView test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_commandview.moc"
