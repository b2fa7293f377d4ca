#pragma once

#include <QString>

namespace tavrin {

// The messages of the command executor. A line break inside a message is "\r".

// The exchange of the last attempt failed (no reply, write failure, Esc, ...).
QString CommandExchangeFailedText(const char *command);
// The module answered, but not to this command.
QString CommandNoEchoText(const char *command);

} // namespace tavrin
