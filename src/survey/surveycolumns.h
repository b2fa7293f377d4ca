#pragma once

#include "survey/surveyrow.h"

#include <QString>
#include <QStringList>

namespace tavrin {

// The columns of a survey's rows, in the order the report and the window show them.
// The window shows them up to StartedColumn, the start as a time of day under its own
// caption, then the network address; the report shows them all. Reports written before
// the network address was a column end with the duration.
enum SurveyColumn : int {
    NumberColumn,
    NameColumn,
    PhoneColumn,
    ResultColumn,
    ConnectionColumn,
    PairColumn,
    PeerAddressColumn,
    OwnAddressColumn,
    VersionColumn,
    ModeColumn,
    StartedColumn,
    DurationColumn,
    NetworkAddressColumn,
    ReportColumnCount
};

// Where a row is shown: the report file, or the survey window's table.
enum class SurveyView { Report, Window };

// The report's columns before the network address had one.
inline constexpr int kReportColumnsBeforeNetwork = NetworkAddressColumn;

// The number of columns a view shows.
int SurveyColumnCount(SurveyView view);
// The captions of a view's columns, in column order.
const QStringList &SurveyCaptions(SurveyView view);
// A row's fields as a view shows them, indexed by SurveyColumn up to StartedColumn (the
// window's network address follows its start): the module's values
// only for a site that was read, the start and duration only for a site that was
// called. A row holding only its subscriber gives the number, name and phone.
QStringList SurveyFields(const SurveyRow &row, SurveyView view);

// The report's forms of the start and the duration, which reading a report undoes.
extern const QString kReportTimeFormat;
QString ReportDuration(double seconds);

} // namespace tavrin
