#pragma once

#include <QString>

#include <optional>

namespace tavrin {

// Where a module's serial line is served over TCP: a host name, an IPv4 literal or an
// IPv6 literal in brackets, and a port 1..65535, written "host:port" or "[v6]:port".
struct NetworkAddress {
    QString host; // as typed, without the brackets of an IPv6 literal
    quint16 port = 0;
    bool operator==(const NetworkAddress &) const = default;
};

// Nullopt when the text is no such address (blanks around it are ignored).
std::optional<NetworkAddress> ParseNetworkAddress(const QString &text);
// "host:port", with an IPv6 literal in brackets.
QString NetworkAddressText(const NetworkAddress &address);

} // namespace tavrin
