#pragma once

#include "survey/surveyrow.h"
#include "survey/xlsxfile.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace tavrin {

// The orange of a value that differs from the previous survey, in the window and in
// the spreadsheet alike.
inline constexpr quint32 kChangedValueColour = 0xFFD6AA;

// What the report's spreadsheet says beyond its rows.
struct SurveyWorkbookContext {
    QStringList ports;                 // the round's ports as named to the user ("COM3")
    QString previousName;              // the previous survey's report file name; empty: none
    QList<SurveyRow> previousRows;     // its rows, which changed values are compared with
};

// The report as a spreadsheet for people:
// - "Опрос": the report's columns in its order, one row per site; names, phone numbers,
//   addresses and versions as text, "№" and "Длительность, с" as numbers, "Дата и
//   время" as a date and time; a value changed since the previous survey filled orange,
//   with a note of its old value and report;
// - "Итоги": the first call's start and the last call's end, the ports, the previous
//   survey, the number of sites by result, and the changes since the previous survey.
QList<Sheet> SurveySheets(const QList<SurveyRow> &rows, const SurveyWorkbookContext &context);

// The .xlsx bytes of SurveySheets; empty, with the reason in *error, when not made.
QByteArray SurveyWorkbookBytes(const QList<SurveyRow> &rows, const SurveyWorkbookContext &context,
                               QString *error);

} // namespace tavrin
