#pragma once

#include "survey/surveyrow.h"
#include "survey/surveyworkbook.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QMutex>
#include <QString>

#include <optional>

namespace tavrin {

// The report of a survey for a Russian spreadsheet: UTF-8 with a byte-order mark, ";"
// between fields, a field quoted when it holds ";", a comma, a quote or a line break
// (its quotes doubled), CR LF after every line; the header, then the rows in the order
// given. Reports written before commas were quoted read back the same.
QByteArray SurveyReportBytes(const QList<SurveyRow> &rows);
// The same lines without the mark, as text.
QString SurveyReportText(const QList<SurveyRow> &rows);

// Reads a report back. False with the reason in *error when it is not one. A row is
// read when its "Результат" says so; its state then holds the values shown.
bool ParseSurveyReport(const QByteArray &bytes, QList<SurveyRow> &rows, QString *error);

// Writes rows to path whole or not at all (WriteFileSafely: on a full disk too, the old
// file stays as it was); creates the folder, and removes there what interrupted writes
// of reports left. False with a message naming the file and the reason in *error.
bool WriteSurveyReport(const QString &path, const QList<SurveyRow> &rows, QString *error);
// Writes rows as the report's spreadsheet file (see SurveySheets), whole or not at all.
bool WriteSurveyWorkbook(const QString &path, const QList<SurveyRow> &rows, const SurveyWorkbookContext &context,
                         QString *error);
// The spreadsheet file beside a report: its name ending in ".xlsx" instead of ".csv".
QString WorkbookPath(const QString &reportPath);
// The report for a name the user gives: NAME.csv for NAME; NAME.csv also for NAME.csv
// and NAME.xlsx, so that the two files are always named alike.
QString ReportPathFor(const QString &given);

// Reads the report at path; nothing, with a message naming the file in *error, when it
// cannot be read or is not a report. Only a regular file of at most 10 MB is read: a
// FIFO or a device (or a link to one) would hold the caller forever.
std::optional<QList<SurveyRow>> ReadSurveyReport(const QString &path, QString *error);

// The folder of the reports: "reports" beside the INI folder.
QString ReportsDirectory(const QString &iniDirectory);
// A new report's path in folder, named by the round's date and time
// (survey-YYYYMMDD-HHMMSS.csv); a name already taken gets a counter.
QString NewReportPath(const QString &folder, const QDateTime &when);
// The newest report in folder other than except, a regular file; empty when there is none.
QString LatestReport(const QString &folder, const QString &except = QString());

// The row of the same subscriber (same name and phone number) in rows, or nullptr.
const SurveyRow *SameSubscriber(const QList<SurveyRow> &rows, const SurveySubscriber &subscriber);

// What a site read now shows differently from its row of an earlier survey: the old
// values of the pair, the peripheral's address and the version, each set only when it
// differs. Nothing is compared unless both rows were read.
struct SurveyChanges {
    std::optional<QString> pair;
    std::optional<QString> peerAddress;
    std::optional<QString> version;
};
SurveyChanges ChangesSince(const SurveyRow &now, const SurveyRow *before);

// Resuming a round from an earlier report: the chosen subscribers it has not read yet.
QList<SurveySubscriber> NotYetRead(const QList<SurveySubscriber> &chosen, const QList<SurveyRow> &earlier);

// A round's report while the round runs: the CSV at path and the spreadsheet file
// beside it (WorkbookPath), both written whole after every site, so that what was read
// is on disk whatever happens next. A resumed round keeps every row of the earlier
// report: a row goes only when this round's row of its subscriber replaces it. When a
// write fails, the rows stay here, each later add tries again, and unwrittenRows()
// tells what the file lacks. Thread-safe: the engines of several ports add their rows.
class SurveyReportFile {
public:
    SurveyReportFile(const QString &path, const QList<SurveySubscriber> &chosen,
                     const QList<SurveyRow> &earlier = {}, const SurveyWorkbookContext &workbook = {});

    QString path() const { return m_path; }
    // Keeps the row of a site and writes the report. False, with a message naming the
    // file in *error, when it could not be written; the row is kept all the same.
    bool add(const SurveyRow &row, QString *error);
    // Writes the rows kept so far.
    bool write(QString *error);
    // What the spreadsheet file says beyond the rows, from the next write on.
    void setWorkbookContext(const SurveyWorkbookContext &workbook);
    // The report's rows so far: the earlier ones, replaced or not, then this round's new.
    QList<SurveyRow> rows() const;
    // This round's rows added since the last write that succeeded: on no disk.
    QList<SurveyRow> unwrittenRows() const;

private:
    bool writeLocked(QString *error);
    QList<SurveyRow> rowsLocked() const;

    QString m_path;
    QList<SurveySubscriber> m_chosen;
    QList<SurveyRow> m_earlier;
    QList<SurveyRow> m_round;
    QList<SurveyRow> m_unwritten;
    SurveyWorkbookContext m_workbook;
    mutable QMutex m_mutex;
};

} // namespace tavrin
