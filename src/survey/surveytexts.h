#pragma once

#include <QString>
#include <QStringList>

// The texts of the survey: its results, the report's header and the survey window's
// captions, in one place.
namespace tavrin::surveytext {

// "Результат" of a site whose module was read.
extern const QString Read;
// "Результат" of the site a stop interrupted, and of the sites a stop left unreached.
extern const QString Stopped;
// "Результат" of a site whose carrier was lost in the middle of the reading.
QString CarrierLost();
// "Результат" of a site whose port could not be opened (the letters of "СОМ" are Cyrillic).
QString PortUnavailable(int portNumber);
// "Результат" of a site whose hang-up ATH never answered with OK.
QString ModemMayBeOnline(int portNumber);
// "Результат" of a site read whose hang-up ATH never answered with OK.
QString ReadModemMayBeOnline(int portNumber);
// Whether a "Результат" says that the module was read.
bool SaysRead(const QString &result);
// "Результат" of a subscriber without a phone number.
extern const QString NoPhoneNumber;
// "Результат" of a subscriber whose network address (a hand-edited file) does not parse.
QString BadNetworkAddress(const QString &address);

// The report's header, in column order.
const QStringList &ReportHeader();

// The survey window's caption of the column with the time a site's call began.
extern const QString WindowTimeCaption;

// The report's spreadsheet file: its sheets and the captions of "Итоги".
extern const QString SurveySheet;
extern const QString TotalsSheet;
extern const QString RoundStart;
extern const QString RoundEnd;
extern const QString PortsUsed;
extern const QString PreviousSurvey;
extern const QString NoPreviousSurvey;
extern const QString SitesCaption;
extern const QString Total;
extern const QString ChangesCaption;
extern const QString NoChanges;
extern const QString ChangedColumn;
extern const QString ValueBefore;
extern const QString ValueNow;
// The note on a value that differs from the previous survey: its old value and report.
QString ChangedFrom(const QString &oldValue, const QString &reportName);
// An old value that was empty.
extern const QString EmptyValue;
// The spreadsheet file could not be made; the library's reason.
QString WorkbookNotMade(const QString &reason);

// A report that could not be written, naming the file; reason in the system's words.
QString ReportNotWritten(const QString &path, const QString &reason);
// The reason when the report's folder could not be made, naming the folder.
QString FolderNotCreated(const QString &folder);
// A report that could not be read, naming the file.
QString ReportNotRead(const QString &path, const QString &reason);
// Why a previous report is not read: not a regular file (a FIFO, a device, a folder or
// a link to one), or larger than 10 MB, naming its size.
extern const QString NotARegularFile;
QString ReportTooLarge(qint64 bytes);
// A report line that is not a row of a survey.
QString ReportLineBroken(int lineNumber);
// The subscriber numbers given do not parse or name nobody.
QString BadSubscriberList(const QString &numbers);
QString NoSuchSubscriber(int number);
// The phone numbers given do not parse or name nobody.
QString BadPhoneList(const QString &phones);
QString NoSuchPhone(const QString &phone);

} // namespace tavrin::surveytext
