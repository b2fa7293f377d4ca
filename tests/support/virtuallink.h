#pragma once

// The device link on virtual time: a clock the test drives, a port whose device
// answers each command on that clock, and a window whose event loop sleeps by moving
// the clock to the next thing that happens. Nothing waits for real, so the real
// delays (the ten-second grace window, a two-minute reply wait) cost nothing.
#include "link/linkclock.h"
#include "link/linkui.h"
#include "link/serialport.h"
#include "support/linkfakes.h"

#include <QByteArray>
#include <QList>
#include <QStringList>

#include <optional>
#include <set>

namespace tavrin::test {

// Installs itself as the link's clock while it lives. Time is in counter ticks
// (nanoseconds).
class VirtualClock : public LinkClock {
public:
    static constexpr quint64 kStart = 1'000'000'000; // one second: no tick is 0

    VirtualClock();
    ~VirtualClock() override;
    VirtualClock(const VirtualClock &) = delete;
    VirtualClock &operator=(const VirtualClock &) = delete;

    quint64 now() override { return m_now; }
    void sleepUntil(quint64 tick) override;
    bool wakeAt(quint64 tick) override;

    // The earliest deadline wake-up still ahead.
    std::optional<quint64> nextWake() const;
    void advanceTo(quint64 tick);

    struct Span {
        quint64 from;
        quint64 to;
    };
    QList<Span> pauses; // every fixed pause

private:
    quint64 m_now = kStart;
    std::set<quint64> m_wakes;
};

// A serial port with a scripted device behind it. Each cycle's script is taken at
// the cycle's first write (the wake-up byte, or the command when there is none); a
// command write starts its reply, and the device drops what it had not yet sent of
// an earlier reply.
class VirtualPort : public SerialPort {
public:
    static constexpr int kReadError = -1; // an event that makes one read fail

    struct Event {
        int afterMs; // after the event before it (the first: after the write)
        int byte;    // 0..255, or kReadError
    };
    struct Script {
        bool failWrite = false;  // the cycle's first write fails
        QList<Event> reply;      // after the command
        QList<Event> wakeAnswer; // after the wake-up byte
        int escapeAfterMs = -1;  // Esc is pressed this long after the command, if >= 0
    };
    struct Write {
        quint64 at;
        QByteArray bytes;
    };

    explicit VirtualPort(VirtualClock &clock) : m_clock(clock) {}

    QList<Script> scripts; // in cycle order; a silent device once they run out
    QList<Write> writes;   // the writes that succeeded
    QList<quint64> purges;
    int errorClears = 0;

    qint64 write(const char *data, qint64 size) override;
    int readByte(char *byte) override;
    qint64 bytesAvailable() const override;
    void purge() override;
    bool clearError() override;
    QObject *notifier() override { return nullptr; }

    // The first event still on its way.
    std::optional<quint64> nextArrival() const;
    // When the current cycle's Esc is due, if it has one.
    std::optional<quint64> escapeAt() const { return m_escapeAt; }
    void escapeTaken() { m_escapeAt.reset(); }

private:
    struct Pending {
        quint64 at;
        int byte;
    };
    void schedule(const QList<Event> &events);
    Script takeScript();

    VirtualClock &m_clock;
    QList<Pending> m_pending; // by arrival time
    bool m_scriptTaken = false; // the wake-up byte has taken this cycle's script
    Script m_current;
    std::optional<quint64> m_escapeAt;
};

// A window whose event loop runs on the virtual clock. Questions are answered No.
// A loop that sleeps with a byte waiting, sleeps with nothing left to wake it, or
// passes through the event loop without end is a fault and stops the program.
class VirtualUi : public LinkUi {
public:
    VirtualUi(VirtualClock &clock, VirtualPort &port) : m_clock(clock), m_port(port) {}

    FakeLog trace;
    QStringList activityTexts;
    QStringList resultTexts;
    QStringList questions;
    int passes = 0;
    int watching = 0;
    int maxPasses = 1'000'000;

    void setActivityText(const QString &text) override { activityTexts.append(text); }
    void setResultText(const QString &text) override { resultTexts.append(text); }
    TraceLog &log() override { return trace; }
    void setBusyCursor(bool) override {}
    bool askYesNo(const QString &text) override;
    void processEvents() override;
    void waitForEvents() override;
    void watchKeyboard(bool on) override { watching += on ? 1 : -1; }
    bool takeEscape() override;
    bool cancelRequested() const override { return false; }

private:
    VirtualClock &m_clock;
    VirtualPort &m_port;
    bool m_escape = false;
};

} // namespace tavrin::test
