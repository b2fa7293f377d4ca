#include "link/portpath.h"

#include "link/serialport.h"

#include <QDir>
#include <QFileInfo>

namespace tavrin {

QStringList SystemPortPaths(const QString &, const QString &)
{
    return {};
}

QString PortDevicePath(int portNumber)
{
    if (portNumber < 1)
        return {};
    if (qEnvironmentVariableIsSet("TAVRIN_COM_DIR")) {
        const QString dir = qEnvironmentVariable("TAVRIN_COM_DIR");
        if (dir.isEmpty())
            return {};
        const QString path = QDir(dir).filePath(QStringLiteral("COM%1").arg(portNumber));
        return QFileInfo::exists(path) ? path : QString();
    }
    return QStringLiteral("\\\\.\\COM%1").arg(portNumber);
}

QString PortOpenPath(const QString &devicePath)
{
    return devicePath;
}

} // namespace tavrin
