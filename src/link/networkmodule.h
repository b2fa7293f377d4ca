#pragma once

#include <QString>

namespace tavrin {

class LinkUi;
class SerialPort;
struct NetworkTarget;

// The entry points of the network module, which the program loads when a network link
// or an IP address is first used, by the names the loader resolves. Both sides are
// built together, so C++ types pass between them.
namespace networkmodule {

// A new open port (the caller owns it), or nullptr with the reason in *failure.
using OpenPort = SerialPort *(*)(const NetworkTarget &target, LinkUi *ui, QString *failure);
// Whether text is an IPv4 (IPv6) address as the network library reads one.
using IsAddressLiteral = bool (*)(const QString &text);

inline constexpr char kOpenPort[] = "tavrin_network_open_port";
inline constexpr char kIsIpv4Literal[] = "tavrin_network_is_ipv4_literal";
inline constexpr char kIsIpv6Literal[] = "tavrin_network_is_ipv6_literal";

} // namespace networkmodule

// Whether text is an IPv4 (IPv6) address literal, read by the network module. Without
// the module (a broken installation) every such text passes, so the user is told what
// is missing when the link is opened, not that a good address is wrong.
bool IsIpv4Literal(const QString &text);
bool IsIpv6Literal(const QString &text);

} // namespace tavrin
