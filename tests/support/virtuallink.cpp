#include "support/virtuallink.h"

#include "link/linkclock.h"

#include <QtGlobal>

#include <algorithm>

namespace tavrin::test {

VirtualClock::VirtualClock()
{
    SetLinkClock(this);
}

VirtualClock::~VirtualClock()
{
    SetLinkClock(nullptr);
}

void VirtualClock::sleepUntil(quint64 tick)
{
    pauses.append({m_now, tick});
    advanceTo(tick);
}

bool VirtualClock::wakeAt(quint64 tick)
{
    if (tick > m_now)
        m_wakes.insert(tick);
    return true;
}

std::optional<quint64> VirtualClock::nextWake() const
{
    if (m_wakes.empty())
        return std::nullopt;
    return *m_wakes.begin();
}

void VirtualClock::advanceTo(quint64 tick)
{
    m_now = std::max(m_now, tick);
    m_wakes.erase(m_wakes.begin(), m_wakes.upper_bound(m_now));
}

VirtualPort::Script VirtualPort::takeScript()
{
    return scripts.isEmpty() ? Script{} : scripts.takeFirst();
}

void VirtualPort::schedule(const QList<Event> &events)
{
    quint64 at = m_clock.now();
    for (const Event &event : events) {
        at += MsToTicks(event.afterMs);
        const Pending pending{at, event.byte};
        // After every event of the same time or earlier: arrival order is kept.
        const auto at = std::upper_bound(m_pending.begin(), m_pending.end(), pending.at,
                                         [](quint64 t, const Pending &p) { return t < p.at; });
        m_pending.insert(at, pending);
    }
}

qint64 VirtualPort::write(const char *data, qint64 size)
{
    const QByteArray bytes(data, size);
    const bool wakeUpByte = bytes == QByteArray(1, '\0');
    m_escapeAt.reset();
    if (wakeUpByte || !m_scriptTaken) {
        m_current = takeScript();
        if (m_current.failWrite)
            return -1;
    }
    m_scriptTaken = wakeUpByte;
    writes.append({m_clock.now(), bytes});
    if (wakeUpByte) {
        schedule(m_current.wakeAnswer);
        return size;
    }
    // The device answers the new command and gives up whatever it had still to send.
    const quint64 now = m_clock.now();
    m_pending.erase(std::remove_if(m_pending.begin(), m_pending.end(),
                                   [now](const Pending &p) { return p.at > now; }),
                    m_pending.end());
    schedule(m_current.reply);
    if (m_current.escapeAfterMs >= 0)
        m_escapeAt = now + MsToTicks(m_current.escapeAfterMs);
    return size;
}

int VirtualPort::readByte(char *byte)
{
    if (m_pending.isEmpty() || m_pending.front().at > m_clock.now())
        return 0;
    const Pending next = m_pending.takeFirst();
    if (next.byte == kReadError)
        return -1;
    *byte = char(next.byte);
    return 1;
}

qint64 VirtualPort::bytesAvailable() const
{
    // A pending read error counts: a poll would see the port ready.
    return std::count_if(m_pending.begin(), m_pending.end(),
                         [this](const Pending &p) { return p.at <= m_clock.now(); });
}

void VirtualPort::purge()
{
    purges.append(m_clock.now());
    const quint64 now = m_clock.now();
    m_pending.erase(std::remove_if(m_pending.begin(), m_pending.end(),
                                   [now](const Pending &p) { return p.at <= now; }),
                    m_pending.end());
}

bool VirtualPort::clearError()
{
    ++errorClears;
    return true;
}

std::optional<quint64> VirtualPort::nextArrival() const
{
    for (const Pending &p : m_pending) {
        if (p.at > m_clock.now())
            return p.at;
    }
    return std::nullopt;
}

bool VirtualUi::askYesNo(const QString &text)
{
    questions.append(text);
    return false;
}

void VirtualUi::processEvents()
{
    if (++passes > maxPasses)
        qFatal("link loop: %d passes through the event loop without end", passes);
    const std::optional<quint64> escape = m_port.escapeAt();
    if (escape && m_clock.now() >= *escape) {
        m_escape = true;
        m_port.escapeTaken();
    }
}

void VirtualUi::waitForEvents()
{
    if (m_port.bytesAvailable() > 0)
        qFatal("link loop: sleeps with a byte waiting on the port");
    std::optional<quint64> next = m_clock.nextWake();
    for (const std::optional<quint64> &event : {m_port.nextArrival(), m_port.escapeAt()}) {
        if (event && (!next || *event < *next))
            next = event;
    }
    if (!next)
        qFatal("link loop: sleeps with no deadline, byte or key to wake it");
    m_clock.advanceTo(*next);
}

bool VirtualUi::takeEscape()
{
    const bool pressed = m_escape;
    m_escape = false;
    return pressed;
}

} // namespace tavrin::test
