#include "link/portpath.h"

#include <QFile>
#include <QFileInfo>

namespace tavrin {

namespace {

// A ttyS node is kept unless sysfs says plainly that no UART is behind it; the
// check reads sysfs only, so probing never opens a device or touches its lines.
bool uartMissing(const QString &sysClassTty, const QString &name)
{
    QFile type(sysClassTty + QLatin1Char('/') + name + QLatin1String("/type"));
    if (!type.open(QIODevice::ReadOnly))
        return false;
    return type.readAll().trimmed() == "0";
}

} // namespace

QStringList SystemPortPaths(const QString &devDir, const QString &sysClassTty)
{
    QStringList paths;
    for (const QString &family : {QStringLiteral("ttyS"), QStringLiteral("ttyUSB"),
                                 QStringLiteral("ttyACM")}) {
        for (int number = 0;; ++number) {
            const QString name = family + QString::number(number);
            const QString path = devDir + QLatin1Char('/') + name;
            if (!QFileInfo::exists(path))
                break;
            if (family == u"ttyS" && uartMissing(sysClassTty, name))
                continue;
            paths.append(path);
        }
    }
    return paths;
}

QString SystemPortPath(int portNumber)
{
    const QStringList ports =
        SystemPortPaths(QStringLiteral("/dev"), QStringLiteral("/sys/class/tty"));
    return portNumber <= ports.size() ? ports.at(portNumber - 1) : QString();
}

QString PortOpenPath(const QString &devicePath)
{
    return QFileInfo(devicePath).canonicalFilePath();
}

} // namespace tavrin
