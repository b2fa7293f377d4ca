// The keyboard as a user's desktop delivers it: real key events (xdotool, through the X
// server's test extension) to the program on an X server with the openbox window manager
// (x11session.sh --wm): the menu bar taken with F10 or a lone Alt and its highlighted
// title walked with the arrows, and a selection made in the exchange log with Shift.
#include "apptest.h"

#include "app/exchangelogview.h"
#include "app/tavrinapplication.h"

#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QTest>

using namespace tavrin;
using namespace tavrin::test;

namespace {

// Keys pressed and released on the X server, as xdotool names them ("F10", "shift+End").
bool PressOnServer(const QStringList &keys)
{
    QProcess xdotool;
    xdotool.start(QStringLiteral("xdotool"), QStringList{QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("60")} + keys);
    // The program goes on taking its events while the keys go out.
    const bool done = QTest::qWaitFor([&] { return xdotool.state() == QProcess::NotRunning; }, 10000);
    QTest::qWait(150);
    return done && xdotool.exitCode() == 0;
}

} // namespace

class TestX11Keys : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void menuBar_realKeys_data();
    void menuBar_realKeys();
    void log_realKeysSelect();
};

void TestX11Keys::initTestCase()
{
    QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
}

void TestX11Keys::menuBar_realKeys_data()
{
    QTest::addColumn<QString>("menuKey");
    QTest::newRow("F10") << QStringLiteral("F10");
    QTest::newRow("lone Alt") << QStringLiteral("alt");
}

void TestX11Keys::menuBar_realKeys()
{
    QFETCH(QString, menuKey);
    AppFixture fixture;
    std::unique_ptr<TFormMain> window = fixture.window();
    SettingsMenuItem(*window)->setVisible(true); // as with a link open
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    QMenuBar *bar = window->menuBar();

    QVERIFY(PressOnServer({menuKey}));
    QTRY_VERIFY(bar->hasFocus());
    QCOMPARE(bar->activeAction(), Action(*window, "Nconn"));
    QCOMPARE(HighlightedTitles(*bar), QList<QAction *>{Action(*window, "Nconn")});
    QVERIFY(PressOnServer({QStringLiteral("Right")}));
    QCOMPARE(bar->activeAction(), SettingsMenuItem(*window));
    QCOMPARE(HighlightedTitles(*bar), QList<QAction *>{SettingsMenuItem(*window)});
    QVERIFY(PressOnServer({QStringLiteral("Down")})); // opens "Настройки"
    auto *settingsMenu = Named<QMenu>(window.get(), "Nnastr");
    QTRY_VERIFY(settingsMenu->isVisible());
    QVERIFY(PressOnServer({QStringLiteral("Escape")})); // closes the menu, its title still chosen
    QTRY_VERIFY(!settingsMenu->isVisible());
    QCOMPARE(HighlightedTitles(*bar), QList<QAction *>{SettingsMenuItem(*window)});
    QVERIFY(PressOnServer({QStringLiteral("Escape")})); // leaves the bar
    QTRY_VERIFY(!bar->activeAction());
    QCOMPARE(HighlightedTitles(*bar), QList<QAction *>{});
    QVERIFY(window->isVisible());
}

void TestX11Keys::log_realKeysSelect()
{
    AppFixture fixture;
    std::unique_ptr<TFormMain> window = fixture.window();
    Action(*window, "Ncommand")->trigger();
    auto *memo = Named<ExchangeLogView>(window.get(), "Memo1");
    TraceExchange(*memo, "PING\r", "{\"PING\":\"OK\"}");
    memo->flush();
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    memo->setFocus();
    QVERIFY(PressOnServer({QStringLiteral("ctrl+Home"), QStringLiteral("Down"), QStringLiteral("shift+End")}));
    QCOMPARE(memo->selectedText(), QStringLiteral(" PING\u240D"));
    QVERIFY(PressOnServer({QStringLiteral("shift+Down")})); // the caret keeps its column
    QCOMPARE(memo->selectedText(), QStringLiteral(" PING\u240D\n {\"PIN"));
    QVERIFY(PressOnServer({QStringLiteral("shift+End")}));
    QCOMPARE(memo->selectedText(), QStringLiteral(" PING\u240D\n {\"PING\":\"OK\"}"));
}

int main(int argc, char *argv[])
{
    TavrinApplication app(argc, argv);
    TestX11Keys test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_x11keys.moc"
