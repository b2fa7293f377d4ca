#include "protocol/protocollog.h"

namespace tavrin {

// Debug messages only, so the category is silent by default.
Q_LOGGING_CATEGORY(protocolLog, "tavrin.protocol", QtInfoMsg)

} // namespace tavrin
