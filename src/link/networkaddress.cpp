#include "link/networkaddress.h"

#include "link/networkmodule.h"

#include <QList>

namespace tavrin {

namespace {

constexpr int kMaxHostChars = 253;
constexpr int kMaxLabelChars = 63;

std::optional<quint16> parsePort(QStringView text)
{
    if (text.isEmpty() || text.size() > 5)
        return std::nullopt;
    for (QChar c : text) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
    }
    const int port = text.toInt();
    if (port < 1 || port > 65535)
        return std::nullopt;
    return quint16(port);
}

bool isLabelChar(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'-';
}

// A DNS name: dot-separated labels of letters, digits and hyphens, none starting or
// ending with a hyphen; an all-numeric name must be an IPv4 literal.
bool isHost(const QString &host)
{
    if (host.isEmpty() || host.size() > kMaxHostChars)
        return false;
    bool onlyDigitsAndDots = true;
    for (const QStringView label : QStringView(host).split(u'.')) {
        if (label.isEmpty() || label.size() > kMaxLabelChars || label.front() == u'-' || label.back() == u'-')
            return false;
        for (QChar c : label) {
            if (!isLabelChar(c))
                return false;
            if (!c.isDigit())
                onlyDigitsAndDots = false;
        }
    }
    if (!onlyDigitsAndDots)
        return true;
    return IsIpv4Literal(host);
}

bool isIpv6(const QString &host)
{
    return !host.contains(u'%') && IsIpv6Literal(host);
}

} // namespace

std::optional<NetworkAddress> ParseNetworkAddress(const QString &text)
{
    const QString trimmed = text.trimmed();
    QString host;
    QStringView portText;
    if (trimmed.startsWith(u'[')) {
        const qsizetype close = trimmed.indexOf(u']');
        if (close < 0 || close + 1 >= trimmed.size() || trimmed[close + 1] != u':')
            return std::nullopt;
        host = trimmed.mid(1, close - 1);
        portText = QStringView(trimmed).mid(close + 2);
        if (!isIpv6(host))
            return std::nullopt;
    } else {
        const qsizetype colon = trimmed.lastIndexOf(u':');
        if (colon <= 0)
            return std::nullopt;
        host = trimmed.left(colon);
        portText = QStringView(trimmed).mid(colon + 1);
        if (!isHost(host))
            return std::nullopt;
    }
    const std::optional<quint16> port = parsePort(portText);
    if (!port)
        return std::nullopt;
    return NetworkAddress{host, *port};
}

QString NetworkAddressText(const NetworkAddress &address)
{
    const QString host = address.host.contains(u':') ? u'[' + address.host + u']' : address.host;
    return host + u':' + QString::number(address.port);
}

} // namespace tavrin
