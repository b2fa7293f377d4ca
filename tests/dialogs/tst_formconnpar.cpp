// The connection parameters dialog: the ports and rates it offers, the checks of
// "Принять" in their order with their messages, and what it stores into the settings
// being edited.
#include "dialogs/formabonent.h"
#include "dialogs/formconnpar.h"

#include "dialogtest.h"

#include <QCheckBox>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace tavrin;
using namespace tavrin::test;

namespace {

QComboBox *List(const QDialog &p, const char *name) { return Named<QComboBox>(&p, name); }
QLineEdit *Field(const QDialog &p, const char *name) { return Named<QLineEdit>(&p, name); }
QPushButton *AcceptButton(const QDialog &p) { return Named<QPushButton>(&p, "BitBtn1"); }

const QString kNotAll = QStringLiteral("Введены не все параметры");

QString OutOfRange(const QString &field)
{
    return QStringLiteral("Параметр вне допустимого диапазона\r(") + field + QLatin1Char(')');
}

const QString kFirstByte = OutOfRange(QStringLiteral("Время ожидания первого байта ответа"));
const QString kNextBytes = OutOfRange(QStringLiteral("Время ожидания следующих байтов ответа"));
const QString kConnectWait = OutOfRange(QStringLiteral("Ожидание соединения"));
const QString kAttempts = OutOfRange(QStringLiteral("Количество попыток соединения"));

// Phone kind on COM7 at 115200 bit/s, 2 s, 250 ms, three exchange attempts, wake-up
// byte; the modem fields set; Анна and Вера, Вера selected.
Settings Stored()
{
    Settings settings;
    settings.connectionKind = Phone;
    settings.direct = {.portNumber = 3, .wakeUpByte = false, .bitRate = 9600, .exchangeAttempts = 2, .replyWaitSeconds = 3, .byteWaitMs = 300};
    settings.phone = {.portNumber = 7, .wakeUpByte = true, .bitRate = 115200, .exchangeAttempts = 3, .replyWaitSeconds = 2, .byteWaitMs = 250};
    settings.modemCommands = QStringLiteral("AT&F^ATE0");
    settings.connectWaitSeconds = 60;
    settings.dialRounds = 2;
    settings.directory = MakeDirectory({{QStringLiteral("Анна"), QStringLiteral("8 (900) 111-11-11")},
                                        {QStringLiteral("Вера"), QStringLiteral("8 (900) 333-33-33")}},
                                       1);
    return settings;
}

// The dialog opened by the connect dialog on its working settings.
struct Opened : StoreFixture {
    PortFolder ports;
    Settings edited;
    std::unique_ptr<TFormConn_Par> dialog;

    explicit Opened(const Settings &working, const QList<int> &present = {3, 7})
        : StoreFixture(working), ports(present), edited(working)
    {
        dialog = std::make_unique<TFormConn_Par>(store, edited, nullptr);
        dialog->StatusBar = &bar;
        dialog->showMessage = recordMessages();
        dialog->open();
    }
    // The fields typed as given (object name, text), then "Принять".
    void accept(const QList<QPair<const char *, QString>> &typed = {})
    {
        for (const auto &[name, text] : typed)
            Field(*dialog, name)->setText(text);
        AcceptButton(*dialog)->click();
    }
};

} // namespace

class FormConnParTest : public QObject {
    Q_OBJECT
private slots:
    void show_directKind();
    void show_phoneKindWithItsPanel();
    void line_presentPortsListedStoredPortAndRateSelected_data();
    void line_presentPortsListedStoredPortAndRateSelected();
    void ports_tooltipNamesTheDevice();
    void ranges_bothEdgesOfEveryField_data();
    void ranges_bothEdgesOfEveryField();
    void checks_comeInTheirOrder_data();
    void checks_comeInTheirOrder();
    void accept_directStoresTheDirectLineOnly();
    void accept_phoneStoresLineAndModemFieldsRepeatUnchanged();
    void accept_storedValueTooLongForItsFieldIsRefused();
    void accept_unknownKindStoresNothing();
    void keyFilter_timeOutFieldsTakeDigitsOnly();
    void subscriberAdded_isCommittedAndWrittenAtOnce();
    void keyboard_tabOrderEnterAcceptsEscLeaves();
    void network_noPortRateNoteAndConnectLimit_data();
    void network_noPortRateNoteAndConnectLimit();
};

void FormConnParTest::show_directKind()
{
    Settings working = Stored();
    working.connectionKind = Direct;
    Opened o(working);
    TFormConn_Par &p = *o.dialog;
    SaveScreen(&p, QStringLiteral("formconnpar-direct.png"));
    QCOMPARE(p.windowTitle(), QStringLiteral("Параметры связи с устройством (непосредственная связь)"));
    QVERIFY(!Named<QFrame>(&p, "pn_fon")->isVisible());
    QCOMPARE(List(p, "ComboBox1")->currentText(), QStringLiteral("COM3"));
    QCOMPARE(List(p, "ComboBox2")->currentText(), QStringLiteral("9600"));
    QCOMPARE(Field(p, "Edit1")->text(), QStringLiteral("3"));
    QCOMPARE(Field(p, "Edit2")->text(), QStringLiteral("300"));
    QCOMPARE(Field(p, "Edit1")->maxLength(), 3);
    QCOMPARE(Field(p, "Edit2")->maxLength(), 4);
    QVERIFY(!Named<QCheckBox>(&p, "CheckBox1")->isChecked());
    QComboBox *attempts = List(p, "ComboBox3");
    QCOMPARE(Items(attempts), (QStringList{" 1", " 2", " 3", " 4", " 5"}));
    QCOMPARE(attempts->currentText(), QStringLiteral(" 1")); // Repeat is 2
    QVERIFY(!attempts->isEnabled());
    QCOMPARE(Texts(&p, {"CheckBox1", "BitBtn1", "BitBtn2"}),
             (QStringList{QStringLiteral("Требуется посылка байта\nпобудки перед командой"), QStringLiteral("Принять"),
                          QStringLiteral("Выход")}));
}

void FormConnParTest::show_phoneKindWithItsPanel()
{
    Opened o(Stored());
    TFormConn_Par &p = *o.dialog;
    SaveScreen(&p, QStringLiteral("formconnpar-phone.png"));
    QCOMPARE(p.windowTitle(), QStringLiteral("Параметры связи с устройством (связь по телефону)"));
    QVERIFY(Named<QFrame>(&p, "pn_fon")->isVisible());
    QCOMPARE(List(p, "ComboBox1")->currentText(), QStringLiteral("COM7"));
    QCOMPARE(List(p, "ComboBox2")->currentText(), QStringLiteral("115200"));
    QVERIFY(Named<QCheckBox>(&p, "CheckBox1")->isChecked());
    QCOMPARE(Field(p, "Edit5")->text(), QStringLiteral("AT&F^ATE0"));
    QCOMPARE(Field(p, "Edit6")->text(), QStringLiteral("60"));
    QCOMPARE(Field(p, "Edit10")->text(), QStringLiteral("2"));
    QCOMPARE(Items(List(p, "ComboBox4")),
             (QStringList{QStringLiteral("Анна"), QStringLiteral("Вера"), QStringLiteral("Новый абонент")}));
    QCOMPARE(List(p, "ComboBox4")->currentIndex(), 1);
    QLabel *phoneCode = Named<QLabel>(&p, "pn_phone_code");
    QCOMPARE(phoneCode->text(), QStringLiteral("8 (900) 333-33-33"));
    QCOMPARE(phoneCode->textFormat(), Qt::PlainText);
    QCOMPARE(o.bar.panelText(StatusPanel::Kind), QStringLiteral(" Тел. 8 (900) 333-33-33"));

    Choose(List(p, "ComboBox4"), 0);
    QCOMPARE(o.edited.directory.selectedIndex, quint8(0));
    QCOMPARE(phoneCode->text(), QStringLiteral("8 (900) 111-11-11"));
    QCOMPARE(o.bar.panelText(StatusPanel::Kind), QStringLiteral(" Тел. 8 (900) 111-11-11"));
}

void FormConnParTest::line_presentPortsListedStoredPortAndRateSelected_data()
{
    QTest::addColumn<QList<int>>("present");
    QTest::addColumn<int>("port"); // stored
    QTest::addColumn<int>("rate"); // stored
    QTest::addColumn<QStringList>("ports");
    QTest::addColumn<int>("portLine"); // selected
    QTest::addColumn<int>("rateLine");
    const QStringList com37{"COM3", "COM7"};
    QTest::newRow("stored port absent") << QList<int>{3, 7} << 5 << 38400 << com37 << 0 << 18;
    QTest::newRow("stored port present") << QList<int>{3, 7} << 7 << 38400 << com37 << 1 << 18;
    QTest::newRow("the highest port number") << QList<int>{1, 255} << 255 << 38400 << QStringList{"COM1", "COM255"} << 1 << 18;
    QTest::newRow("no port at all") << QList<int>{} << 1 << 38400 << QStringList{} << -1 << 18;
    QTest::newRow("first rate") << QList<int>{3, 7} << 7 << 300 << com37 << 1 << 0;
    QTest::newRow("last rate") << QList<int>{3, 7} << 7 << 230400 << com37 << 1 << 21;
    QTest::newRow("rate not in the table") << QList<int>{3, 7} << 7 << 1000 << com37 << 1 << -1;
}

void FormConnParTest::line_presentPortsListedStoredPortAndRateSelected()
{
    QFETCH(QList<int>, present);
    QFETCH(int, port);
    QFETCH(int, rate);
    QFETCH(QStringList, ports);
    QFETCH(int, portLine);
    QFETCH(int, rateLine);
    Settings working = Stored();
    working.phone.portNumber = quint8(port);
    working.phone.bitRate = rate;
    Opened o(working, present);
    QCOMPARE(Items(List(*o.dialog, "ComboBox1")), ports);
    QCOMPARE(List(*o.dialog, "ComboBox1")->currentIndex(), portLine);
    QComboBox *rates = List(*o.dialog, "ComboBox2");
    QCOMPARE(rates->count(), 22);
    QCOMPARE(rates->itemText(0), QStringLiteral("300"));
    QCOMPARE(rates->itemText(18), QStringLiteral("38400"));
    QCOMPARE(rates->itemText(21), QStringLiteral("230400"));
    QCOMPARE(rates->currentIndex(), rateLine);

    o.accept();
    const bool complete = portLine >= 0 && rateLine >= 0;
    QCOMPARE(o.messages, complete ? QStringList() : QStringList{kNotAll});
    QCOMPARE(o.dialog->result() == QDialog::Accepted, complete);
    QCOMPARE(int(o.edited.phone.portNumber), complete ? ports[portLine].mid(3).toInt() : port);
    QCOMPARE(o.edited.phone.bitRate, rate);
}

void FormConnParTest::ports_tooltipNamesTheDevice()
{
    Opened o(Stored());
    const QString tip = List(*o.dialog, "ComboBox1")->itemData(1, Qt::ToolTipRole).toString();
    QVERIFY2(tip.contains(o.ports.path(7).toHtmlEscaped()), qPrintable(tip));
}

void FormConnParTest::ranges_bothEdgesOfEveryField_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message"); // empty: accepted
    // Each field at both edges of its range and just outside them.
    const auto edges = [](const char *row, const char *field, const QStringList &texts, const QString &message) {
        for (int i = 0; i < 4; ++i)
            QTest::addRow("%s %s", row, qPrintable(texts[i]))
                << QString::fromLatin1(field) << texts[i] << (i == 0 || i == 3 ? message : QString());
    };
    edges("first byte", "Edit1", {"0", "1", "120", "121"}, kFirstByte);
    edges("next bytes", "Edit2", {"54", "55", "5000", "5001"}, kNextBytes);
    edges("connection wait", "Edit6", {"0", "1", "360", "361"}, kConnectWait);
    edges("attempts", "Edit10", {"0", "1", "10", "11"}, kAttempts);
    QTest::newRow("first byte 007") << "Edit1" << "007" << QString();
    QTest::newRow("connection wait -5") << "Edit6" << "-5" << kConnectWait;
    QTest::newRow("connection wait not a number") << "Edit6" << "5s" << kConnectWait;
    QTest::newRow("attempts not a number") << "Edit10" << "два" << kAttempts;
}

void FormConnParTest::ranges_bothEdgesOfEveryField()
{
    QFETCH(QString, field);
    QFETCH(QString, text);
    QFETCH(QString, message);
    Opened o(Stored());
    const QByteArray name = field.toLatin1();
    o.accept({{name.constData(), text}});
    QCOMPARE(o.messages, message.isEmpty() ? QStringList() : QStringList{message});
    QCOMPARE(o.dialog->result() == QDialog::Accepted, message.isEmpty());
    QCOMPARE(o.dialog->isVisible(), !message.isEmpty());
    QCOMPARE(Field(*o.dialog, name.constData())->text(), text); // kept for correction
    if (!message.isEmpty()) {
        QCOMPARE(o.edited.phone, Stored().phone);
        return;
    }
    const int value = text.toInt();
    const QList<int> stored = {o.edited.phone.replyWaitSeconds, o.edited.phone.byteWaitMs, o.edited.connectWaitSeconds,
                               o.edited.dialRounds};
    const int position = QStringList{"Edit1", "Edit2", "Edit6", "Edit10"}.indexOf(field);
    QCOMPARE(stored[position], value);
}

void FormConnParTest::checks_comeInTheirOrder_data()
{
    QTest::addColumn<QStringList>("typed"); // the fields named "Edit1", "Edit2", "Edit6", "Edit10"
    QTest::addColumn<bool>("noSubscriber");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("connectWait"); // connectWaitSeconds afterwards
    QTest::newRow("empty first-byte wait before ranges") << QStringList{"", "1", "0", "0"} << false << kNotAll << 60;
    QTest::newRow("empty next-byte wait") << QStringList{"0", "", "0", "0"} << false << kNotAll << 60;
    QTest::newRow("first byte before next bytes") << QStringList{"0", "1", "0", "0"} << false << kFirstByte << 60;
    QTest::newRow("next bytes before the modem fields") << QStringList{"5", "1", "0", "0"} << false << kNextBytes << 60;
    QTest::newRow("no subscriber before the modem ranges") << QStringList{"5", "100", "0", "0"} << true << kNotAll << 60;
    QTest::newRow("empty connection wait") << QStringList{"5", "100", "", "0"} << false << kNotAll << 60;
    QTest::newRow("empty attempts") << QStringList{"5", "100", "0", ""} << false << kNotAll << 60;
    QTest::newRow("connection wait before attempts") << QStringList{"5", "100", "0", "0"} << false << kConnectWait << 60;
    // The connection wait is stored as soon as it passes, before the attempts fail.
    QTest::newRow("attempts last") << QStringList{"5", "100", "200", "0"} << false << kAttempts << 200;
}

void FormConnParTest::checks_comeInTheirOrder()
{
    QFETCH(QStringList, typed);
    QFETCH(bool, noSubscriber);
    QFETCH(QString, message);
    QFETCH(int, connectWait);
    Settings working = Stored();
    if (noSubscriber)
        working.directory = AbonentDirectory{};
    Opened o(working);
    o.accept({{"Edit1", typed[0]}, {"Edit2", typed[1]}, {"Edit6", typed[2]}, {"Edit10", typed[3]}});
    QCOMPARE(o.messages, QStringList{message});
    QVERIFY(o.dialog->isVisible());
    QCOMPARE(o.dialog->result(), int(QDialog::Rejected));
    QCOMPARE(o.edited.phone, working.phone);
    QCOMPARE(o.edited.connectWaitSeconds, connectWait);
    QCOMPARE(o.edited.dialRounds, working.dialRounds);
    QCOMPARE(o.edited.modemCommands, working.modemCommands);
}

void FormConnParTest::accept_directStoresTheDirectLineOnly()
{
    Settings working = Stored();
    working.connectionKind = Direct;
    Opened o(working);
    Choose(List(*o.dialog, "ComboBox1"), 1);  // COM7
    Choose(List(*o.dialog, "ComboBox2"), 15); // 19200
    Named<QCheckBox>(o.dialog.get(), "CheckBox1")->setChecked(true);
    o.accept({{"Edit1", "120"}, {"Edit2", "55"}});
    QCOMPARE(o.dialog->result(), int(QDialog::Accepted));
    Settings expected = working;
    expected.direct = {.portNumber = 7, .wakeUpByte = true, .bitRate = 19200, .exchangeAttempts = 2, .replyWaitSeconds = 120, .byteWaitMs = 55};
    QCOMPARE(o.edited, expected);
    QCOMPARE(o.store.CurrentSettings, working); // the connect dialog decides
    QVERIFY(!o.abonentsWritten());
}

void FormConnParTest::accept_phoneStoresLineAndModemFieldsRepeatUnchanged()
{
    Opened o(Stored());
    Choose(List(*o.dialog, "ComboBox1"), 0);  // COM3
    Choose(List(*o.dialog, "ComboBox2"), 18); // 38400
    Named<QCheckBox>(o.dialog.get(), "CheckBox1")->setChecked(false);
    o.accept({{"Edit1", "1"}, {"Edit2", "5000"}, {"Edit5", ""}, {"Edit6", "360"}, {"Edit10", "10"}});
    QCOMPARE(o.messages, QStringList());
    QCOMPARE(o.dialog->result(), int(QDialog::Accepted));
    Settings expected = Stored();
    expected.phone = {.portNumber = 3, .wakeUpByte = false, .bitRate = 38400, .exchangeAttempts = 3, .replyWaitSeconds = 1, .byteWaitMs = 5000};
    expected.modemCommands = QString();
    expected.connectWaitSeconds = 360;
    expected.dialRounds = 10;
    QCOMPARE(o.edited, expected);
}

void FormConnParTest::accept_storedValueTooLongForItsFieldIsRefused()
{
    Settings working = Stored();
    working.phone.replyWaitSeconds = 1000; // a hand-edited file
    working.dialRounds = -3;
    Opened o(working);
    QCOMPARE(Field(*o.dialog, "Edit1")->text(), QStringLiteral("1000"));
    QCOMPARE(Field(*o.dialog, "Edit10")->text(), QStringLiteral("-3"));
    o.accept();
    QCOMPARE(o.messages, QStringList{kFirstByte});
}

void FormConnParTest::accept_unknownKindStoresNothing()
{
    Settings working = Stored();
    working.connectionKind = ConnectionKind(7);
    Opened o(working);
    QCOMPARE(o.dialog->windowTitle(), QStringLiteral("Параметры связи с устройством "));
    QVERIFY(!Named<QFrame>(o.dialog.get(), "pn_fon")->isVisible());
    o.accept({{"Edit1", "9"}});
    QCOMPARE(o.dialog->result(), int(QDialog::Accepted));
    QCOMPARE(o.edited, working);
}

void FormConnParTest::keyFilter_timeOutFieldsTakeDigitsOnly()
{
    Opened o(Stored());
    for (const char *name : {"Edit1", "Edit2"}) {
        QLineEdit *field = Field(*o.dialog, name);
        field->clear();
        TypeText(field, QStringLiteral("1a-2 ,3"));
        QCOMPARE(field->text(), QStringLiteral("123"));
        QTest::keyClick(field, Qt::Key_Backspace);
        QCOMPARE(field->text(), QStringLiteral("12"));
    }
    // The modem fields have no filter: what is typed there is checked by "Принять".
    QLineEdit *attempts = Field(*o.dialog, "Edit10");
    attempts->clear();
    QTest::keyClicks(attempts, QStringLiteral("x1"));
    QCOMPARE(attempts->text(), QStringLiteral("x1"));
}

void FormConnParTest::subscriberAdded_isCommittedAndWrittenAtOnce()
{
    Opened o(Stored());
    ModalScript script;
    script.on<TFormAbonent>(TypeAbonent(QStringLiteral("Борис <i>"), QStringLiteral("222%")));
    Choose(List(*o.dialog, "ComboBox4"), 2); // "Новый абонент"
    QCOMPARE(script.pending(), 0);
    QCOMPARE(Items(List(*o.dialog, "ComboBox4")), (QStringList{QStringLiteral("Анна"), QStringLiteral("Борис <i>"),
                                                               QStringLiteral("Вера"), QStringLiteral("Новый абонент")}));
    QCOMPARE(Named<QLabel>(o.dialog.get(), "pn_phone_code")->text(), QStringLiteral("222%"));
    QCOMPARE(o.edited.directory.selectedIndex, quint8(1));
    QCOMPARE(o.store.CurrentSettings.directory, o.edited.directory);
    QCOMPARE(o.directoryOnDisk(), o.edited.directory);
    // The line parameters are still only the dialog's.
    QCOMPARE(o.store.CurrentSettings.phone, Stored().phone);
}

void FormConnParTest::keyboard_tabOrderEnterAcceptsEscLeaves()
{
    {
        Opened o(Stored());
        TFormConn_Par &p = *o.dialog;
        QVERIFY(Activate(&p));
        QCOMPARE(QApplication::focusWidget(), List(p, "ComboBox1"));
        const QList<QWidget *> order = {List(p, "ComboBox2"), Field(p, "Edit1"), Field(p, "Edit2"),
                                        Named<QCheckBox>(&p, "CheckBox1"), Field(p, "Edit5"), Field(p, "Edit6"),
                                        Field(p, "Edit10"), List(p, "ComboBox4"), Named<QPushButton>(&p, "BitBtn6"),
                                        AcceptButton(p), Named<QPushButton>(&p, "BitBtn2")};
        QCOMPARE(TabWalk(order.size()), order);
        Field(p, "Edit6")->setFocus();
        Field(p, "Edit6")->setText(QStringLiteral("45"));
        QTest::keyClick(Field(p, "Edit6"), Qt::Key_Return);
        QCOMPARE(p.result(), int(QDialog::Accepted));
        QCOMPARE(o.edited.connectWaitSeconds, 45);
    }
    Opened o(Stored());
    Field(*o.dialog, "Edit6")->setText(QStringLiteral("45"));
    QTest::keyClick(Field(*o.dialog, "Edit6"), Qt::Key_Escape);
    QVERIFY(!o.dialog->isVisible());
    QCOMPARE(o.dialog->result(), int(QDialog::Rejected));
    QCOMPARE(o.edited, Stored());
}

void FormConnParTest::network_noPortRateNoteAndConnectLimit_data()
{
    QTest::addColumn<QString>("limit");
    QTest::addColumn<QString>("message"); // empty: accepted
    const QString outOfRange = OutOfRange(QStringLiteral("Время ожидания соединения"));
    QTest::newRow("0") << "0" << outOfRange;
    QTest::newRow("1") << "1" << QString();
    QTest::newRow("60") << "60" << QString();
    QTest::newRow("61") << "61" << outOfRange;
    QTest::newRow("empty") << "" << kNotAll;
}

// The network kind has no port (none need be present); its rate is shown with where it
// is used; the connect time limit is 1 to 60 s. The other kinds' parameters stay as they were.
void FormConnParTest::network_noPortRateNoteAndConnectLimit()
{
    QFETCH(QString, limit);
    QFETCH(QString, message);
    Settings working = Stored();
    working.connectionKind = Network;
    working.network = {.portNumber = 1, .wakeUpByte = false, .bitRate = 9600, .exchangeAttempts = 4,
                       .replyWaitSeconds = 6, .byteWaitMs = 300};
    working.networkConnectSeconds = 10;
    Opened o(working, {});
    TFormConn_Par &p = *o.dialog;
    QCOMPARE(p.windowTitle(), QStringLiteral("Параметры связи с устройством (связь по сети)"));
    QVERIFY(!List(p, "ComboBox1")->isVisible());
    QVERIFY(!Named<QFrame>(&p, "pn_fon")->isVisible());
    QVERIFY(Named<QFrame>(&p, "pn_net")->isVisible());
    QCOMPARE(Named<QLabel>(&p, "NetworkRateNote")->text(),
             QStringLiteral("задаётся серверу по RFC 2217;\nпо TCP не используется"));
    QCOMPARE(List(p, "ComboBox2")->currentText(), QStringLiteral("9600"));
    QCOMPARE(Field(p, "EditConnectLimit")->text(), QStringLiteral("10"));
    Choose(List(p, "ComboBox2"), 18); // 38400
    o.accept({{"Edit1", "2"}, {"Edit2", "100"}, {"EditConnectLimit", limit}});
    QCOMPARE(o.messages, message.isEmpty() ? QStringList() : QStringList{message});
    Settings expected = working;
    if (message.isEmpty()) {
        expected.network = {.portNumber = 1, .wakeUpByte = false, .bitRate = 38400, .exchangeAttempts = 4,
                            .replyWaitSeconds = 2, .byteWaitMs = 100};
        expected.networkConnectSeconds = limit.toInt();
    }
    QCOMPARE(o.edited, expected);
    QCOMPARE(p.result() == QDialog::Accepted, message.isEmpty());
}

QTEST_MAIN(FormConnParTest)
#include "tst_formconnpar.moc"
