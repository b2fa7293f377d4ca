#pragma once

#include <QByteArray>

namespace tavrin {

// The DialResult of one reply line from a modem: the first row of the reply table
// whose token occurs in it, 0 when none does (OK, CONNECT, ...).
int ClassifyModemReply(const char *reply);

// The reply line ModemCommand returns on Esc; it classifies as an abort.
inline constexpr char kEscapeReply[] = "Escape...";

} // namespace tavrin
