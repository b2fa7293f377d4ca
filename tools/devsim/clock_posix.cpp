#include "clock.h"

namespace devsim {

void UsePreciseTimers() {}

} // namespace devsim
