#pragma once

#include <QString>
#include <QStringList>

namespace tavrin {

// The serial devices of the system in COM order, as Wine numbers them: the
// families ttyS, ttyUSB and ttyACM of devDir in that order, each counted from 0 up
// to its first missing node; a ttyS node whose UART type in sysClassTty is 0 (no
// UART behind it) is left out.
QStringList SystemPortPaths(const QString &devDir, const QString &sysClassTty);

// The system's own device for COM<portNumber> (portNumber >= 1): the n-th of
// SystemPortPaths of /dev, or "\\.\COM<n>" on Windows. Empty when there is none.
QString SystemPortPath(int portNumber);

// The path a port is opened by: a published link resolved to its device, so that
// lock files name the device itself. Empty when the link leads nowhere.
QString PortOpenPath(const QString &devicePath);

} // namespace tavrin
