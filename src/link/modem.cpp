#include "link/modem.h"

#include "link/deadline.h"
#include "link/linktexts.h"
#include "link/linkui.h"
#include "link/linkwait.h"
#include "link/modemreplies.h"
#include "link/serialport.h"

#include "settings/cp1251.h"

#include <QScopeGuard>

namespace tavrin {

namespace {

constexpr char kCR = 0x0D;
constexpr char kLF = 0x0A;
constexpr int kMaxReplyLine = 255;

const QByteArray kEchoOff = QByteArrayLiteral("ATE0\r");
const QByteArray kVerbose = QByteArrayLiteral("ATV1\r");
const QByteArray kEscapeSequence = QByteArrayLiteral("+++");
const QByteArray kHangUp = QByteArrayLiteral("ath\r");
const QByteArray kGsmStatus = QByteArrayLiteral("AT+CPAS\r");

bool isLineEnd(char c)
{
    return c == kCR || c == kLF;
}

QString shown(const QByteArray &bytes)
{
    return cp1251::decode(bytes);
}

bool accepted(const QByteArray &reply)
{
    return ContainsText(reply.constData(), "OK") || ContainsText(reply.constData(), "ok");
}

bool connected(const QByteArray &reply)
{
    return ContainsText(reply.constData(), "ONNE") || ContainsText(reply.constData(), "onne");
}

} // namespace

ModemDialogue::ModemDialogue(SerialPort &port, LinkUi &ui, const LinkTiming &timing)
    : m_port(port), m_ui(ui), m_timing(timing)
{
}

ModemDialogue::StopBaseline ModemDialogue::currentStops() const
{
    return {linkwait::closing(&m_ui), m_abortFlag && *m_abortFlag};
}

bool ModemDialogue::stopRequested() const
{
    const StopBaseline now = currentStops();
    return (now.closing && !m_baseline.closing) || (now.aborting && !m_baseline.aborting);
}

void ModemDialogue::pump()
{
    linkwait::pump(&m_ui);
}

// A line starts at the first CR or LF and ends at a CR or LF from its fourth byte on,
// so the CR LF that opens a verbose reply does not end it. The deadline covers the
// search for the start and the line together.
ModemDialogue::LineRead ModemDialogue::readLine(QByteArray &line, int waitMs, bool watchEscape)
{
    Deadline deadline;
    deadline.start(waitMs);
    line.clear();
    bool started = false;
    for (;;) {
        pump();
        if (watchEscape && linkwait::escapePressed(&m_ui))
            return LineRead::Escaped;
        if (stopRequested())
            return LineRead::Stopped;
        char byte = 0;
        int got = m_port.readByte(&byte);
        if (got < 0) {
            m_port.clearError();
            got = 0;
        }
        if (got == 1 && !started) {
            // The echo of the command and stray bytes before the line are dropped.
            if (isLineEnd(byte)) {
                started = true;
                line.append(byte);
                continue;
            }
        } else if (got == 1) {
            line.append(byte);
            if (line.size() > 3 && isLineEnd(byte))
                return LineRead::Complete;
        }
        if (deadline.expired())
            return LineRead::TimedOut;
        if (line.size() >= kMaxReplyLine)
            return LineRead::Complete;
        if (got == 0 && m_port.bytesAvailable() == 0)
            linkwait::sleep(&m_ui);
    }
}

int ModemDialogue::ModemCommand(const QByteArray &command, QByteArray &reply, int waitMs,
                                bool showProgress)
{
    KeyboardWatch watch(&m_ui);
    const auto stopped = [&reply] {
        reply = kEscapeReply;
        return int(DialAborted);
    };
    if (showProgress) {
        m_ui.setResultText(linktext::ModemCommandSent(shown(command)));
        pump();
    }
    if (stopRequested())
        return stopped();
    m_port.purge();
    pump();
    if (stopRequested())
        return stopped();
    reply.clear();
    Pause(m_timing.commandGapMs);
    // A failed write shows as a reply time-out.
    m_port.write(command.constData(), command.size());

    QByteArray line;
    switch (readLine(line, waitMs, true)) {
    case LineRead::Complete:
        break;
    case LineRead::TimedOut:
        return DialReplyTimeout;
    case LineRead::Escaped:
    case LineRead::Stopped:
        return stopped();
    }
    reply = line;
    if (showProgress) {
        m_ui.setResultText(linktext::ModemCommandAnswered(shown(command), shown(reply)));
        pump();
    }
    return ClassifyModemReply(reply.constData());
}

ModemDialogue::PresenceReply ModemDialogue::presenceCommand(const QByteArray &command, bool showProgress)
{
    QByteArray reply;
    const int result = ModemCommand(command, reply, m_timing.presenceReplyWaitMs, showProgress);
    return {result, result == DialOk && ModemReplyRecognised(reply.constData())};
}

// A modem in data mode hears "+++" only after a silence. Silence in answer means
// there is no modem.
int ModemDialogue::escapeToCommandMode(bool &answered)
{
    Pause(m_timing.escapeGuardMs);
    answered = false;
    const PresenceReply escape = presenceCommand(kEscapeSequence, false);
    if (escape.result == DialReplyTimeout)
        return DialNoModem;
    answered = escape.commandMode;
    return escape.result;
}

int ModemDialogue::CheckModem(bool showProgress)
{
    const PresenceReply echoOff = presenceCommand(kEchoOff, showProgress);
    if (echoOff.result != DialOk && echoOff.result != DialReplyTimeout)
        return echoOff.result;
    bool escapeAnswered = false;
    bool needEscape = !echoOff.commandMode;
    bool needEchoOffAgain = !echoOff.commandMode;
    for (int round = 1; round <= 2; ++round) {
        if (needEscape) {
            const int escaped = escapeToCommandMode(escapeAnswered);
            if (escaped != DialOk)
                return escaped;
        }
        if (needEchoOffAgain) {
            Pause(m_timing.escapeGuardMs);
            const PresenceReply again = presenceCommand(kEchoOff, false);
            if (again.result != DialOk || again.commandMode)
                return again.result; // no ATV1 once the modem answers here
        }
        const PresenceReply verbose = presenceCommand(kVerbose, showProgress);
        if (verbose.result != DialOk || verbose.commandMode)
            return verbose.result;
        needEscape = !escapeAnswered;
        needEchoOffAgain = true;
    }
    // After two rounds the check gives up and lets the dialling decide.
    return DialOk;
}

int ModemDialogue::DialSubscriber(const QString &phoneNumber, const QString &initCommands,
                                  bool showProgress, int rounds, int connectWaitSeconds)
{
    const int checked = CheckModem(showProgress);
    if (checked != DialOk)
        return checked;
    const QList<QByteArray> initLines = SplitInitCommands(cp1251::encode(initCommands));
    const QByteArray dialCommand = "ATD" + cp1251::encode(StripPhoneNumber(phoneNumber)) + kCR;
    const int waitMs = SecondsToMs(connectWaitSeconds);
    Pause(m_timing.dialPauseMs);

    // The presence check and the pause above are not repeated by later rounds. A
    // round that the GSM check fails, or a stop, ends the dial.
    for (int roundsLeft = qMax(rounds, 1);; --roundsLeft) {
        const int result = dialRound(initLines, dialCommand, waitMs, showProgress);
        if (result == DialOk || result == DialGsmNotReady || stopRequested() || roundsLeft <= 1)
            return result;
    }
}

// One dialling round: the init commands, each answered by OK, the GSM readiness
// check and the dial command, answered by CONNECT.
int ModemDialogue::dialRound(const QList<QByteArray> &initLines, const QByteArray &dialCommand, int waitMs,
                             bool showProgress)
{
    QByteArray reply;
    for (const QByteArray &line : initLines) {
        pump();
        if (stopRequested())
            return DialAborted;
        int result = ModemCommand(line, reply, waitMs, showProgress);
        if (result == DialOk && !accepted(reply))
            result = DialNotConnected;
        if (result != DialOk)
            return stopRequested() ? int(DialAborted) : result;
        Pause(m_timing.acceptedCommandPauseMs);
    }
    if (stopRequested())
        return DialAborted;
    if (!CheckGsmReady(showProgress))
        return stopRequested() ? int(DialAborted) : int(DialGsmNotReady);
    pump();
    if (stopRequested())
        return DialAborted;
    int result = ModemCommand(dialCommand, reply, waitMs, showProgress);
    m_dialUnanswered = result == DialAborted || result == DialReplyTimeout;
    if (result == DialOk && connected(reply)) {
        Pause(m_timing.acceptedCommandPauseMs);
        return DialOk;
    }
    if (result == DialOk)
        result = DialNotConnected;
    return stopRequested() ? int(DialAborted) : result;
}

bool ModemDialogue::CheckGsmReady(bool showProgress)
{
    if (stopRequested())
        return false;
    m_port.purge();
    if (showProgress) {
        m_ui.setResultText(linktext::GsmCheckSent());
        pump();
        if (stopRequested())
            return false;
    }
    m_port.write(kGsmStatus.constData(), kGsmStatus.size());

    // Two lines: the status, then OK; nothing is sent again in between.
    const char *expected = "+CPAS: 0";
    for (int lineNumber = 1; lineNumber <= 2; ++lineNumber) {
        QByteArray line;
        if (readLine(line, m_timing.gsmLineWaitMs, false) != LineRead::Complete)
            return false;
        if (showProgress) {
            m_ui.setResultText(linktext::GsmCheckAnswered(shown(line)));
            pump();
        }
        if (!ContainsText(line.constData(), expected))
            return false;
        expected = "OK";
    }
    return true;
}

int ModemDialogue::AwaitReply(QByteArray &reply, int waitMs)
{
    reply.clear();
    switch (readLine(reply, waitMs, false)) {
    case LineRead::Complete:
        return ClassifyModemReply(reply.constData());
    case LineRead::TimedOut:
        return DialReplyTimeout;
    case LineRead::Escaped:
    case LineRead::Stopped:
        break;
    }
    reply = kEscapeReply;
    return DialAborted;
}

void ModemDialogue::HangUp(bool escapeAtOnce)
{
    // A hang-up that the closing window itself asks for runs to its end: it is what
    // ends the call. A close or abort that arrives during it stops it at once, since
    // the port may be gone when the events return.
    const StopBaseline saved = m_baseline;
    m_baseline = currentStops();
    const auto restore = qScopeGuard([this, saved] { m_baseline = saved; });

    QByteArray reply;
    if (!escapeAtOnce) {
        pump();
        if (stopRequested())
            return;
        const int result = ModemCommand(kHangUp, reply, m_timing.hangUpReplyWaitMs, false);
        if (stopRequested())
            return;
        // A classified report in command mode (NO CARRIER, ERROR): the line is down already.
        if (result != DialOk && ModemReplyRecognised(reply.constData()))
            return;
    }
    Pause(m_timing.hangUpGuardMs);
    pump();
    if (stopRequested())
        return;
    ModemCommand(kEscapeSequence, reply, m_timing.hangUpReplyWaitMs, false);
    if (stopRequested())
        return;
    pump();
    if (stopRequested())
        return;
    ModemCommand(kHangUp, reply, m_timing.hangUpReplyWaitMs, false);
}

} // namespace tavrin
