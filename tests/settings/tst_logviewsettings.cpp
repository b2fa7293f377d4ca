// The exchange log's view in bluetooth.ini: a section of its own, read back, written in
// place without touching any other line, and not written at all when nothing changed.
#include "settings/logviewsettings.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace tavrin;

namespace {

// A file as an older version and a hand left it: its own sections, a comment, a line
// ending in LF alone, and no line end after the last line.
const QByteArray kOlderFile = "[CURR_PAR]\r\nConn_Prz=1\r\n; kept by hand\nuser_index=3\r\n"
                              "[Val_Adr]\r\nAdr0=17\r\n[DIR_CONN_PAR]\r\nCOMPort=4";

QByteArray Read(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
}

void Write(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

ino_t FileIdentity(const QString &path)
{
    struct stat status {};
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_ino : 0;
}

} // namespace

class TestLogViewSettings : public QObject {
    Q_OBJECT
private slots:
    void write_data();
    void write();
    void unchanged_fileNotWritten();
    void unreadableFile_notReplaced();
};

void TestLogViewSettings::write_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<bool>("hex");
    QTest::addColumn<bool>("times");
    QTest::addColumn<QByteArray>("after");
    QTest::newRow("no file: only the section")
        << QByteArray() << true << false << QByteArray("[LOG_VIEW]\r\nHexView=1\r\n");
    QTest::newRow("older file: the section added at its end, every line kept")
        << kOlderFile << true << true << kOlderFile + "\r\n\r\n[LOG_VIEW]\r\nHexView=1\r\nTime=1\r\n";
    QTest::newRow("one key changed in place, the other left")
        << QByteArray("[log_view]\r\nHexView = 1 \r\nTime=0\r\n[CURR_PAR]\r\nConn_Prz=0\r\n") << true << true
        << QByteArray("[log_view]\r\nHexView = 1 \r\nTime=1\r\n[CURR_PAR]\r\nConn_Prz=0\r\n");
    QTest::newRow("switched off")
        << QByteArray("[LOG_VIEW]\r\nHexView=1\r\nTime=1\r\n") << false << true
        << QByteArray("[LOG_VIEW]\r\nHexView=0\r\nTime=1\r\n");
}

void TestLogViewSettings::write()
{
    QFETCH(QByteArray, before);
    QFETCH(bool, hex);
    QFETCH(bool, times);
    QFETCH(QByteArray, after);
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("bluetooth.ini"));
    if (!before.isNull())
        Write(path, before);
    QString error;
    QVERIFY2(WriteLogViewSettings(path, {hex, times}, &error), qPrintable(error));
    QCOMPARE(Read(path), after);
    QCOMPARE(ReadLogViewSettings(path), (LogViewSettings{hex, times}));
}

void TestLogViewSettings::unchanged_fileNotWritten()
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("bluetooth.ini"));
    // No section yet and the default view: nothing to keep.
    QString error;
    QVERIFY(WriteLogViewSettings(path, {}, &error));
    QVERIFY(!QFile::exists(path));
    QCOMPARE(ReadLogViewSettings(path), LogViewSettings());

    Write(path, kOlderFile + "\r\n[LOG_VIEW]\r\nHexView=1\r\n");
    const ino_t identity = FileIdentity(path);
    QVERIFY(WriteLogViewSettings(path, {true, false}, &error)); // Time is missing: it reads as off
    QCOMPARE(FileIdentity(path), identity); // a write replaces the file, so it was not written
    QCOMPARE(Read(path), kOlderFile + "\r\n[LOG_VIEW]\r\nHexView=1\r\n");
}

void TestLogViewSettings::unreadableFile_notReplaced()
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("bluetooth.ini"));
    const QByteArray huge(2 * 1024 * 1024, ';'); // past what a settings file may be
    Write(path, huge);
    QCOMPARE(ReadLogViewSettings(path), LogViewSettings());
    QString error;
    QVERIFY(!WriteLogViewSettings(path, {true, true}, &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(Read(path).size(), huge.size());
}

QTEST_APPLESS_MAIN(TestLogViewSettings)
#include "tst_logviewsettings.moc"
