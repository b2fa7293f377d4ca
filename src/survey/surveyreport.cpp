#include "survey/surveyreport.h"

#include "protocol/operationtexts.h"
#include "settings/safewrite.h"
#include "settings/writeleftovers.h"
#include "survey/surveycolumns.h"
#include "survey/surveytexts.h"
#include "survey/surveyworkbook.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <chrono>

namespace tavrin {

namespace {

const QByteArray kByteOrderMark("\xEF\xBB\xBF");
const QString kReportPrefix = QStringLiteral("survey-");
const QString kReportSuffix = QStringLiteral(".csv");
const QString kWorkbookSuffix = QStringLiteral(".xlsx");
// A report is a few hundred bytes a site; a larger file is damaged or not a report.
constexpr qint64 kMaxReportBytes = 10 * 1024 * 1024;
// A younger temporary file may be another round's write in progress.
constexpr std::chrono::seconds kLeftoverAge{60};

// A report's path without its ".csv" or ".xlsx", in any case of letters.
QString ReportStem(const QString &path)
{
    for (const QString &suffix : {kReportSuffix, kWorkbookSuffix}) {
        if (path.endsWith(suffix, Qt::CaseInsensitive) && path.size() > suffix.size())
            return path.left(path.size() - suffix.size());
    }
    return path;
}

// A comma is quoted too: an import that splits on commas as well as on ";" (as
// LibreOffice's does by default) then keeps "8,0" and "Теплотрасса, узел 5" whole.
QString Quoted(const QString &field)
{
    static const QRegularExpression special(QStringLiteral("[;,\"\r\n]"));
    if (!field.contains(special))
        return field;
    QString quoted = field;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString Line(const QStringList &fields)
{
    QStringList quoted;
    for (const QString &field : fields)
        quoted << Quoted(field);
    return quoted.join(QLatin1Char(';')) + QStringLiteral("\r\n");
}

// Splits text into records of fields; a quoted field may hold ";", quotes and line
// breaks. False when a quoted field is not closed.
bool Records(const QString &text, QList<QStringList> &records)
{
    QStringList fields;
    QString field;
    bool quoted = false;
    bool any = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == QLatin1Char('"') && i + 1 < text.size() && text[i + 1] == QLatin1Char('"')) {
                field += c;
                ++i;
            } else if (c == QLatin1Char('"')) {
                quoted = false;
            } else {
                field += c;
            }
            continue;
        }
        if (c == QLatin1Char('"') && field.isEmpty()) {
            quoted = true;
            any = true;
        } else if (c == QLatin1Char(';')) {
            fields << field;
            field.clear();
            any = true;
        } else if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            if (c == QLatin1Char('\r') && i + 1 < text.size() && text[i + 1] == QLatin1Char('\n'))
                ++i;
            if (any || !field.isEmpty()) {
                fields << field;
                records << fields;
            }
            fields.clear();
            field.clear();
            any = false;
        } else {
            field += c;
            any = true;
        }
    }
    if (quoted)
        return false;
    if (any || !field.isEmpty()) {
        fields << field;
        records << fields;
    }
    return true;
}

bool SameSubscriberAs(const SurveySubscriber &one, const SurveySubscriber &other)
{
    return one.name == other.name && one.phone == other.phone;
}

const SurveySubscriber *ChosenAs(const QList<SurveySubscriber> &chosen, const SurveySubscriber &subscriber)
{
    for (const SurveySubscriber &one : chosen) {
        if (SameSubscriberAs(one, subscriber))
            return &one;
    }
    return nullptr;
}

} // namespace

QString SurveyReportText(const QList<SurveyRow> &rows)
{
    QString text = Line(SurveyCaptions(SurveyView::Report));
    for (const SurveyRow &row : rows)
        text += Line(SurveyFields(row, SurveyView::Report));
    return text;
}

QByteArray SurveyReportBytes(const QList<SurveyRow> &rows)
{
    return kByteOrderMark + SurveyReportText(rows).toUtf8();
}

bool ParseSurveyReport(const QByteArray &bytes, QList<SurveyRow> &rows, QString *error)
{
    const auto fail = [error](const QString &text) {
        if (error)
            *error = text;
        return false;
    };
    QByteArray body = bytes;
    if (body.startsWith(kByteOrderMark))
        body.remove(0, kByteOrderMark.size());
    QList<QStringList> records;
    if (!Records(QString::fromUtf8(body), records) || records.isEmpty())
        return fail(surveytext::ReportLineBroken(1));
    // A report written before the network address had a column lacks only that one.
    const QStringList &header = SurveyCaptions(SurveyView::Report);
    const qsizetype columns = records.first() == header                                      ? ReportColumnCount
                              : records.first() == header.first(kReportColumnsBeforeNetwork) ? kReportColumnsBeforeNetwork
                                                                                             : 0;
    if (columns == 0)
        return fail(surveytext::ReportLineBroken(1));
    rows.clear();
    for (qsizetype index = 1; index < records.size(); ++index) {
        const QStringList &fields = records[index];
        bool numbered = false;
        SurveyRow row;
        row.subscriber.number = fields.value(NumberColumn).toInt(&numbered);
        if (fields.size() != columns || !numbered)
            return fail(surveytext::ReportLineBroken(int(index) + 1));
        row.subscriber.name = fields[NameColumn];
        row.subscriber.phone = fields[PhoneColumn];
        row.subscriber.networkAddress = fields.value(NetworkAddressColumn);
        row.result = fields[ResultColumn];
        row.read = surveytext::SaysRead(row.result);
        if (row.read) {
            row.state.connection = fields[ConnectionColumn];
            row.state.pair = fields[PairColumn];
            row.state.peerAddress = fields[PeerAddressColumn];
            row.state.ownAddress = fields[OwnAddressColumn];
            row.state.version = fields[VersionColumn];
            row.state.mode = fields[ModeColumn];
            row.state.pairExists = row.state.mode == operationtext::Operational;
        }
        row.started = QDateTime::fromString(fields[StartedColumn], kReportTimeFormat);
        QString duration = fields[DurationColumn];
        row.durationSeconds = duration.replace(QLatin1Char(','), QLatin1Char('.')).toDouble();
        rows << row;
    }
    return true;
}

namespace {

// Writes bytes to path whole or not at all; creates the folder and removes there what
// interrupted writes of reports (CSV or spreadsheet) left.
bool WriteReportBytes(const QString &path, const QByteArray &bytes, QString *error)
{
    const auto fail = [&path, error](const QString &reason) {
        if (error)
            *error = surveytext::ReportNotWritten(path, reason);
        return false;
    };
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder))
        return fail(surveytext::FolderNotCreated(folder));
    removeStaleWriteLeftovers(folder,
                              {QFileInfo(path).fileName(), kReportPrefix + u'*' + kReportSuffix,
                               kReportPrefix + u'*' + kWorkbookSuffix},
                              kLeftoverAge);
    QString reason;
    return WriteFileSafely(path, bytes, &reason) || fail(reason);
}

} // namespace

bool WriteSurveyReport(const QString &path, const QList<SurveyRow> &rows, QString *error)
{
    return WriteReportBytes(path, SurveyReportBytes(rows), error);
}

bool WriteSurveyWorkbook(const QString &path, const QList<SurveyRow> &rows, const SurveyWorkbookContext &context,
                         QString *error)
{
    QString reason;
    const QByteArray bytes = SurveyWorkbookBytes(rows, context, &reason);
    if (bytes.isEmpty()) {
        if (error)
            *error = surveytext::ReportNotWritten(path, reason);
        return false;
    }
    return WriteReportBytes(path, bytes, error);
}

QString WorkbookPath(const QString &reportPath)
{
    return ReportStem(reportPath) + kWorkbookSuffix;
}

QString ReportPathFor(const QString &given)
{
    return ReportStem(given) + kReportSuffix;
}

std::optional<QList<SurveyRow>> ReadSurveyReport(const QString &path, QString *error)
{
    const auto fail = [&path, error](const QString &reason) {
        if (error)
            *error = surveytext::ReportNotRead(path, reason);
        return std::nullopt;
    };
    // Opening a FIFO would wait for a writer, and a device never ends.
    const QFileInfo info(path);
    if (info.exists() && !info.isFile())
        return fail(surveytext::NotARegularFile);
    if (info.size() > kMaxReportBytes)
        return fail(surveytext::ReportTooLarge(info.size()));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(file.errorString());
    // One byte over the limit tells a file that grew since.
    const QByteArray bytes = file.read(kMaxReportBytes + 1);
    if (file.error() != QFileDevice::NoError)
        return fail(file.errorString());
    if (bytes.size() > kMaxReportBytes)
        return fail(surveytext::ReportTooLarge(file.size()));
    QList<SurveyRow> rows;
    QString reason;
    if (!ParseSurveyReport(bytes, rows, &reason))
        return fail(reason);
    return rows;
}

QString ReportsDirectory(const QString &iniDirectory)
{
    return QDir::cleanPath(QFileInfo(iniDirectory).absolutePath() + QStringLiteral("/reports"));
}

QString NewReportPath(const QString &folder, const QDateTime &when)
{
    const QString stem = folder + QLatin1Char('/') + kReportPrefix + when.toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString path = stem + kReportSuffix;
    for (int counter = 2; QFileInfo::exists(path); ++counter)
        path = stem + QStringLiteral("-%1").arg(counter) + kReportSuffix;
    return path;
}

QString LatestReport(const QString &folder, const QString &except)
{
    const QDir dir(folder);
    // A name's date and time, then the counter of a later round in the same second.
    const auto order = [](const QString &name) {
        const QString stem = name.mid(kReportPrefix.size(), name.size() - kReportPrefix.size() - kReportSuffix.size());
        const qsizetype counterMark = stem.indexOf(QLatin1Char('-'), 9);
        return std::pair(stem.left(counterMark), counterMark < 0 ? 1 : stem.mid(counterMark + 1).toInt());
    };
    const QString skipped = except.isEmpty() ? QString() : QFileInfo(except).absoluteFilePath();
    QString latest;
    std::pair<QString, int> latestOrder;
    for (const QString &name : dir.entryList({kReportPrefix + QStringLiteral("*") + kReportSuffix}, QDir::Files)) {
        const QString path = dir.absoluteFilePath(name);
        if (path == skipped || (!latest.isEmpty() && order(name) <= latestOrder) || !QFileInfo(path).isFile())
            continue;
        latest = path;
        latestOrder = order(name);
    }
    return latest;
}

const SurveyRow *SameSubscriber(const QList<SurveyRow> &rows, const SurveySubscriber &subscriber)
{
    for (const SurveyRow &row : rows) {
        if (SameSubscriberAs(row.subscriber, subscriber))
            return &row;
    }
    return nullptr;
}

SurveyChanges ChangesSince(const SurveyRow &now, const SurveyRow *before)
{
    SurveyChanges changes;
    if (!before || !now.read || !before->read)
        return changes;
    if (now.state.pair != before->state.pair)
        changes.pair = before->state.pair;
    if (now.state.peerAddress != before->state.peerAddress)
        changes.peerAddress = before->state.peerAddress;
    if (now.state.version != before->state.version)
        changes.version = before->state.version;
    return changes;
}

QList<SurveySubscriber> NotYetRead(const QList<SurveySubscriber> &chosen, const QList<SurveyRow> &earlier)
{
    QList<SurveySubscriber> left;
    for (const SurveySubscriber &subscriber : chosen) {
        const SurveyRow *row = SameSubscriber(earlier, subscriber);
        if (!row || !row->read)
            left << subscriber;
    }
    return left;
}

} // namespace tavrin

namespace tavrin {

SurveyReportFile::SurveyReportFile(const QString &path, const QList<SurveySubscriber> &chosen,
                                   const QList<SurveyRow> &earlier, const SurveyWorkbookContext &workbook)
    : m_path(path), m_chosen(chosen), m_earlier(earlier), m_workbook(workbook)
{
}

bool SurveyReportFile::add(const SurveyRow &row, QString *error)
{
    QMutexLocker lock(&m_mutex);
    m_round << row;
    m_unwritten << row;
    return writeLocked(error);
}

bool SurveyReportFile::write(QString *error)
{
    QMutexLocker lock(&m_mutex);
    return writeLocked(error);
}

void SurveyReportFile::setWorkbookContext(const SurveyWorkbookContext &workbook)
{
    QMutexLocker lock(&m_mutex);
    m_workbook = workbook;
}

// The CSV first: it is what a resumed round and the next survey read, so once it is
// written no row is missing from the disk, whatever happens to the spreadsheet file.
bool SurveyReportFile::writeLocked(QString *error)
{
    const QList<SurveyRow> rows = rowsLocked();
    if (!WriteSurveyReport(m_path, rows, error))
        return false;
    m_unwritten.clear();
    return WriteSurveyWorkbook(WorkbookPath(m_path), rows, m_workbook, error);
}

QList<SurveyRow> SurveyReportFile::rows() const
{
    QMutexLocker lock(&m_mutex);
    return rowsLocked();
}

QList<SurveyRow> SurveyReportFile::unwrittenRows() const
{
    QMutexLocker lock(&m_mutex);
    return m_unwritten;
}

QList<SurveyRow> SurveyReportFile::rowsLocked() const
{
    // The earlier rows in their order, each replaced by this round's row of its
    // subscriber once there is one; then the chosen subscribers the earlier report had
    // not, as their rows come.
    QList<SurveyRow> rows;
    for (const SurveyRow &before : m_earlier) {
        if (const SurveyRow *now = SameSubscriber(m_round, before.subscriber)) {
            rows << *now;
            continue;
        }
        SurveyRow kept = before;
        if (const SurveySubscriber *chosen = ChosenAs(m_chosen, before.subscriber))
            kept.subscriber.number = chosen->number;
        rows << kept;
    }
    for (const SurveySubscriber &subscriber : m_chosen) {
        if (SameSubscriber(m_earlier, subscriber))
            continue;
        if (const SurveyRow *now = SameSubscriber(m_round, subscriber))
            rows << *now;
    }
    return rows;
}

} // namespace tavrin
