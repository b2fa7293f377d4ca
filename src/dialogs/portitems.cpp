#include "dialogs/portitems.h"

#include "dialogs/dialogtexts.h"
#include "link/portpath.h"
#include "link/serialport.h"

#include <QHash>
#include <QSerialPortInfo>

namespace tavrin {

namespace {

constexpr int kFirstPort = 1;
constexpr int kLastPort = 255;

// What the system says of each adapter it knows, by device: its description (or its
// maker) and its serial number, which tells two adapters of one make apart.
QHash<QString, QString> AdapterDescriptions()
{
    QHash<QString, QString> adapters;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts()) {
        QString text = info.description().isEmpty() ? info.manufacturer() : info.description();
        if (!info.serialNumber().isEmpty())
            text = text.isEmpty() ? info.serialNumber() : ConnParTexts::AdapterSerialNumber.arg(text, info.serialNumber());
        if (!text.isEmpty())
            adapters.insert(PortOpenPath(info.systemLocation()), text);
    }
    return adapters;
}

} // namespace

QList<PortItem> PresentPorts()
{
    const QHash<QString, QString> adapters = AdapterDescriptions();
    QList<PortItem> ports;
    for (int n = kFirstPort; n <= kLastPort; ++n) {
        if (!PortExists(n))
            continue;
        const QString devicePath = PortDevicePath(n);
        const QString openPath = PortOpenPath(devicePath);
        const QString device = openPath.isEmpty() || openPath == devicePath
                                   ? devicePath
                                   : ConnParTexts::PortLink.arg(devicePath, openPath);
        const QString adapter = adapters.value(openPath);
        ports.append({n, adapter.isEmpty() ? ConnParTexts::PortDevice.arg(device)
                                           : ConnParTexts::PortDeviceWithAdapter.arg(device, adapter)});
    }
    return ports;
}

} // namespace tavrin
