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
    if (!sendCommand(command, script)) {
        ++m_expected.errorClears;
        return WriteFailed;
    }
    return receive(script, frame);
}

// Two blank lines, the wake-up byte and its pause, the purge, the command and its CR on
// the second line, a blank line for the reply.
bool ExchangeModel::sendCommand(const QByteArray &command, const test::VirtualPort::Script &script)
{
    m_expected.trace << QStringLiteral(" ") << QStringLiteral(" ");
    // The cycle's first write is the one a failing script fails.
    if (m_setup.wakeUpByte) {
        if (script.failWrite)
            return false;
        m_expected.writes.append({m_now, QByteArray(1, '\0')});
        trace(QByteArray(1, '\0'));
        m_now += ticks(100) + 1;
    }
    m_expected.purges.append(m_now);
    if (script.failWrite && !m_setup.wakeUpByte)
        return false;
    const QByteArray line = command + '\r';
    m_expected.writes.append({m_now, line});
    trace(line);
    m_expected.trace << QStringLiteral(" ");
    return true;
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
    int ringPos = 0;
    const auto timeOutAt = [&] {
        return candidate.size() >= 2 ? lastByte + ticks(m_setup.interByteWaitMs) + 1
                                     : written + ticks(m_setup.firstByteWaitMs) + 1;
    };
    quint64 offset = 0;
    for (const test::VirtualPort::Event &event : script.reply) {
        offset += ticks(event.afterMs);
        const quint64 at = written + offset;
        if (escape && escapeAt <= at && escapeAt < timeOutAt()) {
            m_now = escapeAt;
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
        if (m_setup.phoneLink) {
            m_ring[size_t(ringPos)] = byte;
            ringPos = (ringPos + 1) % int(m_ring.size());
            if (carrierLost())
                return CarrierLost;
        }
        if (candidate.size() >= 3 && candidate.endsWith("\"}")) {
            frame = candidate;
            return Ok;
        }
        if (candidate.size() >= kFrameLimit)
            return Overflow;
        lastByte = at;
    }
    if (escape && escapeAt < timeOutAt()) {
        m_now = escapeAt;
        return Aborted;
    }
    m_now = timeOutAt();
    m_expected.purges.append(m_now);
    return candidate.size() >= 2 ? Incomplete : NoAnswer;
}

} // namespace tavrin::fuzz
