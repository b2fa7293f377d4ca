// The report as a user opens it: LibreOffice (headless) converts the spreadsheet file
// and the CSV, the latter imported with comma and semicolon both as separators (as the
// import dialog offers by default), into flat OpenDocument, whose cells say their type.
// Skipped with a message where LibreOffice is not installed.
#include "survey/surveyreport.h"
#include "survey/surveyworkbook.h"
#include "surveyrows.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <QXmlStreamReader>

using namespace tavrin;
using surveyrows::FailedRow;
using surveyrows::ReadRow;

namespace {

struct OfficeCell {
    QString type;  // office:value-type: "string", "float", "date", ...; empty for an empty cell
    QString value; // a number's or a date's value as stored, whatever the display
    QString text;  // as shown
};
using OfficeTable = QList<QList<OfficeCell>>;

QString ElementText(QXmlStreamReader &xml)
{
    QString text;
    const QStringView end = xml.name();
    while (!(xml.readNext() == QXmlStreamReader::EndElement && xml.name() == end) && !xml.atEnd()) {
        if (xml.isCharacters())
            text += xml.text();
        else if (xml.isStartElement() && xml.name() == u"s")
            text += QString(qMax(1, xml.attributes().value("text:c").toInt()), QLatin1Char(' '));
        else if (xml.isStartElement() && xml.name() == u"line-break")
            text += QLatin1Char('\n');
    }
    return text;
}

// The sheets of a flat OpenDocument spreadsheet by name; repeated cells spelled out,
// the empty cells at a row's end and the empty rows at a sheet's end left out.
QHash<QString, OfficeTable> ReadFods(const QString &path)
{
    QHash<QString, OfficeTable> tables;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return tables;
    QXmlStreamReader xml(&file);
    OfficeTable *table = nullptr;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.qualifiedName() == u"table:table") {
            table = &tables[xml.attributes().value("table:name").toString()];
        } else if (xml.qualifiedName() == u"table:table-row" && table) {
            table->append(QList<OfficeCell>());
        } else if ((xml.qualifiedName() == u"table:table-cell" || xml.qualifiedName() == u"table:covered-table-cell") &&
                   table && !table->isEmpty()) {
            const int repeated = qMax(1, xml.attributes().value("table:number-columns-repeated").toInt());
            const QXmlStreamAttributes attributes = xml.attributes();
            OfficeCell cell{attributes.value("office:value-type").toString(),
                            attributes.hasAttribute("office:date-value") ? attributes.value("office:date-value").toString()
                                                                         : attributes.value("office:value").toString(),
                            QString()};
            QString paragraphs;
            while (!(xml.readNext() == QXmlStreamReader::EndElement && xml.name() == u"table-cell") && !xml.atEnd()) {
                if (xml.isStartElement() && xml.name() == u"p")
                    paragraphs += (paragraphs.isEmpty() ? QString() : QStringLiteral("\n")) + ElementText(xml);
            }
            cell.text = paragraphs;
            for (int i = 0; i < qMin(repeated, 64); ++i)
                table->last().append(cell);
        }
    }
    for (OfficeTable &rows : tables) {
        for (QList<OfficeCell> &row : rows) {
            while (!row.isEmpty() && row.last().type.isEmpty() && row.last().text.isEmpty())
                row.removeLast();
        }
        while (!rows.isEmpty() && rows.last().isEmpty())
            rows.removeLast();
    }
    return tables;
}

// The names that put a row out of its columns when an import splits on commas too.
QList<SurveyRow> AwkwardRows()
{
    SurveyRow read = ReadRow(1, "Теплотрасса, узел 5", "+79221012030", "Есть", "0A:1B:2C:3D:4E:5F", "1.08");
    read.durationSeconds = 8;
    SurveyRow busy = FailedRow(2, "Котельная \"Южная\"; корпус 2", "0612345", "Номер абонента занят");
    busy.durationSeconds = 4.3;
    SurveyRow silent = FailedRow(3, "Склад", "(103)", "Сбой операции. Не выполнена команда \"PING\".");
    silent.subscriber.networkAddress = "[2001:db8::5]:4001";
    return {read, busy, silent, UnreachedRow({4, "Гараж, бокс 1", "8 (861) 555-01-04"})};
}

} // namespace

class SurveyOfficeTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void workbook_phonesComeOutAsText_data();
    void workbook_phonesComeOutAsText();
    void csv_importSplittingOnCommas_keepsEveryRowInItsColumns();

private:
    // Converts input into flat OpenDocument in m_dir/out; false with LibreOffice's words.
    bool convert(const QString &input, const QStringList &filterOptions, QString *output, QString *why);

    QString m_office;
    QTemporaryDir m_dir;
    QString m_csv;
    QString m_workbook;
};

void SurveyOfficeTest::initTestCase()
{
    for (const char *name : {"soffice", "libreoffice"}) {
        if (m_office.isEmpty())
            m_office = QStandardPaths::findExecutable(name);
    }
    if (m_office.isEmpty())
        QSKIP("LibreOffice is not installed (Debian: libreoffice-calc-nogui): the report is not opened in it");
    m_csv = m_dir.filePath("survey-20261207-090530.csv");
    m_workbook = WorkbookPath(m_csv);
    SurveyWorkbookContext context;
    context.ports = QStringList{"COM3"};
    QString error;
    QVERIFY2(WriteSurveyReport(m_csv, AwkwardRows(), &error), qPrintable(error));
    QVERIFY2(WriteSurveyWorkbook(m_workbook, AwkwardRows(), context, &error), qPrintable(error));
}

bool SurveyOfficeTest::convert(const QString &input, const QStringList &filterOptions, QString *output, QString *why)
{
    QProcess office;
    QStringList arguments{"-env:UserInstallation=" + QUrl::fromLocalFile(m_dir.filePath("profile")).toString(),
                          "--headless", "--norestore"};
    arguments << filterOptions << "--convert-to" << "fods" << "--outdir" << m_dir.filePath("out") << input;
    office.start(m_office, arguments);
    const bool finished = office.waitForFinished(180000);
    *output = m_dir.filePath("out/" + QFileInfo(input).completeBaseName() + ".fods");
    *why = QString::fromUtf8(office.readAllStandardError() + office.readAllStandardOutput());
    return finished && office.exitCode() == 0 && QFile::exists(*output);
}

void SurveyOfficeTest::workbook_phonesComeOutAsText_data()
{
    QTest::addColumn<int>("row"); // from 0, the header first
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("content"); // a text as shown, a number's or date's value as stored
    QTest::newRow("phone with a plus") << 1 << 2 << "string" << "+79221012030";
    QTest::newRow("phone with a leading zero") << 2 << 2 << "string" << "0612345";
    QTest::newRow("phone in parentheses") << 3 << 2 << "string" << "(103)";
    QTest::newRow("phone with blanks") << 4 << 2 << "string" << "8 (861) 555-01-04";
    QTest::newRow("version") << 1 << 8 << "string" << "1.08";
    QTest::newRow("name with a comma") << 1 << 1 << "string" << "Теплотрасса, узел 5";
    QTest::newRow("number") << 2 << 0 << "float" << "2";
    QTest::newRow("date and time") << 1 << 10 << "date" << "2026-12-07T09:05:30";
    QTest::newRow("duration") << 2 << 11 << "float" << "4.3";
}

void SurveyOfficeTest::workbook_phonesComeOutAsText()
{
    QFETCH(int, row);
    QFETCH(int, column);
    QFETCH(QString, type);
    QFETCH(QString, content);
    static QHash<QString, OfficeTable> sheets;
    if (sheets.isEmpty()) {
        QString output;
        QString why;
        QVERIFY2(convert(m_workbook, {}, &output, &why), qPrintable(why));
        sheets = ReadFods(output);
    }
    QVERIFY2(sheets.contains("Опрос") && sheets.contains("Итоги"), qPrintable(sheets.keys().join(", ")));
    const OfficeTable &survey = sheets["Опрос"];
    QCOMPARE(survey.size(), 5);
    const OfficeCell cell = survey.value(row).value(column);
    QCOMPARE(cell.type, type);
    QCOMPARE(type == "string" ? cell.text : cell.value, content);
}

void SurveyOfficeTest::csv_importSplittingOnCommas_keepsEveryRowInItsColumns()
{
    // Separators ";" (59) and "," (44), quote (34), UTF-8 (76), from line 1, no column
    // formats, Russian (1049).
    QString output;
    QString why;
    QVERIFY2(convert(m_csv, {"--infilter=CSV:59/44,34,76,1,,1049"}, &output, &why), qPrintable(why));
    const QHash<QString, OfficeTable> sheets = ReadFods(output);
    QCOMPARE(sheets.size(), 1);
    const OfficeTable &table = *sheets.cbegin();
    QCOMPARE(table.size(), 5);
    const QList<SurveyRow> rows = AwkwardRows();
    for (int index = 0; index < table.size(); ++index) {
        const QList<OfficeCell> &cells = table[index];
        // Every row exactly as wide as the header, or narrower by its empty tail.
        QVERIFY2(cells.size() <= 13, qPrintable(QString("row %1: %2 cells").arg(index).arg(cells.size())));
        if (index == 0) {
            QCOMPARE(cells.size(), 13);
            QCOMPARE(cells[11].text, "Длительность, с");
            QCOMPARE(cells[12].text, "Сетевой адрес");
            continue;
        }
        const SurveyRow &row = rows[index - 1];
        QCOMPARE(cells.value(1).text, row.subscriber.name);
        QCOMPARE(cells.value(3).text, row.result);
        QCOMPARE(cells.value(12).text, row.subscriber.networkAddress);
        if (row.started.isValid()) {
            QVERIFY(cells.size() >= 12);
            QCOMPARE(cells[11].type, "float"); // "8,0" whole, a number in a Russian spreadsheet
            QCOMPARE(cells[11].value.toDouble(), row.durationSeconds);
        }
    }
}

QTEST_GUILESS_MAIN(SurveyOfficeTest)
#include "tst_surveyoffice.moc"
