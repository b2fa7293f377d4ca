#pragma once

#include "settings.h"

#include <QString>
#include <QStringList>

#include <stdexcept>

namespace tavrin {

class IniFile;

// A settings file could not be written. The message names the file, and the system's
// reason when the system refused the write (a full disk, a read-only folder).
class SettingsWriteError : public std::runtime_error {
public:
    enum class Cause { ExistingNotRead, SystemRefused };
    SettingsWriteError(const QString &filePath, const QString &reason, Cause cause);
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

    QString IniDirectory;     // see ChooseIniDirectory
    QString BluetoothIniPath; // IniDirectory/bluetooth.ini
    QString AbonentsIniPath;  // IniDirectory/abonents.ini

    // Chooses the INI folder from the executable's folder (ChooseIniDirectory), creates
    // it when it is missing (a failure is only logged), removes what interrupted writes
    // of the two files left beside them, reads both files, sorts the directory and
    // takes SavedSettings.
    void LoadSettings(const QString &executableDir);
    // The same with the INI folder given: tavrin-survey's --ini.
    void LoadSettingsFrom(const QString &iniDirectory);

    void ReadBluetoothIni();
    void ReadAbonentsIni();

    // Write only the groups that differ from SavedSettings; throw SettingsWriteError.
    // A file that exists but was not read (unreadable, or over 1 MB) is never written
    // over: writing it throws.
    void WriteBluetoothIni();
    void WriteAbonentsIni();

    // The messages for the user from the last LoadSettings, each naming its file: a file
    // that exists but was not read (unreadable, or over 1 MB), whose settings are the
    // defaults; and for a file that was read, the values that were replaced, each with
    // its section and key (a port, rate, wait or attempt count no link works with, a
    // subscriber count that leaves named entries out). Empty when nothing of this was
    // found. The window shows them after start; the library shows nothing itself.
    const QStringList &loadProblems() const { return m_loadProblems; }
    // What the last LoadSettings read differently from the file's letter without losing
    // anything: entries after a gap in abonents.ini, taken into the directory. Told like
    // the problems, but no reason to refuse the settings.
    const QStringList &loadNotes() const { return m_loadNotes; }

private:
    // The file's contents, or an empty file after noting why an existing one was not
    // read.
    IniFile loadForReading(const QString &path);
    void noteReplacedValues(const QString &path, const QStringList &replaced);

    QStringList m_loadProblems;
    QStringList m_loadNotes;
};

} // namespace tavrin
