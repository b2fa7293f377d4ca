#include "link/linkclock.h"
#include "link/linktiming.h"
#include "link/serialport.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <thread>

namespace tavrin {

namespace {

// The monotonic clock in nanoseconds: the same clock as Qt's timers and the
// simulator's timestamps on Linux, so both can be compared.
class SteadyClock : public LinkClock {
public:
    quint64 now() override
    {
        const auto sinceEpoch = std::chrono::steady_clock::now().time_since_epoch();
        return quint64(std::chrono::duration_cast<std::chrono::nanoseconds>(sinceEpoch).count());
    }
    void sleepUntil(quint64 tick) override
    {
        // Sleep rather than spin; the loop covers a sleep that ends early.
        for (quint64 current = now(); current < tick; current = now())
            std::this_thread::sleep_for(std::chrono::nanoseconds(tick - current));
    }
    bool wakeAt(quint64) override { return false; } // the deadline's own timer wakes the loop
};

SteadyClock g_steadyClock;
LinkClock *g_clock = &g_steadyClock;

} // namespace

LinkClock &CurrentLinkClock()
{
    return *g_clock;
}

void SetLinkClock(LinkClock *clock)
{
    g_clock = clock ? clock : &g_steadyClock;
}

quint64 PerformanceFrequency()
{
    return 1'000'000'000ULL;
}

quint64 PerformanceCounter()
{
    return g_clock->now();
}

quint64 MsToTicks(int ms)
{
    return ms <= 0 ? 0 : quint64(ms) * PerformanceFrequency() / 1000;
}

void Pause(int ms)
{
    if (ms <= 0)
        return;
    // Until the counter is strictly past the start plus the pause.
    g_clock->sleepUntil(PerformanceCounter() + MsToTicks(ms) + 1);
}

int SecondsToMs(int seconds)
{
    return int(std::clamp<long long>(seconds * 1000LL, 0, INT_MAX));
}

} // namespace tavrin
