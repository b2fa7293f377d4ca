#pragma once

#include <QLoggingCategory>

namespace tavrin {

// "tavrin.app": errors shown to the user in the standard error box, so that they are
// kept after the box is dismissed. Off by default; on with
// QT_LOGGING_RULES="tavrin.app=true".
Q_DECLARE_LOGGING_CATEGORY(lcApp)

} // namespace tavrin
