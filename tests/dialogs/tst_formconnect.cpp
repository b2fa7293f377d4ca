// The connect dialog: choosing the kind and the subscriber on a working copy, and what
// accepting and leaving do to the live settings.
#include "dialogs/formconnect.h"
#include "dialogs/panelstatusbar.h"
#include "settings/settingsstore.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>

using namespace tavrin;

namespace {

Settings WithAbonents(int count, int selected, quint8 kind)
{
    Settings settings;
    settings.Conn_Prz = kind;
    settings.direct.COMPort = 2;
    settings.direct.Rate = 9600;
    settings.phone.COMPort = 5;
    settings.phone.Rate = 57600;
    settings.directory.users_num = quint8(count);
    settings.directory.user_index = quint8(selected);
    for (int i = 0; i < count; ++i) {
        settings.directory.entries[i].user_name = QStringLiteral("Абонент %1").arg(i + 1);
        settings.directory.entries[i].phone_code = QStringLiteral("8-900-000-%1").arg(i, 2, 10, QChar(u'0'));
    }
    return settings;
}

// The user picks a line of a list.
void Choose(QComboBox *list, int position)
{
    list->setCurrentIndex(position);
    emit list->activated(position);
}

QStringList Items(const QComboBox *list)
{
    QStringList items;
    for (int i = 0; i < list->count(); ++i)
        items << list->itemText(i);
    return items;
}

// What the status bar shows for settings.
QStringList StatusFor(const Settings &settings)
{
    PanelStatusBar bar;
    ShowConnectionStatus(settings, &bar);
    return {bar.panelText(0), bar.panelText(1)};
}

QStringList Status(const PanelStatusBar &bar)
{
    return {bar.panelText(0), bar.panelText(1)};
}

struct Opened {
    SettingsStore store;
    PanelStatusBar bar;
    QStringList messages;
    std::unique_ptr<TFormConnect> dialog;

    explicit Opened(const Settings &current)
    {
        store.CurrentSettings = current;
        dialog = std::make_unique<TFormConnect>(store, nullptr);
        dialog->StatusBar = &bar;
        dialog->showMessage = [this](const QString &text) { messages << text; };
        dialog->open();
    }
};

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
    void choosingNewSubscriber_withoutAnEditorKeepsTheChosenSubscriber();
    void accept_copiesTheWorkingSettingsAndShowsThem();
    void accept_refusedWithoutAKindOrWithoutASubscriber_data();
    void accept_refusedWithoutAKindOrWithoutASubscriber();
    void exit_leavesTheLiveSettingsUnchanged_data();
    void exit_leavesTheLiveSettingsUnchanged();
    void enter_inAListAccepts_onAButtonPressesIt();
};

void FormConnectTest::show_directKindLeavesTheSubscriberControlsDisabledAndEmpty()
{
    Opened o(WithAbonents(3, 1, Direct));
    TFormConnect &d = *o.dialog;
    QCOMPARE(d.windowTitle(), QStringLiteral(" Параметры связи"));
    QCOMPARE(d.size(), QSize(480, 244));
    QCOMPARE(Items(d.ComboBox3), (QStringList{QStringLiteral("Непосредственная связь"), QStringLiteral("Связь по телефону")}));
    QCOMPARE(d.ComboBox3->currentIndex(), 0);
    QCOMPARE(d.ComboBox2->currentIndex(), -1);
    for (QWidget *control : {static_cast<QWidget *>(d.abonentLabel), static_cast<QWidget *>(d.ComboBox2),
                             static_cast<QWidget *>(d.listLabel), static_cast<QWidget *>(d.BitBtn6)})
        QVERIFY(!control->isEnabled());
    QCOMPARE(Status(o.bar), (QStringList{QStringLiteral(" COM2,   9600 бит/с"), QStringLiteral(" Непосредственная связь")}));

    QStringList labels;
    for (const QLabel *label : d.findChildren<QLabel *>())
        labels << label->text();
    labels.sort();
    QCOMPARE(labels, (QStringList{QStringLiteral("Абонент"), QStringLiteral("Список абонентов"),
                                  QStringLiteral("Тип связи")}));
    QCOMPARE(d.abonentLabel->text(), QStringLiteral("Абонент"));
    QCOMPARE(d.listLabel->text(), QStringLiteral("Список абонентов"));
    QCOMPARE(d.BitBtn3->text(), QStringLiteral("Изменить параметры связи"));
    QCOMPARE(d.BitBtn1->text(), QStringLiteral("Принять"));
    QCOMPARE(d.BitBtn2->text(), QStringLiteral("Выход"));
    QVERIFY(d.BitBtn6->text().isEmpty());
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
    QCOMPARE(d.ComboBox3->currentIndex(), 1);
    QVERIFY(d.ComboBox2->isEnabled());
    QVERIFY(d.BitBtn6->isEnabled());
    QCOMPARE(Items(d.ComboBox2), (QStringList{QStringLiteral("Абонент 1"), QStringLiteral("Абонент 2"),
                                              QStringLiteral("Абонент 3"), QStringLiteral("Новый абонент")}));
    QCOMPARE(d.ComboBox2->currentIndex(), 2);
    QCOMPARE(d.ComboBox2->maxVisibleItems(), 15);
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
    QComboBox *list = o.dialog->ComboBox2;
    QCOMPARE(list->count(), lines);
    QCOMPARE(list->itemText(lines - 1) == QStringLiteral("Новый абонент"), newLine);
    QCOMPARE(list->currentIndex(), selected);
}

void FormConnectTest::subscriberList_dropsFifteenLines()
{
    Opened o(WithAbonents(100, 50, Phone));
    QComboBox *list = o.dialog->ComboBox2;
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
    Choose(d.ComboBox2, 3);
    QCOMPARE(d.WorkingSettings.directory.user_index, quint8(3));
    QCOMPARE(Status(o.bar)[1], QStringLiteral(" Тел. 8-900-000-03"));

    Choose(d.ComboBox3, Direct);
    QCOMPARE(d.WorkingSettings.Conn_Prz, quint8(Direct));
    QCOMPARE(d.ComboBox2->currentIndex(), -1);
    QVERIFY(!d.ComboBox2->isEnabled());
    QCOMPARE(d.WorkingSettings.directory.user_index, quint8(3)); // kept while hidden
    QCOMPARE(Status(o.bar)[1], QStringLiteral(" Непосредственная связь"));

    Choose(d.ComboBox3, Phone);
    QVERIFY(d.ComboBox2->isEnabled());
    QCOMPARE(d.ComboBox2->count(), 5);
    QCOMPARE(d.ComboBox2->currentIndex(), 3);
    QCOMPARE(Status(o.bar), StatusFor(d.WorkingSettings));
    QCOMPARE(Status(o.bar)[1], QStringLiteral(" Тел. 8-900-000-03"));
}

void FormConnectTest::choosingNewSubscriber_withoutAnEditorKeepsTheChosenSubscriber()
{
    Opened o(WithAbonents(2, 1, Phone));
    TFormConnect &d = *o.dialog;
    Choose(d.ComboBox2, 2); // "Новый абонент"
    QCOMPARE(d.ComboBox2->currentIndex(), 1);
    QCOMPARE(d.WorkingSettings.directory.user_index, quint8(1));
    QCOMPARE(d.WorkingSettings.directory.users_num, quint8(2));

    Opened empty(WithAbonents(0, 0, Phone));
    Choose(empty.dialog->ComboBox2, 0);
    QCOMPARE(empty.dialog->ComboBox2->currentIndex(), -1);
    empty.dialog->BitBtn1->click();
    QCOMPARE(empty.messages, QStringList{QStringLiteral("Введены не все параметры")});
}

void FormConnectTest::accept_copiesTheWorkingSettingsAndShowsThem()
{
    Opened o(WithAbonents(3, 0, Direct));
    TFormConnect &d = *o.dialog;
    Choose(d.ComboBox3, Phone);
    Choose(d.ComboBox2, 2);
    o.bar.setPanelText(1, QString()); // the accept itself shows the choice again
    d.BitBtn1->click();

    QVERIFY(o.messages.isEmpty());
    QVERIFY(d.Accepted);
    QVERIFY(!d.isVisible());
    Settings expected = WithAbonents(3, 2, Phone);
    QCOMPARE(o.store.CurrentSettings, expected);
    QCOMPARE(Status(o.bar), StatusFor(expected));
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
    // No kind chosen, or no subscriber: the subscriber controls are off or empty.
    QCOMPARE(o.dialog->ComboBox2->isEnabled(), kind == Phone);
    QCOMPARE(o.dialog->BitBtn6->isEnabled(), kind == Phone);
    QCOMPARE(o.dialog->abonentLabel->isEnabled(), kind == Phone);
    o.dialog->BitBtn1->click();
    QCOMPARE(o.messages, QStringList{QStringLiteral("Введены не все параметры")});
    QVERIFY(o.dialog->isVisible());
    QVERIFY(!o.dialog->Accepted);
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
    Choose(d.ComboBox3, Phone);
    Choose(d.ComboBox2, 1);
    if (closeBox)
        d.close();
    else
        d.BitBtn2->click();
    QVERIFY(!d.isVisible());
    QVERIFY(!d.Accepted);
    QVERIFY(o.messages.isEmpty());
    QCOMPARE(o.store.CurrentSettings, current);
    QCOMPARE(o.store.CurrentSettings.directory.user_index, quint8(0));
}

void FormConnectTest::enter_inAListAccepts_onAButtonPressesIt()
{
    {
        Opened o(WithAbonents(2, 1, Phone));
        TFormConnect &d = *o.dialog;
        int listOpened = 0;
        QObject::connect(d.BitBtn6, &QPushButton::clicked, [&listOpened] { ++listOpened; });
        // Enter in the subscriber box accepts: it never presses the list button beside it.
        d.ComboBox2->setFocus();
        QTest::keyClick(d.ComboBox2, Qt::Key_Return);
        QCOMPARE(listOpened, 0);
        QVERIFY(d.Accepted);
        QVERIFY(!d.isVisible());
        QCOMPARE(o.store.CurrentSettings.Conn_Prz, quint8(Phone));
    }
    {
        // A focused button takes Enter itself: "Выход" leaves without accepting.
        Opened o(WithAbonents(2, 1, Phone));
        TFormConnect &d = *o.dialog;
        d.BitBtn2->setFocus();
        QTest::keyClick(d.BitBtn2, Qt::Key_Return);
        QVERIFY(!d.Accepted);
        QVERIFY(!d.isVisible());
    }
    {
        // The phone kind without a subscriber is refused from the keyboard as well.
        Opened o(WithAbonents(0, 0, Phone));
        TFormConnect &d = *o.dialog;
        d.ComboBox3->setFocus();
        QTest::keyClick(d.ComboBox3, Qt::Key_Return);
        QVERIFY(!d.Accepted);
        QCOMPARE(o.messages, QStringList{QStringLiteral(u"Введены не все параметры")});
    }
}

QTEST_MAIN(FormConnectTest)
#include "tst_formconnect.moc"
