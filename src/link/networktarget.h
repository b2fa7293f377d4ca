#pragma once

#include "link/networkaddress.h"
#include "settings/settings.h"

#include <QString>

#include <memory>

namespace tavrin {

class LinkUi;
class SerialPort;

// What a network link connects to and how.
struct NetworkTarget {
    NetworkAddress address;
    NetworkProtocol protocol = RawTcp;
    qint32 rate = 38400;      // asked of the server with remote port control; unused over raw TCP
    int connectLimitMs = 10000; // for the connection and, with port control, its negotiation
};

// Connects to the target and, with remote port control, sets its line; the event loop
// runs meanwhile, and Esc or the window closing cancels. Nullptr on failure, with the
// reason, which names the host and port, in *failure. The network port lives in a
// module of its own, loaded by the first call (see networklibrary.cpp).
std::unique_ptr<SerialPort> OpenNetworkPort(const NetworkTarget &target, LinkUi *ui, QString *failure = nullptr);

} // namespace tavrin
