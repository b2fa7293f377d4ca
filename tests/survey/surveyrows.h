#pragma once

// Rows of a survey as the tests of the report and its spreadsheet file build them.
#include "survey/surveyrow.h"

namespace surveyrows {

// A site read: its module's values, begun 2026-12-07 09:05:30, 12.34 s on the site.
inline tavrin::SurveyRow ReadRow(int number, const QString &name, const QString &phone, const QString &pair,
                                 const QString &peer, const QString &version)
{
    tavrin::SurveyRow row;
    row.subscriber = {number, name, phone};
    row.read = true;
    row.result = "Прочитано";
    row.state.connection = "Нет";
    row.state.pair = pair;
    row.state.peerAddress = peer;
    row.state.ownAddress = "00:1A:7D:DA:71:13";
    row.state.version = version;
    row.state.mode = pair == "Есть" ? "Эксплуатационный" : "Пусконаладочный";
    row.state.pairExists = pair == "Есть";
    row.started = QDateTime(QDate(2026, 12, 7), QTime(9, 5, 30));
    row.durationSeconds = 12.34;
    return row;
}

// A site not read, begun 2026-12-07 09:06:00, 3 s on the site.
inline tavrin::SurveyRow FailedRow(int number, const QString &name, const QString &phone, const QString &result)
{
    tavrin::SurveyRow row;
    row.subscriber = {number, name, phone};
    row.result = result;
    row.started = QDateTime(QDate(2026, 12, 7), QTime(9, 6, 0));
    row.durationSeconds = 3;
    return row;
}

} // namespace surveyrows
