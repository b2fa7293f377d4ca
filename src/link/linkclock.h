#pragma once

#include <QtGlobal>

namespace tavrin {

// Where the device link takes its time from: the counter its deadlines and pauses
// read, its fixed pauses, and the wake-up of a loop that sleeps until a deadline. The
// real clock is the monotonic clock with precise timers; a test installs a clock of
// its own and drives time itself, so a ten-second wait costs it nothing.
class LinkClock {
public:
    virtual ~LinkClock() = default;
    // The counter, in ticks of PerformanceFrequency().
    virtual quint64 now() = 0;
    // Lets time pass, processing no events, until now() has reached tick.
    virtual void sleepUntil(quint64 tick) = 0;
    // A deadline expires at tick: a loop that sleeps for events must be woken by then.
    // False when the caller is to wake it with a timer of its own.
    virtual bool wakeAt(quint64 tick) = 0;
};

// The clock in force: the real one unless a test has installed its own.
LinkClock &CurrentLinkClock();
// Installs clock for the whole device link; nullptr brings back the real clock.
void SetLinkClock(LinkClock *clock);

// A wait of ms milliseconds in counter ticks; none for ms <= 0.
quint64 MsToTicks(int ms);

} // namespace tavrin
