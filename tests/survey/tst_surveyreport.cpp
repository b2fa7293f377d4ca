// The report file: its literal bytes, reading it back (hostile files refused), the rows
// of a resumed round, the leftovers of interrupted writes, the change marks against an
// earlier survey, and the choice of subscribers.
#include "link/clocktext.h"
#include "support/hostilefile.h"
#include "survey/surveycolumns.h"
#include "survey/surveyreport.h"
#include "survey/surveytexts.h"
#include "survey/timeleft.h"
#include "surveyrows.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace tavrin;
using tavrin::testsupport::MakeHostileFile;

using surveyrows::FailedRow;
using surveyrows::ReadRow;


namespace {

bool NoChange(const SurveyChanges &changes)
{
    return !changes.pair && !changes.peerAddress && !changes.version;
}

} // namespace

class SurveyReportTest : public QObject {
    Q_OBJECT
private slots:
    void rows_literalBytesWithQuotingAndBom();
    void quoting_onlyFieldsThatAnImportWouldSplit_data();
    void quoting_onlyFieldsThatAnImportWouldSplit();
    void oldReport_withUnquotedCommas_resumes();
    void writtenReport_readsBackTheSameRows();
    void brokenReports_refusedWithTheFileNamed_data();
    void brokenReports_refusedWithTheFileNamed();
    void unwritableFolder_messageNamesTheFile();
    void resume_keepsReadRowsAndTakesTheNewOnes();
    void hostilePreviousReports_refusedAtOnce_data();
    void hostilePreviousReports_refusedAtOnce();
    void leftoversOfInterruptedWrites_removedAtTheNextWrite_data();
    void leftoversOfInterruptedWrites_removedAtTheNextWrite();
    void changes_onlyPairPeerAndVersionOfReadRows();
    void latestReport_byDateTimeAndCounter();
    void chooseSubscribers_data();
    void chooseSubscribers();
    void fieldsOfEachView_data();
    void fieldsOfEachView();
    void clockText_data();
    void clockText();
    void timeLeft_data();
    void timeLeft();
    void timeLeft_countsOnlySitesStillToCall();
    void timeLeft_modemAndNetworkSitesRunSideBySide();
};

void SurveyReportTest::rows_literalBytesWithQuotingAndBom()
{
    QList<SurveyRow> rows = {
        ReadRow(1, "Котельная; \"Южная\"", "8 (861) 555-01-01", "Есть", "0A:1B:2C:3D:4E:5F", "1.07"),
        FailedRow(2, "Ёлка №2 «Север»", "102", "Неопределенный ответ на команду \"PING\""),
        UnreachedRow({3, "Склад", "103"}),
        FailedRow(4, "Насосная", "", "Связь по сети с [2001:db8::5]:4001 не установлена: соединение отвергнуто"),
    };
    rows[3].subscriber.networkAddress = "[2001:db8::5]:4001";
    const QByteArray expected =
        "\xEF\xBB\xBF"
        "№;Наименование;№ телефона;Результат;Соединение;Пара;МАС-адрес периферийного устройства;"
        "МАС-адрес центрального устройства;Версия модуля;Режим;Дата и время;\"Длительность, с\";Сетевой адрес\r\n"
        "1;\"Котельная; \"\"Южная\"\"\";8 (861) 555-01-01;Прочитано;Нет;Есть;0A:1B:2C:3D:4E:5F;"
        "00:1A:7D:DA:71:13;1.07;Эксплуатационный;2026-12-07T09:05:30;\"12,3\";\r\n"
        "2;Ёлка №2 «Север»;102;\"Неопределенный ответ на команду \"\"PING\"\"\";;;;;;;2026-12-07T09:06:00;\"3,0\";\r\n"
        "3;Склад;103;Опрос остановлен пользователем;;;;;;;;;\r\n"
        "4;Насосная;;Связь по сети с [2001:db8::5]:4001 не установлена: соединение отвергнуто;;;;;;;"
        "2026-12-07T09:06:00;\"3,0\";[2001:db8::5]:4001\r\n";
    QCOMPARE(SurveyReportBytes(rows), expected);
}

void SurveyReportTest::quoting_onlyFieldsThatAnImportWouldSplit_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("phone");
    QTest::addColumn<QByteArray>("line"); // the row's line up to the result
    QTest::newRow("comma in the name") << "Теплотрасса, узел 5" << "101" << QByteArray("1;\"Теплотрасса, узел 5\";101;");
    QTest::newRow("semicolon") << "Котельная;Южная" << "101" << QByteArray("1;\"Котельная;Южная\";101;");
    QTest::newRow("quotes doubled") << "Котельная \"Южная\"" << "101" << QByteArray("1;\"Котельная \"\"Южная\"\"\";101;");
    QTest::newRow("line feed") << "Котельная\nЮжная" << "101" << QByteArray("1;\"Котельная\nЮжная\";101;");
    QTest::newRow("carriage return") << "Котельная\rЮжная" << "101" << QByteArray("1;\"Котельная\rЮжная\";101;");
    QTest::newRow("phone with a plus, bytes unchanged") << "Склад" << "+79221012030" << QByteArray("1;Склад;+79221012030;");
    QTest::newRow("phone with a leading zero") << "Склад" << "0612345" << QByteArray("1;Склад;0612345;");
    QTest::newRow("phone in parentheses") << "Склад" << "(103)" << QByteArray("1;Склад;(103);");
    QTest::newRow("blanks and a dot") << "Ж. д. вокзал" << "8 861 555" << QByteArray("1;Ж. д. вокзал;8 861 555;");
}

void SurveyReportTest::quoting_onlyFieldsThatAnImportWouldSplit()
{
    QFETCH(QString, name);
    QFETCH(QString, phone);
    QFETCH(QByteArray, line);
    const QByteArray bytes = SurveyReportBytes({FailedRow(1, name, phone, "Номер абонента занят")});
    const QByteArray row = bytes.mid(bytes.indexOf("\r\n") + 2);
    QCOMPARE(row, line + "Номер абонента занят;;;;;;;2026-12-07T09:06:00;\"3,0\";\r\n");
    QList<SurveyRow> back;
    QString error;
    QVERIFY2(ParseSurveyReport(bytes, back, &error), qPrintable(error));
    QCOMPARE(back.value(0).subscriber.name, name);
    QCOMPARE(back.value(0).subscriber.phone, phone);
    QCOMPARE(back.value(0).durationSeconds, 3.0);
}

void SurveyReportTest::oldReport_withUnquotedCommas_resumes()
{
    // As reports were written before commas were quoted: header and durations bare.
    const QByteArray old =
        "\xEF\xBB\xBF"
        "№;Наименование;№ телефона;Результат;Соединение;Пара;МАС-адрес периферийного устройства;"
        "МАС-адрес центрального устройства;Версия модуля;Режим;Дата и время;Длительность, с\r\n"
        "1;Котельная;101;Прочитано;Нет;Есть;0A:1B:2C:3D:4E:5F;00:1A:7D:DA:71:13;1.07;Эксплуатационный;"
        "2026-12-06T02:00:10;12,3\r\n"
        "2;Склад;102;Номер абонента занят;;;;;;;2026-12-06T02:00:30;4,3\r\n";
    QList<SurveyRow> rows;
    QString error;
    QVERIFY2(ParseSurveyReport(old, rows, &error), qPrintable(error));
    QCOMPARE(rows.size(), 2);
    QVERIFY(rows[0].read);
    QCOMPARE(rows[0].state.version, "1.07");
    QCOMPARE(rows[0].durationSeconds, 12.3);
    QCOMPARE(rows[1].durationSeconds, 4.3);
    const QList<SurveySubscriber> left = NotYetRead({{1, "Котельная", "101"}, {2, "Склад", "102"}}, rows);
    QCOMPARE(left.size(), 1);
    QCOMPARE(left[0].name, "Склад");
    // Written again, the same rows come out in the new form, with an empty network address.
    QVERIFY(SurveyReportBytes(rows).contains(";\"12,3\";\r\n2;Склад;102;"));
}

void SurveyReportTest::writtenReport_readsBackTheSameRows()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("reports/survey-20261207-090530.csv");
    QList<SurveyRow> rows = {
        ReadRow(1, "Котельная; \"Южная\"\r\nвторая строка", "101", "Нет", "--", "1.07"),
        FailedRow(2, "Ёлка №2 «Север» — ‰ ™", "102", "Потеря несущей"),
        ReadRow(3, "Склад", "103", "Есть", "0A:1B:2C:3D:4E:5F", "2.10"),
        FailedRow(4, "Насосная", "104", "Прочитанораньше"),
    };
    // Read, but its modem may still be online: a resumed round does not call it again.
    rows[2].result = "Прочитано. Модем на порту СОМ3 не ответил на ATH и, возможно, остался на линии";
    rows[1].subscriber.networkAddress = "sklad-gsm.example.ru:4001";
    QString error;
    QVERIFY2(WriteSurveyReport(path, rows, &error), qPrintable(error));
    const std::optional<QList<SurveyRow>> back = ReadSurveyReport(path, &error);
    QVERIFY2(back, qPrintable(error));
    QCOMPARE(back->size(), 4);
    QCOMPARE((*back)[0].subscriber.name, rows[0].subscriber.name);
    QCOMPARE((*back)[1].subscriber.name, rows[1].subscriber.name);
    QVERIFY((*back)[0].read);
    QCOMPARE((*back)[0].state.peerAddress, "--");
    QCOMPARE((*back)[0].state.mode, "Пусконаладочный");
    QCOMPARE((*back)[0].started, rows[0].started);
    QCOMPARE((*back)[0].durationSeconds, 12.3);
    QVERIFY(!(*back)[1].read);
    QCOMPARE((*back)[1].result, "Потеря несущей");
    QVERIFY((*back)[2].read);
    QCOMPARE((*back)[2].result, rows[2].result);
    QCOMPARE((*back)[2].state.version, "2.10");
    QVERIFY(!(*back)[3].read);
    QCOMPARE((*back)[0].subscriber.networkAddress, "");
    QCOMPARE((*back)[1].subscriber.networkAddress, "sklad-gsm.example.ru:4001");
}

void SurveyReportTest::brokenReports_refusedWithTheFileNamed_data()
{
    QTest::addColumn<QByteArray>("bytes");
    const QByteArray header = SurveyReportBytes({});
    QTest::newRow("not a report") << QByteArray("a;b;c\r\n");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("short row") << header + "1;Котельная;101\r\n";
    QTest::newRow("unclosed quote") << header + "1;\"Котельная;101;;;;;;;;;\r\n";
    QTest::newRow("no number") << header + "x;Котельная;101;Прочитано;;;;;;;;;\r\n";
    // A report of either width is read, but each row as wide as its header.
    QTest::newRow("row without the network address") << header + "1;Котельная;101;Прочитано;;;;;;;;\r\n";
    const QByteArray oldHeader = header.left(header.lastIndexOf(';')) + "\r\n";
    QTest::newRow("old header, row with a network address")
        << oldHeader + "1;Котельная;101;Прочитано;;;;;;;;;10.0.0.5:4001\r\n";
    QTest::newRow("header with a column too many") << header.chopped(2) + ";Примечание\r\n";
}

void SurveyReportTest::brokenReports_refusedWithTheFileNamed()
{
    QFETCH(QByteArray, bytes);
    QTemporaryDir dir;
    const QString path = dir.filePath("old.csv");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();
    QString error;
    QVERIFY(!ReadSurveyReport(path, &error));
    QVERIFY2(error.contains(QDir::toNativeSeparators(path)), qPrintable(error));
}

void SurveyReportTest::unwritableFolder_messageNamesTheFile()
{
    QTemporaryDir dir;
    // A file stands where the folder should be.
    QFile blocker(dir.filePath("reports"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QString path = dir.filePath("reports/survey.csv");
    QString error;
    QVERIFY(!WriteSurveyReport(path, {FailedRow(1, "Склад", "103", "Номер абонента занят")}, &error));
    QVERIFY2(error.startsWith("Не удалось записать отчёт об опросе в файл " + QDir::toNativeSeparators(path)),
             qPrintable(error));
}

void SurveyReportTest::resume_keepsReadRowsAndTakesTheNewOnes()
{
    const QList<SurveySubscriber> chosen = {{1, "А", "101"}, {2, "Б", "102"}, {3, "В", "103"}, {4, "Г", "104"}};
    // The earlier report numbered Б as 5: the directory changed since; name and number match.
    const QList<SurveyRow> earlier = {
        ReadRow(5, "Б", "102", "Есть", "0A:1B:2C:3D:4E:5F", "1.07"),
        FailedRow(1, "А", "101", "Номер абонента занят"),
        ReadRow(9, "Д", "109", "Нет", "--", "1.07"),
    };
    const QList<SurveySubscriber> left = NotYetRead(chosen, earlier);
    QCOMPARE(left.size(), 3);
    QCOMPARE(left[0].name, "А");
    QCOMPARE(left[1].name, "В");
    QCOMPARE(left[2].name, "Г");

    // The round's rows come one by one; each is on disk at once with every earlier row it
    // does not replace, in the earlier order: Д, not chosen now, stays; А's busy row stays
    // until its new row comes; В, new, comes after them.
    QTemporaryDir dir;
    const QString path = dir.filePath("resumed.csv");
    SurveyReportFile report(path, chosen, earlier);
    QString error;
    const auto onDisk = [&path, &error] {
        QStringList shown;
        const std::optional<QList<SurveyRow>> rows = ReadSurveyReport(path, &error);
        for (const SurveyRow &row : rows.value_or(QList<SurveyRow>{}))
            shown << QString::number(row.subscriber.number) + " " + row.subscriber.name + " " + row.result;
        return shown;
    };
    QVERIFY2(report.add(FailedRow(3, "В", "103", "Абонент не отвечает"), &error), qPrintable(error));
    QCOMPARE(onDisk(), (QStringList{"2 Б Прочитано", "1 А Номер абонента занят", "9 Д Прочитано",
                                    "3 В Абонент не отвечает"}));
    QVERIFY2(report.add(ReadRow(1, "А", "101", "Нет", "--", "1.08"), &error), qPrintable(error));
    // Г has no row yet: a crash now would leave it to the next resume.
    QCOMPARE(onDisk(), (QStringList{"2 Б Прочитано", "1 А Прочитано", "9 Д Прочитано", "3 В Абонент не отвечает"}));
    QCOMPARE(ReadSurveyReport(path, &error)->at(0).state.peerAddress, "0A:1B:2C:3D:4E:5F");
    QCOMPARE(report.rows().size(), 4);
    QCOMPARE(report.unwrittenRows().size(), 0);
}

void SurveyReportTest::hostilePreviousReports_refusedAtOnce_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason");
    QTest::newRow("endless device") << "/dev/zero" << "это не обычный файл";
    QTest::newRow("link to a device") << "link:/dev/urandom" << "это не обычный файл";
    QTest::newRow("FIFO, no writer") << "fifo" << "это не обычный файл";
    QTest::newRow("folder") << "folder" << "это не обычный файл";
    QTest::newRow("11 MB file") << "11MB" << "размер файла 11534336 байт больше 10 МБ";
}

void SurveyReportTest::hostilePreviousReports_refusedAtOnce()
{
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    const QString older = dir.filePath("survey-20261130-090000.csv");
    QVERIFY(WriteSurveyReport(older, {}, nullptr));
    QString path = dir.filePath("survey-20991231-235959.csv");
    if (kind.startsWith("/dev/"))
        path = kind;
    else
        QVERIFY(MakeHostileFile(kind, path));
    QString error;
    QVERIFY(!ReadSurveyReport(path, &error));
    QCOMPARE(error, "Не удалось прочитать отчёт об опросе " + QDir::toNativeSeparators(path) + ": " + reason);
    // Only a regular file is ever the latest report of its folder.
    QCOMPARE(LatestReport(dir.path()), kind == "11MB" ? path : older);
}

void SurveyReportTest::leftoversOfInterruptedWrites_removedAtTheNextWrite_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("ageSeconds");
    QTest::addColumn<bool>("removed");
    QTest::newRow("another report's") << "survey-20261206-080000.csv.UzBGDf" << 120 << true;
    QTest::newRow("the file's own") << "resumed.csv.KnzaPz" << 120 << true;
    QTest::newRow("a write going on now") << "survey-20261206-080000.csv.UzBGDf" << 0 << false;
    QTest::newRow("not a report's") << "notes.csv.UzBGDf" << 120 << false;
    QTest::newRow("a name someone chose") << "survey-20261206-080000.csv.backup" << 120 << false;
}

void SurveyReportTest::leftoversOfInterruptedWrites_removedAtTheNextWrite()
{
    QFETCH(QString, name);
    QFETCH(int, ageSeconds);
    QFETCH(bool, removed);
    QTemporaryDir dir;
    QFile leftover(dir.filePath(name));
    QVERIFY(leftover.open(QIODevice::WriteOnly));
    leftover.write("1;Склад;103;Прочитано");
    QVERIFY(leftover.flush()); // so that closing does not stamp it again
    QVERIFY(leftover.setFileTime(QDateTime::currentDateTime().addSecs(-ageSeconds), QFileDevice::FileModificationTime));
    leftover.close();
    QString error;
    QVERIFY2(WriteSurveyReport(dir.filePath("resumed.csv"), {FailedRow(1, "Склад", "103", "Номер абонента занят")}, &error),
             qPrintable(error));
    QCOMPARE(QFile::exists(dir.filePath(name)), !removed);
    QVERIFY(QFile::exists(dir.filePath("resumed.csv")));
}

void SurveyReportTest::changes_onlyPairPeerAndVersionOfReadRows()
{
    const SurveyRow before = ReadRow(1, "А", "101", "Есть", "0A:1B:2C:3D:4E:5F", "1.07");
    SurveyRow now = before;
    now.state.connection = "Есть";
    now.started = now.started.addDays(1);
    QVERIFY(NoChange(ChangesSince(now, &before)));
    QVERIFY(NoChange(ChangesSince(now, nullptr)));

    now.state.pair = "Нет";
    now.state.peerAddress = "--";
    now.state.version = "1.08";
    const SurveyChanges changes = ChangesSince(now, &before);
    QCOMPARE(changes.pair, std::optional<QString>("Есть"));
    QCOMPARE(changes.peerAddress, std::optional<QString>("0A:1B:2C:3D:4E:5F"));
    QCOMPARE(changes.version, std::optional<QString>("1.07"));

    // A site that failed now or then shows no change: nothing was compared.
    const SurveyRow failed = FailedRow(1, "А", "101", "Абонент не отвечает");
    QVERIFY(NoChange(ChangesSince(failed, &before)));
    QVERIFY(NoChange(ChangesSince(now, &failed)));
}

void SurveyReportTest::latestReport_byDateTimeAndCounter()
{
    QTemporaryDir dir;
    for (const char *name : {"survey-20261207-090530.csv", "survey-20261207-090530-2.csv",
                             "survey-20261206-235959-10.csv", "notes.csv", "survey-20261208-000000.txt"}) {
        QFile file(dir.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    QCOMPARE(LatestReport(dir.path()), dir.filePath("survey-20261207-090530-2.csv"));
    QCOMPARE(LatestReport(dir.path(), dir.filePath("survey-20261207-090530-2.csv")),
             dir.filePath("survey-20261207-090530.csv"));
    QCOMPARE(NewReportPath(dir.path(), QDateTime(QDate(2026, 12, 7), QTime(9, 5, 30))),
             dir.path() + "/survey-20261207-090530-3.csv");
    QCOMPARE(ReportsDirectory("/opt/tavrin/INI"), "/opt/tavrin/reports");
}

void SurveyReportTest::chooseSubscribers_data()
{
    QTest::addColumn<QString>("numbers");
    QTest::addColumn<QString>("phones");    // the phones are 101..107
    QTest::addColumn<QList<int>>("chosen"); // empty: refused
    QTest::newRow("list and range") << "1,4-6" << "" << QList<int>{1, 4, 5, 6};
    QTest::newRow("out of order, repeated, blanks") << " 6, 2 - 3,2" << "" << QList<int>{2, 3, 6};
    QTest::newRow("single") << "7" << "" << QList<int>{7};
    QTest::newRow("beyond the directory") << "1,8" << "" << QList<int>{};
    QTest::newRow("zero") << "0" << "" << QList<int>{};
    QTest::newRow("backwards range") << "5-3" << "" << QList<int>{};
    QTest::newRow("empty item") << "1,,2" << "" << QList<int>{};
    QTest::newRow("words") << "all" << "" << QList<int>{};
    QTest::newRow("phones, written freely") << "" << "1-07, (102)" << QList<int>{2, 7};
    QTest::newRow("phones and numbers, once each") << "2,3" << "103,105" << QList<int>{2, 3, 5};
    QTest::newRow("phone not in the directory") << "" << "101,108" << QList<int>{};
    QTest::newRow("empty phone item") << "" << "101,,102" << QList<int>{};
}

void SurveyReportTest::chooseSubscribers()
{
    QFETCH(QString, numbers);
    QFETCH(QString, phones);
    QFETCH(QList<int>, chosen);
    QList<SurveySubscriber> all;
    for (int number = 1; number <= 7; ++number)
        all.append({number, QString("Абонент %1").arg(number), QString::number(100 + number)});
    QList<SurveySubscriber> picked;
    QString error;
    const bool ok = ChooseSubscribers(all, numbers, phones, picked, &error);
    QCOMPARE(ok, !chosen.isEmpty());
    if (!ok) {
        QVERIFY(!error.isEmpty());
        return;
    }
    QList<int> numbersPicked;
    for (const SurveySubscriber &subscriber : picked)
        numbersPicked << subscriber.number;
    QCOMPARE(numbersPicked, chosen);
}

void SurveyReportTest::fieldsOfEachView_data()
{
    QTest::addColumn<SurveyRow>("row");
    QTest::addColumn<QStringList>("report");
    QTest::addColumn<QStringList>("window");
    QTest::newRow("read") << ReadRow(4, "А", "101", "Есть", "0A:1B:2C:3D:4E:5F", "1.07")
                          << QStringList{"4", "А", "101", "Прочитано", "Нет", "Есть", "0A:1B:2C:3D:4E:5F",
                                         "00:1A:7D:DA:71:13", "1.07", "Эксплуатационный", "2026-12-07T09:05:30", "12,3", ""}
                          << QStringList{"4", "А", "101", "Прочитано", "Нет", "Есть", "0A:1B:2C:3D:4E:5F",
                                         "00:1A:7D:DA:71:13", "1.07", "Эксплуатационный", "09:05:30", ""};
    SurveyRow network = ReadRow(5, "Г", "", "Нет", "--", "1.08");
    network.subscriber.networkAddress = " kotelnaya-7.example.ru:4001 ";
    network.subscriber.networkProtocol = Rfc2217;
    QTest::newRow("read over the network")
        << network
        << QStringList{"5", "Г", "", "Прочитано", "Нет", "Нет", "--", "00:1A:7D:DA:71:13", "1.08", "Пусконаладочный",
                       "2026-12-07T09:05:30", "12,3", "kotelnaya-7.example.ru:4001"}
        << QStringList{"5", "Г", "", "Прочитано", "Нет", "Нет", "--", "00:1A:7D:DA:71:13", "1.08", "Пусконаладочный",
                       "09:05:30", "kotelnaya-7.example.ru:4001"};
    // A failed row keeps no module value, even one left in its state.
    SurveyRow failed = FailedRow(2, "Б", "102", "Номер абонента занят");
    failed.state.version = "9.99";
    QTest::newRow("failed") << failed
                            << QStringList{"2", "Б", "102", "Номер абонента занят", "", "", "", "", "", "",
                                           "2026-12-07T09:06:00", "3,0", ""}
                            << QStringList{"2", "Б", "102", "Номер абонента занят", "", "", "", "", "", "", "09:06:00", ""};
    SurveyRow waiting;
    waiting.subscriber = {7, "В", "103"};
    QTest::newRow("subscriber only") << waiting
                                     << QStringList{"7", "В", "103", "", "", "", "", "", "", "", "", "", ""}
                                     << QStringList{"7", "В", "103", "", "", "", "", "", "", "", "", ""};
}

void SurveyReportTest::fieldsOfEachView()
{
    QFETCH(SurveyRow, row);
    QFETCH(QStringList, report);
    QFETCH(QStringList, window);
    QCOMPARE(SurveyFields(row, SurveyView::Report), report);
    QCOMPARE(SurveyFields(row, SurveyView::Window), window);
    // The captions match the fields column for column; the window names its time column.
    QCOMPARE(SurveyCaptions(SurveyView::Report).size(), report.size());
    QCOMPARE(SurveyCaptions(SurveyView::Window).size(), window.size());
    QCOMPARE(SurveyCaptions(SurveyView::Window).first(ModeColumn + 1), SurveyCaptions(SurveyView::Report).first(ModeColumn + 1));
    QCOMPARE(SurveyCaptions(SurveyView::Window)[StartedColumn], "Время");
    QCOMPARE(SurveyCaptions(SurveyView::Window).last(), "Сетевой адрес");
    QCOMPARE(SurveyCaptions(SurveyView::Report)[DurationColumn], "Длительность, с");
    QCOMPARE(SurveyCaptions(SurveyView::Report).last(), "Сетевой адрес");
}

void SurveyReportTest::clockText_data()
{
    QTest::addColumn<qint64>("seconds");
    QTest::addColumn<QString>("shown");
    QTest::newRow("zero") << qint64(0) << "00:00:00";
    QTest::newRow("minute and second") << qint64(61) << "00:01:01";
    QTest::newRow("last second of a day") << qint64(86399) << "23:59:59";
    QTest::newRow("beyond 99 hours") << qint64(100 * 3600 + 5) << "100:00:05";
    QTest::newRow("negative") << qint64(-5) << "00:00:00";
}

void SurveyReportTest::clockText()
{
    QFETCH(qint64, seconds);
    QFETCH(QString, shown);
    QCOMPARE(ClockText(seconds), shown);
}

void SurveyReportTest::timeLeft_data()
{
    QTest::addColumn<QList<double>>("ended");   // the calls ended, seconds each
    QTest::addColumn<QList<double>>("running"); // the calls in progress, seconds so far
    QTest::addColumn<int>("notStarted");
    QTest::addColumn<int>("ports");
    QTest::addColumn<qint64>("secondsLeft");
    const QList<double> none;
    // 10 sites at a silent site's 60.5 s: a bound, not "unknown".
    QTest::newRow("before any call ended") << none << none << 10 << 1 << qint64(605);
    QTest::newRow("the average of the calls ended") << QList<double>{20, 30} << none << 4 << 1 << qint64(100);
    QTest::newRow("shared among the ports") << QList<double>{20, 30} << none << 4 << 2 << qint64(50);
    QTest::newRow("a call within the average") << QList<double>{20, 30} << QList<double>{10} << 2 << 1 << qint64(65);
    QTest::newRow("a call past the average is a silent site") << QList<double>{20, 30} << QList<double>{40} << 0 << 1
                                                               << qint64(21);
    QTest::newRow("a call past a silent site's cost") << QList<double>{20} << QList<double>{70} << 1 << 1 << qint64(20);
    QTest::newRow("the longest call bounds the round") << QList<double>{20} << QList<double>{5} << 0 << 4 << qint64(15);
    QTest::newRow("an average above a silent site's cost") << QList<double>{90} << QList<double>{50} << 1 << 2
                                                           << qint64(65);
    QTest::newRow("nothing left") << QList<double>{20} << none << 0 << 1 << qint64(0);
}

void SurveyReportTest::timeLeft()
{
    QFETCH(QList<double>, ended);
    QFETCH(QList<double>, running);
    QFETCH(int, notStarted);
    QFETCH(int, ports);
    QFETCH(qint64, secondsLeft);
    QCOMPARE(EstimatedSecondsLeft({ended, running, notStarted, ports}), secondsLeft);
}

void SurveyReportTest::timeLeft_countsOnlySitesStillToCall()
{
    // Three sites: one called (20 s), one a stop left unreached; one to call.
    const SurveySubscriber modemSite{1, QStringLiteral("Щит"), QStringLiteral("101")};
    RoundTimeLeft round({modemSite, modemSite, modemSite}, 1, 8);
    round.siteStarted(0);
    round.siteFinished(0, true, 20);
    round.siteFinished(1, false, 0);
    QCOMPARE(round.secondsLeft(), qint64(20));
    round.siteFinished(2, false, 0);
    QCOMPARE(round.secondsLeft(), qint64(0));
}

void SurveyReportTest::timeLeft_modemAndNetworkSitesRunSideBySide()
{
    // One modem site and four network sites read two at once: each kind at its own pace
    // and average, and the round ends with the slower kind.
    const SurveySubscriber modemSite{1, QStringLiteral("Щит"), QStringLiteral("101")};
    const SurveySubscriber networkSite{2, QStringLiteral("Узел"), QString(), QStringLiteral("10.0.0.2:4001")};
    RoundTimeLeft round({modemSite, networkSite, networkSite, networkSite, networkSite}, 1, 2);
    QCOMPARE(round.secondsLeft(), qint64(121)); // 4 silent network sites, two at a time
    for (int index : {1, 2}) {
        round.siteStarted(index);
        round.siteFinished(index, true, 2);
    }
    QCOMPARE(round.secondsLeft(), qint64(61)); // the modem site, not yet called
    round.siteStarted(0);
    round.siteFinished(0, true, 30);
    QCOMPARE(round.secondsLeft(), qint64(2)); // two network sites of 2 s, two at a time
}

QTEST_GUILESS_MAIN(SurveyReportTest)
#include "tst_surveyreport.moc"
