// The subscriber editor: what it shows in each mode, what "Принять" refuses and what it
// stores into the slot, and that cancelling leaves the slot alone.
#include "dialogs/formabonent.h"

#include "dialogtest.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace tavrin;
using namespace tavrin::test;

namespace {

QLineEdit *NameEdit(const TFormAbonent &e) { return Named<QLineEdit>(&e, "Edit1"); }
QLineEdit *PhoneEdit(const TFormAbonent &e) { return Named<QLineEdit>(&e, "Edit2"); }
QPushButton *AcceptButton(const TFormAbonent &e) { return Named<QPushButton>(&e, "BitBtn4"); }
QPushButton *CancelButton(const TFormAbonent &e) { return Named<QPushButton>(&e, "BitBtn5"); }

// A slot as a deletion leaves it, except for its two addresses, which nothing edits.
AbonentRecord Slot()
{
    return {QString(), 0x21, 0x42, QString()};
}

} // namespace

class FormAbonentTest : public QObject {
    Q_OBJECT
private slots:
    void show_addModeEmptyEditModeShowsTheSlot();
    void accept_storesOrRefuses_data();
    void accept_storesOrRefuses();
    void cancel_leavesTheSlotAlone_data();
    void cancel_leavesTheSlotAlone();
    void keyboard_tabOrderAndEnterAccepts();
};

void FormAbonentTest::show_addModeEmptyEditModeShowsTheSlot()
{
    AbonentRecord slot{QStringLiteral("Котельная <b>5</b>"), 1, 1, QStringLiteral("+7 (812) 100%")};
    {
        TFormAbonent editor(slot, AddMode, nullptr);
        editor.open();
        QCOMPARE(editor.windowTitle(), QStringLiteral(" Параметры абонента"));
        QCOMPARE(NameEdit(editor)->text(), QString());
        QCOMPARE(PhoneEdit(editor)->text(), QString());
        QCOMPARE(NameEdit(editor)->maxLength(), 49);
        QCOMPARE(PhoneEdit(editor)->maxLength(), 29);
        QCOMPARE(Texts(&editor, {"BitBtn4", "BitBtn5"}), (QStringList{QStringLiteral("Принять"), QStringLiteral("Отменить")}));
        QCOMPARE(LabelTexts(&editor), (QStringList{QStringLiteral("Наименование"), QStringLiteral("№ телефона")}));
    }
    TFormAbonent editor(slot, EditMode, nullptr);
    editor.open();
    SaveScreen(&editor, QStringLiteral("formabonent.png"));
    QCOMPARE(NameEdit(editor)->text(), QStringLiteral("Котельная <b>5</b>"));
    QCOMPARE(PhoneEdit(editor)->text(), QStringLiteral("+7 (812) 100%"));
}

void FormAbonentTest::accept_storesOrRefuses_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("phone");
    QTest::addColumn<QString>("message"); // empty: accepted
    const QString notAll = QStringLiteral("Введены не все параметры");
    QTest::newRow("both given") << QStringLiteral("Насосная Ёлкино") << QStringLiteral("8 (900) 000-00-01") << QString();
    QTest::newRow("percent and markup as typed") << QStringLiteral("100% <b>Щит</b> &amp;") << QStringLiteral("%d%s")
                                                 << QString();
    QTest::newRow("CP1251 signs") << QStringLiteral("Цех №3 «Юг» – €") << QStringLiteral("+7") << QString();
    QTest::newRow("no name") << QString() << QStringLiteral("1") << notAll;
    QTest::newRow("no phone") << QStringLiteral("Анна") << QString() << notAll;
    QTest::newRow("blank name counts as given") << QStringLiteral(" ") << QStringLiteral("1") << QString();
    QTest::newRow("Greek letter in the name")
        << QStringLiteral("Щит Ω") << QStringLiteral("1")
        << QStringLiteral("Символ «Ω» в поле «Наименование» не может быть сохранён в файле абонентов.\rЗамените его.");
    QTest::newRow("emoji in the phone")
        << QStringLiteral("Щит") << QStringLiteral("8 900 \U0001F4DE")
        << QStringLiteral("Символ «\U0001F4DE» в поле «№ телефона» не может быть сохранён в файле абонентов.\rЗамените его.");
    QTest::newRow("empty field asked for before a foreign character") << QStringLiteral("Ω") << QString() << notAll;
}

void FormAbonentTest::accept_storesOrRefuses()
{
    QFETCH(QString, name);
    QFETCH(QString, phone);
    QFETCH(QString, message);
    AbonentRecord slot = Slot();
    QStringList messages;
    TFormAbonent editor(slot, AddMode, nullptr);
    editor.showMessage = [&messages](const QString &text) { messages << text; };
    editor.open();
    NameEdit(editor)->setText(name);
    PhoneEdit(editor)->setText(phone);
    AcceptButton(editor)->click();

    if (message.isEmpty()) {
        QCOMPARE(messages, QStringList());
        QCOMPARE(editor.result(), int(QDialog::Accepted));
        QVERIFY(!editor.isVisible());
        QCOMPARE(slot, (AbonentRecord{name, 0x21, 0x42, phone}));
    } else {
        QCOMPARE(messages, QStringList{message});
        QCOMPARE(editor.result(), int(QDialog::Rejected));
        QVERIFY(editor.isVisible());
        QCOMPARE(slot, Slot());
        QCOMPARE(NameEdit(editor)->text(), name); // kept for correction
    }
}

void FormAbonentTest::cancel_leavesTheSlotAlone_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("Отменить") << "button";
    QTest::newRow("Esc") << "escape";
    QTest::newRow("close box") << "close";
}

void FormAbonentTest::cancel_leavesTheSlotAlone()
{
    QFETCH(QString, how);
    AbonentRecord slot{QStringLiteral("Анна"), 3, 4, QStringLiteral("111")};
    const AbonentRecord before = slot;
    TFormAbonent editor(slot, EditMode, nullptr);
    editor.open();
    NameEdit(editor)->setText(QStringLiteral("Анна-Мария"));
    if (how == "button")
        CancelButton(editor)->click();
    else if (how == "escape")
        QTest::keyClick(NameEdit(editor), Qt::Key_Escape);
    else
        editor.close();
    QVERIFY(!editor.isVisible());
    QCOMPARE(editor.result(), int(QDialog::Rejected));
    QCOMPARE(slot, before);
}

void FormAbonentTest::keyboard_tabOrderAndEnterAccepts()
{
    AbonentRecord slot = Slot();
    TFormAbonent editor(slot, AddMode, nullptr);
    editor.open();
    QVERIFY(Activate(&editor));
    QCOMPARE(QApplication::focusWidget(), NameEdit(editor));
    TypeText(NameEdit(editor), QStringLiteral("Вера"));
    QTest::keyClick(NameEdit(editor), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), PhoneEdit(editor));
    TypeText(PhoneEdit(editor), QStringLiteral("333"));
    QTest::keyClick(PhoneEdit(editor), Qt::Key_Return);
    QCOMPARE(editor.result(), int(QDialog::Accepted));
    QCOMPARE(slot.user_name, QStringLiteral("Вера"));
    QCOMPARE(slot.phone_code, QStringLiteral("333"));
}

QTEST_MAIN(FormAbonentTest)
#include "tst_formabonent.moc"
