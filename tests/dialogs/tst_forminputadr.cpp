// The address dialog: what a field lets in, what leaving a field stores, and what
// accepting and cancelling do to the stored peer address.
#include "dialogs/forminputadr.h"

#include "dialogtest.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>

using namespace tavrin;
using namespace tavrin::test;

namespace {

// Address field i, a0 to a5.
QLineEdit *Field(const TFormInput_Adr &dialog, int i)
{
    return Named<QLineEdit>(&dialog, qPrintable(QStringLiteral("a%1").arg(i)));
}

QPushButton *AcceptButton(const TFormInput_Adr &dialog)
{
    return Named<QPushButton>(&dialog, "BitBtn1"); // "Принять"
}

QPushButton *CancelButton(const TFormInput_Adr &dialog)
{
    return Named<QPushButton>(&dialog, "BitBtn2"); // "Отменить"
}

// Shows the dialog as its opener would and waits until it has the keyboard.
bool ShowActive(TFormInput_Adr &dialog)
{
    dialog.open();
    return Activate(&dialog);
}

void Retype(QLineEdit *field, const QString &keys)
{
    field->setFocus();
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Backspace);
    TypeText(field, keys);
}

} // namespace

class FormInputAdrTest : public QObject {
    Q_OBJECT
private slots:
    void show_showsTheStoredAddressInUpperCaseHex();
    void keyFilter_passesHexDigitsOnlyAndRaisesLowerCase_data();
    void keyFilter_passesHexDigitsOnlyAndRaisesLowerCase();
    void paste_goesThroughTheSameFilter();
    void leavingAField_storesItsByteAndFillsAnEmptyOne();
    void focusLentToAMenuOrAnotherWindow_doesNotLeaveTheField_data();
    void focusLentToAMenuOrAnotherWindow_doesNotLeaveTheField();
    void accept_changedFieldReplacesOnlyItsByte_data();
    void accept_changedFieldReplacesOnlyItsByte();
    void accept_addressNoDeviceHas_isRefusedAndTheDialogStays_data();
    void accept_addressNoDeviceHas_isRefusedAndTheDialogStays();
    void cancel_leavesTheStoredAddressAlone_data();
    void cancel_leavesTheStoredAddressAlone();
    void tabOrder_startsOnCancelThenAcceptThenTheFields();
    void enter_pressesOnlyTheFocusedButton();
};

void FormInputAdrTest::show_showsTheStoredAddressInUpperCaseHex()
{
    MacAddress stored{0x0A, 0x1B, 0x2C, 0x3D, 0x4E, 0x5F};
    TFormInput_Adr dialog(stored, nullptr);
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QVERIFY(ShowActive(dialog));
    QCOMPARE(Texts(&dialog, {"a0", "a1", "a2", "a3", "a4", "a5"}), (QStringList{"0A", "1B", "2C", "3D", "4E", "5F"}));
    for (int i = 1; i < 6; ++i) // the bytes in order, left to right
        QVERIFY(Field(dialog, i)->x() > Field(dialog, i - 1)->x());
    QCOMPARE(Texts(&dialog, {"Label1", "Label2", "BitBtn1", "BitBtn2"}),
             (QStringList{QStringLiteral("Введите адрес"), QStringLiteral("для создания пары"),
                          QStringLiteral("Принять"), QStringLiteral("Отменить")}));
    QCOMPARE(dialog.windowTitle().trimmed(), QString()); // what the title bar shows: tst_titlebar
}

void FormInputAdrTest::keyFilter_passesHexDigitsOnlyAndRaisesLowerCase_data()
{
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("shown");
    QTest::newRow("b becomes B") << "b" << "B";
    QTest::newRow("g is dropped") << "g" << "";
    QTest::newRow("blank is dropped") << " " << "";
    QTest::newRow("punctuation is dropped") << ":.-," << "";
    QTest::newRow("Cyrillic is dropped") << QStringLiteral("аф") << "";
    QTest::newRow("digits and letters") << "7f" << "7F";
    QTest::newRow("junk between digits") << "1x;2" << "12";
    QTest::newRow("third digit does not fit") << "abc" << "AB";
}

void FormInputAdrTest::keyFilter_passesHexDigitsOnlyAndRaisesLowerCase()
{
    QFETCH(QString, keys);
    QFETCH(QString, shown);
    MacAddress stored{};
    TFormInput_Adr dialog(stored, nullptr);
    QVERIFY(ShowActive(dialog));
    Retype(Field(dialog, 0), keys);
    QCOMPARE(Field(dialog, 0)->text(), shown);
}

void FormInputAdrTest::paste_goesThroughTheSameFilter()
{
    MacAddress stored{};
    TFormInput_Adr dialog(stored, nullptr);
    QVERIFY(ShowActive(dialog));
    QLineEdit *field = Field(dialog, 4);
    field->setFocus();
    field->clear();
    QApplication::clipboard()->setText(QStringLiteral(" e:"));
    if (QApplication::clipboard()->text() != QStringLiteral(" e:"))
        QSKIP("no clipboard on this platform");
    field->paste();
    QCOMPARE(field->text(), QStringLiteral("E"));
    QTest::keyClick(field, Qt::Key_Tab);
    AcceptButton(dialog)->click();
    QCOMPARE(stored[4], quint8(0x0E));
}

void FormInputAdrTest::leavingAField_storesItsByteAndFillsAnEmptyOne()
{
    MacAddress stored{0x11, 0x22, 0x33, 0x44, 0x55, 0x66};
    TFormInput_Adr dialog(stored, nullptr);
    QVERIFY(ShowActive(dialog));

    Retype(Field(dialog, 3), QString());
    QTest::keyClick(Field(dialog, 3), Qt::Key_Tab);
    QCOMPARE(Field(dialog, 3)->text(), QStringLiteral("00"));
    QCOMPARE(dialog.EditedAddress[3], quint8(0));

    // One digit is stored as its byte but stays shown as typed.
    Retype(Field(dialog, 5), QStringLiteral("7"));
    QTest::keyClick(Field(dialog, 5), Qt::Key_Tab);
    QCOMPARE(Field(dialog, 5)->text(), QStringLiteral("7"));
    QCOMPARE(dialog.EditedAddress[5], quint8(0x07));

    QCOMPARE(stored, (MacAddress{0x11, 0x22, 0x33, 0x44, 0x55, 0x66})); // nothing stored before "Принять"
    QTest::mouseClick(AcceptButton(dialog), Qt::LeftButton);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(stored, (MacAddress{0x11, 0x22, 0x33, 0x00, 0x55, 0x07}));
}

void FormInputAdrTest::focusLentToAMenuOrAnotherWindow_doesNotLeaveTheField_data()
{
    QTest::addColumn<bool>("menu");
    QTest::newRow("a menu pops up") << true;
    QTest::newRow("another window is activated") << false;
}

void FormInputAdrTest::focusLentToAMenuOrAnotherWindow_doesNotLeaveTheField()
{
    QFETCH(bool, menu);
    MacAddress stored{0x11, 0x22, 0x33, 0x44, 0x55, 0x66};
    TFormInput_Adr dialog(stored, nullptr);
    QVERIFY(ShowActive(dialog));
    Retype(Field(dialog, 1), QString());
    QCOMPARE(QApplication::focusWidget(), Field(dialog, 1));

    // The user empties a field and opens a menu (to paste) or looks up the address elsewhere.
    QMenu popup;
    popup.addAction(QStringLiteral("x"));
    QWidget elsewhere;
    if (menu) {
        popup.popup(Field(dialog, 1)->mapToGlobal(QPoint(2, 2)));
        QVERIFY(QTest::qWaitForWindowExposed(&popup));
    } else {
        elsewhere.show();
        QApplication::setActiveWindow(&elsewhere);
        QVERIFY(QTest::qWaitForWindowActive(&elsewhere));
    }
    QCOMPARE(Field(dialog, 1)->text(), QString()); // still empty, room for the digits
    QCOMPARE(dialog.EditedAddress[1], quint8(0x22));

    popup.close();
    elsewhere.close();
    QApplication::setActiveWindow(&dialog);
    QTRY_VERIFY(dialog.isActiveWindow());
    Field(dialog, 1)->setFocus();
    TypeText(Field(dialog, 1), QStringLiteral("9c"));
    QTest::mouseClick(AcceptButton(dialog), Qt::LeftButton);
    QCOMPARE(stored, (MacAddress{0x11, 0x9C, 0x33, 0x44, 0x55, 0x66}));
}

void FormInputAdrTest::accept_changedFieldReplacesOnlyItsByte_data()
{
    QTest::addColumn<bool>("elsewhere");
    QTest::newRow("the dialog active") << false;
    // The click then moves the focus without leaving the field.
    QTest::newRow("another window active") << true;
}

void FormInputAdrTest::accept_changedFieldReplacesOnlyItsByte()
{
    QFETCH(bool, elsewhere);
    MacAddress stored{0x0A, 0x1B, 0x2C, 0x3D, 0x4E, 0x5F};
    TFormInput_Adr dialog(stored, nullptr);
    QVERIFY(ShowActive(dialog));
    QWidget other;
    if (elsewhere) {
        other.show();
        QApplication::setActiveWindow(&other);
        QVERIFY(QTest::qWaitForWindowActive(&other));
    }
    Retype(Field(dialog, 2), QStringLiteral("7f"));
    QCOMPARE(Field(dialog, 2)->text(), QStringLiteral("7F"));
    QTest::mouseClick(AcceptButton(dialog), Qt::LeftButton);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QVERIFY(!dialog.isVisible());
    QCOMPARE(stored, (MacAddress{0x0A, 0x1B, 0x7F, 0x3D, 0x4E, 0x5F}));
}

void FormInputAdrTest::accept_addressNoDeviceHas_isRefusedAndTheDialogStays_data()
{
    QTest::addColumn<MacAddress>("stored");
    QTest::addColumn<QStringList>("typed"); // the six fields; none: as offered
    QTest::addColumn<QString>("refused");   // the address named in the message; none: accepted
    const MacAddress sample{0x0A, 0x1B, 0x2C, 0x3D, 0x4E, 0x5F};
    QTest::newRow("nothing stored: the null address offered") << MacAddress{} << QStringList() << "00:00:00:00:00:00";
    QTest::newRow("zeros typed") << sample << QStringList{"0", "00", "", "00", "0", "00"} << "00:00:00:00:00:00";
    QTest::newRow("broadcast typed") << sample << QStringList{"ff", "FF", "Ff", "FF", "ff", "FF"}
                                     << "FF:FF:FF:FF:FF:FF";
    QTest::newRow("one bit short of null is a device") << sample << QStringList{"00", "00", "00", "00", "00", "01"}
                                                       << QString();
    QTest::newRow("one bit short of broadcast is a device")
        << sample << QStringList{"FF", "FF", "FF", "FF", "FF", "FE"} << QString();
}

void FormInputAdrTest::accept_addressNoDeviceHas_isRefusedAndTheDialogStays()
{
    QFETCH(MacAddress, stored);
    QFETCH(QStringList, typed);
    QFETCH(QString, refused);
    const MacAddress before = stored;
    TFormInput_Adr dialog(stored, nullptr);
    QStringList messages;
    dialog.showMessage = [&messages](const QString &text) { messages << text; };
    QVERIFY(ShowActive(dialog));
    for (int i = 0; i < typed.size(); ++i)
        Retype(Field(dialog, i), typed[i]);
    QTest::mouseClick(AcceptButton(dialog), Qt::LeftButton);
    if (refused.isEmpty()) {
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(messages, QStringList());
        QCOMPARE(stored[5], quint8(typed[5] == "01" ? 0x01 : 0xFE));
        return;
    }
    QCOMPARE(messages, QStringList{QStringLiteral("Адрес %1 не может быть адресом периферийного устройства.\r"
                                                  "Введите адрес устройства").arg(refused)});
    QVERIFY(dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QCOMPARE(stored, before);
    // The address is mended in place and taken.
    Retype(Field(dialog, 3), QStringLiteral("3d"));
    QTest::mouseClick(AcceptButton(dialog), Qt::LeftButton);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(stored[3], quint8(0x3D));
    QCOMPARE(messages.size(), 1);
}

void FormInputAdrTest::cancel_leavesTheStoredAddressAlone_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("Отменить") << "button";
    QTest::newRow("Esc") << "escape";
    QTest::newRow("close box") << "close";
    QTest::newRow("Enter on Отменить, where the dialog opens") << "enter";
}

void FormInputAdrTest::cancel_leavesTheStoredAddressAlone()
{
    QFETCH(QString, how);
    MacAddress stored{1, 2, 3, 4, 5, 6};
    TFormInput_Adr dialog(stored, nullptr);
    QVERIFY(ShowActive(dialog));
    Retype(Field(dialog, 0), QStringLiteral("ff"));
    QTest::keyClick(Field(dialog, 0), Qt::Key_Tab);
    QCOMPARE(dialog.EditedAddress[0], quint8(0xFF));
    if (how == "button")
        QTest::mouseClick(CancelButton(dialog), Qt::LeftButton);
    else if (how == "escape")
        QTest::keyClick(&dialog, Qt::Key_Escape);
    else if (how == "enter") {
        CancelButton(dialog)->setFocus();
        QTest::keyClick(CancelButton(dialog), Qt::Key_Return);
    }
    else
        dialog.close();
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QCOMPARE(stored, (MacAddress{1, 2, 3, 4, 5, 6}));
}

void FormInputAdrTest::tabOrder_startsOnCancelThenAcceptThenTheFields()
{
    MacAddress stored{};
    TFormInput_Adr dialog(stored, nullptr);
    QVERIFY(ShowActive(dialog));
    QCOMPARE(QApplication::focusWidget(), CancelButton(dialog));
    const QList<QWidget *> order = {AcceptButton(dialog), Field(dialog, 0), Field(dialog, 1), Field(dialog, 2),
                                    Field(dialog, 3),    Field(dialog, 4), Field(dialog, 5), CancelButton(dialog)};
    QCOMPARE(TabWalk(order.size()), order);
}

void FormInputAdrTest::enter_pressesOnlyTheFocusedButton()
{
    // Enter in a field presses no button; on "Принять" it accepts (on "Отменить": the
    // cancel rows).
    MacAddress stored{1, 2, 3, 4, 5, 6};
    TFormInput_Adr dialog(stored, nullptr);
    QVERIFY(ShowActive(dialog));
    Retype(Field(dialog, 0), QStringLiteral("ab"));
    QTest::keyClick(Field(dialog, 0), Qt::Key_Return);
    QVERIFY(dialog.isVisible());
    QTest::keyClick(Field(dialog, 0), Qt::Key_Enter, Qt::KeypadModifier);
    QVERIFY(dialog.isVisible());
    AcceptButton(dialog)->setFocus();
    QTest::keyClick(AcceptButton(dialog), Qt::Key_Enter, Qt::KeypadModifier);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(stored, (MacAddress{0xAB, 2, 3, 4, 5, 6}));
}

QTEST_MAIN(FormInputAdrTest)
#include "tst_forminputadr.moc"
