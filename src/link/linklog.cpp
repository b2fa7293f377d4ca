#include "link/linklog.h"

namespace tavrin {

// Debug messages only, so the category is silent by default.
Q_LOGGING_CATEGORY(linkLog, "tavrin.link", QtInfoMsg)

} // namespace tavrin
