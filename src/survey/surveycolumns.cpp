#include "survey/surveycolumns.h"

#include "survey/surveytexts.h"

namespace tavrin {

const QString kReportTimeFormat = QStringLiteral("yyyy-MM-ddTHH:mm:ss");

// A spreadsheet set to Russian reads a decimal comma.
QString ReportDuration(double seconds)
{
    return QString::number(seconds, 'f', 1).replace(QLatin1Char('.'), QLatin1Char(','));
}

int SurveyColumnCount(SurveyView view)
{
    return view == SurveyView::Report ? ReportColumnCount : StartedColumn + 2;
}

const QStringList &SurveyCaptions(SurveyView view)
{
    static const QStringList report = surveytext::ReportHeader();
    static const QStringList window = [] {
        QStringList captions = report.first(StartedColumn);
        captions << surveytext::WindowTimeCaption << report[NetworkAddressColumn];
        return captions;
    }();
    return view == SurveyView::Report ? report : window;
}

QStringList SurveyFields(const SurveyRow &row, SurveyView view)
{
    QStringList fields(ReportColumnCount);
    fields[NumberColumn] = QString::number(row.subscriber.number);
    fields[NameColumn] = row.subscriber.name;
    fields[PhoneColumn] = row.subscriber.phone;
    fields[ResultColumn] = row.result;
    fields[NetworkAddressColumn] = row.subscriber.networkAddress.trimmed();
    if (row.read) {
        fields[ConnectionColumn] = row.state.connection;
        fields[PairColumn] = row.state.pair;
        fields[PeerAddressColumn] = row.state.peerAddress;
        fields[OwnAddressColumn] = row.state.ownAddress;
        fields[VersionColumn] = row.state.version;
        fields[ModeColumn] = row.state.mode;
    }
    if (row.started.isValid()) {
        fields[StartedColumn] = view == SurveyView::Report ? row.started.toString(kReportTimeFormat)
                                                           : row.started.toString(QStringLiteral("HH:mm:ss"));
        fields[DurationColumn] = ReportDuration(row.durationSeconds);
    }
    if (view == SurveyView::Report)
        return fields;
    QStringList shown = fields.first(StartedColumn + 1);
    shown << fields[NetworkAddressColumn];
    return shown;
}

} // namespace tavrin
