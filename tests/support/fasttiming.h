#pragma once

#include "link/linktiming.h"

#include <QStringList>

namespace tavrin::test {

// The link delays shortened for tests; the simulator's modem guard time must stay
// below escapeGuardMs and hangUpGuardMs (start it with FastModemArgs).
LinkTiming FastTiming();
// Simulator options that match FastTiming.
QStringList FastModemArgs();

} // namespace tavrin::test
