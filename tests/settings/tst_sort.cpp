#include "settings/settings.h"

#include <QtTest>

using namespace tavrin;

namespace {

struct Entry {
    QString name;
    QString phone;
};

AbonentDirectory directoryOf(const QList<Entry> &entries, int selected)
{
    AbonentDirectory d;
    d.count = static_cast<quint8>(entries.size());
    d.selectedIndex = static_cast<quint8>(selected);
    for (qsizetype i = 0; i < entries.size(); ++i) {
        d.entries[i].name = entries[i].name;
        d.entries[i].phoneNumber = entries[i].phone;
        d.entries[i].controllerAddress = static_cast<quint8>(10 + i); // follows its subscriber
    }
    return d;
}

QStringList namesOf(const AbonentDirectory &d)
{
    QStringList names;
    for (int i = 0; i < d.count; ++i)
        names << d.entries[i].name;
    return names;
}

} // namespace

Q_DECLARE_METATYPE(Entry)

class TestSort : public QObject {
    Q_OBJECT

private slots:
    void byName_caseFoldedCp1251Order_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QStringList>("sorted");
        QTest::newRow("Ё before А") << QStringList{"Анна", "ёлка", "Ёж"}
                                    << QStringList{"Ёж", "ёлка", "Анна"};
        QTest::newRow("digits and Latin before Cyrillic")
            << QStringList{"Яна", "Zed", "42", "abc", "Борис"}
            << QStringList{"42", "abc", "Zed", "Борис", "Яна"};
        QTest::newRow("prefix first") << QStringList{"Анна", "А", "Ан"} << QStringList{"А", "Ан", "Анна"};
        QTest::newRow("case folded, equal keys keep their order")
            << QStringList{"b", "A", "B", "a"} << QStringList{"A", "a", "b", "B"};
        QTest::newRow("upper-half letters folded") << QStringList{"ўа", "Ўб", "Ўа"}
                                                   << QStringList{"ўа", "Ўа", "Ўб"};
        QTest::newRow("я last") << QStringList{"я", "Э", "ю"} << QStringList{"Э", "ю", "я"};
    }

    void byName_caseFoldedCp1251Order()
    {
        QFETCH(QStringList, names);
        QFETCH(QStringList, sorted);
        QList<Entry> entries;
        for (const QString &n : names)
            entries << Entry{n, {}};
        AbonentDirectory d = directoryOf(entries, 0);
        SortAbonents(d, ByName);
        QCOMPARE(namesOf(d), sorted);
    }

    void byName_fourSubscribers_selectionFollows()
    {
        AbonentDirectory d = directoryOf(
            {{"борис", "1"}, {"Анна", "2"}, {"anna", "3"}, {"Борис", "4"}}, 3);
        SortAbonents(d, ByName);
        QCOMPARE(d.entries[0].name, QStringLiteral("anna"));
        QCOMPARE(d.entries[1].name, QStringLiteral("Анна"));
        QCOMPARE(QSet<QString>({d.entries[2].name, d.entries[3].name}),
                 QSet<QString>({"борис", "Борис"}));
        QCOMPARE(d.entries[d.selectedIndex].name, QStringLiteral("Борис"));
        QCOMPARE(d.entries[d.selectedIndex].phoneNumber, QStringLiteral("4"));
        QCOMPARE(d.entries[0].controllerAddress, quint8(12)); // whole records move
        QCOMPARE(d.entries[0].phoneNumber, QStringLiteral("3"));

        AbonentDirectory e = directoryOf({{"борис", "1"}, {"Анна", "2"}, {"anna", "3"}}, 1);
        SortAbonents(e, ByName);
        QCOMPARE(e.selectedIndex, quint8(1));
    }

    void byPhone_twoOfTheRememberedName_laterOneSelected()
    {
        AbonentDirectory d = directoryOf(
            {{"Иван", "+7 300"}, {"Пётр", "+7 200"}, {"Иван", "+7 100"}, {"Анна", "8 000"}}, 0);
        SortAbonents(d, ByPhone);
        QCOMPARE(namesOf(d), QStringList({"Иван", "Пётр", "Иван", "Анна"}));
        QCOMPARE(d.entries[0].phoneNumber, QStringLiteral("+7 100"));
        QCOMPARE(d.selectedIndex, quint8(2));
        QCOMPARE(d.entries[2].phoneNumber, QStringLiteral("+7 300"));
    }

    // The selection follows the subscriber chosen, told from another of the same name by
    // the phone number; by the name alone only when no entry has both.
    void sameName_selectionFollowsNameAndPhone_data()
    {
        QTest::addColumn<QList<Entry>>("entries");
        QTest::addColumn<int>("selected");
        QTest::addColumn<int>("sortKey");
        QTest::addColumn<int>("expectedIndex");
        QTest::addColumn<QString>("expectedPhone");
        const QList<Entry> twoIvans = {{"Иван", "111"}, {"Иван", "222"}};
        QTest::newRow("first of two, by name") << twoIvans << 0 << int(ByName) << 0 << "111";
        QTest::newRow("second of two, by name") << twoIvans << 1 << int(ByName) << 1 << "222";
        QTest::newRow("first of two, by phone") << twoIvans << 0 << int(ByPhone) << 0 << "111";
        QTest::newRow("first of two, no sort") << twoIvans << 0 << 7 << 0 << "111";
        QTest::newRow("moved by the sort")
            << QList<Entry>{{"Иван", "222"}, {"Анна", "000"}, {"Иван", "111"}} << 0 << int(ByPhone)
            << 2 << "222";
        QTest::newRow("same name and phone twice: the later")
            << QList<Entry>{{"Иван", "111"}, {"Иван", "111"}, {"Анна", "0"}} << 0 << int(ByName)
            << 2 << "111";
    }

    void sameName_selectionFollowsNameAndPhone()
    {
        QFETCH(QList<Entry>, entries);
        QFETCH(int, selected);
        QFETCH(int, sortKey);
        QFETCH(int, expectedIndex);
        QFETCH(QString, expectedPhone);
        AbonentDirectory d = directoryOf(entries, selected);
        SortAbonents(d, sortKey);
        QCOMPARE(int(d.selectedIndex), expectedIndex);
        QCOMPARE(d.entries[d.selectedIndex].phoneNumber, expectedPhone);
        SortAbonents(d, sortKey); // and again, as at every start
        QCOMPARE(int(d.selectedIndex), expectedIndex);
    }

    // A selection on a free slot (left by a hand-edited file) has no entry with its name
    // and phone among those in use; one of its name alone is chosen, as before.
    void selectionOnFreeSlot_foundByNameAlone()
    {
        AbonentDirectory d = directoryOf({{"b", "1"}, {"a", "2"}}, 0);
        d.entries[5] = {QStringLiteral("b"), 1, 1, QStringLiteral("9")};
        d.selectedIndex = 5;
        SortAbonents(d, ByName);
        QCOMPARE(d.selectedIndex, quint8(1));
    }

    void onlyEntriesInUseMove()
    {
        AbonentDirectory d = directoryOf({{"b", {}}, {"a", {}}}, 0);
        d.entries[2].name = QStringLiteral("0 free slot");
        d.entries[99].name = QStringLiteral("b");
        SortAbonents(d, ByName);
        QCOMPARE(namesOf(d), QStringList({"a", "b"}));
        QCOMPARE(d.entries[2].name, QStringLiteral("0 free slot"));
        QCOMPARE(d.selectedIndex, quint8(1)); // a free slot of the same name is not chosen
    }

    void unknownKey_keepsOrderButReselects()
    {
        AbonentDirectory d = directoryOf({{"x", {}}, {"a", {}}, {"x", {}}}, 0);
        SortAbonents(d, 7);
        QCOMPARE(namesOf(d), QStringList({"x", "a", "x"}));
        QCOMPARE(d.selectedIndex, quint8(2));
    }

    void emptyDirectory_selectionUnchanged()
    {
        AbonentDirectory d;
        d.entries[0].name = QStringLiteral("b");
        d.entries[1].name = QStringLiteral("a");
        SortAbonents(d, ByName);
        QCOMPARE(d.selectedIndex, quint8(0));
        QCOMPARE(d.entries[0].name, QStringLiteral("b"));
    }

    void selectedAbonent_onlyAnEntryInUse()
    {
        Settings s;
        QVERIFY(s.selectedAbonent() == nullptr);
        s.directory = directoryOf({{"a", "1"}, {"b", "2"}}, 1);
        QVERIFY(s.selectedAbonent() == &s.directory.entries[1]);
        s.directory.selectedIndex = 2;
        QVERIFY(s.selectedAbonent() == nullptr);
    }

    void rates()
    {
        const QList<int> rates = {300,   600,   1200,  2400,  3200,  3600,   4800,  5760,
                                  6400,  7200,  7680,  9600,  11520, 12800,  14400, 19200,
                                  23040, 28800, 38400, 57600, 115200, 230400};
        for (int i = 0; i < rates.size(); ++i) {
            QCOMPARE(RateAt(i), rates[i]);
            QCOMPARE(RateIndex(rates[i]), i);
        }
        QCOMPARE(RateIndex(1000), -1);
        QCOMPARE(RateIndex(0), -1);
        QCOMPARE(RateAt(22), 0);
        QCOMPARE(RateAt(-1), 0);
    }
};

QTEST_GUILESS_MAIN(TestSort)
#include "tst_sort.moc"
