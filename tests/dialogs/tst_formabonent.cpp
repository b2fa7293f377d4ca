// The subscriber editor: what it shows in each mode, what "Принять" refuses and what it
// stores into the slot, and that cancelling leaves the slot alone.
#include "dialogs/formabonent.h"

#include "dialogtest.h"
#include "support/loadedlibraries.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace tavrin;
using namespace tavrin::test;

namespace {

QLineEdit *NameEdit(const TFormAbonent &e) { return Named<QLineEdit>(&e, "Edit1"); }
QLineEdit *PhoneEdit(const TFormAbonent &e) { return Named<QLineEdit>(&e, "Edit2"); }
QLineEdit *AddressEdit(const TFormAbonent &e) { return Named<QLineEdit>(&e, "NetworkAddressEdit"); }
QComboBox *ProtocolList(const TFormAbonent &e) { return Named<QComboBox>(&e, "ProtocolList"); }
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
    // First: it needs a process that has not yet checked an IP address.
    void accept_firstIpAddressLoadsTheNetworkLibrary();
    void show_addModeEmptyEditModeShowsTheSlot();
    void accept_storesOrRefuses_data();
    void accept_storesOrRefuses();
    void cancel_leavesTheSlotAlone_data();
    void cancel_leavesTheSlotAlone();
    void keyboard_tabOrderAndEnterAccepts();
};

// QtNetwork is not linked into the programs: a host name is checked without it, and the
// first IP address loads the program's network module, which brings it.
void FormAbonentTest::accept_firstIpAddressLoadsTheNetworkLibrary()
{
    QVERIFY(!LibraryLoaded("libQt6Network"));
    for (const char *address : {"site-7.example.ru:2217", "192.168.1.20:4001"}) {
        AbonentRecord slot = Slot();
        QStringList messages;
        TFormAbonent editor(slot, AddMode, nullptr);
        editor.showMessage = [&messages](const QString &text) { messages << text; };
        editor.open();
        NameEdit(editor)->setText(QStringLiteral("Щит"));
        AddressEdit(editor)->setText(QString::fromLatin1(address));
        AcceptButton(editor)->click();
        QCOMPARE(messages, QStringList());
        QCOMPARE(slot.networkAddress, QString::fromLatin1(address));
        QCOMPARE(LibraryLoaded("libQt6Network"), slot.networkAddress.startsWith(u'1'));
    }
}

void FormAbonentTest::show_addModeEmptyEditModeShowsTheSlot()
{
    AbonentRecord slot{QStringLiteral("Котельная <b>5</b>"), 1, 1, QStringLiteral("+7 (812) 100%"),
                       QStringLiteral("kotelnaya-5.example:4001"), Rfc2217};
    {
        TFormAbonent editor(slot, AddMode, nullptr);
        editor.open();
        QCOMPARE(editor.windowTitle(), QStringLiteral(" Параметры абонента"));
        QCOMPARE(NameEdit(editor)->text(), QString());
        QCOMPARE(PhoneEdit(editor)->text(), QString());
        QCOMPARE(NameEdit(editor)->maxLength(), 49);
        QCOMPARE(PhoneEdit(editor)->maxLength(), 29);
        QCOMPARE(Texts(&editor, {"BitBtn4", "BitBtn5"}), (QStringList{QStringLiteral("Принять"), QStringLiteral("Отменить")}));
        QCOMPARE(LabelTexts(&editor), (QStringList{QStringLiteral("Наименование"), QStringLiteral("Протокол"),
                                                   QStringLiteral("Сетевой адрес"), QStringLiteral("№ телефона")}));
        QCOMPARE(AddressEdit(editor)->text(), QString());
        QCOMPARE(Items(ProtocolList(editor)), (QStringList{QStringLiteral("TCP"), QStringLiteral("RFC 2217")}));
    }
    TFormAbonent editor(slot, EditMode, nullptr);
    editor.open();
    SaveScreen(&editor, QStringLiteral("formabonent.png"));
    QCOMPARE(NameEdit(editor)->text(), QStringLiteral("Котельная <b>5</b>"));
    QCOMPARE(PhoneEdit(editor)->text(), QStringLiteral("+7 (812) 100%"));
    QCOMPARE(AddressEdit(editor)->text(), QStringLiteral("kotelnaya-5.example:4001"));
    QCOMPARE(ProtocolList(editor)->currentIndex(), int(Rfc2217));
}

void FormAbonentTest::accept_storesOrRefuses_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("phone");
    QTest::addColumn<QString>("address"); // typed into "Сетевой адрес"
    QTest::addColumn<int>("protocol");
    QTest::addColumn<QString>("stored");  // the address stored
    QTest::addColumn<QString>("message"); // empty: accepted
    const QString notAll = QStringLiteral("Введены не все параметры");
    const auto bad = [](const QString &address) {
        return QStringLiteral("Неверный сетевой адрес «%1».\rУкажите узел и порт через двоеточие: имя:порт, IPv4:порт "
                              "или [IPv6]:порт; порт от 1 до 65535.")
            .arg(address);
    };
    const auto row = [](const char *tag, const QString &name, const QString &phone, const QString &message) {
        QTest::newRow(tag) << name << phone << QString() << 0 << QString() << message;
    };
    row("both given", QStringLiteral("Насосная Ёлкино"), QStringLiteral("8 (900) 000-00-01"), QString());
    row("percent and markup as typed", QStringLiteral("100% <b>Щит</b> &amp;"), QStringLiteral("%d%s"), QString());
    row("CP1251 signs", QStringLiteral("Цех №3 «Юг» – €"), QStringLiteral("+7"), QString());
    row("no name", QString(), QStringLiteral("1"), notAll);
    row("no phone", QStringLiteral("Анна"), QString(), notAll);
    row("blank name counts as given", QStringLiteral(" "), QStringLiteral("1"), QString());
    row("Greek letter in the name", QStringLiteral("Щит Ω"), QStringLiteral("1"),
        QStringLiteral("Символ «Ω» в поле «Наименование» не может быть сохранён в файле абонентов.\rЗамените его."));
    row("emoji in the phone", QStringLiteral("Щит"), QStringLiteral("8 900 \U0001F4DE"),
        QStringLiteral("Символ «\U0001F4DE» в поле «№ телефона» не может быть сохранён в файле абонентов.\rЗамените его."));
    row("empty field asked for before a foreign character", QStringLiteral("Ω"), QString(), notAll);

    const auto site = [](const char *tag, const char *phone, const char *address, int protocol, const char *stored,
                         const QString &message) {
        QTest::newRow(tag) << QStringLiteral("Щит") << QString::fromUtf8(phone) << QString::fromUtf8(address)
                           << protocol << QString::fromUtf8(stored) << message;
    };
    site("address: host name, RFC 2217", "1", "site-7.example.ru:2217", 1, "site-7.example.ru:2217", QString());
    site("address: IPv4, no phone needed", "", "192.168.1.20:4001", 0, "192.168.1.20:4001", QString());
    site("address: IPv6 in brackets, blanks trimmed", "1", "  [2001:db8::1]:65535 ", 0, "[2001:db8::1]:65535",
         QString());
    site("address: no port", "1", "10.0.0.1", 0, "", bad("10.0.0.1"));
    site("address: port 0", "1", "10.0.0.1:0", 0, "", bad("10.0.0.1:0"));
    site("address: port 65536", "1", "10.0.0.1:65536", 0, "", bad("10.0.0.1:65536"));
    site("address: IPv4 out of range", "1", "10.0.0.300:4001", 0, "", bad("10.0.0.300:4001"));
    site("address: IPv6 without brackets", "1", "2001:db8::1:4001", 0, "", bad("2001:db8::1:4001"));
    site("address: blank in the host", "1", "site 7:4001", 0, "", bad("site 7:4001"));
    site("address: Cyrillic host", "1", "объект.рф:4001", 0, "", bad("объект.рф:4001"));
}

void FormAbonentTest::accept_storesOrRefuses()
{
    QFETCH(QString, name);
    QFETCH(QString, phone);
    QFETCH(QString, address);
    QFETCH(int, protocol);
    QFETCH(QString, stored);
    QFETCH(QString, message);
    AbonentRecord slot = Slot();
    QStringList messages;
    TFormAbonent editor(slot, AddMode, nullptr);
    editor.showMessage = [&messages](const QString &text) { messages << text; };
    editor.open();
    NameEdit(editor)->setText(name);
    PhoneEdit(editor)->setText(phone);
    AddressEdit(editor)->setText(address);
    ProtocolList(editor)->setCurrentIndex(protocol);
    AcceptButton(editor)->click();

    if (message.isEmpty()) {
        QCOMPARE(messages, QStringList());
        QCOMPARE(editor.result(), int(QDialog::Accepted));
        QVERIFY(!editor.isVisible());
        QCOMPARE(slot, (AbonentRecord{name, 0x21, 0x42, phone, stored, NetworkProtocol(protocol)}));
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
    QCOMPARE(slot.name, QStringLiteral("Вера"));
    QCOMPARE(slot.phoneNumber, QStringLiteral("333"));
}

QTEST_MAIN(FormAbonentTest)
#include "tst_formabonent.moc"
