// Every file the program writes, on a disk that is really full: the write fails with the
// system's reason in its message, the old file stays byte for byte (or stays absent), no
// temporary file is left, and the next write succeeds once there is room (a report's,
// with the row whose write failed).
#include "tracelog/tracefile.h"
#include "settings/settingsstore.h"
#include "support/smalldisk.h"
#include "survey/surveyreport.h"

#include <QDir>
#include <QFile>
#include <QtTest>

#include <cerrno>
#include <cstring>

using namespace tavrin;
using tavrin::testsupport::SmallDisk;

namespace {

enum class Writer { BluetoothIni, AbonentsIni, TraceFile, Report, ReportAfterFirstSite };

const QList<SurveySubscriber> kChosen = {{1, "Котельная", "101"}, {2, "Насосная", "102"}, {3, "Склад", "103"}};

SurveyRow Busy(const SurveySubscriber &subscriber)
{
    SurveyRow row;
    row.subscriber = subscriber;
    row.result = QStringLiteral("Номер абонента занят");
    return row;
}

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// One file written by one of the program's writers, in a folder of the disk.
class Written {
public:
    Written(Writer writer, const QString &root) : m_writer(writer), m_root(root) {}

    QString path() const
    {
        switch (m_writer) {
        case Writer::BluetoothIni: return m_root + "/INI/bluetooth.ini";
        case Writer::AbonentsIni: return m_root + "/INI/abonents.ini";
        case Writer::TraceFile: return m_root + "/logs/tavrin-20261207-090530.log";
        case Writer::Report:
        case Writer::ReportAfterFirstSite: return m_root + "/reports/survey-20261207-090530.csv";
        }
        return {};
    }

    // Reads the settings as the program does at start, the old file in place; a round's
    // report has its first site written.
    void start()
    {
        m_store.LoadSettings(m_root);
        if (m_writer == Writer::ReportAfterFirstSite)
            QVERIFY(m_report.add(Busy(kChosen[0]), nullptr));
    }

    // Writes the file; the message for the user, empty when it was written.
    QString write()
    {
        if (m_writer == Writer::TraceFile)
            return WriteTraceFile(path(), QStringLiteral("PING\u240D\n{\"PING\":\"OK\"}\n"));
        QString error;
        if (m_writer == Writer::Report || m_writer == Writer::ReportAfterFirstSite) {
            const qsizetype site = m_report.rows().size();
            return m_report.add(Busy(kChosen[qMin(site, 2)]), &error) ? QString() : error;
        }
        Settings &settings = m_store.CurrentSettings;
        try {
            if (m_writer == Writer::BluetoothIni) {
                settings.direct.portNumber = 7;
                m_store.WriteBluetoothIni();
            } else {
                settings.directory.count = 1;
                settings.directory.entries[0] = {QStringLiteral("Котельная №2"), 1, 1, QStringLiteral("+7 900 000-00-01")};
                m_store.WriteAbonentsIni();
            }
        } catch (const SettingsWriteError &error) {
            return error.message();
        }
        return {};
    }

    // What the file holds after a write that succeeded.
    QByteArray expected() const
    {
        if (m_writer == Writer::TraceFile)
            return "PING\xE2\x90\x8D\n{\"PING\":\"OK\"}\n";
        if (m_writer == Writer::BluetoothIni)
            return "COMPort=7\r\n";
        if (m_writer == Writer::Report)
            return "1;Котельная;101;Номер абонента занят;";
        if (m_writer == Writer::ReportAfterFirstSite) // the row of the failed write, and the next
            return "2;Насосная;102;Номер абонента занят;;;;;;;;;\r\n3;Склад;103;Номер абонента занят;";
        return "user_name=\xCA\xEE\xF2\xE5\xEB\xFC\xED\xE0\xFF \xB9\x32\r\n";
    }

    // The writer's message for a failure of the system's reason: the settings' names the
    // file; the trace's is the reason alone, which the window puts after the file's name.
    QString message(const QString &reason) const
    {
        if (m_writer == Writer::TraceFile)
            return reason;
        if (m_writer == Writer::Report || m_writer == Writer::ReportAfterFirstSite)
            return "Не удалось записать отчёт об опросе в файл " + QDir::toNativeSeparators(path()) + ": " + reason;
        return "Не удалось записать файл " + QDir::toNativeSeparators(path()) + ": " + reason;
    }

    // The settings written are taken as saved only when they were; a report's rows are
    // kept, and known to be on no disk, until they are.
    bool saved() const
    {
        if (m_writer == Writer::Report || m_writer == Writer::ReportAfterFirstSite)
            return m_report.unwrittenRows().isEmpty();
        return m_store.SavedSettings == m_store.CurrentSettings;
    }

private:
    Writer m_writer;
    QString m_root;
    SettingsStore m_store;
    SurveyReportFile m_report{path(), kChosen};
};

} // namespace

Q_DECLARE_METATYPE(Writer)

class TestFullDisk : public QObject {
    Q_OBJECT

private slots:
    void fullDisk_failsWithReasonOldFileKept_data();
    void fullDisk_failsWithReasonOldFileKept();
};

void TestFullDisk::fullDisk_failsWithReasonOldFileKept_data()
{
    QTest::addColumn<Writer>("writer");
    QTest::addColumn<QByteArray>("old"); // null: no file yet

    QTest::newRow("bluetooth.ini of 64 bytes")
        << Writer::BluetoothIni << QByteArray("[CURR_PAR]\r\nConn_Prz=1\r\n[DIR_CONN_PAR]\r\nCOMPort=2\r\nRate=9600\r\nTimeOut=55\r\n");
    QTest::newRow("bluetooth.ini, first write") << Writer::BluetoothIni << QByteArray();
    QTest::newRow("abonents.ini of one subscriber")
        << Writer::AbonentsIni << QByteArray("[FON_CONN_PAR]\r\nusers_num=1\r\n[FON_ABONENT_1]\r\nuser_name=A\r\nphone_code=1\r\n");
    QTest::newRow("abonents.ini, first write") << Writer::AbonentsIni << QByteArray();
    QTest::newRow("trace over an earlier one") << Writer::TraceFile << QByteArray("earlier trace\n");
    QTest::newRow("trace, new file") << Writer::TraceFile << QByteArray();
    QTest::newRow("report, first site") << Writer::Report << QByteArray();
    QTest::newRow("report over an earlier one") << Writer::Report << SurveyReportBytes({Busy(kChosen[2])});
    QTest::newRow("report after its first site") << Writer::ReportAfterFirstSite << QByteArray();
}

void TestFullDisk::fullDisk_failsWithReasonOldFileKept()
{
    QFETCH(Writer, writer);
    QFETCH(QByteArray, old);
    SmallDisk disk;
    TAVRIN_REQUIRE_SMALL_DISK(disk);
    for (const char *folder : {"INI", "logs", "reports"})
        QVERIFY(QDir(disk.path()).mkpath(folder));
    Written file(writer, disk.path());
    if (!old.isNull())
        QVERIFY(writeBytes(file.path(), old));
    file.start();
    if (old.isNull() && QFile::exists(file.path())) // the report's first site
        old = readBytes(file.path());
    const QStringList before = QDir(QFileInfo(file.path()).path()).entryList(QDir::Files | QDir::Hidden);
    QVERIFY(disk.fill());

    QCOMPARE(file.write(), file.message(QString::fromLocal8Bit(std::strerror(ENOSPC))));
    QCOMPARE(readBytes(file.path()), old.isNull() ? QByteArray() : old);
    QCOMPARE(QFile::exists(file.path()), !old.isNull());
    QCOMPARE(QDir(QFileInfo(file.path()).path()).entryList(QDir::Files | QDir::Hidden), before);
    QCOMPARE(file.saved(), writer == Writer::TraceFile);

    // The next write, with room again, puts everything there.
    QVERIFY(disk.release());
    QCOMPARE(file.write(), QString());
    QVERIFY2(readBytes(file.path()).contains(file.expected()), readBytes(file.path()).constData());
    QVERIFY(file.saved());
}

QTEST_GUILESS_MAIN(TestFullDisk)
#include "tst_fulldisk.moc"
