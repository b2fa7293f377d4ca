#include "link/portpath.h"

namespace tavrin {

QStringList SystemPortPaths(const QString &, const QString &)
{
    return {};
}

QString SystemPortPath(int portNumber)
{
    return QStringLiteral("\\\\.\\COM%1").arg(portNumber);
}

QString PortOpenPath(const QString &devicePath)
{
    return devicePath;
}

} // namespace tavrin
