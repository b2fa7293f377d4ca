// The program's message box: text never read as markup, "\r" as a line break, and
// in a question Enter answers Yes while Esc answers No.
#include "dialogs/messagebox.h"

#include <QAbstractButton>
#include <QTest>
#include <QTimer>

using namespace tavrin;

class MessageBoxTest : public QObject {
    Q_OBJECT
private slots:
    void text_isPlainWithCarriageReturnAsLineBreak();
    void question_keysAnswer_data();
    void question_keysAnswer();
};

void MessageBoxTest::text_isPlainWithCarriageReturnAsLineBreak()
{
    PlainMessageBox box(QStringLiteral("<b>Сбой</b> & <i>\"KILL\"</i>\rвторая строка"),
                        QMessageBox::Ok, nullptr);
    QCOMPARE(box.text(), QStringLiteral("<b>Сбой</b> & <i>\"KILL\"</i>\nвторая строка"));
    QCOMPARE(box.textFormat(), Qt::PlainText);
    QCOMPARE(box.windowTitle().trimmed(), QString()); // what the title bar shows: tst_titlebar
    QCOMPARE(box.icon(), QMessageBox::NoIcon);
    QCOMPARE(box.standardButtons(), QMessageBox::StandardButtons(QMessageBox::Ok));
}

void MessageBoxTest::question_keysAnswer_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("answer");
    QTest::newRow("Enter") << int(Qt::Key_Return) << int(QMessageBox::Yes);
    QTest::newRow("Esc") << int(Qt::Key_Escape) << int(QMessageBox::No);
}

void MessageBoxTest::question_keysAnswer()
{
    QFETCH(int, key);
    QFETCH(int, answer);
    PlainMessageBox box(QStringLiteral("Повторить?"), QMessageBox::Yes | QMessageBox::No, nullptr);
    QTimer::singleShot(0, &box, [&box, key] {
        QTest::keyClick(&box, Qt::Key(key));
        // Should the key miss, the box still ends, and the answer shows it.
        if (box.isVisible())
            box.done(-1);
    });
    QCOMPARE(box.exec(), answer);
}

QTEST_MAIN(MessageBoxTest)
#include "tst_messagebox.moc"
