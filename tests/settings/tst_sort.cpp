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
    d.users_num = static_cast<quint8>(entries.size());
    d.user_index = static_cast<quint8>(selected);
    for (qsizetype i = 0; i < entries.size(); ++i) {
        d.entries[i].user_name = entries[i].name;
        d.entries[i].phone_code = entries[i].phone;
        d.entries[i].contr_adr = static_cast<quint8>(10 + i); // follows its subscriber
    }
    return d;
}

QStringList namesOf(const AbonentDirectory &d)
{
    QStringList names;
    for (int i = 0; i < d.users_num; ++i)
        names << d.entries[i].user_name;
    return names;
}

} // namespace

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
        QCOMPARE(d.entries[0].user_name, QStringLiteral("anna"));
        QCOMPARE(d.entries[1].user_name, QStringLiteral("Анна"));
        QCOMPARE(QSet<QString>({d.entries[2].user_name, d.entries[3].user_name}),
                 QSet<QString>({"борис", "Борис"}));
        QCOMPARE(d.entries[d.user_index].user_name, QStringLiteral("Борис"));
        QCOMPARE(d.entries[d.user_index].phone_code, QStringLiteral("4"));
        QCOMPARE(d.entries[0].contr_adr, quint8(12)); // whole records move
        QCOMPARE(d.entries[0].phone_code, QStringLiteral("3"));

        AbonentDirectory e = directoryOf({{"борис", "1"}, {"Анна", "2"}, {"anna", "3"}}, 1);
        SortAbonents(e, ByName);
        QCOMPARE(e.user_index, quint8(1));
    }

    void byPhone_twoOfTheRememberedName_laterOneSelected()
    {
        AbonentDirectory d = directoryOf(
            {{"Иван", "+7 300"}, {"Пётр", "+7 200"}, {"Иван", "+7 100"}, {"Анна", "8 000"}}, 0);
        SortAbonents(d, ByPhone);
        QCOMPARE(namesOf(d), QStringList({"Иван", "Пётр", "Иван", "Анна"}));
        QCOMPARE(d.entries[0].phone_code, QStringLiteral("+7 100"));
        QCOMPARE(d.user_index, quint8(2));
        QCOMPARE(d.entries[2].phone_code, QStringLiteral("+7 300"));
    }

    void onlyEntriesInUseMove()
    {
        AbonentDirectory d = directoryOf({{"b", {}}, {"a", {}}}, 0);
        d.entries[2].user_name = QStringLiteral("0 free slot");
        d.entries[99].user_name = QStringLiteral("b");
        SortAbonents(d, ByName);
        QCOMPARE(namesOf(d), QStringList({"a", "b"}));
        QCOMPARE(d.entries[2].user_name, QStringLiteral("0 free slot"));
        QCOMPARE(d.user_index, quint8(1)); // a free slot of the same name is not chosen
    }

    void unknownKey_keepsOrderButReselects()
    {
        AbonentDirectory d = directoryOf({{"x", {}}, {"a", {}}, {"x", {}}}, 0);
        SortAbonents(d, 7);
        QCOMPARE(namesOf(d), QStringList({"x", "a", "x"}));
        QCOMPARE(d.user_index, quint8(2));
    }

    void emptyDirectory_selectionUnchanged()
    {
        AbonentDirectory d;
        d.entries[0].user_name = QStringLiteral("b");
        d.entries[1].user_name = QStringLiteral("a");
        SortAbonents(d, ByName);
        QCOMPARE(d.user_index, quint8(0));
        QCOMPARE(d.entries[0].user_name, QStringLiteral("b"));
    }

    void selectedAbonent_onlyAnEntryInUse()
    {
        Settings s;
        QVERIFY(s.selectedAbonent() == nullptr);
        s.directory = directoryOf({{"a", "1"}, {"b", "2"}}, 1);
        QVERIFY(s.selectedAbonent() == &s.directory.entries[1]);
        s.directory.user_index = 2;
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
        QCOMPARE(RateIndex(38400), 18);
        QCOMPARE(RateIndex(1000), -1);
        QCOMPARE(RateIndex(0), -1);
        QCOMPARE(RateAt(21), 230400);
        QCOMPARE(RateAt(22), 0);
        QCOMPARE(RateAt(-1), 0);
    }
};

QTEST_GUILESS_MAIN(TestSort)
#include "tst_sort.moc"
