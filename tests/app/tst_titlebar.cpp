// What the title bars show, read back from a real X server (Xvfb) the way a window
// manager reads it: the windows the program shows without a title must carry no name
// at all, where Qt would put the program's; every window carries the program's icon,
// the first ones of the run too, which are shown before the icon is decoded.
#include "apptest.h"

#include "app/tavrinapplication.h"
#include "dialogs/forminputadr.h"
#include "dialogs/messagebox.h"

#include <QAbstractButton>
#include <QGuiApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

using namespace tavrin;
using namespace tavrin::test;

namespace {

// The X server's text properties of a window, as xprop prints them:
// NAME(TYPE) = "value"; an unset property is missing from the map.
QMap<QString, QString> TitleProperties(WId window)
{
    QProcess xprop;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    xprop.setProcessEnvironment(environment);
    xprop.start(QStringLiteral("xprop"), {QStringLiteral("-id"), QString::number(window),
                                          QStringLiteral("_NET_WM_NAME"), QStringLiteral("WM_NAME")});
    if (!xprop.waitForFinished(5000) || xprop.exitCode() != 0)
        return {{QStringLiteral("error"), QString::fromLocal8Bit(xprop.readAllStandardError())}};
    QMap<QString, QString> properties;
    static const QRegularExpression line(QStringLiteral(R"re(^(\w+)\(\w+\) = "(.*)"$)re"));
    for (const QString &text : QString::fromUtf8(xprop.readAllStandardOutput()).split(u'\n')) {
        const QRegularExpressionMatch match = line.match(text);
        if (match.hasMatch())
            properties.insert(match.captured(1), match.captured(2));
    }
    return properties;
}

// The sizes of the icons in the window's _NET_WM_ICON, as xprop prints them ("48 x 48").
QStringList IconSizes(WId window)
{
    QProcess xprop;
    xprop.start(QStringLiteral("xprop"), {QStringLiteral("-id"), QString::number(window), QStringLiteral("_NET_WM_ICON")});
    if (!xprop.waitForFinished(5000) || xprop.exitCode() != 0)
        return {QStringLiteral("error: ") + QString::fromLocal8Bit(xprop.readAllStandardError())};
    QStringList sizes;
    static const QRegularExpression icon(QStringLiteral(R"(Icon \((\d+ x \d+)\):)"));
    auto matches = icon.globalMatch(QString::fromUtf8(xprop.readAllStandardOutput()));
    while (matches.hasNext())
        sizes << matches.next().captured(1);
    return sizes;
}

} // namespace

class TestTitleBar : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    // First: it needs the first windows of the process.
    void firstWindows_takeTheIconAndRussianButtons_data();
    void firstWindows_takeTheIconAndRussianButtons();
    void titleOnTheServer_data();
    void titleOnTheServer();
};

void TestTitleBar::initTestCase()
{
    QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
}

void TestTitleBar::firstWindows_takeTheIconAndRussianButtons_data()
{
    QTest::addColumn<QMessageBox::StandardButtons>("buttons");
    QTest::addColumn<QStringList>("shown");
    // The first row runs before any window of the process was exposed.
    QTest::newRow("question with the main window") << QMessageBox::StandardButtons(QMessageBox::Yes | QMessageBox::No)
                                                   << QStringList{"Да", "Нет"};
    QTest::newRow("message with the main window") << QMessageBox::StandardButtons(QMessageBox::Ok)
                                                  << QStringList{"\u041e\u041a"}; // ОК in Cyrillic letters
}

// The main window and a box shown together before the message loop ran, as at start:
// once exposed both carry the icon, and the box's standard buttons are in Russian.
void TestTitleBar::firstWindows_takeTheIconAndRussianButtons()
{
    QFETCH(QMessageBox::StandardButtons, buttons);
    QFETCH(QStringList, shown);
    AppFixture fixture;
    auto main = fixture.window();
    PlainMessageBox box(QStringLiteral("Сбой"), buttons, main.get());
    main->show();
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(main.get()));
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    QStringList texts;
    for (QAbstractButton *button : box.buttons())
        texts << button->text().remove(u'&'); // without the mnemonic mark
    QCOMPARE(texts, shown);
    for (QWidget *window : {static_cast<QWidget *>(main.get()), static_cast<QWidget *>(&box)}) {
        // The icon follows the first exposure; the server may see it a moment later.
        QTRY_VERIFY2(IconSizes(window->winId()).contains(QStringLiteral("48 x 48")),
                     qPrintable(IconSizes(window->winId()).join(u',')));
        QVERIFY2(IconSizes(window->winId()).contains(QStringLiteral("128 x 128")),
                 qPrintable(IconSizes(window->winId()).join(u',')));
    }
}

void TestTitleBar::titleOnTheServer_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("shown");
    QTest::newRow("message box") << "message" << " ";
    QTest::newRow("question box") << "question" << " ";
    QTest::newRow("address dialog") << "address" << " ";
    // The reading itself: a window with a title shows it.
    QTest::newRow("main window") << "main"
                                 << "Программа обслуживания Bluetooth-устройства tavrin_V01_00.exe";
}

void TestTitleBar::titleOnTheServer()
{
    QFETCH(QString, window);
    QFETCH(QString, shown);
    AppFixture fixture;
    auto main = fixture.window();
    MacAddress address{};
    std::unique_ptr<QWidget> shownWindow;
    if (window == "message")
        shownWindow = std::make_unique<PlainMessageBox>(QStringLiteral("Сбой"), QMessageBox::Ok, main.get());
    else if (window == "question")
        shownWindow = std::make_unique<PlainMessageBox>(QStringLiteral("Повторить?"),
                                                        QMessageBox::Yes | QMessageBox::No, main.get());
    else if (window == "address")
        shownWindow = std::make_unique<TFormInput_Adr>(address, main.get());
    QWidget *checked = shownWindow ? shownWindow.get() : main.get();
    checked->show();
    QVERIFY(QTest::qWaitForWindowExposed(checked));

    const QMap<QString, QString> properties = TitleProperties(checked->winId());
    QVERIFY2(!properties.contains(QStringLiteral("error")), qPrintable(properties.value(QStringLiteral("error"))));
    QCOMPARE(properties.value(QStringLiteral("_NET_WM_NAME"), QStringLiteral("(unset)")), shown);
    if (shown.trimmed().isEmpty()) // the old property, for window managers that read only it
        QCOMPARE(properties.value(QStringLiteral("WM_NAME"), QStringLiteral("(unset)")).trimmed(), QString());
    // The icon a task bar and the title bar show (Qt hands the window manager the sizes
    // up to 128 pixels).
    const QStringList sizes = IconSizes(checked->winId());
    for (const char *size : {"48 x 48", "128 x 128"})
        QVERIFY2(sizes.contains(QLatin1String(size)), qPrintable(sizes.join(u',')));
}

int main(int argc, char *argv[])
{
    TavrinApplication app(argc, argv);
    TestTitleBar test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_titlebar.moc"
