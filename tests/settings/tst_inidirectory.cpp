#include "settings/inidirectory.h"
#include "settings/settingsstore.h"

#include "inifolder.h"
#include "unprivileged.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

using namespace tavrin;
using tavrin::testsupport::readBytes;
using tavrin::testsupport::runWithReadOnlyFolder;
using tavrin::testsupport::SettingsLogOn;
using tavrin::testsupport::writeBytes;

namespace {

const QByteArray kBluetoothIni = "[DIR_CONN_PAR]\r\nCOMPort=4\r\n";

// A machine in a temporary folder: the program's folder "bin" and the user's
// configuration home "config", which the user "nobody" may write too (the read-only
// cases run as that user when the tests run as root).
struct Machine {
    QTemporaryDir root;
    QString bin = root.filePath(QStringLiteral("bin"));
    QString config = root.filePath(QStringLiteral("config"));
    QString beside = bin + QStringLiteral("/INI");
    QString perUser = config + QStringLiteral("/tavrin/INI");

    Machine()
    {
        QDir().mkpath(bin);
        QDir().mkpath(config);
        ::chmod(QFile::encodeName(config).constData(), 0777);
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(config));
    }
    ~Machine() { qunsetenv("XDG_CONFIG_HOME"); }
};

// Runs `body` with `folder` read-only when `readOnly`, else as it is.
int run(bool readOnly, const QString &folder, const std::function<int()> &body)
{
    return readOnly ? runWithReadOnlyFolder(folder, body) : body();
}

} // namespace

// Where the settings live: beside a program whose folder can be written, in the user's
// configuration folder for an installed one.
class TestIniDirectory : public QObject {
    Q_OBJECT

private slots:
    // Named as the other program of the package: the folder is tavrin's all the same.
    void initTestCase() { QCoreApplication::setApplicationName(QStringLiteral("tavrin-survey")); }

    void iniFolder_besideWritableProgramElsePerUser_data()
    {
        QTest::addColumn<QString>("inBin");        // what the program's folder holds
        QTest::addColumn<bool>("readOnly");        // the program's folder cannot be written
        QTest::addColumn<bool>("installed");       // the program's folder is the install folder
        QTest::addColumn<bool>("expectBeside");
        QTest::newRow("build tree, first start") << "" << false << false << true;
        QTest::newRow("build tree with its INI") << "INI folder" << false << false << true;
        QTest::newRow("installed, written by root") << "" << false << true << false;
        QTest::newRow("installed with an INI of old") << "INI folder" << false << true << false;
        QTest::newRow("INI is a file") << "INI file" << false << false << false;
        QTest::newRow("read-only folder") << "" << true << false << false;
        QTest::newRow("read-only folder, writable INI") << "writable INI" << true << false << true;
        QTest::newRow("read-only folder, read-only INI") << "read-only INI" << true << false << false;
    }

    void iniFolder_besideWritableProgramElsePerUser()
    {
        QFETCH(QString, inBin);
        QFETCH(bool, readOnly);
        QFETCH(bool, installed);
        QFETCH(bool, expectBeside);
        Machine machine;
        if (inBin == "INI file")
            writeBytes(machine.beside, "not a folder");
        else if (!inBin.isEmpty())
            QVERIFY(QDir().mkdir(machine.beside));
        if (inBin == "writable INI" || inBin == "read-only INI") {
            const mode_t mode = inBin == "writable INI" ? 0777 : 0555;
            QVERIFY(::chmod(QFile::encodeName(machine.beside).constData(), mode) == 0);
        }
        const QString installedBin = installed ? machine.bin : QStringLiteral("/usr/bin");
        const QString expected = expectBeside ? machine.beside : machine.perUser;

        const int result = run(readOnly, machine.bin, [&] {
            return ChooseIniDirectory(machine.bin, QStringList{installedBin}) == expected ? 0 : 1;
        });
        QCOMPARE(result, 0);
        // Choosing creates nothing.
        QCOMPARE(QFileInfo::exists(machine.beside), !inBin.isEmpty());
        QVERIFY(!QFileInfo::exists(machine.config + "/tavrin"));
    }

    // An installed program run by root could write its own folder; it still keeps
    // nothing there.
    void installedProgram_choiceLoggedWithItsReason()
    {
        Machine machine;
        SettingsLogOn on;
        QTest::ignoreMessage(QtInfoMsg,
                             QRegularExpression("INI folder .*/config/tavrin/INI.* in the user's "
                                                "configuration folder: the program is installed in .*/bin"));
        ChooseIniDirectory(machine.bin, QStringList{machine.bin + "/../bin"});
        QTest::ignoreMessage(QtInfoMsg, QRegularExpression("INI folder .*/bin/INI.* beside the executable"));
        ChooseIniDirectory(machine.bin, QStringList{QStringLiteral("/usr/bin")});
    }

    // A package made with cpack from a build configured for another prefix still puts
    // tavrin in /usr/bin: run from there by root, who may write it, it keeps nothing there.
    void packageFolder_isInstalledWhateverTheBuildsPrefix()
    {
        QVERIFY(InstalledBinDirectories().contains(QStringLiteral("/usr/bin")));
        if (!QFileInfo(QStringLiteral("/usr/bin")).isDir())
            QSKIP("no /usr/bin here");
        QCOMPARE(ChooseIniDirectory(QStringLiteral("/usr/bin"), InstalledBinDirectories()),
                 QDir::cleanPath(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                                 "/tavrin/INI"));
    }

    // The first start of a program whose folder cannot be written: the folder is made in
    // the user's configuration, the settings are written there and nothing beside the
    // program. A second start reads them back.
    void readOnlyProgram_firstStartMakesPerUserFolderAndKeepsSettingsThere()
    {
        Machine machine;
        const int result = runWithReadOnlyFolder(machine.bin, [&] {
            SettingsStore store;
            store.LoadSettings(machine.bin);
            if (store.IniDirectory != machine.perUser || !QFileInfo(machine.perUser).isDir())
                return 1;
            if (store.BluetoothIniPath != machine.perUser + "/bluetooth.ini")
                return 2;
            store.CurrentSettings.direct.portNumber = 4;
            try {
                store.WriteBluetoothIni();
            } catch (const SettingsWriteError &) {
                return 3;
            }
            SettingsStore again;
            again.LoadSettings(machine.bin);
            return again.CurrentSettings.direct.portNumber == 4 ? 0 : 4;
        });
        QCOMPARE(result, 0);
        QVERIFY(QDir(machine.bin).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
        QVERIFY(readBytes(machine.perUser + "/bluetooth.ini").contains("\r\nCOMPort=4\r\n"));
    }

    // A copied program keeps reading the settings it was carried with.
    void writableProgram_readsTheIniBesideIt()
    {
        Machine machine;
        QVERIFY(QDir().mkdir(machine.beside));
        writeBytes(machine.beside + "/bluetooth.ini", kBluetoothIni);
        SettingsStore store;
        store.LoadSettings(machine.bin);
        QCOMPARE(store.IniDirectory, machine.beside);
        QCOMPARE(store.CurrentSettings.direct.portNumber, quint8(4));
        QVERIFY(!QFileInfo::exists(machine.config + "/tavrin"));
    }
};

QTEST_GUILESS_MAIN(TestIniDirectory)
#include "tst_inidirectory.moc"
