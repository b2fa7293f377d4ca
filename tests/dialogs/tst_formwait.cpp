// The wait window: what it names for each operation, and a bar that a second operation
// continues under a new maximum.
#include "dialogs/formwait.h"

#include "dialogtest.h"

#include <QLabel>
#include <QProgressBar>
#include <QTest>

using namespace tavrin;
using tavrin::test::Named;

namespace {

QString Line(const TFormWait &wait, const char *name)
{
    return Named<QLabel>(&wait, name)->text();
}

QProgressBar *Bar(const TFormWait &wait)
{
    return Named<QProgressBar>(&wait, "ProgressBar1");
}

} // namespace

class FormWaitTest : public QObject {
    Q_OBJECT
private slots:
    void show_namesTheOperationOfItsKind_data();
    void show_namesTheOperationOfItsKind();
    void stateReadingAfterPairCreation_keepsTheTextsAndContinuesTheBar();
    void user_cannotCloseTheWindow();
};

void FormWaitTest::show_namesTheOperationOfItsKind_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("line1");
    QTest::addColumn<QString>("line2");
    QTest::newRow("state reading") << 0 << QStringLiteral("Выполняется чтение")
                                   << QStringLiteral("параметров состояния устройства");
    QTest::newRow("pair creation") << 1 << QStringLiteral("Выполняется операция")
                                   << QStringLiteral("создания пары с периферийным устройством");
}

void FormWaitTest::show_namesTheOperationOfItsKind()
{
    QFETCH(int, kind);
    QFETCH(QString, line1);
    QFETCH(QString, line2);
    QWidget owner;
    owner.resize(800, 600);
    owner.show();
    auto *wait = new TFormWait(&owner);
    QCOMPARE(wait->WaitKind, WaitWindowKind::StateReading); // a new window reads the state unless told otherwise
    wait->WaitKind = WaitWindowKind(kind);
    wait->setMaximum(4);
    wait->show();
    QCOMPARE(wait->windowTitle(), QStringLiteral("..."));
    QCOMPARE(Line(*wait, "Label1"), QStringLiteral("Ожидайте..."));
    QCOMPARE(Line(*wait, "Label2"), line1);
    QCOMPARE(Line(*wait, "Label3"), line2);
    QCOMPARE(Bar(*wait)->value(), 0);
    QCOMPARE(Bar(*wait)->maximum(), 4);
    QCOMPARE(wait->cursor().shape(), Qt::WaitCursor);
    // Centred on its owner.
    QVERIFY(qAbs(wait->frameGeometry().center().x() - owner.frameGeometry().center().x()) <= 1);
    QVERIFY(qAbs(wait->frameGeometry().center().y() - owner.frameGeometry().center().y()) <= 1);
    delete wait;
}

void FormWaitTest::stateReadingAfterPairCreation_keepsTheTextsAndContinuesTheBar()
{
    QWidget owner;
    TFormWait wait(&owner);
    wait.WaitKind = WaitWindowKind::PairCreation;
    wait.setMaximum(5);
    wait.show();
    wait.advance(); // PING
    wait.advance(); // PEERADDR with an address
    wait.advance(); // the reading back
    QCOMPARE(Bar(wait)->value(), 3);

    // The closing state reading finds the window open and only sets its own kind and maximum.
    wait.WaitKind = WaitWindowKind::StateReading;
    wait.setMaximum(4);
    wait.show();
    QCOMPARE(Line(wait, "Label2"), QStringLiteral("Выполняется операция"));
    QCOMPARE(Line(wait, "Label3"), QStringLiteral("создания пары с периферийным устройством"));
    QCOMPARE(Bar(wait)->value(), 3);
    wait.advance();
    wait.advance(); // one step more than the new maximum holds
    QCOMPARE(Bar(wait)->value(), 4);

    // Shown again after being hidden, it still is the same operation's window.
    wait.hide();
    wait.show();
    QCOMPARE(Line(wait, "Label2"), QStringLiteral("Выполняется операция"));
    QCOMPARE(Bar(wait)->value(), 4);
}

void FormWaitTest::user_cannotCloseTheWindow()
{
    QWidget owner;
    TFormWait wait(&owner);
    QVERIFY(wait.isWindow());
    QVERIFY(wait.windowFlags() & Qt::WindowTitleHint);
    QCOMPARE(wait.windowFlags() & (Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint | Qt::WindowMinMaxButtonsHint),
             Qt::WindowFlags());
}

QTEST_MAIN(FormWaitTest)
#include "tst_formwait.moc"
