#include "settings/settingslog.h"
#include "settings/settingsstore.h"

#include "inifolder.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

using namespace tavrin;
using tavrin::testsupport::loaded;
using tavrin::testsupport::SettingsLogOn;
using tavrin::testsupport::readBytes;
using tavrin::testsupport::writeBytes;

namespace {

const QByteArray kBluetoothIni = "[DIR_CONN_PAR]\r\nCOMPort=4\r\nRate=9600\r\n";
const QByteArray kAbonentsIni = "[FON_CONN_PAR]\r\nusers_num=1\r\n"
                                "[FON_ABONENT_1]\r\nuser_name=\xC0\xED\xED\xE0\r\nphone_code=123\r\n";

// kBluetoothIni followed by a comment that brings it to `size` bytes.
QByteArray bluetoothIniOfSize(qsizetype size)
{
    return kBluetoothIni + ';' + QByteArray(size - kBluetoothIni.size() - 3, '-') + "\r\n";
}

// The message after start for a file of which values were replaced, one line each.
QString replacedMessage(const QString &path, const QStringList &lines)
{
    return "В файле " + QDir::toNativeSeparators(path)
        + " есть значения, с которыми программа работать не может. Вместо них взяты:\r" + lines.join('\r');
}

// A subscriber added as the dialogs add one: into the slot after the count, selected,
// then sorted.
void addAbonent(SettingsStore &store, const QString &name, const QString &phone)
{
    AbonentDirectory &directory = store.CurrentSettings.directory;
    directory.entries[directory.count].name = name;
    directory.entries[directory.count].phoneNumber = phone;
    directory.selectedIndex = directory.count++;
    SortAbonents(directory, directory.sortKey);
    store.WriteAbonentsIni();
}

QStringList abonentNames(const AbonentDirectory &directory)
{
    QStringList names;
    for (int i = 0; i < directory.count; ++i)
        names << directory.entries[i].name;
    return names;
}

QStringList folderEntries(const QString &folder)
{
    QStringList names = QDir(folder).entryList(QDir::AllEntries | QDir::System | QDir::Hidden
                                               | QDir::NoDotAndDotDot);
    names.sort();
    return names;
}

} // namespace

// What the start-up read does with what it finds in the INI folder besides the two
// files read normally: leftovers of interrupted writes, files too large or unreadable.
class TestSettingsLoad : public QObject {
    Q_OBJECT

private slots:
    void leftoversOfInterruptedWrites_removedAtStartNothingElse_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("removed");
        QTest::newRow("bluetooth.ini leftover") << "bluetooth.ini.UzBGDf" << "file" << true;
        QTest::newRow("abonents.ini leftover") << "abonents.ini.KnzaPz" << "file" << true;
        QTest::newRow("empty leftover") << "abonents.ini.laRtpu" << "empty" << true;
        QTest::newRow("a copy named backup") << "bluetooth.ini.backup" << "file" << false;
        QTest::newRow("a copy named BEFORE") << "abonents.ini.BEFORE" << "file" << false;
        QTest::newRow("a copy named bak") << "bluetooth.ini.bak" << "file" << false;
        QTest::newRow("seven letters") << "bluetooth.ini.UzBGDfx" << "file" << false;
        QTest::newRow("a digit") << "bluetooth.ini.UzBG1f" << "file" << false;
        QTest::newRow("another file's name") << "devices.ini.UzBGDf" << "file" << false;
        QTest::newRow("name in other case") << "Bluetooth.ini.UzBGDf" << "file" << false;
        QTest::newRow("no dot") << "bluetooth.iniUzBGDf" << "file" << false;
        QTest::newRow("a folder") << "abonents.ini.KnzaPz" << "folder" << false;
        QTest::newRow("a link") << "bluetooth.ini.PyIbPA" << "link" << false;
    }

    void leftoversOfInterruptedWrites_removedAtStartNothingElse()
    {
        QFETCH(QString, name);
        QFETCH(QString, kind);
        QFETCH(bool, removed);
        QTemporaryDir exe;
        QVERIFY(QDir(exe.path()).mkpath("INI"));
        const QString folder = exe.filePath("INI");
        const QString path = folder + '/' + name;
        writeBytes(exe.filePath("outside.txt"), "kept");
        if (kind == "file")
            writeBytes(path, "[CURR_PAR]\r\nConn_Prz=1\r\n");
        else if (kind == "empty")
            writeBytes(path, {});
        else if (kind == "folder")
            QVERIFY(QDir().mkdir(path));
        else
            QVERIFY(QFile::link(exe.filePath("outside.txt"), path));

        const SettingsStore store = loaded(exe.path(), kBluetoothIni, kAbonentsIni);
        QStringList expected{"abonents.ini", "bluetooth.ini"};
        if (!removed)
            expected << name;
        expected.sort();
        QCOMPARE(folderEntries(folder), expected);
        QCOMPARE(readBytes(store.BluetoothIniPath), kBluetoothIni);
        QCOMPARE(readBytes(exe.filePath("outside.txt")), QByteArray("kept"));
        QCOMPARE(store.CurrentSettings.connectionKind, quint8(Direct)); // the leftover is not read
        QVERIFY(store.loadProblems().isEmpty());
    }

    void fileOverOneMegabyte_defaultsMessageAndNeverOverwritten()
    {
        QTemporaryDir exe;
        const QByteArray tooLarge = bluetoothIniOfSize(1024 * 1024 + 1);
        SettingsStore store = loaded(exe.path(), tooLarge, kAbonentsIni);
        QCOMPARE(store.CurrentSettings.direct, ConnectionParameters{});
        QCOMPARE(store.CurrentSettings.directory.entries[0].name, QStringLiteral("Анна"));
        QCOMPARE(store.loadProblems(),
                 QStringList{"Файл " + QDir::toNativeSeparators(store.BluetoothIniPath)
                             + " больше 1 МБ и не прочитан. Настройки из него взяты по "
                               "умолчанию, файл программа не изменит."});

        store.CurrentSettings.direct.portNumber = 7;
        try {
            store.WriteBluetoothIni();
            QFAIL("a file that was not read was written over");
        } catch (const SettingsWriteError &e) {
            QCOMPARE(e.filePath(), store.BluetoothIniPath);
        }
        QCOMPARE(readBytes(store.BluetoothIniPath), tooLarge);
        QCOMPARE(store.SavedSettings.direct.portNumber, quint8(1));
        QCOMPARE(folderEntries(store.IniDirectory), QStringList({"abonents.ini", "bluetooth.ini"}));

        // Cut to 1 MB by the user, it is read again and written as any other.
        writeBytes(store.BluetoothIniPath, bluetoothIniOfSize(1024 * 1024));
        store.LoadSettings(exe.path());
        QVERIFY(store.loadProblems().isEmpty());
        QCOMPARE(store.CurrentSettings.direct.bitRate, 9600);
        store.CurrentSettings.direct.portNumber = 7;
        store.WriteBluetoothIni();
        QVERIFY(readBytes(store.BluetoothIniPath).startsWith("[DIR_CONN_PAR]\r\nCOMPort=7\r\n"));
    }

    void unreadableFile_messageNamesItOthersRead()
    {
        QTemporaryDir exe;
        QVERIFY(QDir(exe.path()).mkpath("INI/abonents.ini"));
        const SettingsStore store = loaded(exe.path(), kBluetoothIni, {});
        QCOMPARE(store.CurrentSettings.direct.portNumber, quint8(4));
        QCOMPARE(store.loadProblems(),
                 QStringList{"Не удалось прочитать файл "
                             + QDir::toNativeSeparators(store.AbonentsIniPath)
                             + ". Настройки из него взяты по умолчанию, файл программа не изменит."});

        SettingsStore fine = loaded(exe.path(), kBluetoothIni, {});
        QVERIFY(QDir(exe.filePath("INI/abonents.ini")).removeRecursively());
        fine.LoadSettings(exe.path());
        QVERIFY(fine.loadProblems().isEmpty()); // the list is of the last start only
    }

    // What a Windows editor leaves on "Save as UTF-8": the mark before the first section.
    void byteOrderMark_readAsUtf8AndWrittenBackInCp1251WithoutIt()
    {
        QTemporaryDir exe;
        const QByteArray bluetooth = "\xEF\xBB\xBF[CURR_PAR]\r\nConn_Prz=1\r\nLast_Command=0\r\n"
                                     "; Котельная\r\n[FON_CONN_PAR]\r\nCOMPort=3\r\nCommand=ATZ\r\n";
        const QByteArray abonents = "\xEF\xBB\xBF[FON_CONN_PAR]\r\nusers_num=1\r\nuser_index=0\r\nsort_prz=0\r\n"
                                    "[FON_ABONENT_1]\r\nuser_name=Иванов Иван\r\ncontr_adr=1\r\nadr_modbus=1\r\n"
                                    "phone_code=111\r\n";
        SettingsStore store = loaded(exe.path(), bluetooth, abonents);
        QCOMPARE(store.loadProblems(), QStringList());
        QCOMPARE(store.CurrentSettings.connectionKind, quint8(Phone));
        QCOMPARE(store.CurrentSettings.phone.portNumber, quint8(3));
        QCOMPARE(abonentNames(store.CurrentSettings.directory), QStringList{"Иванов Иван"});
        store.WriteBluetoothIni();
        store.WriteAbonentsIni();
        QCOMPARE(readBytes(store.BluetoothIniPath), bluetooth); // read, not written
        QCOMPARE(readBytes(store.AbonentsIniPath), abonents);

        store.CurrentSettings.connectionKind = Direct;
        store.WriteBluetoothIni();
        QCOMPARE(readBytes(store.BluetoothIniPath),
                 QByteArray("[CURR_PAR]\r\nConn_Prz=0\r\nLast_Command=0\r\n"
                            "; \xCA\xEE\xF2\xE5\xEB\xFC\xED\xE0\xFF\r\n[FON_CONN_PAR]\r\nCOMPort=3\r\nCommand=ATZ\r\n"
                            "\r\n[Val_Adr]\r\nAdr_0=0\r\nAdr_1=0\r\nAdr_2=0\r\nAdr_3=0\r\nAdr_4=0\r\nAdr_5=0\r\n"));

        addAbonent(store, "Петров", "222");
        const QByteArray written = readBytes(store.AbonentsIniPath);
        QVERIFY(written.startsWith("[FON_CONN_PAR]\r\nusers_num=2\r\nuser_index=1\r\nsort_prz=0\r\n"
                                   "[FON_ABONENT_1]\r\nuser_name=\xC8\xE2\xE0\xED\xEE\xE2 \xC8\xE2\xE0\xED\r\n"
                                   "contr_adr=1\r\nadr_modbus=1\r\nphone_code=111\r\n"
                                   "\r\n[FON_ABONENT_2]\r\nuser_name=\xCF\xE5\xF2\xF0\xEE\xE2\r\n"));
        QCOMPARE(written.count("[FON_CONN_PAR]"), 1);
        QCOMPARE(written.count("[FON_ABONENT_1]"), 1);
        QCOMPARE(written.count("[FON_ABONENT_100]"), 1);

        const SettingsStore again = loaded(exe.path(), {}, {});
        QCOMPARE(again.CurrentSettings.connectionKind, quint8(Direct));
        QCOMPARE(abonentNames(again.CurrentSettings.directory), (QStringList{"Иванов Иван", "Петров"}));
        QCOMPARE(again.loadProblems(), QStringList());
    }

    // A person deletes one entry by hand and lowers users_num: the entries after the
    // gap are read in, told about, renumbered without the gap at the next write, and
    // never overwritten by subscribers added afterwards.
    void entriesAfterGap_readInRenumberedNeverOverwritten_data()
    {
        QTest::addColumn<QByteArray>("countLine");
        QTest::addColumn<QByteArray>("fourth"); // the keys of [FON_ABONENT_4]
        QTest::addColumn<QStringList>("read");  // the directory's names as read
        QTest::addColumn<bool>("told");
        const QByteArray named = "user_name=\xC3\xE0\xF0\xE0\xE6\r\nphone_code=444\r\n"; // Гараж
        QTest::newRow("count below the gap") << QByteArray("users_num=2\r\n") << named
                                             << QStringList{"Иванов Иван", "Петров", "Гараж"} << true;
        QTest::newRow("count absent") << QByteArray() << named << QStringList{"Иванов Иван", "Петров", "Гараж"} << true;
        QTest::newRow("phone number only") << QByteArray("users_num=2\r\n") << QByteArray("phone_code=444\r\n")
                                           << QStringList{"Иванов Иван", "Петров", ""} << true;
        // The count covers the gap: the empty entry stays in the directory as no site,
        // first in the order of phone numbers.
        QTest::newRow("count over the gap") << QByteArray("users_num=4\r\n") << named
                                            << QStringList{"", "Иванов Иван", "Петров", "Гараж"} << false;
    }

    void entriesAfterGap_readInRenumberedNeverOverwritten()
    {
        QFETCH(QByteArray, countLine);
        QFETCH(QByteArray, fourth);
        QFETCH(QStringList, read);
        QFETCH(bool, told);
        QTemporaryDir exe;
        const QByteArray abonents = "[FON_CONN_PAR]\r\n" + countLine + "user_index=0\r\nsort_prz=1\r\n"
                                    "[FON_ABONENT_1]\r\nuser_name=\xC8\xE2\xE0\xED\xEE\xE2 \xC8\xE2\xE0\xED\r\nphone_code=111\r\n"
                                    "[FON_ABONENT_2]\r\nuser_name=\xCF\xE5\xF2\xF0\xEE\xE2\r\nphone_code=222\r\n"
                                    "[FON_ABONENT_3]\r\n"
                                    "[FON_ABONENT_4]\r\n" + fourth;
        SettingsStore store = loaded(exe.path(), {}, abonents);
        QCOMPARE(abonentNames(store.CurrentSettings.directory), read);
        QCOMPARE(store.CurrentSettings.directory.entries[size_t(read.size() - 1)].phoneNumber, QStringLiteral("444"));
        QCOMPARE(store.loadNotes().size(), told ? 1 : 0);
        if (told)
            QVERIFY2(store.loadNotes()[0].contains("FON_ABONENT_4") && store.loadNotes()[0].contains("abonents.ini"),
                     qPrintable(store.loadNotes()[0]));
        // Read in, the entry is no reason to refuse the settings.
        QVERIFY(store.loadProblems().isEmpty() || countLine.isEmpty());
        // Nothing changed: nothing written.
        store.WriteAbonentsIni();
        QCOMPARE(readBytes(store.AbonentsIniPath), abonents);

        addAbonent(store, "Сидоров", "555");
        addAbonent(store, "Уткин", "666");
        const SettingsStore again = loaded(exe.path(), {}, {});
        QStringList names = abonentNames(again.CurrentSettings.directory);
        QCOMPARE(names.size(), read.size() + 2);
        QStringList phones;
        for (int i = 0; i < again.CurrentSettings.directory.count; ++i)
            phones << again.CurrentSettings.directory.entries[size_t(i)].phoneNumber;
        phones.removeAll(QString());
        phones.sort();
        QCOMPARE(phones, (QStringList{"111", "222", "444", "555", "666"}));
        // Written without the gap: each section named has one subscriber, in a row.
        QVERIFY(again.loadNotes().isEmpty());
    }

    void abonentCount_neverHidesNorGivesAwayNamedEntries_data()
    {
        QTest::addColumn<QByteArray>("countLine");
        QTest::addColumn<int>("count");     // as taken
        QTest::addColumn<QString>("shown"); // the value the message shows
        QTest::addColumn<bool>("told");
        QTest::newRow("0") << QByteArray("users_num=0\r\n") << 2 << "0" << true;
        QTest::newRow("abc") << QByteArray("users_num=abc\r\n") << 2 << "abc" << true;
        QTest::newRow("-1") << QByteArray("users_num=-1\r\n") << 2 << "-1" << true;
        QTest::newRow("101") << QByteArray("users_num=101\r\n") << 2 << "101" << true;
        QTest::newRow("256") << QByteArray("users_num=256\r\n") << 2 << "256" << true;
        QTest::newRow("1") << QByteArray("users_num=1\r\n") << 2 << "1" << true;
        QTest::newRow("absent") << QByteArray() << 2 << "" << true;
        QTest::newRow("2, as the entries") << QByteArray("users_num=2\r\n") << 2 << "" << false;
        QTest::newRow("4, above the entries: kept") << QByteArray("users_num=4\r\n") << 4 << "" << false;
    }

    void abonentCount_neverHidesNorGivesAwayNamedEntries()
    {
        QFETCH(QByteArray, countLine);
        QFETCH(int, count);
        QFETCH(QString, shown);
        QFETCH(bool, told);
        QTemporaryDir exe;
        const QByteArray abonents = "[FON_CONN_PAR]\r\n" + countLine + "user_index=1\r\n"
                                    "[FON_ABONENT_1]\r\nuser_name=\xC8\xE2\xE0\xED\xEE\xE2 \xC8\xE2\xE0\xED\r\nphone_code=111\r\n"
                                    "[FON_ABONENT_2]\r\nuser_name=\xCF\xE5\xF2\xF0\xEE\xE2\r\nphone_code=222\r\n";
        SettingsStore store = loaded(exe.path(), {}, abonents);
        const AbonentDirectory &directory = store.CurrentSettings.directory;
        QCOMPARE(int(directory.count), count);
        QCOMPARE(store.CurrentSettings.selectedAbonent()->phoneNumber, QStringLiteral("222"));
        const QString message = replacedMessage(
            store.AbonentsIniPath, {"[FON_CONN_PAR] users_num=" + shown
                                    + ": взято 2, столько абонентов с именами записано подряд от раздела [FON_ABONENT_1]"});
        QCOMPARE(store.loadProblems(), told ? QStringList{message} : QStringList());
        store.WriteAbonentsIni();
        QCOMPARE(readBytes(store.AbonentsIniPath), abonents); // nothing changed yet

        addAbonent(store, "Сидоров", "333");
        const SettingsStore again = loaded(exe.path(), {}, {});
        QStringList names = abonentNames(again.CurrentSettings.directory);
        names.removeAll(QString()); // the empty entries the count of 4 held
        QCOMPARE(names, (QStringList{"Иванов Иван", "Петров", "Сидоров"}));
        QCOMPARE(int(again.CurrentSettings.directory.count), count + 1);
        QCOMPARE(again.CurrentSettings.selectedAbonent()->phoneNumber, QStringLiteral("333"));
        QCOMPARE(again.loadProblems(), QStringList());
    }

    void unworkableValues_replacedByDefaultsNamingSectionAndKey_data()
    {
        QTest::addColumn<QByteArray>("bluetooth");
        QTest::addColumn<QStringList>("lines"); // of the message; none: all taken as they are
        QTest::newRow("rate 0")
            << QByteArray("[DIR_CONN_PAR]\r\nRate=0\r\n") << QStringList{"[DIR_CONN_PAR] Rate=0: взято 38400 (по умолчанию)"};
        QTest::newRow("rate below 0")
            << QByteArray("[FON_CONN_PAR]\r\nRate=-5\r\n") << QStringList{"[FON_CONN_PAR] Rate=-5: взято 38400 (по умолчанию)"};
        QTest::newRow("waits below 0")
            << QByteArray("[FON_CONN_PAR]\r\nWaitTime=-5\r\nTimeOut=-100\r\n")
            << QStringList{"[FON_CONN_PAR] WaitTime=-5: взято 6 (по умолчанию)",
                           "[FON_CONN_PAR] TimeOut=-100: взято 300 (по умолчанию)"};
        QTest::newRow("waits 0")
            << QByteArray("[DIR_CONN_PAR]\r\nWaitTime=0\r\nTimeOut=0x0\r\n")
            << QStringList{"[DIR_CONN_PAR] WaitTime=0: взято 3 (по умолчанию)",
                           "[DIR_CONN_PAR] TimeOut=0x0: взято 300 (по умолчанию)"};
        QTest::newRow("connection wait and dialling attempts")
            << QByteArray("[FON_CONN_PAR]\r\nConnectWaitTime=0\r\nConn_Repeat=-1\r\n")
            << QStringList{"[FON_CONN_PAR] ConnectWaitTime=0: взято 50 (по умолчанию)",
                           "[FON_CONN_PAR] Conn_Repeat=-1: взято 1 (по умолчанию)"};
        QTest::newRow("port 0, and 256 whose low byte is 0")
            << QByteArray("[DIR_CONN_PAR]\r\nCOMPort=0\r\n[FON_CONN_PAR]\r\nCOMPort=256\r\n")
            << QStringList{"[DIR_CONN_PAR] COMPort=0: взято 1 (по умолчанию)",
                           "[FON_CONN_PAR] COMPort=256: взято 1 (по умолчанию)"};
        QTest::newRow("no integer: the default, unnoted as ever")
            << QByteArray("[DIR_CONN_PAR]\r\nRate=fast\r\nWaitTime=\r\n") << QStringList();
    }

    void unworkableValues_replacedByDefaultsNamingSectionAndKey()
    {
        QFETCH(QByteArray, bluetooth);
        QFETCH(QStringList, lines);
        QTemporaryDir exe;
        SettingsStore store = loaded(exe.path(), bluetooth, {});
        QCOMPARE(store.CurrentSettings, Settings());
        QCOMPARE(store.loadProblems(),
                 lines.isEmpty() ? QStringList() : QStringList{replacedMessage(store.BluetoothIniPath, lines)});
        store.WriteBluetoothIni();
        QCOMPARE(readBytes(store.BluetoothIniPath), bluetooth); // replaced in memory only
    }

    void settingsLog_silentUntilTurnedOn()
    {
        QVERIFY(!settingsLog().isWarningEnabled());
        QVERIFY(!settingsLog().isInfoEnabled());
        QVERIFY(!settingsLog().isDebugEnabled());
        SettingsLogOn on;
        QVERIFY(settingsLog().isWarningEnabled());
    }

    // The user is told which file; the log keeps why.
    void settingsLog_keepsTheCauseOfFailedReadsAndWrites()
    {
        SettingsLogOn on;
        QTemporaryDir exe;
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression("not reading .*bluetooth\\.ini.*1048577 bytes"));
        SettingsStore store = loaded(exe.path(), bluetoothIniOfSize(1024 * 1024 + 1), {});

        QVERIFY(QFile::remove(store.BluetoothIniPath));
        QVERIFY(QDir(exe.path()).rename("INI", "INI.away"));
        writeBytes(exe.filePath("INI"), "not a folder");
        store.CurrentSettings.connectionKind = Phone;
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression("writing .*bluetooth\\.ini.* failed: \".+\""));
        QVERIFY_THROWS_EXCEPTION(SettingsWriteError, store.WriteBluetoothIni());

        QVERIFY(QFile::remove(exe.filePath("INI")));
        QVERIFY(QDir(exe.path()).rename("INI.away", "INI"));
        writeBytes(exe.filePath("INI/bluetooth.ini.UzBGDf"), "left over");
        QTest::ignoreMessage(QtInfoMsg, QRegularExpression("removed .*bluetooth\\.ini\\.UzBGDf"));
        store.LoadSettings(exe.path());
    }
};

QTEST_GUILESS_MAIN(TestSettingsLoad)
#include "tst_settingsload.moc"
