#pragma once

#include <QLoggingCategory>

namespace tavrin {

// Causes the module protocol would otherwise lose: why a command failed after its
// attempts. Off unless QT_LOGGING_RULES turns on "tavrin.protocol.debug".
Q_DECLARE_LOGGING_CATEGORY(protocolLog)

} // namespace tavrin
