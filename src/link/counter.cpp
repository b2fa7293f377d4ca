#include "link/linktiming.h"
#include "link/serialport.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <thread>

namespace tavrin {

// The monotonic clock in nanoseconds: the same clock as Qt's timers and the
// simulator's timestamps on Linux, so both can be compared.
quint64 PerformanceFrequency()
{
    return 1'000'000'000ULL;
}

quint64 PerformanceCounter()
{
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return quint64(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count());
}

void Pause(int ms)
{
    if (ms <= 0)
        return;
    const quint64 end = PerformanceCounter() + quint64(ms) * PerformanceFrequency() / 1000;
    // Sleep rather than spin; the loop covers a sleep that ends early.
    for (quint64 now = PerformanceCounter(); now <= end; now = PerformanceCounter())
        std::this_thread::sleep_for(std::chrono::nanoseconds(end - now + 1));
}

int SecondsToMs(int seconds)
{
    return int(std::clamp<long long>(seconds * 1000LL, 0, INT_MAX));
}

} // namespace tavrin
