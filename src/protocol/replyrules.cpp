#include "protocol/replyrules.h"

#include "protocol/commandtable.h"
#include "settings/cp1251.h"

#include <cstring>

namespace tavrin {

bool ReplyHas(const char *reply, const char *token)
{
    return reply && token && std::strstr(reply, token) != nullptr;
}

int ColonCount(const char *reply)
{
    int colons = 0;
    for (const char *p = reply; p && *p; ++p)
        colons += *p == ':';
    return colons;
}

bool AddressReply(const char *reply)
{
    return ColonCount(reply) == 7;
}

std::optional<QByteArray> ValueText(const char *reply)
{
    if (!reply)
        return std::nullopt;
    const char *val = std::strstr(reply, "Val");
    if (!val)
        return std::nullopt;
    const size_t start = static_cast<size_t>(val - reply) + 6;
    const size_t length = std::strlen(reply);
    // A "Val" among the last six characters leaves nothing to read: the value would
    // begin at or beyond the end of the reply.
    if (start >= length)
        return std::nullopt;
    return QByteArray(reply + start, static_cast<qsizetype>(length - start));
}

std::optional<MacAddress> AddressValue(const char *reply)
{
    const std::optional<QByteArray> value = ValueText(reply);
    if (!value)
        return std::nullopt;
    MacAddress address{};
    ParseAddress(value->constData(), address);
    return address;
}

QString VersionValue(const char *reply)
{
    const std::optional<QByteArray> value = ValueText(reply);
    if (!value)
        return {};
    const qsizetype quote = value->indexOf('"');
    return cp1251::decode(quote < 0 ? *value : value->left(quote));
}

} // namespace tavrin
