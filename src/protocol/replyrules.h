#pragma once

#include "settings/settings.h" // MacAddress

#include <QByteArray>
#include <QString>

#include <optional>

namespace tavrin {

// How a module reply is read. Every rule looks at the whole reply text: the
// zero-terminated frame the last exchange left in the channel's receive buffer.

// The token occurs anywhere in the reply; case-sensitive, byte by byte.
bool ReplyHas(const char *reply, const char *token);
// The number of ':' in the reply.
int ColonCount(const char *reply);
// A reply that may carry an address: exactly seven colons, the two after the keys and
// the five inside XX:XX:XX:XX:XX:XX.
bool AddressReply(const char *reply);

// The text from six characters after the first "Val" ("Val", the closing quote, the
// colon and the opening quote of the value) to the end of the reply. No value when the
// reply has no "Val", or when that "Val" stands within the reply's last six characters.
std::optional<QByteArray> ValueText(const char *reply);
// The value read as an address; bytes the value does not hold are 0.
std::optional<MacAddress> AddressValue(const char *reply);
// The value up to, not including, the next '"'; empty when the reply has no value.
QString VersionValue(const char *reply);

} // namespace tavrin
