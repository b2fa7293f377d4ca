#pragma once

#include "settings.h"

#include <QString>

#include <stdexcept>

namespace tavrin {

// A settings file could not be written. The message names the file.
class SettingsWriteError : public std::runtime_error {
public:
    SettingsWriteError(const QString &filePath, const QString &reason);
    QString filePath() const { return m_filePath; }
    // The text for the user (what() in UTF-8).
    QString message() const { return QString::fromUtf8(what()); }
    // The system's own words on the failure, for a closer look.
    QString reason() const { return m_reason; }

private:
    QString m_filePath;
    QString m_reason;
};

// The live settings, what was last read or written, and the two INI files.
class SettingsStore {
public:
    Settings CurrentSettings;
    Settings SavedSettings;

    QString IniDirectory;     // <executable folder>/INI
    QString BluetoothIniPath; // IniDirectory/bluetooth.ini
    QString AbonentsIniPath;  // IniDirectory/abonents.ini

    // Builds the paths from the executable's folder, creates the INI folder when it is
    // missing (outcome not checked), reads both files, sorts the directory and takes
    // SavedSettings.
    void LoadSettings(const QString &executableDir);

    void ReadBluetoothIni();
    void ReadAbonentsIni();

    // Write only the groups that differ from SavedSettings; throw SettingsWriteError.
    void WriteBluetoothIni();
    void WriteAbonentsIni();
};

} // namespace tavrin
