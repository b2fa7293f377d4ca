#pragma once

#include <QList>
#include <QString>

namespace tavrin {

// The modems' ports the survey window uses besides the phone kind's, as the user ticked
// them. Kept in bluetooth.ini in a section of their own, [SURVEY] Ports=5,8, which
// neither tavrin's settings nor their writes touch.
QList<int> ReadSurveyPorts(const QString &bluetoothIniPath);
// Writes the list into that section, keeping every other line of the file. False, with
// the system's reason in *error, when the file could not be read or written.
bool WriteSurveyPorts(const QString &bluetoothIniPath, const QList<int> &ports, QString *error);

// How many network sites the survey window reads at once, [SURVEY] Parallel=8, within
// 1..most; fallback when the file has none or a value out of range.
int ReadSurveyParallel(const QString &bluetoothIniPath, int most, int fallback);
// Writes it into that section as WriteSurveyPorts writes the ports.
bool WriteSurveyParallel(const QString &bluetoothIniPath, int parallel, QString *error);

} // namespace tavrin
