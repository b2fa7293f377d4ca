#pragma once

#include <QLoggingCategory>

namespace tavrin {

// "tavrin.startup": how long the steps of the start-up take, each mark with the
// milliseconds since main() began and since the mark before. Off by default; on with
// QT_LOGGING_RULES="tavrin.startup.debug=true".
Q_DECLARE_LOGGING_CATEGORY(lcStartup)

// Notes that the start-up has come to `step` (a fixed text), when the category is on.
void MarkStartup(const char *step);

} // namespace tavrin
