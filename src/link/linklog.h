#pragma once

#include <QLoggingCategory>

namespace tavrin {

// Causes the device link would otherwise lose: a port that did not open and why, a
// write that failed, a port that went away. Off unless QT_LOGGING_RULES turns on
// "tavrin.link.debug".
Q_DECLARE_LOGGING_CATEGORY(linkLog)

} // namespace tavrin
