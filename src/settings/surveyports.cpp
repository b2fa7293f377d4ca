#include "settings/surveyports.h"

#include "settings/inifile.h"

#include <QStringList>

namespace tavrin {

namespace {

const QString kSection = QStringLiteral("SURVEY");
const QString kPortsKey = QStringLiteral("Ports");

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
    IniLoadFailure failure;
    std::optional<IniFile> ini = IniFile::load(bluetoothIniPath, &failure);
    if (!ini) {
        // A file that exists but was not read is not written over: its lines would go.
        if (error)
            *error = failure.reason;
        return false;
    }
    QStringList items;
    for (int port : ports)
        items << QString::number(port);
    ini->writeString(kSection, kPortsKey, items.join(QLatin1Char(',')));
    return ini->save(bluetoothIniPath, error);
}

} // namespace tavrin
