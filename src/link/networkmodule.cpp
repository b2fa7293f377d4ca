// The network module: the network port and the address parser of QtNetwork, behind
// plain C names, so the program loads QtNetwork (and the Kerberos and proxy libraries
// it brings) only when a network link is first used.
#include "link/networkmodule.h"

#include "link/linklog.h"
#include "link/networkport.h"

#include <QHostAddress>

#include <memory>
#include <type_traits>

using namespace tavrin;

extern "C" Q_DECL_EXPORT SerialPort *tavrin_network_open_port(const NetworkTarget &target, LinkUi *ui,
                                                              QString *failure)
{
    static_assert(std::is_same_v<decltype(&tavrin_network_open_port), networkmodule::OpenPort>);
    auto port = std::make_unique<NetworkPort>(target);
    if (port->open(ui))
        return port.release();
    qCDebug(linkLog, "network port did not open: %s", qUtf8Printable(port->failure()));
    if (failure)
        *failure = port->failure();
    return nullptr;
}

extern "C" Q_DECL_EXPORT bool tavrin_network_is_ipv4_literal(const QString &text)
{
    static_assert(std::is_same_v<decltype(&tavrin_network_is_ipv4_literal), networkmodule::IsAddressLiteral>);
    QHostAddress literal;
    return literal.setAddress(text) && literal.protocol() == QAbstractSocket::IPv4Protocol;
}

extern "C" Q_DECL_EXPORT bool tavrin_network_is_ipv6_literal(const QString &text)
{
    static_assert(std::is_same_v<decltype(&tavrin_network_is_ipv6_literal), networkmodule::IsAddressLiteral>);
    QHostAddress literal;
    return literal.setAddress(text) && literal.protocol() == QAbstractSocket::IPv6Protocol;
}
