#include "link/modem.h"

#include "link/deadline.h"
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
        m_ui.setResultText(QStringLiteral(u" Установление связи по телефону. Команда %1.").arg(shown(command)));
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
        m_ui.setResultText(QStringLiteral(u" Установление связи по телефону. Команда %1.  Ответ %2")
                               .arg(shown(command), shown(reply)));
        pump();
    }
    return ClassifyModemReply(reply.constData());
}

int ModemDialogue::CheckModem(bool showProgress)
{
    enum class Step { EchoOff, Escape, EchoOffAgain, Verbose };
    Step step = Step::EchoOff;
    bool escaped = false;
    bool secondRound = false;
    QByteArray reply;
    for (;;) {
        switch (step) {
        case Step::EchoOff: {
            const int result = ModemCommand(kEchoOff, reply, m_timing.presenceReplyWaitMs, showProgress);
            if (result != DialOk && result != DialReplyTimeout)
                return result;
            step = result == DialOk && ModemReplyRecognised(reply.constData()) ? Step::Verbose : Step::Escape;
            break;
        }
        case Step::Escape: {
            // A modem in data mode hears "+++" only after a silence.
            Pause(m_timing.escapeGuardMs);
            escaped = false;
            const int result = ModemCommand(kEscapeSequence, reply, m_timing.presenceReplyWaitMs, false);
            if (result == DialReplyTimeout)
                return DialNoModem;
            if (result != DialOk)
                return result;
            escaped = ModemReplyRecognised(reply.constData());
            step = Step::EchoOffAgain;
            break;
        }
        case Step::EchoOffAgain: {
            Pause(m_timing.escapeGuardMs);
            const int result = ModemCommand(kEchoOff, reply, m_timing.presenceReplyWaitMs, false);
            if (result != DialOk)
                return result;
            if (ModemReplyRecognised(reply.constData()))
                return DialOk;
            step = Step::Verbose;
            break;
        }
        case Step::Verbose: {
            const int result = ModemCommand(kVerbose, reply, m_timing.presenceReplyWaitMs, showProgress);
            if (result != DialOk)
                return result;
            if (ModemReplyRecognised(reply.constData()))
                return DialOk;
            // After two rounds the check gives up and lets the dialling decide.
            if (secondRound)
                return DialOk;
            secondRound = true;
            step = escaped ? Step::EchoOffAgain : Step::Escape;
            break;
        }
        }
    }
}

int ModemDialogue::DialSubscriber(const QString &phoneNumber, const QString &initCommands,
                                  bool showProgress, int rounds, int connectWaitSeconds)
{
    const int checked = CheckModem(showProgress);
    if (checked != DialOk)
        return checked;
    const QList<QByteArray> initLines = SplitInitCommands(cp1251::encode(initCommands));
    const QByteArray dial = "ATD" + cp1251::encode(StripPhoneNumber(phoneNumber)) + kCR;
    const int waitMs = SecondsToMs(connectWaitSeconds);
    Pause(m_timing.dialPauseMs);

    QByteArray reply;
    int roundsLeft = qMax(rounds, 1);
    for (;;) {
        int result = DialOk;
        for (const QByteArray &line : initLines) {
            pump();
            if (stopRequested())
                return DialAborted;
            result = ModemCommand(line, reply, waitMs, showProgress);
            if (result == DialOk && !accepted(reply))
                result = DialNotConnected;
            if (result != DialOk)
                break;
            Pause(m_timing.acceptedCommandPauseMs);
        }
        if (stopRequested())
            return DialAborted;
        if (result != DialOk) {
            if (--roundsLeft > 0)
                continue;
            return result;
        }

        if (!CheckGsmReady(showProgress))
            return stopRequested() ? int(DialAborted) : int(DialGsmNotReady);
        pump();
        if (stopRequested())
            return DialAborted;
        result = ModemCommand(dial, reply, waitMs, showProgress);
        if (result == DialOk && connected(reply)) {
            Pause(m_timing.acceptedCommandPauseMs);
            return DialOk;
        }
        if (result == DialOk)
            result = DialNotConnected;
        if (stopRequested())
            return DialAborted;
        if (--roundsLeft <= 0)
            return result;
    }
}

bool ModemDialogue::CheckGsmReady(bool showProgress)
{
    if (stopRequested())
        return false;
    m_port.purge();
    if (showProgress) {
        m_ui.setResultText(QStringLiteral(u" Проверка готовности GSM. Команда AT+CPAS"));
        pump();
        if (stopRequested())
            return false;
    }
    m_port.write(kGsmStatus.constData(), kGsmStatus.size());

    // Two lines: the status, then OK; nothing is sent again in between.
    const char *expected = "+CPAS: 0";
    for (int n = 0; n < 2; ++n) {
        QByteArray line;
        if (readLine(line, m_timing.gsmLineWaitMs, false) != LineRead::Complete)
            return false;
        if (showProgress) {
            m_ui.setResultText(QStringLiteral(u" Проверка готовности GSM. Команда AT+CPAS. Ответ %1").arg(shown(line)));
            pump();
        }
        if (!ContainsText(line.constData(), expected))
            return false;
        expected = "OK";
    }
    return true;
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
