#pragma once

#include <QString>

namespace tavrin {

// How the exchange log is shown, kept in bluetooth.ini in a section of its own, which
// versions that do not know it never read or write.
struct LogViewSettings {
    bool hexView = false;
    bool times = false;
    bool operator==(const LogViewSettings &) const = default;
};

// The settings in the file; what is missing or unreadable reads as the default view.
LogViewSettings ReadLogViewSettings(const QString &bluetoothIniPath);

// Writes the keys whose values differ from the file's, in place and by the file's
// rules (IniFile); every other line stays as it is, and a file that already holds
// these values is not written at all. False, with the reason, when it cannot be.
bool WriteLogViewSettings(const QString &bluetoothIniPath, const LogViewSettings &settings, QString *error);

} // namespace tavrin
