#pragma once

#include <cstdint>
#include <ctime>

namespace devsim {

// Microseconds on CLOCK_MONOTONIC: the clock behind the program's steady clock, so a
// benchmark can set the device's timestamps beside its own.
inline int64_t MonotonicMicros()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return int64_t(ts.tv_sec) * 1000000 + ts.tv_nsec / 1000;
}

// Asks the system to wake the simulator's timers as close to their time as it can, so
// paced bytes leave at the line rate (platform file: clock_linux.cpp, clock_posix.cpp).
void UsePreciseTimers();

} // namespace devsim
