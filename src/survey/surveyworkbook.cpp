#include "survey/surveyworkbook.h"

#include "survey/surveycolumns.h"
#include "survey/surveyreport.h"
#include "survey/surveytexts.h"

#include <algorithm>
#include <optional>
#include <utility>

namespace tavrin {

namespace {

struct ChangedValue {
    int column;
    QString before;
};

// The columns whose values differ from the same subscriber's row of the previous survey.
QList<ChangedValue> ChangedValues(const SurveyRow &row, const SurveyWorkbookContext &context)
{
    const SurveyChanges changes = ChangesSince(row, SameSubscriber(context.previousRows, row.subscriber));
    QList<ChangedValue> changed;
    const std::pair<int, const std::optional<QString> &> compared[] = {
        {PairColumn, changes.pair},
        {PeerAddressColumn, changes.peerAddress},
        {VersionColumn, changes.version},
    };
    for (const auto &[column, before] : compared) {
        if (before)
            changed.append({column, *before});
    }
    return changed;
}

// A field as the spreadsheet should hold it: numbers and the date typed, all else text.
SheetCell TypedCell(const SurveyRow &row, int column, const QString &field)
{
    switch (column) {
    case NumberColumn:
        return SheetCell::Number(row.subscriber.number, 0);
    case StartedColumn:
        return SheetCell::DateTime(row.started);
    case DurationColumn:
        return row.started.isValid() ? SheetCell::Number(row.durationSeconds, 1) : SheetCell();
    default:
        return SheetCell::Text(field);
    }
}

QList<SheetCell> TextCells(const QStringList &texts)
{
    QList<SheetCell> cells;
    for (const QString &text : texts)
        cells << SheetCell::Text(text);
    return cells;
}

QList<SheetCell> Bold(QList<SheetCell> cells)
{
    for (SheetCell &cell : cells)
        cell.bold = true;
    return cells;
}

Sheet SurveySheet(const QList<SurveyRow> &rows, const SurveyWorkbookContext &context)
{
    Sheet sheet{surveytext::SurveySheet, {TextCells(SurveyCaptions(SurveyView::Report))}, 1, true};
    for (const SurveyRow &row : rows) {
        const QStringList fields = SurveyFields(row, SurveyView::Report);
        QList<SheetCell> cells;
        for (int column = 0; column < fields.size(); ++column)
            cells << TypedCell(row, column, fields[column]);
        for (const ChangedValue &changed : ChangedValues(row, context)) {
            cells[changed.column].fill = kChangedValueColour;
            cells[changed.column].comment = surveytext::ChangedFrom(changed.before, context.previousName);
        }
        sheet.rows << cells;
    }
    return sheet;
}

// The sites counted by result, "Прочитано" first, the others as they first come.
QList<std::pair<QString, int>> CountsByResult(const QList<SurveyRow> &rows)
{
    QList<std::pair<QString, int>> counts{{surveytext::Read, 0}};
    for (const SurveyRow &row : rows) {
        auto known = std::find_if(counts.begin(), counts.end(), [&row](const auto &count) { return count.first == row.result; });
        if (known == counts.end())
            counts.append({row.result, 1});
        else
            ++known->second;
    }
    return counts;
}

Sheet TotalsSheet(const QList<SurveyRow> &rows, const SurveyWorkbookContext &context)
{
    QDateTime start;
    QDateTime end;
    for (const SurveyRow &row : rows) {
        if (!row.started.isValid())
            continue;
        const QDateTime finished = row.started.addMSecs(qint64(row.durationSeconds * 1000));
        if (!start.isValid() || row.started < start)
            start = row.started;
        if (!end.isValid() || finished > end)
            end = finished;
    }
    Sheet sheet{surveytext::TotalsSheet, {}, 0, false};
    sheet.rows << QList<SheetCell>{SheetCell::Text(surveytext::RoundStart), SheetCell::DateTime(start)};
    sheet.rows << QList<SheetCell>{SheetCell::Text(surveytext::RoundEnd), SheetCell::DateTime(end)};
    sheet.rows << TextCells({surveytext::PortsUsed, context.ports.join(QStringLiteral(", "))});
    sheet.rows << TextCells({surveytext::PreviousSurvey,
                             context.previousName.isEmpty() ? surveytext::NoPreviousSurvey : context.previousName});
    sheet.rows << QList<SheetCell>{};

    sheet.rows << Bold(TextCells({SurveyCaptions(SurveyView::Report)[ResultColumn], surveytext::SitesCaption}));
    for (const auto &[result, count] : CountsByResult(rows))
        sheet.rows << QList<SheetCell>{SheetCell::Text(result), SheetCell::Number(count, 0)};
    sheet.rows << Bold({SheetCell::Text(surveytext::Total), SheetCell::Number(double(rows.size()), 0)});
    sheet.rows << QList<SheetCell>{};

    sheet.rows << Bold(TextCells({surveytext::ChangesCaption}));
    const QStringList &header = SurveyCaptions(SurveyView::Report);
    QList<QList<SheetCell>> changes;
    for (const SurveyRow &row : rows) {
        const QStringList fields = SurveyFields(row, SurveyView::Report);
        for (const ChangedValue &changed : ChangedValues(row, context)) {
            changes << QList<SheetCell>{SheetCell::Text(row.subscriber.name), SheetCell::Number(row.subscriber.number, 0),
                                        SheetCell::Text(row.subscriber.phone), SheetCell::Text(header[changed.column]),
                                        SheetCell::Text(changed.before), SheetCell::Text(fields[changed.column])};
        }
    }
    if (context.previousName.isEmpty()) {
        sheet.rows << TextCells({surveytext::PreviousSurvey + QStringLiteral(": ") + surveytext::NoPreviousSurvey});
    } else if (changes.isEmpty()) {
        sheet.rows << TextCells({surveytext::NoChanges});
    } else {
        // The name first: column A is as wide as the captions above, a number there would be lost.
        sheet.rows << Bold(TextCells({header[NameColumn], header[NumberColumn], header[PhoneColumn],
                                      surveytext::ChangedColumn, surveytext::ValueBefore, surveytext::ValueNow}));
        sheet.rows << changes;
    }
    return sheet;
}

} // namespace

QList<Sheet> SurveySheets(const QList<SurveyRow> &rows, const SurveyWorkbookContext &context)
{
    return {SurveySheet(rows, context), TotalsSheet(rows, context)};
}

QByteArray SurveyWorkbookBytes(const QList<SurveyRow> &rows, const SurveyWorkbookContext &context, QString *error)
{
    QString reason;
    const QByteArray bytes = XlsxBytes(SurveySheets(rows, context), &reason);
    if (bytes.isEmpty() && error)
        *error = surveytext::WorkbookNotMade(reason);
    return bytes;
}

} // namespace tavrin
