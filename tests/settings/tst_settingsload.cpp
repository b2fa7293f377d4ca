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
