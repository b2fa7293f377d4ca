#include "settings/settingsstore.h"

#include "inifolder.h"
#include "unprivileged.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

using namespace tavrin;
using tavrin::testsupport::loaded;
using tavrin::testsupport::makeWritable;
using tavrin::testsupport::readBytes;
using tavrin::testsupport::runWithReadOnlyFolder;
using tavrin::testsupport::writeBytes;

namespace {

QStringList sectionsOf(const QByteArray &ini)
{
    QStringList names;
    static const QRegularExpression header(QStringLiteral("^\\[([^\\]]*)\\]\r$"),
                                           QRegularExpression::MultilineOption);
    for (const auto &m : header.globalMatch(QString::fromLatin1(ini)))
        names << m.captured(1);
    return names;
}

// Every field away from its default; the names are Cyrillic and already in order.
Settings everyFieldChanged()
{
    Settings s;
    s.connectionKind = Phone;
    s.lastCommand = 9;
    s.storedPeerAddress = {0x00, 0x1A, 0x7D, 0xDA, 0x71, 0xFF};
    s.direct = {.portNumber = 4, .wakeUpByte = true, .bitRate = 9600, .exchangeAttempts = 3,
                .replyWaitSeconds = 120, .byteWaitMs = 55};
    s.phone = {.portNumber = 12, .wakeUpByte = true, .bitRate = 115200, .exchangeAttempts = 5,
               .replyWaitSeconds = 1, .byteWaitMs = 5000};
    s.defaultCommand = true;
    s.modemCommands = QStringLiteral("AT&F^AT+CBST=71,0,1^ATS0=0 Ёж");
    s.connectWaitSeconds = 360;
    s.autoRepeat = true;
    s.dialRounds = 10;
    s.directory.count = 3;
    s.directory.selectedIndex = 2;
    s.directory.sortKey = ByPhone;
    s.directory.entries[0] = {QStringLiteral("Котельная №2"), 7, 8, QStringLiteral("+7 900 000-00-01")};
    s.directory.entries[1] = {QStringLiteral("Анна"), 0, 255, QStringLiteral("+7 900 000-00-02")};
    s.directory.entries[2] = {QStringLiteral("Щит «Север»"), 3, 4, QStringLiteral("8 (812) 555")};
    s.directory.entries[3] = {QString(), 0, 0, QString()}; // a slot freed by a deletion
    return s;
}

const QByteArray kEveryFieldBluetoothIni =
    "[CURR_PAR]\r\n"
    "Conn_Prz=1\r\n"
    "Last_Command=9\r\n"
    "\r\n"
    "[Val_Adr]\r\n"
    "Adr_0=0\r\nAdr_1=26\r\nAdr_2=125\r\nAdr_3=218\r\nAdr_4=113\r\nAdr_5=255\r\n"
    "\r\n"
    "[DIR_CONN_PAR]\r\n"
    "COMPort=4\r\nFirst_Zero_Need=1\r\nRate=9600\r\nRepeat=3\r\nWaitTime=120\r\nTimeOut=55\r\n"
    "\r\n"
    "[FON_CONN_PAR]\r\n"
    "COMPort=12\r\nFirst_Zero_Need=1\r\nRate=115200\r\nRepeat=5\r\nWaitTime=1\r\nTimeOut=5000\r\n"
    "Default_Command=1\r\n"
    "Command=AT&F^AT+CBST=71,0,1^ATS0=0 \xA8\xE6\r\n"
    "ConnectWaitTime=360\r\n"
    "AutoRepeat=1\r\n"
    "Conn_Repeat=10\r\n";

const QByteArray kHandWrittenBluetoothIni =
    "; written by hand at the site\r\n"
    "[CURR_PAR]\r\n"
    "Conn_Prz=1\r\n"
    "Last_Command=0\r\n"
    "Operator=Петров\r\n"
    "\r\n"
    "[DIR_CONN_PAR]\r\n"
    "  comport = 2  \r\n"
    "; the modem is on COM2 too\r\n"
    "Rate=19200\r\n"
    "Extra=keep\r\n"
    "\r\n"
    "[FON_CONN_PAR]\r\n"
    "COMPort=2\r\n"
    "Command='ATZ'\r\n"
    "\r\n"
    "[Site]\r\n"
    "Name=ТП-14\r\n";

} // namespace

class TestSettingsStore : public QObject {
    Q_OBJECT

private slots:
    void noFolderNoFiles_defaultsAndNothingWritten()
    {
        QTemporaryDir exe;
        QVERIFY(exe.isValid());
        SettingsStore store;
        store.LoadSettings(exe.path());
        QCOMPARE(store.IniDirectory, exe.path() + "/INI");
        QVERIFY(QFileInfo(store.IniDirectory).isDir());
        QCOMPARE(store.BluetoothIniPath, exe.path() + "/INI/bluetooth.ini");
        QCOMPARE(store.AbonentsIniPath, exe.path() + "/INI/abonents.ini");

        const Settings &s = store.CurrentSettings;
        QCOMPARE(s.connectionKind, quint8(0));
        QCOMPARE(s.lastCommand, quint8(0));
        QCOMPARE(s.storedPeerAddress, (MacAddress{0, 0, 0, 0, 0, 0}));
        for (const ConnectionParameters *p : {&s.direct, &s.phone}) {
            QCOMPARE(p->portNumber, quint8(1));
            QCOMPARE(p->wakeUpByte, false);
            QCOMPARE(p->bitRate, 38400);
            QCOMPARE(p->exchangeAttempts, quint8(1));
            QCOMPARE(p->byteWaitMs, 300);
        }
        QCOMPARE(s.direct.replyWaitSeconds, 3);
        QCOMPARE(s.phone.replyWaitSeconds, 6);
        QCOMPARE(s.defaultCommand, false);
        QCOMPARE(s.modemCommands, QString());
        QCOMPARE(s.connectWaitSeconds, 50);
        QCOMPARE(s.autoRepeat, false);
        QCOMPARE(s.dialRounds, 1);
        QCOMPARE(s.directory.count, quint8(0));
        QCOMPARE(s.directory.selectedIndex, quint8(0));
        QCOMPARE(s.directory.sortKey, quint8(ByName));
        for (const AbonentRecord &e : s.directory.entries)
            QCOMPARE(e, (AbonentRecord{QString(), 1, 1, QString()}));
        QVERIFY(s.selectedAbonent() == nullptr);
        QCOMPARE(store.SavedSettings, s);

        store.WriteBluetoothIni();
        store.WriteAbonentsIni();
        QVERIFY(QDir(store.IniDirectory).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
    }

    void everyField_roundTripInCp1251()
    {
        QTemporaryDir exe;
        SettingsStore store;
        store.LoadSettings(exe.path());
        const Settings changed = everyFieldChanged();
        store.CurrentSettings = changed;
        store.WriteBluetoothIni();
        store.WriteAbonentsIni();
        QCOMPARE(store.SavedSettings, changed);

        QCOMPARE(readBytes(store.BluetoothIniPath), kEveryFieldBluetoothIni);
        const QByteArray abonents = readBytes(store.AbonentsIniPath);
        QVERIFY(abonents.startsWith("[FON_CONN_PAR]\r\n"
                                    "users_num=3\r\nuser_index=2\r\nsort_prz=1\r\n"
                                    "\r\n"
                                    "[FON_ABONENT_1]\r\n"
                                    "user_name=\xCA\xEE\xF2\xE5\xEB\xFC\xED\xE0\xFF \xB9" "2\r\n"
                                    "contr_adr=7\r\nadr_modbus=8\r\n"
                                    "phone_code=+7 900 000-00-01\r\n"
                                    "\r\n"
                                    "[FON_ABONENT_2]\r\n"
                                    "user_name=\xC0\xED\xED\xE0\r\n"));
        QVERIFY(abonents.contains("user_name=\xD9\xE8\xF2 \xAB\xD1\xE5\xE2\xE5\xF0\xBB\r\n"));
        QVERIFY(!abonents.contains("\xD0\x90")); // no UTF-8 А

        SettingsStore again;
        again.LoadSettings(exe.path());
        QCOMPARE(again.CurrentSettings, changed);
        QCOMPARE(again.SavedSettings, changed);
    }

    // The network kind's group goes to a section of its own, written only when it
    // changed; a subscriber's address and protocol are keys of its own section, written
    // only where an address is set, emptied when it is removed.
    void networkFields_ownSectionAndKeysOnlyWhereSet()
    {
        QTemporaryDir exe;
        SettingsStore store;
        store.LoadSettings(exe.path());
        store.CurrentSettings.connectionKind = Network;
        store.CurrentSettings.network.bitRate = 9600;
        store.CurrentSettings.networkConnectSeconds = 20;
        AbonentDirectory &directory = store.CurrentSettings.directory;
        directory.count = 2;
        directory.entries[0] = {QStringLiteral("Щит"), 1, 1, QStringLiteral("111"), QStringLiteral("[::1]:2217"), Rfc2217};
        directory.entries[1] = {QStringLiteral("Юг"), 1, 1, QStringLiteral("222")};
        store.WriteBluetoothIni();
        store.WriteAbonentsIni();
        QCOMPARE(readBytes(store.BluetoothIniPath),
                 QByteArray("[CURR_PAR]\r\nConn_Prz=2\r\nLast_Command=0\r\n\r\n"
                            "[Val_Adr]\r\nAdr_0=0\r\nAdr_1=0\r\nAdr_2=0\r\nAdr_3=0\r\nAdr_4=0\r\nAdr_5=0\r\n\r\n"
                            "[NET_CONN_PAR]\r\nFirst_Zero_Need=0\r\nRate=9600\r\nRepeat=1\r\nWaitTime=6\r\n"
                            "TimeOut=300\r\nConnectTime=20\r\n"));
        const QByteArray abonents = readBytes(store.AbonentsIniPath);
        QVERIFY(abonents.contains("[FON_ABONENT_1]\r\nuser_name=\xD9\xE8\xF2\r\ncontr_adr=1\r\nadr_modbus=1\r\n"
                                  "phone_code=111\r\nnet_address=[::1]:2217\r\nnet_protocol=1\r\n\r\n"
                                  "[FON_ABONENT_2]\r\nuser_name=\xDE\xE3\r\ncontr_adr=1\r\nadr_modbus=1\r\n"
                                  "phone_code=222\r\n\r\n"));
        QCOMPARE(abonents.count("net_"), 2);

        SettingsStore again;
        again.LoadSettings(exe.path());
        QCOMPARE(again.CurrentSettings, store.CurrentSettings);

        // The address removed: emptied in the file, read back as none.
        again.CurrentSettings.directory.entries[0].networkAddress.clear();
        again.WriteAbonentsIni();
        QVERIFY(readBytes(again.AbonentsIniPath).contains("phone_code=111\r\nnet_address=\r\nnet_protocol=1\r\n"));
        SettingsStore third;
        third.LoadSettings(exe.path());
        QCOMPARE(third.CurrentSettings.directory, again.CurrentSettings.directory);
    }

    void directChangeOnly_rewritesOnlyItsSixKeys()
    {
        QTemporaryDir exe;
        SettingsStore store = loaded(exe.path(), kHandWrittenBluetoothIni, {});
        QCOMPARE(store.CurrentSettings.direct.portNumber, quint8(2));
        QCOMPARE(store.CurrentSettings.direct.bitRate, 19200);
        QCOMPARE(store.CurrentSettings.modemCommands, QStringLiteral("ATZ"));

        store.CurrentSettings.direct.bitRate = 57600;
        store.CurrentSettings.directory.count = 1; // not part of bluetooth.ini
        store.WriteBluetoothIni();
        QCOMPARE(readBytes(store.BluetoothIniPath),
                 QByteArray("; written by hand at the site\r\n"
                            "[CURR_PAR]\r\n"
                            "Conn_Prz=1\r\n"
                            "Last_Command=0\r\n"
                            "Operator=Петров\r\n"
                            "\r\n"
                            "[DIR_CONN_PAR]\r\n"
                            "comport=2\r\n"
                            "; the modem is on COM2 too\r\n"
                            "Rate=57600\r\n"
                            "Extra=keep\r\n"
                            "First_Zero_Need=0\r\n"
                            "Repeat=1\r\n"
                            "WaitTime=3\r\n"
                            "TimeOut=300\r\n"
                            "\r\n"
                            "[FON_CONN_PAR]\r\n"
                            "COMPort=2\r\n"
                            "Command='ATZ'\r\n"
                            "\r\n"
                            "[Site]\r\n"
                            "Name=ТП-14\r\n"));
        QCOMPARE(store.SavedSettings.direct, store.CurrentSettings.direct);
        QVERIFY(store.SavedSettings.directory != store.CurrentSettings.directory);
        QVERIFY(!QFile::exists(store.AbonentsIniPath));
    }

    void unchangedGroups_fileNotTouched()
    {
        QTemporaryDir exe;
        SettingsStore store = loaded(exe.path(), kHandWrittenBluetoothIni, {});
        store.CurrentSettings.directory.selectedIndex = 0; // equal: nothing differs
        store.WriteBluetoothIni();
        QCOMPARE(readBytes(store.BluetoothIniPath), kHandWrittenBluetoothIni);

        // Only the peer address: CURR_PAR and Val_Adr are written, the rest stays.
        store.CurrentSettings.storedPeerAddress[5] = 0xAB;
        store.WriteBluetoothIni();
        const QByteArray after = readBytes(store.BluetoothIniPath);
        QVERIFY(after.startsWith(kHandWrittenBluetoothIni));
        QCOMPARE(after.mid(kHandWrittenBluetoothIni.size()),
                 QByteArray("\r\n[Val_Adr]\r\n"
                            "Adr_0=0\r\nAdr_1=0\r\nAdr_2=0\r\nAdr_3=0\r\nAdr_4=0\r\nAdr_5=171\r\n"));
        QCOMPARE(store.SavedSettings, store.CurrentSettings);
    }

    void abonentsIni_holdsAllHundredSectionsInOrder()
    {
        QTemporaryDir exe;
        SettingsStore store;
        store.LoadSettings(exe.path());
        store.CurrentSettings.directory.count = 1;
        store.CurrentSettings.directory.entries[0].name = QStringLiteral("Борис");
        store.CurrentSettings.directory.entries[0].phoneNumber = QStringLiteral("0123");
        store.CurrentSettings.directory.entries[1] = {}; // freed by a deletion
        store.CurrentSettings.directory.entries[1].controllerAddress = 0;
        store.CurrentSettings.directory.entries[1].modbusAddress = 0;
        store.WriteAbonentsIni();
        QVERIFY(!QFile::exists(store.BluetoothIniPath));

        const QByteArray bytes = readBytes(store.AbonentsIniPath);
        QStringList expected{"FON_CONN_PAR"};
        for (int i = 1; i <= 100; ++i)
            expected << QStringLiteral("FON_ABONENT_%1").arg(i);
        QCOMPARE(sectionsOf(bytes), expected);
        QVERIFY(bytes.contains("[FON_ABONENT_2]\r\nuser_name=\r\ncontr_adr=0\r\nadr_modbus=0\r\nphone_code=\r\n"));
        QVERIFY(bytes.endsWith("[FON_ABONENT_100]\r\nuser_name=\r\ncontr_adr=1\r\nadr_modbus=1\r\nphone_code=\r\n"));
        QCOMPARE(bytes.count("user_name="), 100);
        QCOMPARE(bytes.count("phone_code="), 100);

        // One subscriber more: the same file, edited in place.
        store.CurrentSettings.directory.count = 2;
        store.CurrentSettings.directory.entries[1].name = QStringLiteral("Анна");
        store.WriteAbonentsIni();
        const QByteArray edited = readBytes(store.AbonentsIniPath);
        QCOMPARE(sectionsOf(edited), expected);
        QCOMPARE(edited.size(), bytes.size() + 4);
        QVERIFY(edited.contains("users_num=2\r\n"));
    }

    void handEditedFiles_readLikeTheWindowsProfileFunctions()
    {
        QTemporaryDir exe;
        const QByteArray bluetooth =
            "[curr_par]\n"
            "conn_prz = 7\n"
            "  Last_Command=0x1F\n"
            "[VAL_ADR]\n"
            "Adr_0=\"170\"\n"
            "Adr_1='0xBB'\n"
            "Adr_2=-1\n"
            "Adr_3=12abc\n"
            "Adr_4=garbage\n"
            "Adr_5=\n"
            "[Dir_Conn_Par]\n"
            "COMPort=257\n"
            "First_Zero_Need=5\n"
            "Rate=115200 bit/s\n"
            "Repeat=0\n"
            "WaitTime=0X10\n"
            "TimeOut=1\n"
            "[FON_CONN_PAR]\n"
            "Rate=1000\n"
            "Command=\"  " + QByteArray(250, 'A') + "\"\n"
            "ConnectWaitTime=+12\n"
            "Conn_Repeat=x\n";
        QByteArray abonents = "[FON_CONN_PAR]\r\nusers_num=150\r\nuser_index=120\r\nsort_prz=9\r\n";
        for (int i = 1; i <= 100; ++i)
            abonents += "[FON_ABONENT_" + QByteArray::number(i) + "]\r\nuser_name=N"
                        + QByteArray::number(1000 + i) + "\r\n";
        abonents += "[FON_ABONENT_1]\r\nuser_name=second section of the name\r\n"
                    "[FON_ABONENT_2]\r\nuser_name=" + QByteArray(60, '\xC6') + "\r\n";
        abonents.replace("user_name=N1003", "user_name=" + QByteArray(60, '\xC6')
                                               + "\r\nphone_code=" + QByteArray(40, '7')
                                               + "\r\ncontr_adr=0x100");
        SettingsStore store = loaded(exe.path(), bluetooth, abonents);
        const Settings &s = store.CurrentSettings;

        QCOMPARE(s.connectionKind, quint8(7));
        QCOMPARE(s.lastCommand, quint8(31));
        QCOMPARE(s.storedPeerAddress, (MacAddress{170, 0xBB, 255, 0, 0, 0}));
        QCOMPARE(s.direct.portNumber, quint8(1));
        QCOMPARE(s.direct.wakeUpByte, true);
        QCOMPARE(s.direct.bitRate, 38400); // "115200 bit/s" is no integer
        // Outside what the dialogs allow, but workable: taken as they are.
        QCOMPARE(s.direct.exchangeAttempts, quint8(0));
        QCOMPARE(s.direct.replyWaitSeconds, 16);
        QCOMPARE(s.direct.byteWaitMs, 1);
        QCOMPARE(s.phone.bitRate, 1000);
        QCOMPARE(s.modemCommands, QStringLiteral("  ") + QString(197, QLatin1Char('A')));
        QCOMPARE(s.connectWaitSeconds, 12);
        QCOMPARE(s.dialRounds, 1);

        QCOMPARE(s.directory.count, quint8(100));
        QCOMPARE(s.directory.selectedIndex, quint8(0));
        QCOMPARE(s.directory.sortKey, quint8(9)); // kept; no sort for it
        QCOMPARE(s.directory.entries[0].name, QStringLiteral("N1001"));
        QCOMPARE(s.directory.entries[1].name, QStringLiteral("N1002"));
        QCOMPARE(s.directory.entries[2].name, QString(49, QChar(0x0416)));
        QCOMPARE(s.directory.entries[2].phoneNumber, QString(29, QLatin1Char('7')));
        QCOMPARE(s.directory.entries[2].controllerAddress, quint8(0));
        QCOMPARE(s.directory.entries[99].name, QStringLiteral("N1100"));
        QCOMPARE(store.SavedSettings, s);
        QCOMPARE(store.loadProblems(),
                 QStringList{"В файле " + QDir::toNativeSeparators(store.AbonentsIniPath)
                             + " есть значения, с которыми программа работать не может. Вместо них взяты:\r"
                               "[FON_CONN_PAR] users_num=150: взято 100, столько абонентов с именами записано "
                               "подряд от раздела [FON_ABONENT_1]"});
    }

    void selectionBeyondCount_readsAsFirstAndLoadSorts()
    {
        QTemporaryDir exe;
        const QByteArray abonents = "[FON_CONN_PAR]\r\nusers_num=3\r\nuser_index=4\r\n"
                                    "[FON_ABONENT_1]\r\nuser_name=\xE2\xE0\xF1\xFF\r\n"
                                    "[FON_ABONENT_2]\r\nuser_name=\xC0\xED\xED\xE0\r\n"
                                    "[FON_ABONENT_3]\r\nuser_name=\xB8\xEB\xEA\xE0\r\n"
                                    "[FON_ABONENT_5]\r\nuser_name=\xC0\xE0\r\n"; // beyond a gap
        SettingsStore store = loaded(exe.path(), {}, abonents);
        const AbonentDirectory &d = store.CurrentSettings.directory;
        // The entry beyond the gap is read in as the fourth; user_index=4 is beyond it.
        QCOMPARE(int(d.count), 4);
        QCOMPARE(d.entries[0].name, QStringLiteral("ёлка"));
        QCOMPARE(d.entries[1].name, QStringLiteral("Аа"));
        QCOMPARE(d.entries[2].name, QStringLiteral("Анна"));
        QCOMPARE(d.entries[3].name, QStringLiteral("вася"));
        QCOMPARE(d.entries[4].name, QString());
        QCOMPARE(d.selectedIndex, quint8(3)); // 4 read as 0, and вася moved to 3
        // The sort at start-up is no change of its own.
        store.WriteAbonentsIni();
        QCOMPARE(readBytes(store.AbonentsIniPath), abonents);
    }

    // Two subscribers of one name: the one chosen stays chosen at every start and
    // after every sort, so the right number is dialled.
    void twoSubscribersOfOneName_chosenOneStaysSelectedAcrossStarts()
    {
        QTemporaryDir exe;
        const QByteArray abonents = "[FON_CONN_PAR]\r\nusers_num=2\r\nuser_index=0\r\nsort_prz=0\r\n"
                                    "[FON_ABONENT_1]\r\nuser_name=\xC8\xE2\xE0\xED\r\nphone_code=111\r\n"
                                    "[FON_ABONENT_2]\r\nuser_name=\xC8\xE2\xE0\xED\r\nphone_code=222\r\n";
        SettingsStore store = loaded(exe.path(), {}, abonents);
        for (const int sortKey : {ByPhone, ByName, ByPhone}) {
            QCOMPARE(store.CurrentSettings.selectedAbonent()->phoneNumber, QStringLiteral("111"));
            AbonentDirectory &directory = store.CurrentSettings.directory;
            directory.sortKey = AbonentSortKey(sortKey);
            SortAbonents(directory, sortKey);
            QCOMPARE(store.CurrentSettings.selectedAbonent()->phoneNumber, QStringLiteral("111"));
            store.WriteAbonentsIni();
            store = SettingsStore();
            store.LoadSettings(exe.path());
        }
        QCOMPARE(store.CurrentSettings.selectedAbonent()->name, QStringLiteral("Иван"));
        QCOMPARE(store.CurrentSettings.selectedAbonent()->phoneNumber, QStringLiteral("111"));
    }

    // Every byte of the upper half in a hand-edited modem command, 0x98 among them,
    // comes back byte for byte when the phone group is written again.
    void upperHalfBytesInCommand_survivePhoneGroupRewrite()
    {
        QTemporaryDir exe;
        QByteArray command = "AT";
        for (int byte = 0x80; byte <= 0xFF; ++byte)
            command.append(static_cast<char>(byte));
        const QByteArray commandLine = "Command=" + command + "\r\n";
        SettingsStore store = loaded(exe.path(), "[FON_CONN_PAR]\r\n" + commandLine, {});
        QCOMPARE(store.CurrentSettings.modemCommands.size(), 130);
        store.CurrentSettings.phone.bitRate = 9600;
        store.WriteBluetoothIni();
        const QByteArray written = readBytes(store.BluetoothIniPath);
        QVERIFY(written.contains("\r\nRate=9600\r\n"));
        QCOMPARE(written.mid(written.indexOf("\r\nCommand=") + 2, commandLine.size()), commandLine);
    }

    void folderReplacedByFile_writeFailsNamingFileAndRetries()
    {
        QTemporaryDir exe;
        SettingsStore store;
        store.LoadSettings(exe.path());
        QVERIFY(QDir(exe.path()).rename("INI", "INI.away"));
        writeBytes(exe.path() + "/INI", "not a folder");

        store.CurrentSettings.connectionKind = Phone;
        store.CurrentSettings.directory.count = 1;
        for (int attempt = 0; attempt < 2; ++attempt) {
            try {
                store.WriteBluetoothIni();
                QFAIL("no error from bluetooth.ini");
            } catch (const SettingsWriteError &e) {
                QCOMPARE(e.filePath(), store.BluetoothIniPath);
                QVERIFY(!e.reason().isEmpty());
                QCOMPARE(e.message(), QStringLiteral("Не удалось записать файл ")
                                          + QDir::toNativeSeparators(store.BluetoothIniPath) + ": " + e.reason());
            }
            QCOMPARE(store.SavedSettings.connectionKind, quint8(Direct));
            try {
                store.WriteAbonentsIni();
                QFAIL("no error from abonents.ini");
            } catch (const SettingsWriteError &e) {
                QCOMPARE(e.filePath(), store.AbonentsIniPath);
                QVERIFY(QString::fromUtf8(e.what()).contains("abonents.ini"));
            }
            QCOMPARE(store.SavedSettings.directory.count, quint8(0));
        }
        QCOMPARE(readBytes(exe.path() + "/INI"), QByteArray("not a folder"));

        QVERIFY(QFile::remove(exe.path() + "/INI"));
        QVERIFY(QDir(exe.path()).rename("INI.away", "INI"));
        store.WriteBluetoothIni();
        store.WriteAbonentsIni();
        QCOMPARE(store.SavedSettings, store.CurrentSettings);
        QVERIFY(readBytes(store.BluetoothIniPath).startsWith("[CURR_PAR]\r\nConn_Prz=1\r\n"));
        QVERIFY(readBytes(store.AbonentsIniPath).startsWith("[FON_CONN_PAR]\r\nusers_num=1\r\n"));
    }

    // Codes from the check below that failed; 0 when all held.
    void readOnlyFolder_oldFileIntactSavedNotRefreshedRetrySucceeds()
    {
        QTemporaryDir exe;
        SettingsStore store = loaded(exe.path(), kHandWrittenBluetoothIni, {});
        const QString folder = store.IniDirectory;
        const int result = runWithReadOnlyFolder(folder, [&store, folder]() -> int {
            store.CurrentSettings.direct.portNumber = 9;
            try {
                store.WriteBluetoothIni();
                return 1; // wrote into a read-only folder
            } catch (const SettingsWriteError &e) {
                if (e.filePath() != store.BluetoothIniPath)
                    return 2;
            }
            if (readBytes(store.BluetoothIniPath) != kHandWrittenBluetoothIni)
                return 3; // the old file was touched
            if (QDir(folder).entryList(QDir::Files | QDir::Hidden).size() != 1)
                return 4; // something was left beside it
            if (store.SavedSettings.direct.portNumber != 2)
                return 5; // refreshed though not written
            if (!makeWritable(folder))
                return 6;
            try {
                store.WriteBluetoothIni();
            } catch (const SettingsWriteError &) {
                return 7; // the retry failed
            }
            if (store.SavedSettings.direct.portNumber != 9)
                return 8;
            return readBytes(store.BluetoothIniPath).contains("\r\ncomport=9\r\n") ? 0 : 9;
        });
        QCOMPARE(result, 0);
        QVERIFY(readBytes(store.BluetoothIniPath).contains("\r\ncomport=9\r\n"));
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden).size(), 1);
    }

    void unreadableExistingFile_isNotOverwritten()
    {
        QTemporaryDir exe;
        SettingsStore store;
        store.LoadSettings(exe.path());
        QVERIFY(QDir().mkdir(store.AbonentsIniPath)); // something that is not a file
        writeBytes(store.AbonentsIniPath + "/keep.txt", "x");
        store.CurrentSettings.directory.count = 1;
        QVERIFY_THROWS_EXCEPTION(SettingsWriteError, store.WriteAbonentsIni());
        QCOMPARE(store.SavedSettings.directory.count, quint8(0));
        QCOMPARE(readBytes(store.AbonentsIniPath + "/keep.txt"), QByteArray("x"));
        QCOMPARE(QDir(store.IniDirectory).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList{"abonents.ini"});
    }
};

QTEST_GUILESS_MAIN(TestSettingsStore)
#include "tst_settingsstore.moc"
