#pragma once

#include <QLoggingCategory>

namespace tavrin {

// "tavrin.session": activities started, refused and ended, a close that waits, and the
// cause of a failed open or settings write. Off by default; on with
// QT_LOGGING_RULES="tavrin.session=true".
Q_DECLARE_LOGGING_CATEGORY(lcSession)

} // namespace tavrin
