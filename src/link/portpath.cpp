#include "link/portpath.h"

#include "link/serialport.h"

#include <QDir>
#include <QFileInfo>

namespace tavrin {

QString PortDevicePath(int portNumber)
{
    if (portNumber < 1)
        return {};
    // Tests and demos publish simulated ports here; real ports are then never seen,
    // and an empty value hides them all.
    if (qEnvironmentVariableIsSet("TAVRIN_COM_DIR")) {
        const QString dir = qEnvironmentVariable("TAVRIN_COM_DIR");
        if (dir.isEmpty())
            return {};
        const QString path = QDir(dir).filePath(QStringLiteral("COM%1").arg(portNumber));
        return QFileInfo::exists(path) ? path : QString();
    }
    return SystemPortPath(portNumber);
}

} // namespace tavrin
