// The report's spreadsheet file as an independent reader (openpyxl) reads it back: the
// cells' types, values, number formats, fills and notes, the sheet's frozen header,
// filter and column widths; the survey's rows on "Опрос" and its totals on "Итоги". The
// spreadsheet library is loaded by the first book, not at start.
#include "survey/surveyreport.h"
#include "survey/surveyworkbook.h"
#include "survey/xlsxfile.h"
#include "support/loadedlibraries.h"
#include "surveyrows.h"
#include "xlsxreader.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace tavrin;
using tavrin::test::LibraryLoaded;
using surveyrows::FailedRow;
using surveyrows::ReadRow;

namespace {

// Writes sheets to a file in dir and reads it back.
QJsonObject WrittenAndRead(const QList<Sheet> &sheets, const QTemporaryDir &dir, QString *why)
{
    QString error;
    const QByteArray bytes = XlsxBytes(sheets, &error);
    if (bytes.isEmpty()) {
        *why = error;
        return {};
    }
    QFile file(dir.filePath("book.xlsx"));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return {};
    file.close();
    QJsonObject book;
    const xlsxreader::Outcome outcome = xlsxreader::ReadXlsx(file.fileName(), book, why);
    if (outcome == xlsxreader::Outcome::ReaderMissing)
        why->prepend("SKIP ");
    return outcome == xlsxreader::Outcome::Read ? book : QJsonObject();
}

// A book written and read back once for every row of a table: the reader takes a while.
struct ReadOnce {
    bool done = false;
    QJsonObject book;
    QString why; // "SKIP ..." when the reader is missing
    QTemporaryDir dir;

    const QJsonObject &of(const QList<Sheet> &sheets)
    {
        if (!done)
            book = WrittenAndRead(sheets, dir, &why);
        done = true;
        return book;
    }
};

#define SKIP_OR_FAIL_UNREAD(memo)                                                                   \
    do {                                                                                           \
        if ((memo).why.startsWith("SKIP "))                                                        \
            QSKIP(qPrintable((memo).why.mid(5)));                                                  \
        QVERIFY2(!(memo).book.isEmpty(), qPrintable((memo).why));                                  \
    } while (false)

SheetCell Marked(SheetCell cell, quint32 fill, const QString &comment)
{
    cell.fill = fill;
    cell.comment = comment;
    return cell;
}

} // namespace

class SurveyWorkbookTest : public QObject {
    Q_OBJECT
private slots:
    void firstBook_loadsTheSpreadsheetLibraryThen();
    void cells_readBackTyped_data();
    void cells_readBackTyped();
    void sheet_headerFrozenFilteredAndColumnsFitted();
    void badSheetName_refusedWithAReason();
    void survey_cellsTypedAndChangesMarked_data();
    void survey_cellsTypedAndChangesMarked();
    void survey_withoutPreviousSurvey_nothingMarked();
    void reportFile_writesBothFilesAfterEverySite();

private:
    QList<SheetCell> m_cells; // the rows of cells_readBackTyped, A2 down
    ReadOnce m_cellsBook;
    ReadOnce m_roundBook;
};

void SurveyWorkbookTest::firstBook_loadsTheSpreadsheetLibraryThen()
{
    // Not linked, so not loaded at a program's start; the first book loads it and is made.
    QVERIFY(!LibraryLoaded("libxlsxwriter"));
    QString error;
    const QByteArray bytes = XlsxBytes({Sheet{QStringLiteral("Лист"), {{SheetCell::Text(QStringLiteral("ячейка"))}}}}, &error);
    QVERIFY2(bytes.startsWith("PK"), qPrintable(error)); // a zip, as every .xlsx is
    QVERIFY(LibraryLoaded("libxlsxwriter"));
}

void SurveyWorkbookTest::cells_readBackTyped_data()
{
    QTest::addColumn<int>("row"); // of the sheet written once with every row's cell
    QTest::addColumn<QString>("type");   // openpyxl's: s text, n number, d date; empty: no cell
    QTest::addColumn<QVariant>("value"); // as openpyxl gives it (a date in ISO form)
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("fill");
    QTest::addColumn<QString>("comment");

    m_cells.clear();
    // The cell goes to the sheet's next row; the row's number to the table.
    const auto cellRow = [this](const char *name, const SheetCell &cell) -> QTestData & {
        m_cells << cell;
        return QTest::newRow(name) << int(m_cells.size()) + 1;
    };
    const QString orange = "FFFFD6AA";
    const QString note = "Было: 1.07 (survey-20261206-020000.csv)";
    cellRow("phone with a plus", SheetCell::Text("+79221012030")) << "s" << QVariant("+79221012030") << "@" << "" << "";
    cellRow("phone with a leading zero", SheetCell::Text("0612345")) << "s" << QVariant("0612345") << "@" << "" << "";
    cellRow("phone in parentheses", SheetCell::Text("(103)")) << "s" << QVariant("(103)") << "@" << "" << "";
    cellRow("version", SheetCell::Text("1.07")) << "s" << QVariant("1.07") << "@" << "" << "";
    cellRow("MAC address", SheetCell::Text("0A:1B:2C:3D:4E:5F")) << "s" << QVariant("0A:1B:2C:3D:4E:5F") << "@" << "" << "";
    cellRow("formula-like name stays text", SheetCell::Text("=1+1")) << "s" << QVariant("=1+1") << "@" << "" << "";
    cellRow("Cyrillic, quotes, comma", SheetCell::Text("Котельная \"Южная\", узел 5"))
        << "s" << QVariant("Котельная \"Южная\", узел 5") << "@" << "" << "";
    cellRow("two lines", SheetCell::Text("строка 1\nстрока 2")) << "s" << QVariant("строка 1\nстрока 2") << "@" << "" << "";
    cellRow("control character shown as such", SheetCell::Text("узел\x01 5")) << "s" << QVariant("узел\uFFFD 5") << "@" << "" << "";
    cellRow("CR LF as one line break", SheetCell::Text("строка 1\r\nстрока 2\rстрока 3"))
        << "s" << QVariant("строка 1\nстрока 2\nстрока 3") << "@" << "" << "";
    cellRow("duration, one decimal", SheetCell::Number(8, 1)) << "n" << QVariant(8) << "0.0" << "" << "";
    cellRow("duration keeps its digits", SheetCell::Number(12.34, 1)) << "n" << QVariant(12.34) << "0.0" << "" << "";
    cellRow("number as it comes", SheetCell::Number(7)) << "n" << QVariant(7) << "General" << "" << "";
    cellRow("date and time", SheetCell::DateTime(QDateTime(QDate(2026, 12, 7), QTime(9, 5, 30))))
        << "d" << QVariant("2026-12-07T09:05:30") << "dd.mm.yyyy hh:mm:ss" << "" << "";
    cellRow("no date: no cell", SheetCell::DateTime(QDateTime())) << "" << QVariant() << "" << "" << "";
    cellRow("empty text: no cell", SheetCell::Text("")) << "" << QVariant() << "" << "" << "";
    cellRow("changed value: fill and note", Marked(SheetCell::Text("1.08"), 0xFFD6AA, note))
        << "s" << QVariant("1.08") << "@" << orange << note;
    cellRow("emptied value keeps its mark", Marked(SheetCell::Text(""), 0xFFD6AA, note))
        << "n" << QVariant() << "@" << orange << note;
}

void SurveyWorkbookTest::cells_readBackTyped()
{
    QFETCH(int, row);
    QFETCH(QString, type);
    QFETCH(QVariant, value);
    QFETCH(QString, format);
    QFETCH(QString, fill);
    QFETCH(QString, comment);
    QList<QList<SheetCell>> rows{{SheetCell::Text("Заголовок")}};
    for (const SheetCell &cell : m_cells)
        rows << QList<SheetCell>{cell};
    const QJsonObject &book = m_cellsBook.of({Sheet{"Лист", rows, 1, false}});
    SKIP_OR_FAIL_UNREAD(m_cellsBook);
    const QJsonObject read = xlsxreader::Cell(xlsxreader::Sheet(book, "Лист"), QString("A%1").arg(row));
    if (type.isEmpty() && fill.isEmpty()) {
        QVERIFY2(read.isEmpty(), qPrintable(QJsonDocument(read).toJson()));
        return;
    }
    QCOMPARE(read["type"].toString(), type);
    if (value.isValid())
        QCOMPARE(read["value"].toVariant(), value);
    else
        QVERIFY(read["value"].isNull());
    QCOMPARE(read["format"].toString(), format);
    QCOMPARE(read["fill"].toString(), fill);
    QCOMPARE(read["comment"].toString(), comment);
    QVERIFY(!read["bold"].toBool());
}

void SurveyWorkbookTest::sheet_headerFrozenFilteredAndColumnsFitted()
{
    Sheet sheet;
    sheet.name = "Опрос";
    sheet.headerRows = 1;
    sheet.autoFilter = true;
    sheet.rows = {
        {SheetCell::Text("№"), SheetCell::Text("МАС-адрес периферийного устройства"), SheetCell::Text("Результат")},
        {SheetCell::Number(1), SheetCell::Text("0A:1B:2C:3D:4E:5F"), SheetCell::Text("Прочитано")},
        {SheetCell::Number(2), SheetCell::Text(""), SheetCell::Text(QString(200, QChar(u'ж')))},
    };
    Sheet second{"Итоги", {{SheetCell::Text("Всего"), SheetCell::Number(2)}}, 0, false};
    ReadOnce once;
    const QJsonObject &book = once.of({sheet, second});
    SKIP_OR_FAIL_UNREAD(once);
    QCOMPARE(xlsxreader::SheetNames(book), (QStringList{"Опрос", "Итоги"}));
    const QJsonObject read = xlsxreader::Sheet(book, "Опрос");
    QCOMPARE(read["freeze"].toString(), "A2");
    QCOMPARE(read["filter"].toString(), "A1:C3");
    for (const char *header : {"A1", "B1", "C1"})
        QVERIFY2(xlsxreader::Cell(read, header)["bold"].toBool(), header);
    QVERIFY(!xlsxreader::Cell(read, "B2")["bold"].toBool());

    const QJsonObject widths = read["widths"].toObject();
    // The address whole; the caption wraps at its blanks, so it does not widen the column.
    QVERIFY2(widths["B"].toDouble() >= 17 && widths["B"].toDouble() < 30, qPrintable(QString::number(widths["B"].toDouble())));
    QVERIFY(widths["A"].toDouble() >= 1 && widths["A"].toDouble() < widths["B"].toDouble());
    QVERIFY(widths["C"].toDouble() >= 80 && widths["C"].toDouble() < 81); // no wider than a screen
    // Three lines of caption: "МАС-адрес", "периферийного", "устройства".
    QCOMPARE(read["heights"].toObject()["1"].toDouble(), 45.0);

    const QJsonObject totals = xlsxreader::Sheet(book, "Итоги");
    QVERIFY(totals["freeze"].isNull());
    QVERIFY(totals["filter"].isNull());
}

void SurveyWorkbookTest::badSheetName_refusedWithAReason()
{
    QString error;
    QVERIFY(XlsxBytes({Sheet{"Лист [1]", {}, 0, false}}, &error).isEmpty());
    QVERIFY(!error.isEmpty());
}

namespace {

// A round of six sites through two modems: one read whose version and peripheral
// changed since the previous survey, two busy, one not answering, one silent, one a
// stop left unreached.
QList<SurveyRow> RoundRows()
{
    SurveyRow silent = FailedRow(5, "Насосная", "8 (861) 555-01-05", "Сбой операции. Не выполнена команда \"PING\".");
    silent.started = QDateTime(QDate(2026, 12, 7), QTime(9, 8, 0));
    silent.durationSeconds = 61.5;
    return {
        ReadRow(1, "Теплотрасса, узел 5", "+79221012030", "Есть", "0A:1B:2C:3D:4E:5F", "1.08"),
        FailedRow(2, "Склад", "0612345", "Номер абонента занят"),
        FailedRow(3, "Котельная \"Южная\"", "(103)", "Абонент не отвечает"),
        FailedRow(4, "Ёлка №2", "104", "Номер абонента занят"),
        silent,
        UnreachedRow({6, "Гараж", "106"}),
    };
}

SurveyWorkbookContext RoundContext()
{
    SurveyWorkbookContext context;
    context.ports = QStringList{"COM3", "COM4"};
    context.previousName = "survey-20261206-020000.csv";
    context.previousRows = {ReadRow(7, "Теплотрасса, узел 5", "+79221012030", "Есть", "11:22:33:44:55:66", "1.07"),
                            ReadRow(2, "Склад", "0612345", "Нет", "--", "1.07")};
    return context;
}

} // namespace

void SurveyWorkbookTest::survey_cellsTypedAndChangesMarked_data()
{
    QTest::addColumn<QString>("sheet");
    QTest::addColumn<QString>("reference");
    QTest::addColumn<QString>("type"); // empty: no cell there
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("fill");
    QTest::addColumn<QString>("comment");
    const QString orange = "FFFFD6AA";
    const auto row = [](const char *name, const char *reference, const char *type, const QVariant &value,
                        const QString &fill = {}, const QString &comment = {}) {
        QTest::newRow(name) << QString(reference).section('!', 0, 0) << QString(reference).section('!', 1) << type
                            << value << fill << comment;
    };
    row("header", "Опрос!L1", "s", "Длительность, с");
    row("number", "Опрос!A2", "n", 1);
    row("name with a comma", "Опрос!B2", "s", "Теплотрасса, узел 5");
    row("phone with a plus is text", "Опрос!C2", "s", "+79221012030");
    row("phone with a leading zero is text", "Опрос!C3", "s", "0612345");
    row("phone in parentheses is text", "Опрос!C4", "s", "(103)");
    row("result", "Опрос!D6", "s", "Сбой операции. Не выполнена команда \"PING\".");
    row("pair unchanged", "Опрос!F2", "s", "Есть");
    row("peripheral changed", "Опрос!G2", "s", "0A:1B:2C:3D:4E:5F", orange, "Было: 11:22:33:44:55:66 (survey-20261206-020000.csv)");
    row("own address is text", "Опрос!H2", "s", "00:1A:7D:DA:71:13");
    row("version changed", "Опрос!I2", "s", "1.08", orange, "Было: 1.07 (survey-20261206-020000.csv)");
    row("not read: no state, no mark", "Опрос!I3", "", QVariant());
    row("date and time", "Опрос!K2", "d", "2026-12-07T09:05:30");
    row("duration is a number", "Опрос!L2", "n", 12.34);
    row("busy site's duration", "Опрос!L3", "n", 3);
    row("unreached: no date", "Опрос!K7", "", QVariant());
    row("unreached: no duration", "Опрос!L7", "", QVariant());
    row("start", "Итоги!B1", "d", "2026-12-07T09:05:30");
    row("end: the silent site's, whole seconds", "Итоги!B2", "d", "2026-12-07T09:09:01");
    row("ports", "Итоги!B3", "s", "COM3, COM4");
    row("previous survey", "Итоги!B4", "s", "survey-20261206-020000.csv");
    row("counts caption", "Итоги!B6", "s", "Объектов");
    row("read", "Итоги!A7", "s", "Прочитано");
    row("read count", "Итоги!B7", "n", 1);
    row("busy", "Итоги!A8", "s", "Номер абонента занят");
    row("busy count", "Итоги!B8", "n", 2);
    row("no answer", "Итоги!A9", "s", "Абонент не отвечает");
    row("no answer count", "Итоги!B9", "n", 1);
    row("silent count", "Итоги!B10", "n", 1);
    row("stopped", "Итоги!A11", "s", "Опрос остановлен пользователем");
    row("stopped count", "Итоги!B11", "n", 1);
    row("total", "Итоги!B12", "n", 6);
    row("changes caption", "Итоги!A14", "s", "Изменения с предыдущего опроса");
    row("first change's column", "Итоги!D16", "s", "МАС-адрес периферийного устройства");
    row("first change was", "Итоги!E16", "s", "11:22:33:44:55:66");
    row("first change now", "Итоги!F16", "s", "0A:1B:2C:3D:4E:5F");
    row("second change", "Итоги!D17", "s", "Версия модуля");
    row("second change's site", "Итоги!A17", "s", "Теплотрасса, узел 5");
    row("second change's number", "Итоги!B17", "n", 1);
    row("nothing after the changes", "Итоги!A18", "", QVariant());
}

void SurveyWorkbookTest::survey_cellsTypedAndChangesMarked()
{
    QFETCH(QString, sheet);
    QFETCH(QString, reference);
    QFETCH(QString, type);
    QFETCH(QVariant, value);
    QFETCH(QString, fill);
    QFETCH(QString, comment);
    const QJsonObject &book = m_roundBook.of(SurveySheets(RoundRows(), RoundContext()));
    SKIP_OR_FAIL_UNREAD(m_roundBook);
    const QJsonObject cell = xlsxreader::Cell(xlsxreader::Sheet(book, sheet), reference);
    if (type.isEmpty()) {
        QVERIFY2(cell.isEmpty(), qPrintable(QJsonDocument(cell).toJson()));
        return;
    }
    QCOMPARE(cell["type"].toString(), type);
    QCOMPARE(cell["value"].toVariant(), value);
    QCOMPARE(cell["fill"].toString(), fill);
    QCOMPARE(cell["comment"].toString(), comment);
}

void SurveyWorkbookTest::survey_withoutPreviousSurvey_nothingMarked()
{
    SurveyWorkbookContext context;
    context.ports = QStringList{"COM1"};
    ReadOnce once;
    const QJsonObject &book = once.of(SurveySheets(RoundRows(), context));
    SKIP_OR_FAIL_UNREAD(once);
    QCOMPARE(xlsxreader::SheetNames(book), (QStringList{"Опрос", "Итоги"}));
    const QJsonObject survey = xlsxreader::Sheet(book, "Опрос");
    QCOMPARE(survey["freeze"].toString(), "A2");
    QCOMPARE(survey["filter"].toString(), "A1:M7");
    for (const QJsonValue &cell : survey["cells"].toObject()) {
        QVERIFY(cell["fill"].isNull());
        QVERIFY(cell["comment"].isNull());
    }
    const QJsonObject totals = xlsxreader::Sheet(book, "Итоги");
    QCOMPARE(xlsxreader::Cell(totals, "B4")["value"].toString(), "нет");
    QCOMPARE(xlsxreader::Cell(totals, "A15")["value"].toString(), "Предыдущий опрос: нет");
}

void SurveyWorkbookTest::reportFile_writesBothFilesAfterEverySite()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("reports/survey-20261207-090530.csv");
    const QList<SurveyRow> rows = RoundRows();
    QList<SurveySubscriber> chosen;
    for (const SurveyRow &row : rows)
        chosen << row.subscriber;
    SurveyReportFile report(path, chosen, {}, RoundContext());
    QString error;
    QVERIFY2(report.add(rows[1], &error), qPrintable(error));
    QVERIFY2(report.add(rows[0], &error), qPrintable(error));
    QVERIFY(QFile::exists(path));
    const QString workbook = dir.filePath("reports/survey-20261207-090530.xlsx");
    QCOMPARE(WorkbookPath(path), workbook);
    QJsonObject book;
    READ_XLSX_OR_SKIP(workbook, book);
    // The two sites so far, in the chosen order, the change marked.
    const QJsonObject survey = xlsxreader::Sheet(book, "Опрос");
    QCOMPARE(xlsxreader::Cell(survey, "C2")["value"].toString(), "+79221012030");
    QCOMPARE(xlsxreader::Cell(survey, "I2")["fill"].toString(), "FFFFD6AA");
    QCOMPARE(xlsxreader::Cell(survey, "C3")["value"].toString(), "0612345");
    QVERIFY(xlsxreader::Cell(survey, "A4").isEmpty());
    QCOMPARE(xlsxreader::Cell(xlsxreader::Sheet(book, "Итоги"), "B9")["value"].toInt(), 2); // "Всего"
}

QTEST_GUILESS_MAIN(SurveyWorkbookTest)
#include "tst_surveyworkbook.moc"
