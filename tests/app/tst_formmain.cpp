// The main window without a device: caption, status bar, menu, views, the exchange
// log, the keyboard watch, message boxes, exception reporting and the close sequence.
#include "apptest.h"

#include "app/errorreport.h"
#include "app/exchangelogview.h"
#include "app/tavrinapplication.h"
#include "dialogs/formwait.h"
#include "dialogs/panelstatusbar.h"

#include <QAction>
#include <QDir>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QShortcut>
#include <QTest>

using namespace tavrin;
using namespace tavrin::test;

namespace {

// Collects what the application reports of the exceptions it catches while it lives.
struct Reported {
    QStringList texts;
    Reported() { SetExceptionReporter([this](const QString &message) { texts << message; }); }
    ~Reported() { SetExceptionReporter({}); }
};

} // namespace

class TestFormMain : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QuietPlatformNotes(); } // after QTest's own handler
    // Every case starts with a shown window of its own program folder, no link.
    void init()
    {
        m_app = std::make_unique<AppFixture>();
        m_window = m_app->window();
    }
    void cleanup()
    {
        m_window.reset();
        m_app.reset();
    }
    void freshWindow_captionStatusPanelsAndResize();
    void smallestWindow_everyControlReachable_data();
    void smallestWindow_everyControlReachable();
    void statusPanel_showsQuotedModemReplyOnOneLine();
    void showConnectionStatus_data();
    void showConnectionStatus();
    void menu_afterShow_pairItemsHiddenSecretNeverVisible();
    void ctrlZ_data();
    void ctrlZ();
    void exitButtons_leaveViewAndEnableMenu_data();
    void exitButtons_leaveViewAndEnableMenu();
    void escape_pressesRefreshOnlyInStateView();
    void menuKeys_reachEveryItemWithoutTheMouse_data();
    void menuKeys_reachEveryItemWithoutTheMouse();
    void cyrillicGlyphs_inDefaultAndLogFonts();
    void busyCursor_isAbsolute();
    void keyboardWatch_swallowsKeysAndRemembersEscOnce();
    void question_realBox_plainTextNoTitleNoIcon();
    void qtTexts_areRussian_data();
    void qtTexts_areRussian();
    void disconnect_destroysLeftoverWaitWindow();
    void close_withoutChanges_writesNothing();
    void close_writesOnlyChangedGroupsOfBluetoothIni();
    void close_whenFileCannotBeWritten_staysOpenAndNamesFile_data();
    void close_whenFileCannotBeWritten_staysOpenAndNamesFile();
    void exceptionInHandler_isReportedAndLoopGoesOn();

private:
    std::unique_ptr<AppFixture> m_app;
    std::unique_ptr<TFormMain> m_window;
};

// A window as it opens, then widened: only the progress panel (2) grows with it.
void TestFormMain::freshWindow_captionStatusPanelsAndResize()
{
    QCOMPARE(m_window->windowTitle(),
             QStringLiteral("Программа обслуживания Bluetooth-устройства tavrin_V01_00.exe"));
    QCOMPARE(m_window->size(), QSize(1000, 616));
    auto *bar = Named<PanelStatusBar>(m_window.get(), "StatusBar1");
    // The port panel's "СОМ" is Cyrillic before a kind is first shown.
    QCOMPARE(bar->panelText(StatusPanel::Port), QStringLiteral("\u0421\u041e\u041c1 230540 бит/с"));
    QCOMPARE(bar->panelText(StatusPanel::Kind), QStringLiteral("Непосредственная связь"));
    SaveScreen(m_window.get(), QStringLiteral("main-window.png"));
    for (int width : {1000, 1200}) {
        m_window->resize(width, 616);
        QTRY_COMPARE(bar->width(), width);
        const QList<int> widths = {bar->panelWidth(StatusPanel::Port), bar->panelWidth(StatusPanel::Kind), bar->panelWidth(StatusPanel::Operation), bar->panelWidth(StatusPanel::Activity)};
        QCOMPARE(widths, (QList<int>{175, 220, width - 175 - 220 - 60, 50}));
    }
    // The call panel stays in the bottom right corner.
    QCOMPARE(Named<QFrame>(m_window.get(), "pnmodem")->geometry().right(),
             Named<QFrame>(m_window.get(), "Panel1")->width() - 14 - 1);
}

void TestFormMain::statusPanel_showsQuotedModemReplyOnOneLine()
{
    auto *bar = Named<PanelStatusBar>(m_window.get(), "StatusBar1");
    // A dialling progress text quotes the modem's command and reply with their CR LF.
    const QString progress = QStringLiteral(" Установление связи по телефону. Команда ATV1\r.  Ответ \r\nOK\r\n");
    bar->setPanelText(StatusPanel::Operation, progress);
    QCOMPARE(bar->shownText(StatusPanel::Operation), QStringLiteral(" Установление связи по телефону. Команда ATV1 .  Ответ   OK  "));
    auto *label = bar->findChild<QLabel *>(QStringLiteral("panel2"));
    QVERIFY(label);
    QVERIFY2(label->sizeHint().height() <= bar->height(), qPrintable(QString::number(label->sizeHint().height())));
}

void TestFormMain::smallestWindow_everyControlReachable_data()
{
    QTest::addColumn<int>("viewMode");
    QTest::newRow("command view") << 1;
    QTest::newRow("state view with its log") << 2;
}

// Shrunk as far as it goes, with the call panel shown: every button, field and label of
// the open view and of the log lies inside the window, clear of the call panel.
void TestFormMain::smallestWindow_everyControlReachable()
{
    QFETCH(int, viewMode);
    if (viewMode == 1) {
        Action(*m_window, "Ncommand")->trigger();
    } else {
        m_window->openView(ViewMode::State);
        Named<QShortcut>(m_window.get(), "N_secretShortcut")->activated();
    }
    auto *callPanel = Named<QFrame>(m_window.get(), "pnmodem");
    callPanel->show();
    callPanel->raise();
    m_window->resize(300, 200);
    QTest::qWait(50);
    SaveScreen(m_window.get(), QStringLiteral("main-window-smallest-%1.png").arg(viewMode));

    auto *background = Named<QFrame>(m_window.get(), "Panel1");
    const QRect room = background->rect();
    const QRect callArea(callPanel->pos(), callPanel->size());
    QVERIFY(room.contains(callArea));
    int checked = 0;
    for (QWidget *control : background->findChildren<QWidget *>()) {
        if (!control->isVisible() || control == callPanel || control->parentWidget() == callPanel
            || !(qobject_cast<QAbstractButton *>(control) || qobject_cast<QLineEdit *>(control)
                 || qobject_cast<QLabel *>(control) || qobject_cast<QGroupBox *>(control)
                 || control->objectName() == QStringLiteral("Memo1")))
            continue;
        const QRect area(control->mapTo(background, QPoint(0, 0)), control->size());
        QVERIFY2(room.contains(area), qPrintable(control->objectName()));
        QVERIFY2(!area.intersects(callArea), qPrintable(control->objectName()));
        ++checked;
    }
    QVERIFY(checked > (viewMode == 1 ? 30 : 20));
    for (QWidget *control : callPanel->findChildren<QWidget *>())
        QVERIFY2(callArea.contains(QRect(control->mapTo(background, QPoint(0, 0)), control->size())), qPrintable(control->objectName()));
}

void TestFormMain::showConnectionStatus_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("abonents");
    QTest::addColumn<QString>("panel0");
    QTest::addColumn<QString>("panel1");
    QTest::newRow("direct") << 0 << 2 << " COM3,   9600 бит/с" << " Непосредственная связь";
    QTest::newRow("phone") << 1 << 2 << " COM7,   57600 бит/с" << " Тел. +7 (900) 111-22-33";
    QTest::newRow("phone, empty directory") << 1 << 0 << " COM7,   57600 бит/с" << "";
    // Only a hand-edited file holds another kind: the direct line is shown and no kind.
    QTest::newRow("unknown kind") << 5 << 2 << " COM3,   9600 бит/с" << "";
}

void TestFormMain::showConnectionStatus()
{
    QFETCH(int, kind);
    QFETCH(int, abonents);
    QFETCH(QString, panel0);
    QFETCH(QString, panel1);
    Settings settings;
    settings.connectionKind = ConnectionKind(kind);
    settings.direct.portNumber = 3;
    settings.direct.bitRate = 9600;
    settings.phone.portNumber = 7;
    settings.phone.bitRate = 57600;
    settings.directory.count = quint8(abonents);
    settings.directory.selectedIndex = 1;
    settings.directory.entries[0].phoneNumber = QStringLiteral("000");
    settings.directory.entries[1].phoneNumber = QStringLiteral("+7 (900) 111-22-33");
    PanelStatusBar bar;
    bar.setPanelText(StatusPanel::Kind, QStringLiteral("stale"));
    ShowConnectionStatus(settings, &bar);
    QCOMPARE(bar.panelText(StatusPanel::Port), panel0);
    QCOMPARE(bar.panelText(StatusPanel::Kind), panel1);
}

void TestFormMain::menu_afterShow_pairItemsHiddenSecretNeverVisible()
{
    const auto action = [&](const char *name) { return Action(*m_window, name); };
    for (const char *name : {"Nconn", "Nexit", "Nstate", "Ncommand"})
        QVERIFY2(action(name)->isVisible(), name);
    QVERIFY(!SettingsMenuItem(*m_window)->isVisible()); // until a link is open
    QCOMPARE(action("Nstate")->text(), QStringLiteral("С\u006Fстояние")); // Latin o
    for (const char *name : {"Npair_create", "Npair_break", "N_secret"})
        QVERIFY2(!action(name)->isVisible(), name);

    Action(*m_window, "Ncommand")->trigger(); // the disabled menu is the command view tests' concern
    QVERIFY(!action("N_secret")->isVisible());
    Button(*m_window, "BitBtn7")->click(); // "Выход"
    QVERIFY(!action("N_secret")->isVisible());
    QVERIFY(!action("Npair_create")->isVisible());
}

void TestFormMain::ctrlZ_data()
{
    QTest::addColumn<int>("viewMode");
    QTest::addColumn<bool>("logAfterFirst");
    QTest::addColumn<bool>("logAfterSecond");
    QTest::addColumn<bool>("inAddressField"); // the keys go to an address field being edited
    QTest::newRow("no view") << 0 << false << false << false;
    QTest::newRow("command view") << 1 << true << true << false;
    QTest::newRow("command view, address field") << 1 << true << true << true;
    QTest::newRow("state view") << 2 << true << false << false;
}

void TestFormMain::ctrlZ()
{
    QFETCH(int, viewMode);
    QFETCH(bool, logAfterFirst);
    QFETCH(bool, logAfterSecond);
    QFETCH(bool, inAddressField);
    QVERIFY(Activate(m_window.get()));
    QWidget *target = m_window.get();
    auto *field = Named<QLineEdit>(m_window.get(), "a3");
    if (viewMode == 1) {
        Action(*m_window, "Ncommand")->trigger();
        if (inAddressField) {
            // Ctrl+Z belongs to the window, not to the field's own undo.
            target = field;
            target->setFocus();
            QTest::keyClick(target, Qt::Key_Backspace);
            QTest::keyClicks(target, QStringLiteral("5"));
            QCOMPARE(field->text(), QStringLiteral("05"));
        }
    } else if (viewMode == 2) {
        m_window->openView(ViewMode::State);
    }
    const auto ctrlZ = [target] { PressCtrlZ(target); };
    auto *log = Named<QGroupBox>(m_window.get(), "gb_obmen");
    ctrlZ();
    QCOMPARE(log->isVisible(), logAfterFirst);
    if (logAfterFirst)
        QCOMPARE(log->pos(), QPoint(435, 18));
    if (viewMode == 2)
        SaveScreen(m_window.get(), QStringLiteral("state-view.png"));
    ctrlZ();
    QCOMPARE(log->isVisible(), logAfterSecond);
    // The view stays open.
    QCOMPARE(IsShown(*m_window, "gb_command"), viewMode == 1);
    QCOMPARE(IsShown(*m_window, "gb_state"), viewMode == 2);
    if (inAddressField)
        QCOMPARE(field->text(), QStringLiteral("05"));
}

void TestFormMain::exitButtons_leaveViewAndEnableMenu_data()
{
    QTest::addColumn<bool>("stateView");
    QTest::addColumn<QString>("button");
    QTest::newRow("command view") << false << "BitBtn7";
    QTest::newRow("state view") << true << "BitBtn5";
}

void TestFormMain::exitButtons_leaveViewAndEnableMenu()
{
    QFETCH(bool, stateView);
    QFETCH(QString, button);
    SettingsMenuItem(*m_window)->setVisible(true); // as with a link open
    auto *bar = Named<PanelStatusBar>(m_window.get(), "StatusBar1");
    if (stateView) {
        m_window->openView(ViewMode::State);
        bar->setPanelText(StatusPanel::Operation, QStringLiteral(" Выполняеся чтение состояния устройства"));
    } else {
        Action(*m_window, "Ncommand")->trigger();
        QCOMPARE(bar->panelText(StatusPanel::Operation), QStringLiteral(" Командный режим")); // for the exit to clear
    }
    QPushButton *exit = Button(*m_window, qPrintable(button));
    QVERIFY(exit);
    QCOMPARE(exit->text(), QStringLiteral("Выход"));
    QTest::mouseClick(exit, Qt::LeftButton);
    for (const char *group : {"gb_command", "gb_state", "gb_obmen"})
        QVERIFY2(!IsShown(*m_window, group), group);
    QCOMPARE(bar->panelText(StatusPanel::Operation), QString());
    QVERIFY(Action(*m_window, "Nconn")->isEnabled());
    QVERIFY(Action(*m_window, "Nexit")->isEnabled());
    QVERIFY(SettingsMenuItem(*m_window)->isEnabled());
    // No view is in force any more: Ctrl+Z leaves the log hidden.
    QVERIFY(Activate(m_window.get()));
    PressCtrlZ(m_window.get());
    QVERIFY(!IsShown(*m_window, "gb_obmen"));
}

void TestFormMain::escape_pressesRefreshOnlyInStateView()
{
    QVERIFY(Activate(m_window.get()));
    MessageLog messages; // the reading started without a link tells its failure here
    messages.attach(*m_window);
    int refreshes = 0;
    connect(Button(*m_window, "BitBtn2"), &QPushButton::clicked, m_window.get(), [&] { ++refreshes; });
    QTest::keyClick(m_window.get(), Qt::Key_Escape);
    QCOMPARE(refreshes, 0);
    m_window->openView(ViewMode::State);
    QTest::keyClick(m_window.get(), Qt::Key_Escape);
    QCOMPARE(refreshes, 1);
    // During an exchange Esc is the abort, not a press of the button.
    WindowUi(*m_window).watchKeyboard(true);
    QTest::keyClick(m_window.get(), Qt::Key_Escape);
    QCOMPARE(refreshes, 1);
    QVERIFY(WindowUi(*m_window).takeEscape());
    WindowUi(*m_window).watchKeyboard(false);
}

void TestFormMain::menuKeys_reachEveryItemWithoutTheMouse_data()
{
    QTest::addColumn<bool>("f10"); // F10 instead of a lone Alt
    QTest::newRow("lone Alt") << false;
    QTest::newRow("F10") << true;
}

// The menu bar taken by the keyboard, walked with the arrows, left with Esc, and an item
// of the submenu chosen with Enter; the captions carry no mnemonic marks.
void TestFormMain::menuKeys_reachEveryItemWithoutTheMouse()
{
    QFETCH(bool, f10);
    SettingsMenuItem(*m_window)->setVisible(true); // as with a link open
    QVERIFY(Activate(m_window.get()));
    QMenuBar *bar = m_window->menuBar();
    const auto menuKey = [f10] { f10 ? PressKey(Qt::Key_F10) : PressLoneAlt(); };
    menuKey();
    QTRY_VERIFY(bar->hasFocus());
    QCOMPARE(bar->activeAction(), Action(*m_window, "Nconn"));
    QCOMPARE(HighlightedTitles(*bar), QList<QAction *>{Action(*m_window, "Nconn")}); // seen, not only there
    PressKey(Qt::Key_Right);
    QCOMPARE(bar->activeAction(), SettingsMenuItem(*m_window));
    QCOMPARE(HighlightedTitles(*bar), QList<QAction *>{SettingsMenuItem(*m_window)});
    PressKey(Qt::Key_Left);
    QCOMPARE(bar->activeAction(), Action(*m_window, "Nconn"));
    PressKey(Qt::Key_Escape);
    QVERIFY(!bar->activeAction());
    QCOMPARE(HighlightedTitles(*bar), QList<QAction *>{});

    menuKey();
    QTRY_VERIFY(bar->hasFocus());
    PressKey(Qt::Key_Right);
    PressKey(Qt::Key_Down); // opens "Настройки" on its first item
    auto *settingsMenu = Named<QMenu>(m_window.get(), "Nnastr");
    QTRY_VERIFY(settingsMenu->isVisible());
    QCOMPARE(settingsMenu->activeAction(), Action(*m_window, "Nstate"));
    PressKey(Qt::Key_Down);
    QCOMPARE(settingsMenu->activeAction(), Action(*m_window, "Ncommand"));
    PressKey(Qt::Key_Return);
    QTRY_VERIFY(IsShown(*m_window, "gb_command"));
    QVERIFY(!settingsMenu->isVisible());
    for (QAction *item : bar->actions())
        QVERIFY2(!item->text().contains(u'&'), qPrintable(item->text()));
}

void TestFormMain::cyrillicGlyphs_inDefaultAndLogFonts()
{
    for (const QFont &font : {QApplication::font(), Named<ExchangeLogView>(m_window.get(), "Memo1")->font()}) {
        const QFontMetrics metrics(font);
        for (char32_t c : {U'Ж', U'б', U'С', U'ё'})
            QVERIFY2(metrics.inFontUcs4(c), qPrintable(font.family()));
    }
}

void TestFormMain::busyCursor_isAbsolute()
{
    SetBusyCursor(true);
    SetBusyCursor(true);
    QVERIFY(QApplication::overrideCursor());
    QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    QApplication::restoreOverrideCursor();
    QVERIFY(!QApplication::overrideCursor()); // on twice is still one override
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    SetBusyCursor(false);
    QVERIFY(!QApplication::overrideCursor());
}

void TestFormMain::keyboardWatch_swallowsKeysAndRemembersEscOnce()
{
    QVERIFY(Activate(m_window.get()));
    Action(*m_window, "Ncommand")->trigger();
    auto *field = Named<QLineEdit>(m_window.get(), "a0");
    field->setFocus();
    field->clear();

    WindowUi(*m_window).watchKeyboard(true);
    WindowUi(*m_window).watchKeyboard(true); // nested: counted
    QTest::keyClick(field, Qt::Key_5, Qt::NoModifier);
    QCOMPARE(field->text(), QString());
    QVERIFY(!WindowUi(*m_window).takeEscape());
    QTest::keyClick(field, Qt::Key_Escape);
    QVERIFY(WindowUi(*m_window).takeEscape());
    QVERIFY(!WindowUi(*m_window).takeEscape()); // consumed
    WindowUi(*m_window).watchKeyboard(false);
    QTest::keyClick(field, Qt::Key_6);
    QCOMPARE(field->text(), QString()); // still watching: one start is left
    WindowUi(*m_window).watchKeyboard(false);

    QTest::keyClick(field, Qt::Key_7);
    QCOMPARE(field->text(), QStringLiteral("7"));
    QTest::keyClick(field, Qt::Key_Escape);
    WindowUi(*m_window).watchKeyboard(true);
    QVERIFY(!WindowUi(*m_window).takeEscape()); // a press before the watch is not an abort
    WindowUi(*m_window).watchKeyboard(false);
}

void TestFormMain::question_realBox_plainTextNoTitleNoIcon()
{
    ModalDriver driver;
    QString title = QStringLiteral("unset");
    QString text;
    Qt::TextFormat format = Qt::AutoText;
    QMessageBox::Icon icon = QMessageBox::Information;
    QMessageBox::StandardButtons buttons;
    driver.on<QMessageBox>([&](QMessageBox *box) {
        title = box->windowTitle();
        text = box->text();
        format = box->textFormat();
        icon = box->icon();
        buttons = box->standardButtons();
        box->button(QMessageBox::No)->click();
    });
    const bool answer = WindowUi(*m_window).askYesNo(QStringLiteral("<b>Занят</b>\rПовторить попытку соединения?"));
    QVERIFY(!answer);
    QCOMPARE(driver.done(), 1);
    QCOMPARE(title.trimmed(), QString());
    QCOMPARE(text, QStringLiteral("<b>Занят</b>\nПовторить попытку соединения?"));
    QCOMPARE(format, Qt::PlainText);
    QCOMPARE(icon, QMessageBox::NoIcon);
    QCOMPARE(buttons, QMessageBox::Yes | QMessageBox::No);

    driver.on<QMessageBox>([](QMessageBox *box) { box->button(QMessageBox::Yes)->click(); });
    QVERIFY(WindowUi(*m_window).askYesNo(QStringLiteral("?")));
}

// A control's text as the user reads it: no mnemonic mark, no shortcut column.
QString Shown(const QString &text)
{
    return text.section(u'\t', 0, 0).remove(u'&');
}

void TestFormMain::qtTexts_areRussian_data()
{
    QTest::addColumn<QString>("where");
    QTest::addColumn<QStringList>("shown");
    QTest::newRow("question box") << "question" << QStringList{"Да", "Нет"};
    QTest::newRow("message box") << "message" << QStringList{"\u041e\u041a"}; // ОК in Cyrillic letters
    QTest::newRow("address field's menu") << "field" << QStringList{"Копировать", "Вставить", "Выделить всё"};
}

void TestFormMain::qtTexts_areRussian()
{
    QFETCH(QString, where);
    QFETCH(QStringList, shown);
    QStringList texts;
    ModalDriver driver;
    driver.on<QMessageBox>([&](QMessageBox *box) {
        for (QAbstractButton *button : box->buttons())
            texts << Shown(button->text());
        box->buttons().constFirst()->click();
    });
    if (where == "question") {
        WindowUi(*m_window).askYesNo(QStringLiteral("Повторить попытку соединения?"));
    } else if (where == "message") {
        Named<CommandView>(m_window.get(), "gb_command")->showMessage(QStringLiteral("Связь по телефону не установлена"));
    } else {
        Action(*m_window, "Ncommand")->trigger();
        std::unique_ptr<QMenu> menu(Named<QLineEdit>(m_window.get(), "a0")->createStandardContextMenu());
        for (const QAction *action : menu->actions())
            texts << Shown(action->text());
    }
    for (const QString &text : shown)
        QVERIFY2(texts.contains(text), qPrintable(texts.join(u'|')));
    if (where != "field")
        QCOMPARE(texts.size(), shown.size());
}

void TestFormMain::disconnect_destroysLeftoverWaitWindow()
{
    QPointer<TFormWait> wait = new TFormWait(m_window.get());
    wait->show();
    Button(*m_window, "BitBtn3")->click(); // "Отключить связь": harmless with no link
    QVERIFY(wait.isNull());
    QVERIFY(!QApplication::overrideCursor());
}

void TestFormMain::close_withoutChanges_writesNothing()
{
    const QDir ini(QDir(m_app->programDir()).filePath(QStringLiteral("INI")));
    QVERIFY(ini.exists());
    QVERIFY(m_window->close());
    QCOMPARE(m_window->session().activity(), Activity::Closed);
    QCOMPARE(ini.entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
}

void TestFormMain::close_writesOnlyChangedGroupsOfBluetoothIni()
{
    Settings &settings = m_window->session().store().CurrentSettings;
    settings.storedPeerAddress = {0x00, 0x11, 0x22, 0xAA, 0xBB, 0xCC};
    // The directory is written by the connect dialog's flow only, never at close.
    settings.directory.count = 1;
    settings.directory.entries[0].phoneNumber = QStringLiteral("123");
    QVERIFY(m_window->close());
    const QString text = m_app->readIni(QStringLiteral("bluetooth.ini"));
    QVERIFY2(text.contains(QStringLiteral("[Val_Adr]")), qPrintable(text));
    QVERIFY(text.contains(QStringLiteral("Adr_3=170")));
    QVERIFY(!text.contains(QStringLiteral("[DIR_CONN_PAR]")));
    QVERIFY(!text.contains(QStringLiteral("[FON_CONN_PAR]")));
    QVERIFY(!QFile::exists(m_app->iniPath(QStringLiteral("abonents.ini"))));
}

void TestFormMain::close_whenFileCannotBeWritten_staysOpenAndNamesFile_data()
{
    QTest::addColumn<bool>("mended"); // the file can be written at the second close
    QTest::newRow("mended before the second close") << true;
    QTest::newRow("still unwritable at the second close") << false;
}

void TestFormMain::close_whenFileCannotBeWritten_staysOpenAndNamesFile()
{
    QFETCH(bool, mended);
    Reported reported;
    // A folder where the file should be: no write can replace it, whoever runs the test.
    QVERIFY(QDir().mkpath(m_app->iniPath(QStringLiteral("bluetooth.ini"))));
    m_window->session().store().CurrentSettings.storedPeerAddress[0] = 0x42;
    Action(*m_window, "Ncommand")->trigger();
    QVERIFY(!m_window->close());
    QVERIFY(m_window->isVisible());
    // The link went with the close sequence; the window no longer offers its views.
    QVERIFY(!IsShown(*m_window, "gb_command"));
    QVERIFY(!SettingsMenuItem(*m_window)->isVisible());
    QVERIFY(Action(*m_window, "Nconn")->isEnabled());
    QCOMPARE(reported.texts.size(), 1);
    QVERIFY2(reported.texts[0].contains(QStringLiteral("bluetooth.ini")), qPrintable(reported.texts[0]));

    if (mended)
        QVERIFY(QDir().rmdir(m_app->iniPath(QStringLiteral("bluetooth.ini"))));
    QVERIFY(m_window->close()); // the second close ends even if the file is still not written
    QCOMPARE(m_window->session().activity(), Activity::Closed);
    if (mended) {
        QCOMPARE(reported.texts.size(), 1);
        QVERIFY(m_app->readIni(QStringLiteral("bluetooth.ini")).contains(QStringLiteral("Adr_0=66")));
    } else {
        QCOMPARE(reported.texts.size(), 2);
        QVERIFY2(reported.texts[1].contains(QStringLiteral("bluetooth.ini")), qPrintable(reported.texts[1]));
    }
}

void TestFormMain::exceptionInHandler_isReportedAndLoopGoesOn()
{
    QVERIFY(qobject_cast<TavrinApplication *>(QCoreApplication::instance()));
    Reported reported;
    bool laterRan = false;
    QTimer::singleShot(0, [] { throw std::runtime_error("Файл INI/bluetooth.ini не записан"); });
    QTimer::singleShot(20, [&] { laterRan = true; });
    QTRY_VERIFY(laterRan);
    QCOMPARE(reported.texts, QStringList{QStringLiteral("Файл INI/bluetooth.ini не записан")});
}

int main(int argc, char *argv[])
{
    TavrinApplication app(argc, argv);
    TestFormMain test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_formmain.moc"
