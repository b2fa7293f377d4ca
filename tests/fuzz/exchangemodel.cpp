#include "exchangemodel.h"

#include "link/exchangechannel.h" // TraceCharacter: how the log shows one byte

#include <algorithm>
#include <string_view>

namespace tavrin::fuzz {

namespace {

constexpr quint64 kTicksPerMs = 1'000'000;
constexpr int kLongestCommand = 498;
constexpr qsizetype kFrameLimit = 500;

quint64 ticks(int ms)
{
    return ms > 0 ? quint64(ms) * kTicksPerMs : 0;
}

} // namespace

ExchangeModel::ExchangeModel(const LinkSetup &setup, QList<test::VirtualPort::Script> scripts)
    : m_setup(setup)
    , m_scripts(std::move(scripts))
{
}

bool ExchangeModel::run(const QList<QByteArray> &commands, int maxCycles)
{
    for (const QByteArray &command : commands) {
        m_expected.outcomes.append(transaction(command, maxCycles));
        if (m_expected.cycles > maxCycles)
            return false;
    }
    m_expected.endTime = m_now;
    return true;
}

bool ExchangeModel::carrierLost() const
{
    const std::string_view text(m_ring.data(), std::find(m_ring.begin(), m_ring.end(), '\0') - m_ring.begin());
    return text.find("NO CARRI") != text.npos || text.find("no carri") != text.npos;
}

void ExchangeModel::trace(const QByteArray &bytes)
{
    for (const char byte : bytes) {
        if (m_expected.trace.last().size() >= 100)
            m_expected.trace.append(QString());
        m_expected.trace.last() += TraceCharacter(static_cast<unsigned char>(byte));
    }
}

TransactionOutcome ExchangeModel::transaction(const QByteArray &command, int maxCycles)
{
    TransactionOutcome outcome;
    if (command.size() > kLongestCommand) {
        outcome.result = WriteFailed;
        m_expected.shownResults.append(outcome.result);
        return outcome;
    }
    // Each transaction watches its own bytes for the no-carrier report, unless the
    // watch still holds a loss the user declined to restore.
    if (!carrierLost()) {
        m_ring.fill(0);
        m_ringPos = 0;
    }
    quint64 graceEnd = 0;
    for (int left = std::max(m_setup.attempts, 1); left > 0 && m_expected.cycles <= maxCycles;) {
        ++m_expected.cycles;
        m_expected.activityTexts += 2;
        outcome.result = cycle(command, outcome.frame);
        if (outcome.result == Ok || outcome.result == Aborted)
            break;
        bool costs = true;
        if (m_setup.phoneLink && outcome.result == CarrierLost) {
            ++m_expected.questions; // answered No: the link stays broken
            break;
        }
        if (m_setup.phoneLink && (outcome.result == NoAnswer || outcome.result == Incomplete)) {
            if (carrierLost()) {
                ++m_expected.questions;
                outcome.result = CarrierLost;
                break;
            }
            costs = graceEnd != 0 && m_now > graceEnd;
            if (graceEnd == 0)
                graceEnd = m_now + ticks(m_setup.graceWindowMs);
        }
        left -= costs ? 1 : 0;
    }
    outcome.done = outcome.result == Ok;
    if (!outcome.done)
        m_expected.shownResults.append(outcome.result);
    return outcome;
}

int ExchangeModel::cycle(const QByteArray &command, QByteArray &frame)
{
    if (carrierLost())
        return CarrierLost;
    const test::VirtualPort::Script script = m_scripts.isEmpty() ? test::VirtualPort::Script{} : m_scripts.takeFirst();
    const int sent = sendCommand(command, script);
    if (sent == WriteFailed)
        ++m_expected.errorClears;
    return sent == Ok ? receive(script, frame) : sent;
}

bool ExchangeModel::watchByte(char byte)
{
    m_ring[size_t(m_ringPos)] = byte;
    m_ringPos = (m_ringPos + 1) % int(m_ring.size());
    return !carrierLost();
}

// The bytes that have arrived by now, read up to a read that fails; with watchCarrier
// they go into the carrier watch until one completes a no-carrier report.
QByteArray ExchangeModel::readArrived(bool watchCarrier, bool &lost)
{
    QByteArray arrived;
    lost = false;
    while (!m_unread.isEmpty() && m_unread.first().at <= m_now) {
        const Unread next = m_unread.takeFirst();
        if (next.byte == test::VirtualPort::kReadError) {
            ++m_expected.errorClears;
            break;
        }
        arrived += char(next.byte);
        if (watchCarrier && !lost && !watchByte(char(next.byte)))
            lost = true;
    }
    return arrived;
}

// The bytes that have arrived before the purge are read first and traced on a line of
// their own, then the command gets a line of its own; on a phone link they go into the
// carrier watch, and a no-carrier report among them ends the cycle before the command.
bool ExchangeModel::watchWaiting()
{
    bool lost = false;
    const QByteArray waiting = readArrived(m_setup.phoneLink, lost);
    if (waiting.isEmpty())
        return true;
    m_expected.trace << QStringLiteral(" ");
    trace(waiting);
    if (lost)
        return false;
    m_expected.trace << QStringLiteral(" ");
    return true;
}

void ExchangeModel::dropArrived()
{
    m_unread.erase(std::remove_if(m_unread.begin(), m_unread.end(), [this](const Unread &u) { return u.at <= m_now; }),
                   m_unread.end());
}

// The events from index from on, timed from written, stay with the device.
void ExchangeModel::keepUnread(const QList<test::VirtualPort::Event> &events, qsizetype from, quint64 written)
{
    quint64 at = written;
    for (qsizetype i = 0; i < events.size(); ++i) {
        at += ticks(events[i].afterMs);
        if (i >= from)
            m_unread.append({at, events[i].byte});
    }
}

// Two blank lines, the wake-up byte and its pause, the purge, the command and its CR on
// the second line, a blank line for the reply.
int ExchangeModel::sendCommand(const QByteArray &command, const test::VirtualPort::Script &script)
{
    m_expected.trace << QStringLiteral(" ") << QStringLiteral(" ");
    // The cycle's first write is the one a failing script fails.
    if (m_setup.wakeUpByte) {
        if (script.failWrite)
            return WriteFailed;
        m_expected.writes.append({m_now, QByteArray(1, '\0')});
        trace(QByteArray(1, '\0'));
        keepUnread(script.wakeAnswer, 0, m_now);
        std::stable_sort(m_unread.begin(), m_unread.end(), [](const Unread &a, const Unread &b) { return a.at < b.at; });
        m_now += ticks(100) + 1;
    }
    if (!watchWaiting())
        return CarrierLost;
    m_expected.purges.append(m_now);
    dropArrived();
    if (script.failWrite && !m_setup.wakeUpByte)
        return WriteFailed;
    // The device gives up what it had still to send and answers the command.
    m_unread.clear();
    const QByteArray line = command + '\r';
    m_expected.writes.append({m_now, line});
    trace(line);
    m_expected.trace << QStringLiteral(" ");
    return Ok;
}

// The reply from the command on: the frame opens with {" and closes with "}; before it
// the first-byte wait runs from the command, inside it the gap wait from the last byte.
// A wait has run out once the clock is past it; an Esc at the same moment as a byte
// comes first.
int ExchangeModel::receive(const test::VirtualPort::Script &script, QByteArray &frame)
{
    const quint64 written = m_now;
    const bool escape = script.escapeAfterMs >= 0;
    const quint64 escapeAt = written + ticks(script.escapeAfterMs);
    quint64 lastByte = 0;
    QByteArray candidate; // the frame from its '{' on
    const auto timeOutAt = [&] {
        return candidate.size() >= 2 ? lastByte + ticks(m_setup.interByteWaitMs) + 1
                                     : written + ticks(m_setup.firstByteWaitMs) + 1;
    };
    quint64 offset = 0;
    const QList<test::VirtualPort::Event> &events = script.reply;
    qsizetype next = 0;
    for (; next < events.size(); ++next) {
        const test::VirtualPort::Event &event = events[next];
        offset += ticks(event.afterMs);
        const quint64 at = written + offset;
        if (escape && escapeAt <= at && escapeAt < timeOutAt()) {
            m_now = escapeAt;
            keepUnread(events, next, written);
            return Aborted;
        }
        if (at >= timeOutAt())
            break;
        m_now = at;
        if (event.byte == test::VirtualPort::kReadError) {
            ++m_expected.errorClears;
            continue;
        }
        const char byte = char(event.byte);
        trace(QByteArray(1, byte));
        if (candidate.size() < 2)
            candidate = (candidate.isEmpty() ? byte == '{' : byte == '"') ? candidate + byte : QByteArray();
        else
            candidate += byte;
        int result = -1;
        if (m_setup.phoneLink && !watchByte(byte))
            result = CarrierLost;
        else if (candidate.size() >= 3 && candidate.endsWith("\"}"))
            result = Ok;
        else if (candidate.size() >= kFrameLimit)
            result = Overflow;
        if (result >= 0) {
            if (result == Ok)
                frame = candidate;
            keepUnread(events, next + 1, written);
            if (result == CarrierLost) {
                // The rest of the report that has come is traced after it.
                std::stable_sort(m_unread.begin(), m_unread.end(),
                                 [](const Unread &a, const Unread &b) { return a.at < b.at; });
                bool lost = false;
                trace(readArrived(false, lost));
            }
            return result;
        }
        lastByte = at;
    }
    keepUnread(events, next, written);
    if (escape && escapeAt < timeOutAt()) {
        m_now = escapeAt;
        return Aborted;
    }
    m_now = timeOutAt();
    // What has arrived by the time-out is traced before the purge.
    std::stable_sort(m_unread.begin(), m_unread.end(), [](const Unread &a, const Unread &b) { return a.at < b.at; });
    bool lost = false;
    trace(readArrived(m_setup.phoneLink, lost));
    m_expected.purges.append(m_now);
    dropArrived();
    return candidate.size() >= 2 ? Incomplete : NoAnswer;
}

} // namespace tavrin::fuzz
