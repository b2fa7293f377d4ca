// The survey window: a round filling its table, the marks against the previous survey
// (read after the window opens; hostile files refused), Esc and closing the window during
// a call, "Сохранить отчёт…" (offered when the report cannot be written), and the
// subscriber list's "Опрос…".
#include "dialogs/formabonentslist.h"
#include "dialogs/dialogwidgets.h"
#include "dialogs/formsurvey.h"
#include "dialogtest.h"
#include "support/devsim.h"
#include "support/fasttiming.h"
#include "support/hostilefile.h"
#include "support/smalldisk.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>

#include <cerrno>
#include <cstring>

using namespace tavrin;
using namespace tavrin::test;
using tavrin::testsupport::MakeHostileFile;
using tavrin::testsupport::SmallDisk;

namespace {

constexpr int kPort = 4;

Settings PhoneSettings()
{
    Settings settings;
    settings.phone.portNumber = kPort;
    settings.phone.replyWaitSeconds = 1;
    settings.connectWaitSeconds = 5;
    return settings;
}

const QList<SurveySubscriber> kChosen = {
    {1, "Котельная", "101"},
    {2, "Насосная", "102"},
    {3, "Склад", "103"},
};

SurveyRow Previous(const SurveySubscriber &subscriber, const QString &pair, const QString &peer, const QString &version)
{
    SurveyRow row;
    row.subscriber = subscriber;
    row.read = true;
    row.result = "Прочитано";
    row.state = {"Эксплуатационный", "Нет", pair, peer, "00:1A:7D:DA:71:13", version, true, false};
    row.started = QDateTime(QDate(2026, 11, 30), QTime(9, 0));
    return row;
}

QStringList Column(QTableWidget *table, int column)
{
    QStringList texts;
    for (int row = 0; row < table->rowCount(); ++row)
        texts << table->item(row, column)->text();
    return texts;
}

// Waits in the event loop, as the window's thread does, until the round has ended.
bool RoundEnds(const TFormSurvey &survey)
{
    QElapsedTimer clock;
    clock.start();
    while (survey.running() && clock.elapsed() < 60000)
        QTest::qWait(10);
    return !survey.running();
}

} // namespace

class FormSurveyTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void round_fillsTheTableWritesTheReportAndMarksChanges();
    void stopDuringACall_data();
    void stopDuringACall();
    void saveReport_writesTheTableWhereChosen();
    void savedReportPath_takesTheTypeChosen_data();
    void savedReportPath_takesTheTypeChosen();
    void previousSurvey_readAfterTheWindowOpens_data();
    void previousSurvey_readAfterTheWindowOpens();
    void reportUnwritable_rowsStayAndSaveIsOffered();
    void subscriberList_surveyButtonHandsOverTheSelectedRows();
    void twoModemsTicked_shareTheRoundAndAreRemembered();

private:
    std::unique_ptr<TFormSurvey> window(const QList<SurveySubscriber> &chosen = kChosen);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<DevSim> m_sim;
    QString m_reports;
    QStringList m_messages;
};

void FormSurveyTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_reports = m_dir->filePath("reports");
    QDir().mkpath(m_dir->filePath("com"));
    qputenv("TAVRIN_COM_DIR", m_dir->filePath("com").toLocal8Bit());
    m_sim = std::make_unique<DevSim>(m_dir->filePath("com"));
    QStringList args = FastModemArgs();
    args << "--site" << "101 paired version=1.08" << "--site" << "102 busy" << "--site" << "103 none"
         << "--site" << "104 silent";
    QVERIFY2(m_sim->start({.port = kPort, .modem = true, .extraArgs = args}), qPrintable(m_sim->errorString()));
    m_messages.clear();
}

void FormSurveyTest::cleanup()
{
    m_sim.reset();
    m_dir.reset();
}

std::unique_ptr<TFormSurvey> FormSurveyTest::window(const QList<SurveySubscriber> &chosen)
{
    auto survey = std::make_unique<TFormSurvey>(PhoneSettings(), chosen, m_reports, nullptr);
    survey->showMessage = [this](const QString &text) { m_messages << text; };
    survey->timing.link = FastTiming();
    survey->timing.settleAfterOpenMs = 5;
    survey->timing.pause = [](int ms) { Pause(ms / 50); };
    survey->show();
    return survey;
}

void FormSurveyTest::round_fillsTheTableWritesTheReportAndMarksChanges()
{
    QString error;
    QVERIFY(WriteSurveyReport(m_reports + "/survey-20261130-090000.csv",
                              {Previous(kChosen[0], "Есть", "0A:1B:2C:3D:4E:5F", "1.07"),
                               Previous(kChosen[2], "Есть", "0A:1B:2C:3D:4E:5F", "1.07")},
                              &error));
    auto survey = window();
    auto *table = Named<QTableWidget>(survey.get(), "SurveyGrid");
    auto *progress = Named<QProgressBar>(survey.get(), "SurveyProgress");
    QCOMPARE(table->rowCount(), 3);
    QCOMPARE(progress->maximum(), 3);

    // While the second site is called, its row is marked and the first is filled in.
    QStringList secondCalled;
    QTimer watch;
    connect(&watch, &QTimer::timeout, [&] {
        if (secondCalled.isEmpty() && progress->value() == 1)
            secondCalled << table->item(1, 3)->text() << table->item(0, 3)->text()
                         << (Named<QPushButton>(survey.get(), "SurveyStart")->isEnabled() ? "start on" : "start off");
    });
    watch.start(5);
    QTest::mouseClick(Named<QPushButton>(survey.get(), "SurveyStart"), Qt::LeftButton);
    // The click returns at once: the round runs on other threads.
    QVERIFY(survey->running());
    QVERIFY(RoundEnds(*survey));
    watch.stop();
    QCOMPARE(secondCalled, (QStringList{"Выполняется опрос…", "Прочитано", "start off"}));

    QVERIFY(!survey->running());
    QCOMPARE(progress->value(), 3);
    QCOMPARE(Column(table, 3), (QStringList{"Прочитано", "Номер абонента занят", "Прочитано"}));
    QCOMPARE(Column(table, 5), (QStringList{"Есть", "", "Нет"}));
    QCOMPARE(Column(table, 8), (QStringList{"1.08", "", "1.07"}));
    // Marked: the first site's version, the third site's pair and peripheral address.
    QStringList marked;
    for (int row = 0; row < 3; ++row)
        for (int column : {5, 6, 8})
            if (!table->item(row, column)->toolTip().isEmpty())
                marked << QString("%1/%2: %3").arg(row).arg(column).arg(table->item(row, column)->toolTip());
    QCOMPARE(marked.size(), 3);
    QVERIFY2(marked[0].startsWith("0/8: ") && marked[0].contains("Было: 1.07"), qPrintable(marked[0]));
    QVERIFY2(marked[1].startsWith("2/5: ") && marked[1].contains("Было: Есть"), qPrintable(marked[1]));
    QVERIFY2(marked[2].startsWith("2/6: ") && marked[2].contains("Было: 0A:1B:2C:3D:4E:5F"), qPrintable(marked[2]));
    QVERIFY(marked[0].contains("survey-20261130-090000.csv"));

    // The round is in a new report beside the previous one, its spreadsheet file beside it.
    QVERIFY(survey->reportPath().startsWith(m_reports + "/survey-"));
    QVERIFY(QFileInfo(WorkbookPath(survey->reportPath())).size() > 0);
    const std::optional<QList<SurveyRow>> rows = ReadSurveyReport(survey->reportPath(), &error);
    QVERIFY2(rows, qPrintable(error));
    QCOMPARE(rows->size(), 3);
    QVERIFY(Named<QLabel>(survey.get(), "SurveyStatus")->text().contains("Прочитано 2 из 3"));
    QCOMPARE(m_messages, QStringList{});

    // A second round compares with the first.
    const QString firstReport = QFileInfo(survey->reportPath()).fileName();
    QVERIFY(m_sim->command("site 101 paired version=1.09"));
    survey->startRound();
    QVERIFY(RoundEnds(*survey));
    QVERIFY(survey->reportPath() != m_reports + "/" + firstReport);
    const QString tip = table->item(0, 8)->toolTip();
    QVERIFY2(tip.contains("Было: 1.08") && tip.contains(firstReport), qPrintable(tip));
    QCOMPARE(table->item(2, 5)->toolTip(), QString());
}

void FormSurveyTest::stopDuringACall_data()
{
    QTest::addColumn<bool>("byClose");     // closing the window; else Esc
    QTest::addColumn<bool>("overNetwork"); // the first site is read over the network
    QTest::addColumn<bool>("athIgnored");  // the modem neither answers nor obeys ATH
    QTest::newRow("Esc") << false << false << false;
    QTest::newRow("closing the window") << true << false << false;
    QTest::newRow("Esc during a network site") << false << true << false;
    QTest::newRow("closing the window during a network site") << true << true << false;
    // Two hang-up rounds; the row and the status under the table name the port.
    QTest::newRow("Esc, ATH ignored") << false << false << true;
}

void FormSurveyTest::stopDuringACall()
{
    QFETCH(bool, byClose);
    QFETCH(bool, overNetwork);
    QFETCH(bool, athIgnored);
    if (athIgnored)
        QVERIFY(m_sim->command("ath ignored"));
    // A silent module on the simulator's TCP line: its PING waits as long as the phone's.
    DevSim networkSite(m_dir->filePath("com"));
    QVERIFY2(networkSite.start({.port = 9, .listen = true, .extraArgs = {"--control", "silent on"}}),
             qPrintable(networkSite.errorString()));
    const QString address = QStringLiteral("127.0.0.1:%1").arg(networkSite.tcpPort());
    auto survey = overNetwork ? window({{1, "Гараж", QString(), address}, {2, "Склад", QString(), address}})
                              : window({{1, "Гараж", "104"}, {2, "Склад", "103"}});
    // Network sites one after the other: the second waits for the stop.
    Named<QSpinBox>(survey.get(), "SurveyParallel")->setValue(1);
    // The silent module's PING waits for a reply when the user stops the round.
    QTimer watch;
    connect(&watch, &QTimer::timeout, [&] {
        if (!(overNetwork ? networkSite.received() : m_sim->received()).contains(overNetwork ? "PING\r" : "ATD104\rPING\r"))
            return;
        watch.stop();
        if (byClose)
            survey->close();
        else
            QTest::keyClick(survey.get(), Qt::Key_Escape);
    });
    watch.start(20);
    survey->startRound();
    QVERIFY(RoundEnds(*survey));

    const QByteArray wire = m_sim->received();
    auto *table = Named<QTableWidget>(survey.get(), "SurveyGrid");
    const QString leftOnline = QString("Модем на порту СОМ%1 не ответил на ATH и, возможно, остался на линии").arg(kPort);
    if (overNetwork) {
        // No modem was spoken to; the network site heard PING and no hang-up.
        QCOMPARE(wire, QByteArray());
        const QByteArray heard = networkSite.received();
        QVERIFY2(heard == "PING\r" || heard == "PING\rPING\r", heard.constData());
        QCOMPARE(Column(table, table->columnCount() - 1), (QStringList{address, address}));
        // A long host name may be cut in the cell: the tooltip has it whole.
        QCOMPARE(table->item(0, table->columnCount() - 1)->toolTip(), PlainToolTip(address));
    } else {
        const QByteArray hangUp = athIgnored ? "+++ath\r+++ath\r" : "+++ath\r";
        QVERIFY2(wire.endsWith("ATD104\rPING\r" + hangUp) || wire.endsWith("ATD104\rPING\rPING\r" + hangUp),
                 wire.constData());
    }
    QCOMPARE(Column(table, 3), (QStringList{athIgnored ? leftOnline : "Опрос остановлен пользователем",
                                            "Опрос остановлен пользователем"}));
    QCOMPARE(Named<QLabel>(survey.get(), "SurveyStatus")->text().endsWith("\n" + leftOnline), athIgnored);
    // Esc stops the round and leaves the window; a close waits for the hang-up, then closes.
    QCOMPARE(survey->isVisible(), !byClose);
    const std::optional<QList<SurveyRow>> rows = ReadSurveyReport(survey->reportPath(), nullptr);
    QVERIFY(rows);
    QCOMPARE(rows->size(), 2);
}

void FormSurveyTest::saveReport_writesTheTableWhereChosen()
{
    auto survey = window({kChosen[1]});
    QVERIFY(!Named<QPushButton>(survey.get(), "SurveySave")->isEnabled());
    survey->startRound();
    QVERIFY(RoundEnds(*survey));
    const QString copy = m_dir->filePath("copy.csv");
    QStringList offered;
    survey->askSavePath = [&](const QString &suggested) {
        offered << suggested;
        return copy;
    };
    QTest::mouseClick(Named<QPushButton>(survey.get(), "SurveySave"), Qt::LeftButton);
    // The spreadsheet file offered first; a name ending in ".csv" gets the CSV.
    QCOMPARE(offered, QStringList{WorkbookPath(survey->reportPath())});
    QFile saved(copy), report(survey->reportPath());
    QVERIFY(saved.open(QIODevice::ReadOnly) && report.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), report.readAll());
    // Any other name gets the spreadsheet file (a zip archive).
    survey->askSavePath = [this](const QString &) { return m_dir->filePath("copy.xlsx"); };
    QTest::mouseClick(Named<QPushButton>(survey.get(), "SurveySave"), Qt::LeftButton);
    QFile book(m_dir->filePath("copy.xlsx"));
    QVERIFY(book.open(QIODevice::ReadOnly));
    QVERIFY(book.read(4) == QByteArray("PK\x03\x04"));
    QCOMPARE(m_messages, QStringList{});

    // A place that cannot be written is told, naming the file.
    survey->askSavePath = [this](const QString &) { return m_dir->filePath("copy.csv/inside.csv"); };
    QTest::mouseClick(Named<QPushButton>(survey.get(), "SurveySave"), Qt::LeftButton);
    QCOMPARE(m_messages.size(), 1);
    QVERIFY2(m_messages[0].contains("inside.csv"), qPrintable(m_messages[0]));
}

void FormSurveyTest::savedReportPath_takesTheTypeChosen_data()
{
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<bool>("csvChosen");
    QTest::addColumn<QString>("path");
    QTest::newRow("cancelled") << "" << false << "";
    QTest::newRow("no ending, spreadsheet chosen") << "/r/отчёт" << false << "/r/отчёт.xlsx";
    QTest::newRow("no ending, CSV chosen") << "/r/отчёт" << true << "/r/отчёт.csv";
    QTest::newRow("ending typed wins") << "/r/отчёт.csv" << false << "/r/отчёт.csv";
    QTest::newRow("ending in capitals") << "/r/ОТЧЁТ.XLSX" << true << "/r/ОТЧЁТ.XLSX";
    QTest::newRow("other ending kept, type added") << "/r/отчёт.2026" << false << "/r/отчёт.2026.xlsx";
}

void FormSurveyTest::savedReportPath_takesTheTypeChosen()
{
    QFETCH(QString, chosen);
    QFETCH(bool, csvChosen);
    QFETCH(QString, path);
    QCOMPARE(SavedReportPath(chosen, csvChosen), path);
}

void FormSurveyTest::previousSurvey_readAfterTheWindowOpens_data()
{
    QTest::addColumn<QString>("newest"); // what is named as the newest report
    QTest::addColumn<QString>("refusal"); // what the status line adds; empty: the older report is used
    QTest::newRow("none: the older report") << "" << "";
    QTest::newRow("a link to a device") << "link:/dev/zero" << "";
    QTest::newRow("a FIFO") << "fifo" << "";
    QTest::newRow("11 MB") << "11MB" << "размер файла 11534336 байт больше 10 МБ";
}

void FormSurveyTest::previousSurvey_readAfterTheWindowOpens()
{
    QFETCH(QString, newest);
    QFETCH(QString, refusal);
    const QString older = m_reports + "/survey-20261130-090000.csv";
    QVERIFY(WriteSurveyReport(older, {Previous(kChosen[0], "Есть", "0A:1B:2C:3D:4E:5F", "1.07")}, nullptr));
    const QString newestPath = m_reports + "/survey-20991231-235959.csv";
    if (!newest.isEmpty())
        QVERIFY(MakeHostileFile(newest, newestPath));
    auto survey = window();
    // The table is there at once; the report is read on another thread, and comes after.
    QCOMPARE(Named<QTableWidget>(survey.get(), "SurveyGrid")->rowCount(), 3);
    QCOMPARE(survey->previousReport(), QString());
    QTRY_VERIFY(survey->previousReadDone());
    QCOMPARE(survey->previousReport(), refusal.isEmpty() ? older : QString());
    const QString status = Named<QLabel>(survey.get(), "SurveyStatus")->text();
    QVERIFY2(refusal.isEmpty() ? !status.contains("\n") : status.endsWith(QDir::toNativeSeparators(newestPath) + ": " + refusal),
             qPrintable(status));
}

void FormSurveyTest::reportUnwritable_rowsStayAndSaveIsOffered()
{
    SmallDisk disk;
    TAVRIN_REQUIRE_SMALL_DISK(disk);
    m_reports = disk.path() + "/reports";
    auto survey = window();
    auto *progress = Named<QProgressBar>(survey.get(), "SurveyProgress");
    // The disk fills once the first site is written.
    bool filled = false;
    QTimer watch;
    connect(&watch, &QTimer::timeout, [&] {
        if (!filled && progress->value() == 1)
            filled = disk.fill();
    });
    watch.start(5);
    survey->startRound();
    QVERIFY(RoundEnds(*survey));
    watch.stop();
    QVERIFY(filled);

    auto *table = Named<QTableWidget>(survey.get(), "SurveyGrid");
    QCOMPARE(Column(table, 3), (QStringList{"Прочитано", "Номер абонента занят", "Прочитано"}));
    QCOMPARE(m_messages, QStringList{"Не удалось записать отчёт об опросе в файл " + QDir::toNativeSeparators(survey->reportPath())
                                     + ": " + QString::fromLocal8Bit(std::strerror(ENOSPC))
                                     + "\rСтроки опроса остались в таблице: сохраните их кнопкой «Сохранить отчёт…»."});
    QCOMPARE(Named<QLabel>(survey.get(), "SurveyStatus")->text(),
             "Прочитано 2 из 3. Отчёт не записан: сохраните его кнопкой «Сохранить отчёт…».");
    auto *save = Named<QPushButton>(survey.get(), "SurveySave");
    QVERIFY(save->isEnabled() && save->hasFocus());
    const std::optional<QList<SurveyRow>> onDisk = ReadSurveyReport(survey->reportPath(), nullptr);
    QVERIFY(onDisk);
    QCOMPARE(onDisk->size(), 1);

    // Saved elsewhere, the table is whole.
    survey->askSavePath = [this](const QString &) { return m_dir->filePath("kept.csv"); };
    QTest::mouseClick(save, Qt::LeftButton);
    const std::optional<QList<SurveyRow>> kept = ReadSurveyReport(m_dir->filePath("kept.csv"), nullptr);
    QVERIFY(kept);
    QCOMPARE(kept->size(), 3);
}

void FormSurveyTest::subscriberList_surveyButtonHandsOverTheSelectedRows()
{
    AbonentDirectory directory = MakeDirectory({{"А", "101"}, {"Б", "102"}, {"В", "103"}}, 0);
    TFormAbonents_List list(directory, nullptr);
    QList<QList<int>> handed;
    list.openSurvey = [&handed](const QList<int> &rows) { handed << rows; };
    list.show();
    auto *grid = Named<QTableWidget>(&list, "StringGrid1");
    QTest::mouseClick(Named<QPushButton>(&list, "SurveyButton"), Qt::LeftButton);
    grid->selectRow(0);
    grid->selectionModel()->select(grid->model()->index(2, 0),
                                   QItemSelectionModel::Select | QItemSelectionModel::Rows);
    QTest::mouseClick(Named<QPushButton>(&list, "SurveyButton"), Qt::LeftButton);
    QCOMPARE(handed, (QList<QList<int>>{{0}, {0, 2}}));
}

void FormSurveyTest::twoModemsTicked_shareTheRoundAndAreRemembered()
{
    DevSim second(m_dir->filePath("com"));
    QStringList args = FastModemArgs();
    args << "--site" << "101 paired version=1.08" << "--site" << "102 busy" << "--site" << "103 none";
    QVERIFY2(second.start({.port = 8, .modem = true, .extraArgs = args}), qPrintable(second.errorString()));
    const QString ini = m_dir->filePath("bluetooth.ini");
    QFile file(ini);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[CURR_PAR]\r\nConn_Prz=1\r\n");
    file.close();

    auto survey = window();
    survey->rememberPortsIn(ini);
    auto *phonePort = Named<QCheckBox>(survey.get(), "SurveyPort4");
    QVERIFY(phonePort->isChecked() && !phonePort->isEnabled());
    auto *other = Named<QCheckBox>(survey.get(), "SurveyPort8");
    QVERIFY(!other->isChecked());
    other->click();
    QCOMPARE(survey->surveyPorts(), (QList<int>{4, 8}));
    // Kept in a section of its own, the file's other lines as they were.
    QFile kept(ini);
    QVERIFY(kept.open(QIODevice::ReadOnly));
    kept.close();
    // The network sites read at once, kept in the same section.
    auto *parallel = Named<QSpinBox>(survey.get(), "SurveyParallel");
    QCOMPARE(parallel->value(), 8);
    QCOMPARE(parallel->maximum(), 32);
    parallel->setValue(3);
    QCOMPARE(survey->parallel(), 3);
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), QByteArray("[CURR_PAR]\r\nConn_Prz=1\r\n\r\n[SURVEY]\r\nPorts=8\r\nParallel=3\r\n"));

    survey->startRound();
    QVERIFY(RoundEnds(*survey));
    const QByteArray first = m_sim->received(), wire = second.received();
    QCOMPARE(first.count("ATD") + wire.count("ATD"), 3);
    QVERIFY(first.count("ATD") >= 1 && wire.count("ATD") >= 1);
    QCOMPARE(Column(Named<QTableWidget>(survey.get(), "SurveyGrid"), 3),
             (QStringList{"Прочитано", "Номер абонента занят", "Прочитано"}));

    auto again = window();
    again->rememberPortsIn(ini);
    QVERIFY(Named<QCheckBox>(again.get(), "SurveyPort8")->isChecked());
    QCOMPARE(Named<QSpinBox>(again.get(), "SurveyParallel")->value(), 3);
}

QTEST_MAIN(FormSurveyTest)
#include "tst_formsurvey.moc"
