// The connect dialog: choosing the kind and the subscriber on a working copy, what
// accepting and leaving do to the live settings, and the subscriber editor, subscriber
// list and parameters dialog opened from it.
#include "dialogs/formabonent.h"
#include "dialogs/formabonentslist.h"
#include "dialogs/formconnect.h"
#include "dialogs/formconnpar.h"

#include "dialogtest.h"

#include <QAbstractItemView>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QToolButton>

using namespace tavrin;
using namespace tavrin::test;

namespace {

Settings WithAbonents(int count, int selected, quint8 kind)
{
    Settings settings;
    settings.connectionKind = ConnectionKind(kind);
    settings.direct.portNumber = 2;
    settings.direct.bitRate = 9600;
    settings.phone.portNumber = 5;
    settings.phone.bitRate = 57600;
    settings.directory.count = quint8(count);
    settings.directory.selectedIndex = quint8(selected);
    for (int i = 0; i < count; ++i) {
        settings.directory.entries[i].name = QStringLiteral("Абонент %1").arg(i + 1, 3, 10, QChar(u'0'));
        settings.directory.entries[i].phoneNumber = QStringLiteral("8-900-000-%1").arg(i, 2, 10, QChar(u'0'));
    }
    return settings;
}

// Subscribers 1 and 3 of WithAbonents(3, ...) get a network address: 1 raw TCP, 3 with
// port control.
Settings WithNetworkSites(int selected)
{
    Settings settings = WithAbonents(3, selected, Network);
    settings.network.bitRate = 19200;
    settings.directory.entries[0].networkAddress = QStringLiteral("10.0.0.5:4001");
    settings.directory.entries[2].networkAddress = QStringLiteral("[fd00::7]:2217");
    settings.directory.entries[2].networkProtocol = Rfc2217;
    return settings;
}

QStringList Status(const PanelStatusBar &bar)
{
    return {bar.panelText(StatusPanel::Port), bar.panelText(StatusPanel::Kind)};
}

QComboBox *KindList(const TFormConnect &d) { return Named<QComboBox>(&d, "ComboBox3"); }
QComboBox *AbonentList(const TFormConnect &d) { return Named<QComboBox>(&d, "ComboBox2"); }
QPushButton *ListButton(const TFormConnect &d) { return Named<QPushButton>(&d, "BitBtn6"); }
QPushButton *ParametersButton(const TFormConnect &d) { return Named<QPushButton>(&d, "BitBtn3"); }
QPushButton *AcceptButton(const TFormConnect &d) { return Named<QPushButton>(&d, "BitBtn1"); }
QPushButton *ExitButton(const TFormConnect &d) { return Named<QPushButton>(&d, "BitBtn2"); }

// The connect dialog opened on the live settings; the ports of both kinds are present.
struct Opened : StoreFixture {
    PortFolder ports{{2, 5}};
    std::unique_ptr<TFormConnect> dialog;

    explicit Opened(const Settings &current) : StoreFixture(current)
    {
        dialog = std::make_unique<TFormConnect>(store, nullptr);
        dialog->StatusBar = &bar;
        dialog->showMessage = recordMessages();
        dialog->open();
    }
};

// What the user does in the connect dialog before leaving it by "Выход".
enum class Action {
    AddThroughBox,
    CancelEditor,
    AcceptList,
    CancelListAfterEdit,
    AcceptDirectParameters,
    AcceptPhoneParameters,
    AddInParametersThenExit,
    AcceptListInParametersThenExit,
    CancelListInParametersThenExit,
};

// Runs action on a phone-kind dialog whose directory holds Анна and Вера; a subscriber
// added is Борис.
void Run(Action action, TFormConnect &d, ModalScript &script)
{
    const auto cancel = [](QDialog *dialog) { dialog->reject(); };
    const auto acceptList = [](TFormAbonents_List *list) { Named<QPushButton>(list, "BitBtn4")->click(); };
    switch (action) {
    case Action::AddThroughBox:
        script.on<TFormAbonent>(TypeAbonent(QStringLiteral("Борис"), QStringLiteral("222")));
        Choose(AbonentList(d), 2);
        break;
    case Action::CancelEditor:
        script.on<TFormAbonent>(cancel);
        Choose(AbonentList(d), 2);
        break;
    case Action::AcceptList:
        script.on<TFormAbonents_List>([acceptList](TFormAbonents_List *list) {
            Named<QToolButton>(list, "SpeedButton2")->click(); // by phone: Вера, then Анна
            acceptList(list);
        });
        ListButton(d)->click();
        break;
    case Action::CancelListAfterEdit:
        script.on<TFormAbonents_List>([](TFormAbonents_List *list) {
            Named<QPushButton>(list, "BitBtn1")->click(); // "Изменить"
            list->reject();
        });
        script.on<TFormAbonent>(TypeAbonent(QStringLiteral("Яна"), QStringLiteral("999")));
        ListButton(d)->click();
        break;
    case Action::AcceptDirectParameters:
        Choose(KindList(d), Direct);
        script.on<TFormConn_Par>([](TFormConn_Par *p) { Named<QPushButton>(p, "BitBtn1")->click(); });
        ParametersButton(d)->click();
        break;
    case Action::AcceptPhoneParameters:
        script.on<TFormConn_Par>([](TFormConn_Par *p) {
            Choose(Named<QComboBox>(p, "ComboBox4"), 0); // another subscriber
            Named<QPushButton>(p, "BitBtn1")->click();
        });
        ParametersButton(d)->click();
        break;
    case Action::AddInParametersThenExit:
        script.on<TFormConn_Par>([](TFormConn_Par *p) {
            Choose(Named<QComboBox>(p, "ComboBox4"), 2);
            p->reject();
        });
        script.on<TFormAbonent>(TypeAbonent(QStringLiteral("Борис"), QStringLiteral("222")));
        ParametersButton(d)->click();
        break;
    case Action::AcceptListInParametersThenExit:
    case Action::CancelListInParametersThenExit:
        script.on<TFormConn_Par>([](TFormConn_Par *p) {
            Named<QPushButton>(p, "BitBtn6")->click();
            p->reject();
        });
        script.on<TFormAbonents_List>([action, acceptList](TFormAbonents_List *list) {
            Named<QToolButton>(list, "SpeedButton2")->click(); // by phone: Вера, then Анна
            if (action == Action::AcceptListInParametersThenExit)
                acceptList(list);
            else
                list->reject();
        });
        ParametersButton(d)->click();
        break;
    }
}

} // namespace

class FormConnectTest : public QObject {
    Q_OBJECT
private slots:
    void show_directKindLeavesTheSubscriberControlsDisabledAndEmpty();
    void show_centredOnTheScreenNotOnItsOwner();
    void show_phoneKindListsTheSubscribersAndSelectsTheCurrentOne();
    void subscriberList_newSubscriberLineOnlyWhileThereIsRoom_data();
    void subscriberList_newSubscriberLineOnlyWhileThereIsRoom();
    void subscriberList_dropsFifteenLines();
    void switchingKinds_refillsAndReselectsTheSubscriber();
    void newSubscriber_hundredthRemovesTheNewSubscriberLine();
    void newSubscriber_cancelledInAnEmptyDirectoryLeavesNoChoice();
    void directoryActions_writeAbonentsIniOnlyWhenCommitted_data();
    void directoryActions_writeAbonentsIniOnlyWhenCommitted();
    void listCancelledAfterDeleting_boxShowsTheDirectoryAsItIs();
    void newSubscriber_fileThatCannotBeWritten_isNamedAfterTheCommit();
    void parameters_acceptedShowTheNewLineInTheStatusBar();
    void accept_copiesTheWorkingSettingsAndShowsThem();
    void accept_refusedWithoutAKindOrWithoutASubscriber_data();
    void accept_refusedWithoutAKindOrWithoutASubscriber();
    void exit_leavesTheLiveSettingsUnchanged_data();
    void exit_leavesTheLiveSettingsUnchanged();
    void enter_inAListAccepts_onAButtonPressesIt_data();
    void enter_inAListAccepts_onAButtonPressesIt();
    void tab_visitsTheControlsInOrder();
    void networkKind_listsSubscribersWithAnAddressAndAcceptsOne_data();
    void networkKind_listsSubscribersWithAnAddressAndAcceptsOne();
};

void FormConnectTest::show_directKindLeavesTheSubscriberControlsDisabledAndEmpty()
{
    Opened o(WithAbonents(3, 1, Direct));
    TFormConnect &d = *o.dialog;
    QCOMPARE(d.windowTitle(), QStringLiteral(" Параметры связи"));
    QCOMPARE(Items(KindList(d)), (QStringList{QStringLiteral("Непосредственная связь"), QStringLiteral("Связь по телефону"),
                                              QStringLiteral("Связь по сети")}));
    QCOMPARE(KindList(d)->currentIndex(), 0);
    QCOMPARE(AbonentList(d)->currentIndex(), -1);
    for (const char *name : {"Label2", "ComboBox2", "Label3", "BitBtn6"})
        QVERIFY2(!Named<QWidget>(&d, name)->isEnabled(), name);
    QCOMPARE(Status(o.bar), (QStringList{QStringLiteral(" COM2,   9600 бит/с"), QStringLiteral(" Непосредственная связь")}));
    QCOMPARE(LabelTexts(&d), (QStringList{QStringLiteral("Абонент"), QStringLiteral("Список абонентов"),
                                          QStringLiteral("Тип связи")}));
    QCOMPARE(Texts(&d, {"Label2", "BitBtn3", "BitBtn1", "BitBtn2", "BitBtn6"}),
             (QStringList{QStringLiteral("Абонент"), QStringLiteral("Изменить параметры связи"),
                          QStringLiteral("Принять"), QStringLiteral("Выход"), QString()}));
}

void FormConnectTest::show_centredOnTheScreenNotOnItsOwner()
{
    QWidget owner;
    owner.setGeometry(0, 0, 200, 150);
    owner.show();
    SettingsStore store;
    TFormConnect dialog(store, &owner);
    dialog.open();
    const QPoint screenCentre = owner.screen()->availableGeometry().center();
    QVERIFY(owner.frameGeometry().center() != screenCentre);
    QVERIFY2((dialog.geometry().center() - screenCentre).manhattanLength() <= 2,
             qPrintable(QStringLiteral("%1,%2").arg(dialog.geometry().center().x()).arg(dialog.geometry().center().y())));
}

void FormConnectTest::show_phoneKindListsTheSubscribersAndSelectsTheCurrentOne()
{
    Opened o(WithAbonents(3, 2, Phone));
    TFormConnect &d = *o.dialog;
    QCOMPARE(KindList(d)->currentIndex(), 1);
    QVERIFY(AbonentList(d)->isEnabled());
    QVERIFY(ListButton(d)->isEnabled());
    QCOMPARE(Items(AbonentList(d)), (QStringList{QStringLiteral("Абонент 001"), QStringLiteral("Абонент 002"),
                                                 QStringLiteral("Абонент 003"), QStringLiteral("Новый абонент")}));
    QCOMPARE(AbonentList(d)->currentIndex(), 2);
    QCOMPARE(Status(o.bar), (QStringList{QStringLiteral(" COM5,   57600 бит/с"), QStringLiteral(" Тел. 8-900-000-02")}));
}

void FormConnectTest::subscriberList_newSubscriberLineOnlyWhileThereIsRoom_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("lines");
    QTest::addColumn<bool>("newLine");
    QTest::addColumn<int>("selected");
    QTest::newRow("none") << 0 << 1 << true << -1;
    QTest::newRow("99") << 99 << 100 << true << 97;
    QTest::newRow("100") << 100 << 100 << false << 98;
}

void FormConnectTest::subscriberList_newSubscriberLineOnlyWhileThereIsRoom()
{
    QFETCH(int, count);
    QFETCH(int, lines);
    QFETCH(bool, newLine);
    QFETCH(int, selected);
    Opened o(WithAbonents(count, std::max(count - 2, 0), Phone));
    QComboBox *list = AbonentList(*o.dialog);
    QCOMPARE(list->count(), lines);
    QCOMPARE(list->itemText(lines - 1) == QStringLiteral("Новый абонент"), newLine);
    QCOMPARE(list->currentIndex(), selected);
}

void FormConnectTest::subscriberList_dropsFifteenLines()
{
    Opened o(WithAbonents(100, 50, Phone));
    QComboBox *list = AbonentList(*o.dialog);
    QVERIFY(QTest::qWaitForWindowExposed(o.dialog.get()));
    list->showPopup();
    const QAbstractItemView *view = list->view();
    QTRY_VERIFY(view->isVisible());
    const int rowHeight = view->sizeHintForRow(0);
    QVERIFY(rowHeight > 0);
    QCOMPARE(qRound(double(view->viewport()->height()) / rowHeight), 15);
    list->hidePopup();
}

void FormConnectTest::switchingKinds_refillsAndReselectsTheSubscriber()
{
    Opened o(WithAbonents(4, 0, Phone));
    TFormConnect &d = *o.dialog;
    Choose(AbonentList(d), 3);
    QCOMPARE(d.WorkingSettings.directory.selectedIndex, quint8(3));
    QCOMPARE(Status(o.bar)[1], QStringLiteral(" Тел. 8-900-000-03"));

    Choose(KindList(d), Direct);
    QCOMPARE(d.WorkingSettings.connectionKind, quint8(Direct));
    QCOMPARE(AbonentList(d)->currentIndex(), -1);
    QVERIFY(!AbonentList(d)->isEnabled());
    QCOMPARE(d.WorkingSettings.directory.selectedIndex, quint8(3)); // kept while hidden
    QCOMPARE(Status(o.bar)[1], QStringLiteral(" Непосредственная связь"));

    Choose(KindList(d), Phone);
    QVERIFY(AbonentList(d)->isEnabled());
    QCOMPARE(AbonentList(d)->count(), 5);
    QCOMPARE(AbonentList(d)->currentIndex(), 3);
    QCOMPARE(Status(o.bar), (QStringList{QStringLiteral(" COM5,   57600 бит/с"), QStringLiteral(" Тел. 8-900-000-03")}));
}

void FormConnectTest::newSubscriber_hundredthRemovesTheNewSubscriberLine()
{
    Opened o(WithAbonents(99, 0, Phone));
    TFormConnect &d = *o.dialog;
    ModalScript script;
    script.on<TFormAbonent>(TypeAbonent(QStringLiteral("Яков"), QStringLiteral("100")));
    Choose(AbonentList(d), 99);
    QCOMPARE(AbonentList(d)->count(), 100);
    QCOMPARE(AbonentList(d)->itemText(99), QStringLiteral("Яков"));
    QCOMPARE(AbonentList(d)->currentIndex(), 99);
    QCOMPARE(o.directoryOnDisk().count, quint8(100));
}

void FormConnectTest::newSubscriber_cancelledInAnEmptyDirectoryLeavesNoChoice()
{
    Opened o(WithAbonents(0, 0, Phone));
    ModalScript script;
    script.on<TFormAbonent>([](TFormAbonent *editor) { editor->reject(); });
    Choose(AbonentList(*o.dialog), 0);
    QCOMPARE(AbonentList(*o.dialog)->currentIndex(), -1);
    AcceptButton(*o.dialog)->click();
    QCOMPARE(o.messages, QStringList{QStringLiteral("Введены не все параметры")});
}

void FormConnectTest::directoryActions_writeAbonentsIniOnlyWhenCommitted_data()
{
    QTest::addColumn<Action>("action");
    QTest::addColumn<bool>("written");
    QTest::addColumn<QString>("chosen"); // in the box afterwards
    QTest::addColumn<QString>("status"); // the subscriber or kind in the status bar afterwards
    QTest::addColumn<QStringList>("names"); // of the live directory afterwards
    const QStringList before{QStringLiteral("Анна"), QStringLiteral("Вера")};
    const QStringList added{QStringLiteral("Анна"), QStringLiteral("Борис"), QStringLiteral("Вера")};
    const QStringList byPhone{QStringLiteral("Вера"), QStringLiteral("Анна")};
    QTest::newRow("subscriber added through the box")
        << Action::AddThroughBox << true << "Борис" << " Тел. 222" << added;
    QTest::newRow("editor cancelled") << Action::CancelEditor << false << "Вера" << " Тел. 333" << before;
    QTest::newRow("list accepted") << Action::AcceptList << true << "Вера" << " Тел. 333" << byPhone;
    QTest::newRow("list cancelled after an edit")
        << Action::CancelListAfterEdit << false << "Яна" << " Тел. 999" << before;
    QTest::newRow("parameters accepted, direct kind")
        << Action::AcceptDirectParameters << false << "" << " Непосредственная связь" << before;
    QTest::newRow("parameters accepted, phone kind")
        << Action::AcceptPhoneParameters << true << "Анна" << " Тел. 555" << before;
    // Committed inside the parameters dialog, which is then left by "Выход".
    QTest::newRow("added in the parameters dialog")
        << Action::AddInParametersThenExit << true << "Борис" << " Тел. 222" << added;
    QTest::newRow("list accepted in the parameters dialog")
        << Action::AcceptListInParametersThenExit << true << "Вера" << " Тел. 333" << byPhone;
    QTest::newRow("list cancelled in the parameters dialog")
        << Action::CancelListInParametersThenExit << false << "Вера" << " Тел. 333" << before;
}

void FormConnectTest::directoryActions_writeAbonentsIniOnlyWhenCommitted()
{
    QFETCH(Action, action);
    QFETCH(bool, written);
    QFETCH(QString, chosen);
    QFETCH(QString, status);
    QFETCH(QStringList, names);
    Settings current = WithAbonents(0, 0, Phone);
    current.directory = MakeDirectory({{QStringLiteral("Анна"), QStringLiteral("555")},
                                       {QStringLiteral("Вера"), QStringLiteral("333")}},
                                      1);
    Opened o(current);
    ModalScript script;
    Run(action, *o.dialog, script);
    QCOMPARE(script.pending(), 0);
    QCOMPARE(script.unexpected(), QStringList());
    QCOMPARE(o.messages, QStringList());
    // Whatever happened, the box offers the working directory as it now is.
    QStringList offered = Items(AbonentList(*o.dialog));
    QCOMPARE(offered.takeLast(), QStringLiteral("Новый абонент"));
    QCOMPARE(offered, Names(o.dialog->WorkingSettings.directory));
    QCOMPARE(AbonentList(*o.dialog)->currentText(), chosen);
    QCOMPARE(Status(o.bar)[1], status);
    QCOMPARE(o.abonentsWritten(), written); // a commit is written at once, with the dialog open
    ExitButton(*o.dialog)->click();

    QCOMPARE(o.abonentsWritten(), written);
    QCOMPARE(Names(o.store.CurrentSettings.directory), names);
    if (written)
        QCOMPARE(o.directoryOnDisk(), o.store.CurrentSettings.directory);
    // The kind and the line parameters reach the live settings only through "Принять".
    QCOMPARE(o.store.CurrentSettings.connectionKind, quint8(Phone));
    QCOMPARE(o.store.CurrentSettings.direct, current.direct);
    QVERIFY(!o.bluetoothWritten());
}

void FormConnectTest::listCancelledAfterDeleting_boxShowsTheDirectoryAsItIs()
{
    Settings current = WithAbonents(3, 2, Phone);
    Opened o(current);
    TFormConnect &d = *o.dialog;
    QStringList questions;
    ModalScript script;
    script.on<TFormAbonents_List>([](TFormAbonents_List *list) {
        Named<QPushButton>(list, "BitBtn3")->click(); // "Удалить" the third
        Named<QPushButton>(list, "BitBtn5")->click(); // "Отменить"
    });
    script.answer(questions, QMessageBox::Yes);
    ListButton(d)->click();
    QCOMPARE(script.pending(), 0);
    QCOMPARE(questions, QStringList{QStringLiteral("Вы действительно хотите удалить этот абонент?")});

    // The working copy keeps the deletion; the box shows it, so the line after the last
    // subscriber is "Новый абонент" and not the deleted one.
    QCOMPARE(Items(AbonentList(d)), (QStringList{QStringLiteral("Абонент 001"), QStringLiteral("Абонент 002"),
                                                 QStringLiteral("Новый абонент")}));
    QCOMPARE(AbonentList(d)->currentIndex(), 1);
    QCOMPARE(o.store.CurrentSettings.directory, current.directory);
    QVERIFY(!o.abonentsWritten());
    AcceptButton(d)->click();
    QCOMPARE(o.store.CurrentSettings.directory.count, quint8(2));
    QCOMPARE(o.store.CurrentSettings.directory.selectedIndex, quint8(1));
}

void FormConnectTest::newSubscriber_fileThatCannotBeWritten_isNamedAfterTheCommit()
{
    Opened o(WithAbonents(1, 0, Phone));
    o.store.AbonentsIniPath = QDir(o.programDir.path()).filePath(QStringLiteral("missing/abonents.ini"));
    ModalScript script;
    script.on<TFormAbonent>(TypeAbonent(QStringLiteral("Борис"), QStringLiteral("222")));
    // The error goes on to the application's error report, which names the file.
    QVERIFY_THROWS_EXCEPTION(SettingsWriteError, Choose(AbonentList(*o.dialog), 1));
    QCOMPARE(script.pending(), 0);
    // The subscriber is in the live settings and in the box all the same.
    QCOMPARE(Names(o.store.CurrentSettings.directory), (QStringList{QStringLiteral("Абонент 001"), QStringLiteral("Борис")}));
    QCOMPARE(AbonentList(*o.dialog)->currentText(), QStringLiteral("Борис"));
    QVERIFY(o.dialog->isVisible());
}

void FormConnectTest::parameters_acceptedShowTheNewLineInTheStatusBar()
{
    Opened o(WithAbonents(1, 0, Direct));
    TFormConnect &d = *o.dialog;
    ModalScript script;
    script.on<TFormConn_Par>([](TFormConn_Par *p) {
        Choose(Named<QComboBox>(p, "ComboBox2"), 19); // 57600
        Named<QPushButton>(p, "BitBtn1")->click();
    });
    ParametersButton(d)->click();
    QCOMPARE(script.pending(), 0);
    QCOMPARE(d.WorkingSettings.direct.bitRate, 57600);
    QCOMPARE(o.store.CurrentSettings.direct.bitRate, 9600); // until the connect dialog is accepted
    QCOMPARE(Status(o.bar)[0], QStringLiteral(" COM2,   57600 бит/с"));
}

void FormConnectTest::accept_copiesTheWorkingSettingsAndShowsThem()
{
    Opened o(WithAbonents(3, 0, Direct));
    TFormConnect &d = *o.dialog;
    Choose(KindList(d), Phone);
    Choose(AbonentList(d), 2);
    o.bar.setPanelText(StatusPanel::Kind, QString()); // the accept itself shows the choice again
    AcceptButton(d)->click();

    QVERIFY(o.messages.isEmpty());
    QCOMPARE(d.result(), int(QDialog::Accepted));
    QVERIFY(!d.isVisible());
    Settings expected = WithAbonents(3, 2, Phone);
    QCOMPARE(o.store.CurrentSettings, expected);
    QCOMPARE(Status(o.bar), (QStringList{QStringLiteral(" COM5,   57600 бит/с"), QStringLiteral(" Тел. 8-900-000-02")}));
}

void FormConnectTest::accept_refusedWithoutAKindOrWithoutASubscriber_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("count");
    QTest::newRow("unknown stored kind") << 7 << 3;
    QTest::newRow("phone without subscribers") << int(Phone) << 0;
}

void FormConnectTest::accept_refusedWithoutAKindOrWithoutASubscriber()
{
    QFETCH(int, kind);
    QFETCH(int, count);
    const Settings current = WithAbonents(count, 0, quint8(kind));
    Opened o(current);
    TFormConnect &d = *o.dialog;
    // No kind chosen, or no subscriber: the subscriber controls are off or empty.
    QCOMPARE(AbonentList(d)->isEnabled(), kind == Phone);
    QCOMPARE(ListButton(d)->isEnabled(), kind == Phone);
    QCOMPARE(Named<QLabel>(&d, "Label2")->isEnabled(), kind == Phone);
    AcceptButton(d)->click();
    QCOMPARE(o.messages, QStringList{QStringLiteral("Введены не все параметры")});
    QVERIFY(d.isVisible());
    QCOMPARE(d.result(), int(QDialog::Rejected));
    QCOMPARE(o.store.CurrentSettings, current);
}

void FormConnectTest::exit_leavesTheLiveSettingsUnchanged_data()
{
    QTest::addColumn<bool>("closeBox");
    QTest::newRow("Выход") << false;
    QTest::newRow("close box") << true;
}

void FormConnectTest::exit_leavesTheLiveSettingsUnchanged()
{
    QFETCH(bool, closeBox);
    const Settings current = WithAbonents(3, 0, Direct);
    Opened o(current);
    TFormConnect &d = *o.dialog;
    Choose(KindList(d), Phone);
    Choose(AbonentList(d), 1);
    if (closeBox)
        d.close();
    else
        ExitButton(d)->click();
    QVERIFY(!d.isVisible());
    QCOMPARE(d.result(), int(QDialog::Rejected));
    QVERIFY(o.messages.isEmpty());
    QCOMPARE(o.store.CurrentSettings, current);
    QVERIFY(!o.abonentsWritten());
}

void FormConnectTest::enter_inAListAccepts_onAButtonPressesIt_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("focused");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QStringList>("messages");
    // Enter in the subscriber box accepts: it never presses the list button beside it.
    QTest::newRow("in the subscriber box") << 2 << "ComboBox2" << true << QStringList();
    // A focused button takes Enter itself: "Выход" leaves without accepting.
    QTest::newRow("on Выход") << 2 << "BitBtn2" << false << QStringList();
    QTest::newRow("phone kind without a subscriber")
        << 0 << "ComboBox3" << false << QStringList{QStringLiteral("Введены не все параметры")};
}

void FormConnectTest::enter_inAListAccepts_onAButtonPressesIt()
{
    QFETCH(int, count);
    QFETCH(QString, focused);
    QFETCH(bool, accepted);
    QFETCH(QStringList, messages);
    Opened o(WithAbonents(count, std::min(count, 1), Phone));
    TFormConnect &d = *o.dialog;
    int listOpened = 0;
    QObject::connect(ListButton(d), &QPushButton::clicked, [&listOpened] { ++listOpened; });
    QWidget *target = Named<QWidget>(&d, qPrintable(focused));
    target->setFocus();
    QTest::keyClick(target, Qt::Key_Return);
    QCOMPARE(listOpened, 0);
    QCOMPARE(d.result() == QDialog::Accepted, accepted);
    QCOMPARE(d.isVisible(), !messages.isEmpty()); // a refusal keeps the dialog open
    QCOMPARE(o.messages, messages);
}

void FormConnectTest::tab_visitsTheControlsInOrder()
{
    Opened o(WithAbonents(2, 1, Phone));
    TFormConnect &d = *o.dialog;
    QVERIFY(Activate(&d));
    KindList(d)->setFocus();
    const QList<QWidget *> order = {AbonentList(d), ListButton(d), ParametersButton(d),
                                    AcceptButton(d), ExitButton(d), KindList(d)};
    QCOMPARE(TabWalk(order.size()), order);
}

void FormConnectTest::networkKind_listsSubscribersWithAnAddressAndAcceptsOne_data()
{
    QTest::addColumn<int>("selected");    // in the directory
    QTest::addColumn<int>("chosenLine");  // -1: none chosen by hand
    QTest::addColumn<int>("boxLine");     // selected in the box afterwards
    QTest::addColumn<int>("acceptedIndex"); // -1: "Принять" refused
    QTest::addColumn<QStringList>("status");
    const QStringList raw{QStringLiteral(" 10.0.0.5:4001, TCP"), QStringLiteral(" Связь по сети")};
    const QStringList controlled{QStringLiteral(" [fd00::7]:2217, RFC 2217, 19200 бит/с"),
                                 QStringLiteral(" Связь по сети")};
    QTest::newRow("selected one has an address") << 2 << -1 << 1 << 2 << controlled;
    QTest::newRow("selected one has none: nothing chosen, refused") << 1 << -1 << -1 << -1
                                                                    << QStringList{QString(), raw[1]};
    QTest::newRow("first line chosen") << 1 << 0 << 0 << 0 << raw;
}

void FormConnectTest::networkKind_listsSubscribersWithAnAddressAndAcceptsOne()
{
    QFETCH(int, selected);
    QFETCH(int, chosenLine);
    QFETCH(int, boxLine);
    QFETCH(int, acceptedIndex);
    QFETCH(QStringList, status);
    Opened o(WithNetworkSites(selected));
    TFormConnect &d = *o.dialog;
    QCOMPARE(KindList(d)->currentIndex(), int(Network));
    QVERIFY(AbonentList(d)->isEnabled());
    QCOMPARE(Items(AbonentList(d)), (QStringList{QStringLiteral("Абонент 001"), QStringLiteral("Абонент 003"),
                                                 QStringLiteral("Новый абонент")}));
    if (chosenLine >= 0)
        Choose(AbonentList(d), chosenLine);
    QCOMPARE(AbonentList(d)->currentIndex(), boxLine);
    QCOMPARE(Status(o.bar), status);
    AcceptButton(d)->click();
    if (acceptedIndex < 0) {
        QCOMPARE(o.messages, QStringList{QStringLiteral("Введены не все параметры")});
        QCOMPARE(d.result(), int(QDialog::Rejected));
        return;
    }
    QCOMPARE(d.result(), int(QDialog::Accepted));
    QCOMPARE(o.store.CurrentSettings.connectionKind, Network);
    QCOMPARE(int(o.store.CurrentSettings.directory.selectedIndex), acceptedIndex);
}

QTEST_MAIN(FormConnectTest)
#include "tst_formconnect.moc"
