#include "settings/surveyports.h"

#include "settings/inifile.h"

#include <QStringList>

namespace tavrin {

namespace {

const QString kSection = QStringLiteral("SURVEY");
const QString kPortsKey = QStringLiteral("Ports");
const QString kParallelKey = QStringLiteral("Parallel");

// Writes one key of the section, keeping every other line of the file.
bool WriteSurveyKey(const QString &bluetoothIniPath, const QString &key, const QString &value, QString *error)
{
    IniLoadFailure failure;
    std::optional<IniFile> ini = IniFile::load(bluetoothIniPath, &failure);
    if (!ini) {
        // A file that exists but was not read is not written over: its lines would go.
        if (error)
            *error = failure.reason;
        return false;
    }
    ini->writeString(kSection, key, value);
    return ini->save(bluetoothIniPath, error);
}

} // namespace

QList<int> ReadSurveyPorts(const QString &bluetoothIniPath)
{
    const std::optional<IniFile> ini = IniFile::load(bluetoothIniPath);
    QList<int> ports;
    if (!ini)
        return ports;
    for (const QString &item : ini->readString(kSection, kPortsKey).split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        bool number = false;
        const int port = item.trimmed().toInt(&number);
        if (number && port >= 1 && port <= 255 && !ports.contains(port))
            ports << port;
    }
    return ports;
}

bool WriteSurveyPorts(const QString &bluetoothIniPath, const QList<int> &ports, QString *error)
{
    QStringList items;
    for (int port : ports)
        items << QString::number(port);
    return WriteSurveyKey(bluetoothIniPath, kPortsKey, items.join(QLatin1Char(',')), error);
}

int ReadSurveyParallel(const QString &bluetoothIniPath, int most, int fallback)
{
    const std::optional<IniFile> ini = IniFile::load(bluetoothIniPath);
    if (!ini)
        return fallback;
    bool number = false;
    const int parallel = ini->readString(kSection, kParallelKey).trimmed().toInt(&number);
    return number && parallel >= 1 && parallel <= most ? parallel : fallback;
}

bool WriteSurveyParallel(const QString &bluetoothIniPath, int parallel, QString *error)
{
    return WriteSurveyKey(bluetoothIniPath, kParallelKey, QString::number(parallel), error);
}

} // namespace tavrin
