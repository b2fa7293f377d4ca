// The subscriber list: the grid's rows, numbers and selection after adding, editing,
// deleting and sorting, the buttons that may act, and that everything it does is done
// in the directory it was given.
#include "dialogs/formabonent.h"
#include "dialogs/dialogwidgets.h"
#include "dialogs/formabonentslist.h"

#include "dialogtest.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>

using namespace tavrin;
using namespace tavrin::test;

namespace {

QTableWidget *Grid(const TFormAbonents_List &l) { return Named<QTableWidget>(&l, "StringGrid1"); }
QPushButton *EditButton(const TFormAbonents_List &l) { return Named<QPushButton>(&l, "BitBtn1"); }
QPushButton *AddButton(const TFormAbonents_List &l) { return Named<QPushButton>(&l, "BitBtn2"); }
QPushButton *DeleteButton(const TFormAbonents_List &l) { return Named<QPushButton>(&l, "BitBtn3"); }
QPushButton *AcceptButton(const TFormAbonents_List &l) { return Named<QPushButton>(&l, "BitBtn4"); }
QPushButton *CancelButton(const TFormAbonents_List &l) { return Named<QPushButton>(&l, "BitBtn5"); }
QToolButton *ByNameButton(const TFormAbonents_List &l) { return Named<QToolButton>(&l, "SpeedButton1"); }
QToolButton *ByPhoneButton(const TFormAbonents_List &l) { return Named<QToolButton>(&l, "SpeedButton2"); }

// Every row of the grid as its number, name and phone cells joined by '|' (the network
// address column after them is checked on its own).
QStringList Rows(const QTableWidget *grid)
{
    QStringList rows;
    for (int row = 0; row < grid->rowCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < 3; ++column)
            cells << (grid->item(row, column) ? grid->item(row, column)->text() : QString());
        rows << cells.join(u'|');
    }
    return rows;
}

// Which buttons can be pressed: "Изменить", "Добавить", "Удалить", by name, by phone.
QList<bool> Enabled(const TFormAbonents_List &l)
{
    return {EditButton(l)->isEnabled(), AddButton(l)->isEnabled(), DeleteButton(l)->isEnabled(),
            ByNameButton(l)->isEnabled(), ByPhoneButton(l)->isEnabled()};
}

// Анна, Борис, Вера, Глеб and Дина, by name, with the given one selected.
AbonentDirectory Five(int selected)
{
    return MakeDirectory({{QStringLiteral("Анна"), QStringLiteral("555")},
                          {QStringLiteral("Борис"), QStringLiteral("444")},
                          {QStringLiteral("Вера"), QStringLiteral("333")},
                          {QStringLiteral("Глеб"), QStringLiteral("222")},
                          {QStringLiteral("Дина"), QStringLiteral("111")}},
                         selected);
}

// The list opened on a directory, its question answered from answers (No when used up).
struct OpenedList {
    AbonentDirectory directory;
    QStringList questions;
    QList<bool> answers;
    std::unique_ptr<TFormAbonents_List> list;

    explicit OpenedList(const AbonentDirectory &given) : directory(given)
    {
        list = std::make_unique<TFormAbonents_List>(directory, nullptr);
        list->askQuestion = [this](const QString &text) {
            questions << text;
            return !answers.isEmpty() && answers.takeFirst();
        };
        list->open();
    }
};

enum class Scenario { AddBoris, AddCancelled, DeleteThirdOfFive, DeleteFirst, SortByPhone, EditByDoubleClick, DeleteDeclined };

void Run(Scenario scenario, OpenedList &o, ModalScript &script)
{
    TFormAbonents_List &l = *o.list;
    switch (scenario) {
    case Scenario::AddBoris:
        script.on<TFormAbonent>(TypeAbonent(QStringLiteral("Борис"), QStringLiteral("222")));
        AddButton(l)->click();
        break;
    case Scenario::AddCancelled:
        script.on<TFormAbonent>([](TFormAbonent *editor) {
            Named<QLineEdit>(editor, "Edit1")->setText(QStringLiteral("Ева"));
            editor->reject();
        });
        AddButton(l)->click();
        break;
    case Scenario::DeleteThirdOfFive:
    case Scenario::DeleteFirst:
        o.answers << true;
        Grid(l)->setCurrentCell(scenario == Scenario::DeleteFirst ? 0 : 2, 1); // the user picks the row
        DeleteButton(l)->click();
        break;
    case Scenario::SortByPhone:
        ByPhoneButton(l)->click();
        break;
    case Scenario::EditByDoubleClick:
        script.on<TFormAbonent>(TypeAbonent(QStringLiteral("Юлия"), QStringLiteral("777")));
        emit Grid(l)->cellDoubleClicked(0, 1);
        break;
    case Scenario::DeleteDeclined:
        o.answers << false;
        DeleteButton(l)->click();
        break;
    }
}

} // namespace

class FormAbonentsListTest : public QObject {
    Q_OBJECT
private slots:
    void show_emptyDirectoryOneBlankRowOnlyAdd();
    void grid_rowsAndSelectionAfterEachChange_data();
    void grid_rowsAndSelectionAfterEachChange();
    void delete_freedSlotIsZeroAndTheNextAdditionTakesIt();
    void add_hundredthSubscriberDisablesAdd();
    void cells_showNamesAsTyped();
    void addressColumn_showsTheNetworkAddressAfterThePhone();
    void accept_recordsTheSelectedRow();
    void cancel_keepsTheChangesAlreadyMade();
    void keyboard_arrowsChooseEnterAcceptsEscCancels();
};

void FormAbonentsListTest::show_emptyDirectoryOneBlankRowOnlyAdd()
{
    OpenedList o(AbonentDirectory{});
    TFormAbonents_List &l = *o.list;
    QCOMPARE(l.windowTitle(), QStringLiteral(" Список абонентов"));
    QCOMPARE(Rows(Grid(l)), QStringList{QStringLiteral("||")});
    QCOMPARE(Enabled(l), (QList<bool>{false, true, false, true, false}));
    // The column headers.
    QCOMPARE(LabelTexts(&l), (QStringList{QStringLiteral("Наименование"), QStringLiteral("Сетевой адрес"), QStringLiteral("№"),
                          QStringLiteral("№ телефона")}));
    QCOMPARE(Texts(&l, {"BitBtn1", "BitBtn2", "BitBtn3", "BitBtn4", "BitBtn5"}),
             (QStringList{QStringLiteral("Изменить"), QStringLiteral("Добавить"), QStringLiteral("Удалить"),
                          QStringLiteral("Принять"), QStringLiteral("Отменить")}));
}

void FormAbonentsListTest::grid_rowsAndSelectionAfterEachChange_data()
{
    QTest::addColumn<AbonentDirectory>("given");
    QTest::addColumn<Scenario>("scenario");
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<int>("selected");
    const AbonentDirectory annaVera = MakeDirectory(
        {{QStringLiteral("Анна"), QStringLiteral("111")}, {QStringLiteral("Вера"), QStringLiteral("333")}}, 0);
    QTest::newRow("Борис added between Анна and Вера")
        << annaVera << Scenario::AddBoris
        << QStringList{"  1| Анна| 111", "  2| Борис| 222", "  3| Вера| 333"} << 1;
    QTest::newRow("editor cancelled after typing")
        << Five(2) << Scenario::AddCancelled
        << QStringList{"  1| Анна| 555", "  2| Борис| 444", "  3| Вера| 333", "  4| Глеб| 222", "  5| Дина| 111"} << 2;
    QTest::newRow("third of five deleted")
        << Five(0) << Scenario::DeleteThirdOfFive
        << QStringList{"  1| Анна| 555", "  2| Борис| 444", "  3| Глеб| 222", "  4| Дина| 111"} << 1;
    QTest::newRow("first deleted")
        << Five(0) << Scenario::DeleteFirst
        << QStringList{"  1| Борис| 444", "  2| Вера| 333", "  3| Глеб| 222", "  4| Дина| 111"} << 0;
    QTest::newRow("deletion declined")
        << Five(3) << Scenario::DeleteDeclined
        << QStringList{"  1| Анна| 555", "  2| Борис| 444", "  3| Вера| 333", "  4| Глеб| 222", "  5| Дина| 111"} << 3;
    QTest::newRow("sorted by phone, selection follows Борис")
        << Five(1) << Scenario::SortByPhone
        << QStringList{"  1| Дина| 111", "  2| Глеб| 222", "  3| Вера| 333", "  4| Борис| 444", "  5| Анна| 555"} << 3;
    QTest::newRow("Анна renamed Юлия by double click moves last")
        << Five(2) << Scenario::EditByDoubleClick
        << QStringList{"  1| Борис| 444", "  2| Вера| 333", "  3| Глеб| 222", "  4| Дина| 111", "  5| Юлия| 777"} << 4;
}

void FormAbonentsListTest::grid_rowsAndSelectionAfterEachChange()
{
    QFETCH(AbonentDirectory, given);
    QFETCH(Scenario, scenario);
    QFETCH(QStringList, rows);
    QFETCH(int, selected);
    OpenedList o(given);
    ModalScript script;
    Run(scenario, o, script);
    QCOMPARE(script.pending(), 0);

    QCOMPARE(Rows(Grid(*o.list)), rows);
    if (scenario == Scenario::AddCancelled)
        QCOMPARE(o.directory, given); // the free slot too
    QCOMPARE(Grid(*o.list)->currentRow(), selected);
    QCOMPARE(int(o.directory.selectedIndex), selected);
    QCOMPARE(int(o.directory.count), rows.size());
    const bool byPhone = scenario == Scenario::SortByPhone;
    QCOMPARE(o.directory.sortKey, quint8(byPhone ? ByPhone : ByName));
    QCOMPARE(Enabled(*o.list), (QList<bool>{true, true, true, byPhone, !byPhone}));
    const bool deletes = scenario == Scenario::DeleteFirst || scenario == Scenario::DeleteThirdOfFive
                      || scenario == Scenario::DeleteDeclined;
    QCOMPARE(o.questions, deletes ? QStringList{QStringLiteral("Вы действительно хотите удалить этот абонент?")}
                                  : QStringList());
}

void FormAbonentsListTest::delete_freedSlotIsZeroAndTheNextAdditionTakesIt()
{
    AbonentDirectory given = Five(4);
    for (AbonentRecord &entry : given.entries)
        entry.controllerAddress = entry.modbusAddress = 1;
    given.entries[1].controllerAddress = 9;
    OpenedList o(given);
    o.answers << true;
    Grid(*o.list)->setCurrentCell(1, 0);
    DeleteButton(*o.list)->click();
    QCOMPARE(o.directory.count, quint8(4));
    QCOMPARE(o.directory.entries[2].controllerAddress, quint8(1)); // Вера moved down with her addresses
    QCOMPARE(o.directory.entries[4], (AbonentRecord{QString(), 0, 0, QString()}));
    QCOMPARE(o.directory.entries[5], (AbonentRecord{QString(), 1, 1, QString()})); // never used

    ModalScript script;
    script.on<TFormAbonent>(TypeAbonent(QStringLiteral("Яна"), QStringLiteral("999")));
    AddButton(*o.list)->click();
    QCOMPARE(o.directory.entries[4], (AbonentRecord{QStringLiteral("Яна"), 0, 0, QStringLiteral("999")}));
    QCOMPARE(Grid(*o.list)->currentRow(), 4);
}

void FormAbonentsListTest::add_hundredthSubscriberDisablesAdd()
{
    AbonentDirectory given;
    for (int i = 0; i < 99; ++i)
        given.entries[i] = {QStringLiteral("Абонент %1").arg(i + 1, 2, 10, QChar(u'0')), 1, 1, QStringLiteral("1")};
    given.count = 99;
    OpenedList o(given);
    QVERIFY(AddButton(*o.list)->isEnabled());
    ModalScript script;
    script.on<TFormAbonent>(TypeAbonent(QStringLiteral("Абонент 00"), QStringLiteral("0")));
    AddButton(*o.list)->click();
    QCOMPARE(o.directory.count, quint8(100));
    QCOMPARE(Grid(*o.list)->rowCount(), 100);
    QCOMPARE(Grid(*o.list)->currentRow(), 0);
    QCOMPARE(Grid(*o.list)->item(99, 0)->text(), QStringLiteral("  100"));
    QVERIFY(!AddButton(*o.list)->isEnabled());
    QVERIFY(EditButton(*o.list)->isEnabled());
}

void FormAbonentsListTest::cells_showNamesAsTyped()
{
    OpenedList o(MakeDirectory({{QStringLiteral("100% <b>Щит</b>"), QStringLiteral("%1 &lt;")}}, 0));
    SaveScreen(o.list.get(), QStringLiteral("formabonentslist.png"));
    QCOMPARE(Rows(Grid(*o.list)), QStringList{QStringLiteral("  1| 100% <b>Щит</b>| %1 &lt;")});
}

void FormAbonentsListTest::addressColumn_showsTheNetworkAddressAfterThePhone()
{
    AbonentDirectory directory = Five(0);
    directory.entries[1].networkAddress = QStringLiteral("[fd00::2]:4001");
    directory.entries[3].networkAddress = QStringLiteral("gleb.example:2217");
    directory.entries[3].networkProtocol = Rfc2217;
    OpenedList o(directory);
    QTableWidget *grid = Grid(*o.list);
    QCOMPARE(grid->columnCount(), 4);
    QVERIFY(LabelTexts(o.list.get()).contains(QStringLiteral("Сетевой адрес")));
    QStringList addresses;
    for (int row = 0; row < grid->rowCount(); ++row)
        addresses << (grid->item(row, 3) ? grid->item(row, 3)->text() : QStringLiteral("(none)"));
    QCOMPARE(addresses, (QStringList{QString(), QStringLiteral(" [fd00::2]:4001"), QString(),
                                     QStringLiteral(" gleb.example:2217"), QString()}));
    // Sorting moves the address with its subscriber.
    ByPhoneButton(*o.list)->click();
    QCOMPARE(grid->item(1, 3)->text(), QStringLiteral(" gleb.example:2217"));
    QCOMPARE(grid->item(3, 3)->text(), QStringLiteral(" [fd00::2]:4001"));
    // A long address may be cut at a large font: the whole of it is in the tooltip.
    QCOMPARE(grid->item(3, 3)->toolTip(), PlainToolTip(QStringLiteral("[fd00::2]:4001")));
    QCOMPARE(grid->item(0, 3)->toolTip(), QString());
}

void FormAbonentsListTest::accept_recordsTheSelectedRow()
{
    OpenedList o(Five(0));
    Grid(*o.list)->setCurrentCell(3, 2);
    QCOMPARE(o.directory.selectedIndex, quint8(3)); // a row chosen is selected at once
    AcceptButton(*o.list)->click();
    QCOMPARE(o.list->result(), int(QDialog::Accepted));
    QVERIFY(!o.list->isVisible());
    QCOMPARE(o.directory.selectedIndex, quint8(3));
}

void FormAbonentsListTest::cancel_keepsTheChangesAlreadyMade()
{
    OpenedList o(Five(0));
    ModalScript script;
    script.on<TFormAbonent>(TypeAbonent(QStringLiteral("Анна-Мария"), QStringLiteral("556")));
    EditButton(*o.list)->click();
    ByPhoneButton(*o.list)->click();
    CancelButton(*o.list)->click();
    QCOMPARE(o.list->result(), int(QDialog::Rejected));
    QCOMPARE(o.directory.sortKey, quint8(ByPhone));
    QCOMPARE(o.directory.entries[4], (AbonentRecord{QStringLiteral("Анна-Мария"), 1, 1, QStringLiteral("556")}));
    QCOMPARE(o.directory.selectedIndex, quint8(4));
}

void FormAbonentsListTest::keyboard_arrowsChooseEnterAcceptsEscCancels()
{
    {
        OpenedList o(Five(0));
        TFormAbonents_List &l = *o.list;
        QVERIFY(Activate(&l));
        QCOMPARE(QApplication::focusWidget(), Grid(l));
        QTest::keyClick(Grid(l), Qt::Key_Down);
        QTest::keyClick(Grid(l), Qt::Key_Down);
        QCOMPARE(o.directory.selectedIndex, quint8(2));
        const QList<QWidget *> order = {EditButton(l), AddButton(l), DeleteButton(l),
                                        Named<QPushButton>(&l, "SurveyButton"), AcceptButton(l),
                                        CancelButton(l), ByPhoneButton(l), Grid(l)}; // by name is in force
        QCOMPARE(TabWalk(order.size()), order);
        QTest::keyClick(Grid(l), Qt::Key_Return);
        QCOMPARE(l.result(), int(QDialog::Accepted));
        QCOMPARE(o.directory.selectedIndex, quint8(2));
    }
    OpenedList o(Five(0));
    QTest::keyClick(Grid(*o.list), Qt::Key_Escape);
    QVERIFY(!o.list->isVisible());
    QCOMPARE(o.list->result(), int(QDialog::Rejected));
}

QTEST_MAIN(FormAbonentsListTest)
#include "tst_formabonentslist.moc"
