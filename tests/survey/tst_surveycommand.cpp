// tavrin-survey: its exit statuses, a resumed round, the report's bytes from a CP1251
// directory, and SIGTERM in the middle of a call (the real program, the real delays).
#include "surveycommand.h"
#include "support/devsim.h"
#include "support/fasttiming.h"
#include "support/hostilefile.h"
#include "support/smalldisk.h"
#include "link/linktexts.h"
#include "survey/surveyreport.h"
#include "xlsxreader.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <csignal>
#include <cstring>

using namespace tavrin;
using tavrin::test::DevSim;
using tavrin::testsupport::MakeHostileFile;
using tavrin::testsupport::SmallDisk;

namespace {

constexpr int kPort = 6;

// The name of subscriber 1 in CP1251 and as the report shows it.
const QByteArray kCp1251Name = "\xB9" "1 \xAB\xC5\xEB\xEA\xE0\xBB; \"\xA8\"";
const QString kName = QStringLiteral("№1 «Елка»; \"Ё\"");

void WriteFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray ReadFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// An INI folder with three subscribers dialled at 101, 102 and 103.
void WriteIniFolder(const QString &folder)
{
    QDir().mkpath(folder);
    WriteFile(folder + "/bluetooth.ini",
              "[FON_CONN_PAR]\r\nCOMPort=6\r\nWaitTime=1\r\nTimeOut=300\r\nConnectWaitTime=5\r\n");
    WriteFile(folder + "/abonents.ini",
              "[FON_CONN_PAR]\r\nusers_num=3\r\nsort_prz=1\r\n"
              "[FON_ABONENT_1]\r\nuser_name=" + kCp1251Name + "\r\nphone_code=101\r\n"
              "[FON_ABONENT_2]\r\nuser_name=\xCD\xE0\xF1\xEE\xF1\xED\xE0\xFF\r\nphone_code=102\r\n"
              "[FON_ABONENT_3]\r\nuser_name=\xD1\xEA\xEB\xE0\xE4\r\nphone_code=103\r\n");
}

} // namespace

class SurveyCommandTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void exitStatus_data();
    void exitStatus();
    void resume_callsOnlyTheSitesNotRead();
    void resume_keepsEveryRowItDoesNotReplace_data();
    void resume_keepsEveryRowItDoesNotReplace();
    void reportUnwritableMidRound_rowsKeptAndPrinted_data();
    void reportUnwritableMidRound_rowsKeptAndPrinted();
    void sigterm_hangsUpAndLeavesAReadableReport();
    void sigterm_duringNetworkSite_endsAtOnceAndLeavesAReadableReport();
    void severalPorts_shareTheSitesRowsInDirectoryOrder();
    void selection_byPlaceInNameOrderOrByPhone_data();
    void selection_byPlaceInNameOrderOrByPhone();
    void installedTool_readsTavrinsFolderUnderHome();
    void reportName_givesTheCsvAndTheSpreadsheetAlike_data();
    void reportName_givesTheCsvAndTheSpreadsheetAlike();
    void defaultFolder_keepsBothAndMarksChangesSinceTheLatest();
    void networkSites_readWithoutAModem();
    void networkSites_withoutTheNetworkModule_sayWhatIsMissing();

private:
    int run(const QStringList &arguments);
    // tavrin-survey itself, as a process.
    void start(QProcess &survey, const QStringList &arguments);
    // SIGTERM: the program ends within limitMs as an interrupted round, its report written.
    void terminate(QProcess &survey, const QString &report, int limitMs);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<DevSim> m_sim;
    QString m_ini;
    QString m_messages;
    QString m_output;
};

void SurveyCommandTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_ini = m_dir->filePath("site/INI");
    WriteIniFolder(m_ini);
    QDir().mkpath(m_dir->filePath("com"));
    qputenv("TAVRIN_COM_DIR", m_dir->filePath("com").toLocal8Bit());
    m_sim = std::make_unique<DevSim>(m_dir->filePath("com"));
    QStringList args = test::FastModemArgs();
    args << "--site" << "101 paired version=2.10" << "--site" << "102 busy" << "--site" << "103 waiting";
    QVERIFY2(m_sim->start({.port = kPort, .modem = true, .extraArgs = args}), qPrintable(m_sim->errorString()));
    m_messages.clear();
}

void SurveyCommandTest::cleanup()
{
    m_sim.reset();
    m_dir.reset();
}

int SurveyCommandTest::run(const QStringList &arguments)
{
    m_messages.clear();
    m_output.clear();
    QTextStream out(&m_output);
    QTextStream err(&m_messages);
    SurveyCommandContext context(out, err);
    context.executableDir = m_dir->path();
    context.timing.link = test::FastTiming();
    context.timing.settleAfterOpenMs = 5;
    context.timing.pause = [](int ms) { Pause(ms / 50); };
    return RunSurveyCommand(arguments, context);
}

void SurveyCommandTest::exitStatus_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("message"); // a part of what stderr says; empty: nothing
    QTest::addColumn<QStringList>("results"); // the report's "Результат" column

    const QStringList none;
    // Without a terminal, as under cron: one summary line and nothing else.
    QTest::newRow("every site read") << QStringList{"--subscribers", "1,3"} << 0 << "@Прочитано 2 из 2. Отчёт: "
                                     << QStringList{"Прочитано", "Прочитано"};
    QTest::newRow("one busy") << QStringList{"--ports=COM6"} << 1 << "@Прочитано 2 из 3. Отчёт: "
                              << QStringList{"Прочитано", "Номер абонента занят", "Прочитано"};
    QTest::newRow("by phone numbers") << QStringList{"--phones", "1-03, 101"} << 0 << "@Прочитано 2 из 2. Отчёт: "
                                      << QStringList{"Прочитано", "Прочитано"};
    // Read, but ATH unanswered: the modem may hold the call, which the mail must say.
    QTest::newRow("read, ATH ignored") << QStringList{"--subscribers", "1", "@ath-ignored"} << 1
                                       << "Прочитано 1 из 1. Отчёт: %1\nМодем на порту СОМ6 не ответил на ATH и, "
                                          "возможно, остался на линии\n"
                                       << QStringList{"Прочитано. Модем на порту СОМ6 не ответил на ATH и, возможно, "
                                                      "остался на линии"};
    QTest::newRow("phone not in the directory") << QStringList{"--phones", "101,999"} << 2
                                                << "Абонента с номером телефона 999 нет в справочнике" << none;
    QTest::newRow("unknown option") << QStringList{"--all"} << 2 << "Неизвестный параметр --all" << none;
    QTest::newRow("option without value") << QStringList{"--report"} << 2 << "не задано значение" << none;
    QTest::newRow("bad subscriber list") << QStringList{"--subscribers", "1,x"} << 2
                                         << "Неверный список номеров абонентов: \"1,x\"" << none;
    QTest::newRow("subscriber not in the directory") << QStringList{"--subscribers", "2-4"} << 2
                                                     << "Абонента с номером 4 нет в справочнике" << none;
    QTest::newRow("bad port list") << QStringList{"--ports", "COM6,COM6"} << 2 << "Неверный список портов" << none;
    QTest::newRow("no such port") << QStringList{"--ports", "COM6,COM9"} << 2
                                  << "Коммуникационный порт СОМ9 недоступен" << none;
    QTest::newRow("no INI folder") << QStringList{"--ini", "/nonexistent/INI"} << 2 << "не найдена" << none;
    QTest::newRow("settings not readable") << QStringList{"--ini", "@unreadable"} << 2 << "abonents.ini" << none;
    QTest::newRow("report not writable") << QStringList{"--report", "@unwritable"} << 2
                                         << "Не удалось записать отчёт об опросе в файл" << none;
    QTest::newRow("resume from a device") << QStringList{"--resume", "/dev/zero"} << 2
                                          << "Не удалось прочитать отчёт об опросе /dev/zero: это не обычный файл" << none;
    QTest::newRow("resume from a FIFO") << QStringList{"--resume", "@fifo"} << 2 << "fifo: это не обычный файл" << none;
    QTest::newRow("parallel zero") << QStringList{"--parallel", "0"} << 2
                                   << "Неверное число одновременных сетевых соединений: \"0\" (допустимо от 1 до 32)"
                                   << none;
    QTest::newRow("parallel above the most") << QStringList{"--parallel=33"} << 2 << "\"33\" (допустимо от 1 до 32)"
                                             << none;
    QTest::newRow("parallel not a number") << QStringList{"--parallel", "x8"} << 2 << "сетевых соединений: \"x8\"" << none;
    QTest::newRow("parallel within the limits") << QStringList{"--subscribers", "1", "--parallel", "32"} << 0
                                                << "@Прочитано 1 из 1. Отчёт: " << QStringList{"Прочитано"};
    QTest::newRow("help") << QStringList{"--help"} << 0 << "--subscribers СПИСОК" << none;
    QTest::newRow("help names --parallel") << QStringList{"--help"} << 0 << "--parallel N" << none;
    QTest::newRow("version") << QStringList{"--version"} << 0 << "tavrin-survey 1." << none;
}

void SurveyCommandTest::exitStatus()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, message);
    QFETCH(QStringList, results);
    const QString report = m_dir->filePath("out/report.csv");
    QStringList all = arguments;
    // An INI folder whose abonents.ini is a folder; a report inside a plain file.
    const QString unreadable = m_dir->filePath("unreadable");
    QDir().mkpath(unreadable + "/abonents.ini");
    WriteFile(m_dir->filePath("plain"), "x");
    all.replaceInStrings("@unreadable", unreadable);
    all.replaceInStrings("@unwritable", m_dir->filePath("plain/report.csv"));
    // Opening a FIFO without a writer would wait for ever.
    QVERIFY(MakeHostileFile("fifo", m_dir->filePath("fifo")));
    all.replaceInStrings("@fifo", m_dir->filePath("fifo"));
    if (all.removeAll("@ath-ignored") > 0)
        QVERIFY(m_sim->command("ath ignored"));
    if (!arguments.contains("--ini"))
        all << "--ini" << m_ini;
    if (!arguments.contains("--report"))
        all << "--report" << report;
    QCOMPARE(run(all), status);
    // --help and --version on stdout, everything else on stderr.
    const bool toStdout = arguments.contains("--help") || arguments.contains("--version");
    const QString &said = toStdout ? m_output : m_messages;
    QCOMPARE((toStdout ? m_messages : m_output), QString());
    if (message.isEmpty())
        QCOMPARE(said, QString());
    else if (message.startsWith('@')) // the whole of what is said: one line, this and the report
        QCOMPARE(said, message.mid(1) + QDir::toNativeSeparators(report) + "\n");
    else if (message.contains("%1")) // the whole of what is said, the report where %1 is
        QCOMPARE(said, message.arg(QDir::toNativeSeparators(report)));
    else
        QVERIFY2(said.contains(message), qPrintable(said));
    if (results.isEmpty()) {
        QVERIFY(!QFile::exists(report));
        return;
    }
    const QStringList lines = QString::fromUtf8(ReadFile(report)).split("\r\n", Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), results.size() + 1);
    for (int row = 0; row < results.size(); ++row)
        QVERIFY2(lines[row + 1].section(';', 3, 3) == results[row] || lines[row + 1].contains(";" + results[row] + ";") ||
                     lines[row + 1].contains(";\"" + results[row] + "\";"), // quoted for its comma
                 qPrintable(lines[row + 1]));
    // The CP1251 name, quoted for its ";" and its quotes, in UTF-8 after the mark.
    const QByteArray bytes = ReadFile(report);
    QVERIFY(bytes.startsWith("\xEF\xBB\xBF"));
    if (results.first() == "Прочитано")
        QVERIFY2(bytes.contains("\r\n1;\"№1 «Елка»; \"\"Ё\"\"\";101;Прочитано;Нет;Есть;0A:1B:2C:3D:4E:5F;00:1A:7D:DA:71:13;2.10;"
                                "Эксплуатационный;"),
                 bytes.constData());
}

void SurveyCommandTest::resume_callsOnlyTheSitesNotRead()
{
    const QString report = m_dir->filePath("resumed.csv");
    QCOMPARE(run({"--ini", m_ini, "--report", report}), 1);
    const QByteArray first = ReadFile(report);
    const QByteArray firstRow = first.mid(first.indexOf("\r\n1;"), first.indexOf("\r\n2;") - first.indexOf("\r\n1;"));

    QVERIFY(m_sim->command("site 102 paired version=3.00"));
    m_sim->clearLog();
    QCOMPARE(run({"--ini", m_ini, "--resume", report}), 0);
    // Only the busy site is called again.
    const QByteArray wire = m_sim->received();
    QCOMPARE(wire.count("ATD"), 1);
    QVERIFY(wire.contains("ATD102\r"));
    const QByteArray second = ReadFile(report);
    const QStringList lines = QString::fromUtf8(second).split("\r\n", Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 4);
    // The rows read before stay as they were, times included.
    QVERIFY(second.contains(firstRow));
    QVERIFY2(lines[2].startsWith("2;Насосная;102;Прочитано;Нет;Есть;") && lines[2].contains(";3.00;"), qPrintable(lines[2]));

    // Nothing left to read: nothing dialled, status 0. The spreadsheet file's name
    // stands for the pair.
    m_sim->clearLog();
    QCOMPARE(run({"--ini", m_ini, "--resume", m_dir->filePath("resumed.xlsx")}), 0);
    QCOMPARE(m_sim->received(), QByteArray());
    QCOMPARE(ReadFile(report), second);
}

void SurveyCommandTest::start(QProcess &survey, const QStringList &arguments)
{
    survey.setProgram(QCoreApplication::applicationDirPath() + "/tavrin-survey");
    survey.setArguments(arguments);
    survey.start();
    QVERIFY(survey.waitForStarted());
}

void SurveyCommandTest::terminate(QProcess &survey, const QString &report, int limitMs)
{
    ::kill(pid_t(survey.processId()), SIGTERM);
    QVERIFY(survey.waitForFinished(limitMs));
    QCOMPARE(survey.exitStatus(), QProcess::NormalExit);
    QCOMPARE(survey.exitCode(), 1);
    const QString messages = QString::fromUtf8(survey.readAllStandardError());
    QVERIFY2(messages.contains("Опрос прерван. Прочитанное записано в отчёт " + report), qPrintable(messages));
}

void SurveyCommandTest::resume_keepsEveryRowItDoesNotReplace_data()
{
    QTest::addColumn<QStringList>("arguments"); // besides --ini and --resume
    QTest::addColumn<QString>("site102");       // its state for the resume
    QTest::addColumn<bool>("killDuringCall");   // kill -9 while 102's module is asked
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("calls");
    QTest::addColumn<QString>("row2"); // how row 2 begins after; empty: as before, byte for byte

    QTest::newRow("a subset: the busy site alone") << QStringList{"--subscribers", "2"} << "paired version=3.00" << false
                                                   << 0 << 1 << "2;Насосная;102;Прочитано;Нет;Есть;";
    QTest::newRow("redial, then kill -9") << QStringList{} << "silent" << true << -1 << 1 << QString();
    QTest::newRow("every chosen site read") << QStringList{"--subscribers", "1,3"} << "paired" << false << 0 << 0 << QString();
}

void SurveyCommandTest::resume_keepsEveryRowItDoesNotReplace()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, site102);
    QFETCH(bool, killDuringCall);
    QFETCH(int, status);
    QFETCH(int, calls);
    QFETCH(QString, row2);
    // Before: 1 and 3 read, 2 busy.
    const QString report = m_dir->filePath("base.csv");
    QCOMPARE(run({"--ini", m_ini, "--report", report}), 1);
    const QByteArray before = ReadFile(report);
    const QStringList linesBefore = QString::fromUtf8(before).split("\r\n", Qt::SkipEmptyParts);
    QCOMPARE(linesBefore.size(), 4);

    QVERIFY(m_sim->command("site 102 " + site102));
    m_sim->clearLog();
    arguments << "--ini" << m_ini << "--resume" << report;
    if (killDuringCall) {
        QProcess survey;
        start(survey, arguments);
        QVERIFY(m_sim->waitForReceived("ATD102\rPING\r", 30000));
        survey.kill();
        QVERIFY(survey.waitForFinished(10000));
    } else {
        QCOMPARE(run(arguments), status);
    }
    QCOMPARE(m_sim->received().count("ATD"), calls);
    const QByteArray after = ReadFile(report);
    if (row2.isEmpty()) {
        QCOMPARE(after, before);
        return;
    }
    const QStringList lines = QString::fromUtf8(after).split("\r\n", Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 4);
    QCOMPARE(lines[1], linesBefore[1]);
    QVERIFY2(lines[2].startsWith(row2), qPrintable(lines[2]));
    QCOMPARE(lines[3], linesBefore[3]);
}

void SurveyCommandTest::reportUnwritableMidRound_rowsKeptAndPrinted_data()
{
    QTest::addColumn<bool>("readOnly"); // else full
    QTest::addColumn<QString>("reason"); // @: the report's path
    QTest::newRow("disk full") << false << QString::fromLocal8Bit(std::strerror(ENOSPC));
    QTest::newRow("folder read-only") << true << "Existing file @ is not writable"; // Qt's words
}

void SurveyCommandTest::reportUnwritableMidRound_rowsKeptAndPrinted()
{
    QFETCH(bool, readOnly);
    QFETCH(QString, reason);
    SmallDisk disk;
    TAVRIN_REQUIRE_SMALL_DISK(disk);
    const QString report = disk.path() + "/reports/round.csv";
    QProcess survey;
    start(survey, {"--ini", m_ini, "--report", report});
    // Site 1 is on disk before site 2 is dialled.
    QVERIFY(m_sim->waitForReceived("ATD102\r", 30000));
    QVERIFY(readOnly ? disk.makeReadOnly() : disk.fill());
    QVERIFY(survey.waitForFinished(60000));
    QCOMPARE(survey.exitStatus(), QProcess::NormalExit);
    QCOMPARE(survey.exitCode(), 1);

    // The file keeps site 1; sites 2 and 3, dialled and read, are on stderr as CSV, under
    // one message with the system's reason.
    const QStringList lines = QString::fromUtf8(ReadFile(report)).split("\r\n", Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 2);
    QVERIFY2(lines[1].startsWith("1;") && lines[1].contains(";Прочитано;"), qPrintable(lines[1]));
    const QStringList said = QString::fromUtf8(survey.readAllStandardError()).split('\n', Qt::SkipEmptyParts);
    QCOMPARE(said.size(), 6);
    QCOMPARE(said[0], "Не удалось записать отчёт об опросе в файл " + report + ": " + reason.replace("@", report));
    QCOMPARE(said[1], "Строки опроса, не записанные в отчёт:");
    QCOMPARE(said[2], QString(lines[0]).remove(QChar(0xFEFF))); // the header, without the mark
    QVERIFY2(said[3].startsWith("2;Насосная;102;Номер абонента занят;"), qPrintable(said[3]));
    QVERIFY2(said[4].startsWith("3;Склад;103;Прочитано;Есть;Нет;"), qPrintable(said[4]));
    // The summary a cron job mails does not claim a report that lacks rows.
    QCOMPARE(said[5], "Прочитано 2 из 3. Отчёт не записан");
}

void SurveyCommandTest::sigterm_hangsUpAndLeavesAReadableReport()
{
    // The second site's module is silent; the signal comes while its PING waits.
    QVERIFY(m_sim->command("site 102 silent"));
    m_sim->clearLog();
    const QString report = m_dir->filePath("interrupted.csv");
    QProcess survey;
    start(survey, {"--ini", m_ini, "--report", report});
    QVERIFY(m_sim->waitForReceived("ATD102\r", 30000));
    QVERIFY(m_sim->waitForReceived("ATD102\rPING\r", 10000));
    terminate(survey, report, 20000);
    if (QTest::currentTestFailed())
        return;

    // The call was hung up: the escape and ATH after the PING, and nothing dialled after.
    const QByteArray wire = m_sim->received();
    const QByteArray call = wire.mid(wire.indexOf("ATD102\r"));
    QVERIFY2(call.endsWith("+++ath\r"), call.constData());
    QCOMPARE(wire.count("ATD"), 2);

    const QStringList lines = QString::fromUtf8(ReadFile(report)).split("\r\n", Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 4);
    QVERIFY2(lines[1].startsWith("1;") && lines[1].contains(";Прочитано;"), qPrintable(lines[1]));
    QVERIFY2(lines[2].startsWith("2;Насосная;102;Опрос остановлен пользователем;;;;;;;20"), qPrintable(lines[2]));
    QCOMPARE(lines[3], "3;Склад;103;Опрос остановлен пользователем;;;;;;;;;");
}

void SurveyCommandTest::sigterm_duringNetworkSite_endsAtOnceAndLeavesAReadableReport()
{
    // A network site whose module is silent, with a 30-s reply wait: the signal comes
    // while its PING waits, and the program ends without waiting that out.
    DevSim site(m_dir->filePath("com"));
    QVERIFY2(site.start({.port = 2, .listen = true, .extraArgs = {}}), qPrintable(site.errorString()));
    QVERIFY(site.command("silent on"));
    const QByteArray address = "127.0.0.1:" + QByteArray::number(site.tcpPort());
    const QString folder = m_dir->filePath("net/INI");
    QDir().mkpath(folder);
    WriteFile(folder + "/bluetooth.ini", "[NET_CONN_PAR]\r\nWaitTime=30\r\n");
    WriteFile(folder + "/abonents.ini", "[FON_CONN_PAR]\r\nusers_num=1\r\n"
                                        "[FON_ABONENT_1]\r\nuser_name=Site\r\nnet_address=" + address + "\r\n");
    const QString report = m_dir->filePath("net-interrupted.csv");
    QProcess survey;
    start(survey, {"--ini", folder, "--report", report});
    QVERIFY(site.waitForReceived("PING\r", 10000));
    terminate(survey, report, 10000);
    if (QTest::currentTestFailed())
        return;
    QTRY_VERIFY_WITH_TIMEOUT(site.notes().contains("client: gone"), 5000);
    const QStringList lines = QString::fromUtf8(ReadFile(report)).split("\r\n", Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 2);
    QVERIFY2(lines[1].startsWith("1;Site;;Опрос остановлен пользователем;") && lines[1].endsWith(";" + address),
             qPrintable(lines[1]));
}

void SurveyCommandTest::severalPorts_shareTheSitesRowsInDirectoryOrder()
{
    // A second modem on COM8 with the same sites: the sites finish in either order, the
    // report keeps the directory's.
    DevSim second(m_dir->filePath("com"));
    QStringList args = test::FastModemArgs();
    args << "--site" << "101 paired version=2.10" << "--site" << "102 busy" << "--site" << "103 waiting";
    QVERIFY2(second.start({.port = 8, .modem = true, .extraArgs = args}), qPrintable(second.errorString()));
    const QString report = m_dir->filePath("two.csv");
    QCOMPARE(run({"--ini", m_ini, "--ports", "COM6,8", "--report", report}), 1);

    // Each site called once, on one modem or the other, and both modems used.
    const QByteArray first = m_sim->received(), other = second.received();
    QCOMPARE(first.count("ATD") + other.count("ATD"), 3);
    QVERIFY(first.count("ATD") >= 1 && other.count("ATD") >= 1);
    for (const char *dial : {"ATD101\r", "ATD102\r", "ATD103\r"})
        QCOMPARE(first.count(dial) + other.count(dial), 1);
    for (const QByteArray &wire : {first, other})
        QVERIFY2(wire.endsWith("+++ath\r") || wire.endsWith("ATD102\r"), wire.constData());

    const QStringList lines = QString::fromUtf8(ReadFile(report)).split("\r\n", Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 4);
    QVERIFY2(lines[1].startsWith("1;") && lines[1].contains(";Прочитано;"), qPrintable(lines[1]));
    QVERIFY2(lines[2].startsWith("2;Насосная;102;Номер абонента занят;"), qPrintable(lines[2]));
    QVERIFY2(lines[3].startsWith("3;Склад;103;Прочитано;Есть;Нет;"), qPrintable(lines[3]));
}

void SurveyCommandTest::selection_byPlaceInNameOrderOrByPhone_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("rows"); // the report's rows: №;Наименование;№ телефона
    QTest::addColumn<int>("status");       // 102 is busy
    QTest::newRow("all") << QStringList{} << QStringList{"1;Котельная;103", "2;Насосная;102", "3;Склад;101"} << 1;
    QTest::newRow("first by name, whatever the sort") << QStringList{"--subscribers", "1"}
                                                      << QStringList{"1;Котельная;103"} << 0;
    QTest::newRow("by phone") << QStringList{"--phones", "101"} << QStringList{"3;Склад;101"} << 0;
    QTest::newRow("both, in name order") << QStringList{"--phones", "101", "--subscribers", "2"}
                                         << QStringList{"2;Насосная;102", "3;Склад;101"} << 1;
}

void SurveyCommandTest::selection_byPlaceInNameOrderOrByPhone()
{
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, rows);
    QFETCH(int, status);
    // Sorted by phone in the file and left so by the window; an entry with neither name
    // nor phone number within the count is no site.
    WriteFile(m_ini + "/abonents.ini",
              "[FON_CONN_PAR]\r\nusers_num=4\r\nsort_prz=1\r\n"
              "[FON_ABONENT_1]\r\nuser_name=\xD1\xEA\xEB\xE0\xE4\r\nphone_code=101\r\n"
              "[FON_ABONENT_2]\r\nuser_name=\xCD\xE0\xF1\xEE\xF1\xED\xE0\xFF\r\nphone_code=102\r\n"
              "[FON_ABONENT_3]\r\nuser_name=\xCA\xEE\xF2\xE5\xEB\xFC\xED\xE0\xFF\r\nphone_code=103\r\n"
              "[FON_ABONENT_4]\r\n");
    const QString report = m_dir->filePath("chosen.csv");
    m_sim->clearLog();
    QCOMPARE(run(QStringList{"--ini", m_ini, "--report", report} + arguments), status);
    const QStringList lines = QString::fromUtf8(ReadFile(report)).split("\r\n", Qt::SkipEmptyParts);
    QStringList shown;
    for (const QString &line : lines.mid(1))
        shown << line.section(';', 0, 2);
    QCOMPARE(shown, rows);
    QVERIFY2(m_messages.contains("Пропущено записей справочника без наименования и номера телефона: 1"), qPrintable(m_messages));
    QCOMPARE(m_sim->received().count("ATD"), rows.size());
}

void SurveyCommandTest::installedTool_readsTavrinsFolderUnderHome()
{
    // The program where it cannot keep its settings (its INI is a file), run from a
    // folder it cannot write, with HOME set: it reads tavrin's folder under HOME.
    const QString bin = m_dir->filePath("bin");
    QDir().mkpath(bin);
    QVERIFY(QFile::copy(QCoreApplication::applicationDirPath() + "/tavrin-survey", bin + "/tavrin-survey"));
    WriteFile(bin + "/INI", "not a folder");
    const QString home = m_dir->filePath("home");
    WriteIniFolder(home + "/.config/tavrin/INI");
    const QString cwd = m_dir->filePath("cwd");
    QDir().mkpath(cwd);
    QFile::setPermissions(cwd, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    QProcess survey;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("HOME", home);
    environment.remove("XDG_CONFIG_HOME");
    survey.setProcessEnvironment(environment);
    survey.setWorkingDirectory(cwd);
    survey.start(bin + "/tavrin-survey", {"--subscribers", "3"});
    QVERIFY(survey.waitForFinished(30000));
    const QString messages = QString::fromUtf8(survey.readAllStandardError());
    QCOMPARE(survey.exitCode(), 0);
    // The report beside that INI folder, and the one site of its directory dialled.
    QVERIFY2(messages.startsWith("Прочитано 1 из 1. Отчёт: " + home + "/.config/tavrin/reports/survey-"), qPrintable(messages));
    QVERIFY(m_sim->received().contains("ATD103\r"));
    QFile::setPermissions(cwd, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

void SurveyCommandTest::reportName_givesTheCsvAndTheSpreadsheetAlike_data()
{
    QTest::addColumn<QString>("given");
    QTest::addColumn<QString>("stem"); // of the two files written
    QTest::newRow("bare name") << "out/r" << "out/r";
    QTest::newRow("ending in .csv") << "out/r.csv" << "out/r";
    QTest::newRow("ending in .xlsx") << "out/r.xlsx" << "out/r";
    QTest::newRow("ending in capitals") << "out/r.XLSX" << "out/r";
    QTest::newRow("other ending kept") << "out/r.2026" << "out/r.2026";
}

void SurveyCommandTest::reportName_givesTheCsvAndTheSpreadsheetAlike()
{
    QFETCH(QString, given);
    QFETCH(QString, stem);
    QCOMPARE(run({"--ini", m_ini, "--subscribers", "1", "--report", m_dir->filePath(given)}), 0);
    QDir out(m_dir->filePath("out"));
    QCOMPARE(out.entryList(QDir::Files), (QStringList{QFileInfo(stem).fileName() + ".csv", QFileInfo(stem).fileName() + ".xlsx"}));
    QVERIFY(ReadFile(m_dir->filePath(stem + ".csv")).contains(";101;Прочитано;"));
    QVERIFY(ReadFile(m_dir->filePath(stem + ".xlsx")).startsWith("PK\x03\x04"));
}

void SurveyCommandTest::defaultFolder_keepsBothAndMarksChangesSinceTheLatest()
{
    const QString reports = m_dir->filePath("site/reports");
    SurveyRow before;
    before.subscriber = {1, kName, "101"};
    before.read = true;
    before.result = "Прочитано";
    before.state = {"Эксплуатационный", "Нет", "Есть", "0A:1B:2C:3D:4E:5F", "00:1A:7D:DA:71:13", "2.09", true, false};
    QString error;
    QVERIFY2(WriteSurveyReport(reports + "/survey-20261206-020000.csv", {before}, &error), qPrintable(error));
    QCOMPARE(run({"--ini", m_ini, "--subscribers", "1"}), 0);

    const QString report = LatestReport(reports);
    QVERIFY(report != reports + "/survey-20261206-020000.csv");
    QJsonObject book;
    READ_XLSX_OR_SKIP(WorkbookPath(report), book);
    const QJsonObject version = xlsxreader::Cell(xlsxreader::Sheet(book, "Опрос"), "I2");
    QCOMPARE(version["value"].toString(), "2.10");
    QCOMPARE(version["fill"].toString(), "FFFFD6AA");
    QCOMPARE(version["comment"].toString(), "Было: 2.09 (survey-20261206-020000.csv)");
    QVERIFY(xlsxreader::Cell(xlsxreader::Sheet(book, "Опрос"), "F2")["fill"].isNull());
    const QJsonObject totals = xlsxreader::Sheet(book, "Итоги");
    QCOMPARE(xlsxreader::Cell(totals, "B3")["value"].toString(), "COM6");
    QCOMPARE(xlsxreader::Cell(totals, "F12")["value"].toString(), "2.10");
}


// Network sites alone need no modem: the phone kind's port is missing, the round reads
// them and the report names their addresses in its last column.
void SurveyCommandTest::networkSites_readWithoutAModem()
{
    DevSim site(m_dir->filePath("com"));
    QVERIFY2(site.start({.port = 2, .listen = true, .extraArgs = {"--state", "paired"}}), qPrintable(site.errorString()));
    const QByteArray address = "127.0.0.1:" + QByteArray::number(site.tcpPort());
    const QString folder = m_dir->filePath("net/INI");
    QDir().mkpath(folder);
    WriteFile(folder + "/bluetooth.ini", "[FON_CONN_PAR]\r\nCOMPort=9\r\n[NET_CONN_PAR]\r\nWaitTime=1\r\n");
    WriteFile(folder + "/abonents.ini",
              "[FON_CONN_PAR]\r\nusers_num=2\r\nsort_prz=1\r\n"
              "[FON_ABONENT_1]\r\nuser_name=\xCA\xEE\xF2\xE5\xEB\xFC\xED\xE0\xFF\r\nphone_code=\r\nnet_address=" + address +
                  "\r\nnet_protocol=0\r\n"
              "[FON_ABONENT_2]\r\nuser_name=\xD1\xEA\xEB\xE0\xE4\r\nphone_code=102\r\n");
    const QString report = m_dir->filePath("net.csv");
    QCOMPARE(run({"--ini", folder, "--report", report, "--subscribers", "1", "--parallel", "1"}), 0);
    QCOMPARE(m_messages, "Прочитано 1 из 1. Отчёт: " + QDir::toNativeSeparators(report) + "\n");
    const QStringList lines = QString::fromUtf8(ReadFile(report)).split("\r\n", Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 2);
    QVERIFY2(lines[0].endsWith(";Сетевой адрес"), qPrintable(lines[0]));
    QVERIFY2(lines[1].startsWith("1;Котельная;;Прочитано;") && lines[1].endsWith(";" + address), qPrintable(lines[1]));
    QCOMPARE(site.received(), QByteArray("PING\rPEERADDR\rDEVADDR\rVER\r"));
    // The modem site needs its port, which is missing.
    QCOMPARE(run({"--ini", folder, "--report", report, "--subscribers", "2"}), 2);
    QVERIFY2(m_messages.contains("Коммуникационный порт СОМ9 недоступен"), qPrintable(m_messages));
}

void SurveyCommandTest::networkSites_withoutTheNetworkModule_sayWhatIsMissing()
{
    // A copy of the program with nothing beside it: a good address stays good, and the
    // row names the folder where the network module was looked for.
    const QString bin = m_dir->filePath("bare/bin");
    QDir().mkpath(bin);
    QVERIFY(QFile::copy(QCoreApplication::applicationDirPath() + "/tavrin-survey", bin + "/tavrin-survey"));
    const QString folder = m_dir->filePath("bare/INI");
    QDir().mkpath(folder);
    WriteFile(folder + "/abonents.ini", "[FON_CONN_PAR]\r\nusers_num=1\r\n"
                                        "[FON_ABONENT_1]\r\nuser_name=Site\r\nnet_address=127.0.0.1:1\r\n");
    const QString report = m_dir->filePath("bare.csv");
    QProcess survey;
    survey.start(bin + "/tavrin-survey", {"--ini", folder, "--report", report});
    QVERIFY(survey.waitForFinished(30000));
    QCOMPARE(survey.exitCode(), 1);
    const QStringList lines = QString::fromUtf8(ReadFile(report)).split("\r\n", Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 2);
    const QString missing = linktext::NetworkModuleMissing("127.0.0.1:1", m_dir->filePath("bare/")).replace(u'\r', u' ');
    QVERIFY2(lines[1].startsWith("1;Site;;" + missing), qPrintable(lines[1]));
}

QTEST_GUILESS_MAIN(SurveyCommandTest)
#include "tst_surveycommand.moc"
