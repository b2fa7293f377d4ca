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

} // namespace tavrin
