#include "settings/logviewsettings.h"

#include "settings/inifile.h"

namespace tavrin {

namespace {

const QString kSection = QStringLiteral("LOG_VIEW");
const QString kHexKey = QStringLiteral("HexView");
const QString kTimesKey = QStringLiteral("Time");

} // namespace

LogViewSettings ReadLogViewSettings(const QString &bluetoothIniPath)
{
    const std::optional<IniFile> ini = IniFile::load(bluetoothIniPath);
    if (!ini)
        return {};
    return {ini->readBool(kSection, kHexKey, false), ini->readBool(kSection, kTimesKey, false)};
}

bool WriteLogViewSettings(const QString &bluetoothIniPath, const LogViewSettings &settings, QString *error)
{
    IniLoadFailure failure;
    std::optional<IniFile> ini = IniFile::load(bluetoothIniPath, &failure);
    if (!ini) {
        // A file that cannot be read is not replaced by one that holds only this section.
        *error = failure.reason;
        return false;
    }
    bool changed = false;
    for (const auto &[key, value] : {std::pair{kHexKey, settings.hexView}, std::pair{kTimesKey, settings.times}}) {
        if (ini->readBool(kSection, key, false) != value) {
            ini->writeBool(kSection, key, value);
            changed = true;
        }
    }
    return !changed || ini->save(bluetoothIniPath, error);
}

} // namespace tavrin
