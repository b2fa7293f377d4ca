#pragma once

#include <QList>
#include <QString>

namespace tavrin {

// One line of the port list: a port found present and what its tooltip says of it.
struct PortItem {
    int number = 0;  // n of COMn
    QString toolTip; // the device behind it and, where the system knows it, the adapter
};

// The ports present among COM1 to COM255, in number order.
QList<PortItem> PresentPorts();

} // namespace tavrin
