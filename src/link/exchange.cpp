#include "link/exchangechannel.h"

#include "link/exchangecycle.h"
#include "link/linkclock.h"
#include "link/linktexts.h"
#include "link/linkui.h"
#include "link/linkwait.h"
#include "link/serialport.h"

#include <cstring>

namespace tavrin {

namespace {

constexpr char kCR = 0x0D;

// What a failed cycle costs the transaction.
enum class RetryCost { OneAttempt, Free, GiveUp };

bool networkLinkLost(const ExchangeChannel &channel)
{
    return channel.result == CarrierLost && channel.port && channel.port->connectionLost();
}

void showResult(ExchangeChannel &channel)
{
    if (!channel.ui)
        return;
    // A lost network connection names where it went rather than a modem.
    if (networkLinkLost(channel))
        channel.ui->setResultText(channel.port->lossText());
    else if (channel.result >= 0 && channel.result < int(channel.resultTexts.size()))
        channel.ui->setResultText(channel.resultTexts[size_t(channel.result)]);
}

void showActivity(ExchangeChannel &channel, const QString &text)
{
    if (!channel.ui)
        return;
    channel.ui->setActivityText(text);
    linkwait::pump(channel.ui);
}

// The command text, then CR and a zero, into sendBuffer; false when it does not fit.
bool loadCommand(ExchangeChannel &channel, const char *text, int length)
{
    if (length < 0 || length > kMaxCommandLength || (!text && length > 0))
        return false;
    if (length > 0)
        std::memcpy(channel.sendBuffer.data(), text, size_t(length));
    channel.sendBuffer[size_t(length)] = kCR;
    channel.sendBuffer[size_t(length) + 1] = 0;
    return true;
}

bool cycleShowingActivity(ExchangeChannel &channel, int byteCount)
{
    showActivity(channel, linktext::ExchangeActivity());
    const bool done = ExchangeCycle(channel, byteCount);
    showActivity(channel, QString());
    return done;
}

// The question is the user's: Esc must reach it rather than the exchange.
int askRestore(ExchangeChannel &channel, KeyboardWatch &watch, bool checkRingFirst)
{
    watch.suspend();
    const int answer = AskRestoreModemLink(channel, checkRingFirst);
    watch.resume();
    return answer;
}

// Time-outs cost no attempt while the grace window that the first of them opened runs.
RetryCost graceWindowCost(ExchangeChannel &channel)
{
    const quint64 now = PerformanceCounter();
    if (channel.retryWindowEnd == 0) {
        channel.retryWindowEnd = now + MsToTicks(channel.timing.phoneGraceWindowMs);
        return RetryCost::Free;
    }
    return now > channel.retryWindowEnd ? RetryCost::OneAttempt : RetryCost::Free;
}

// On a phone link a lost carrier, or a time-out with the carrier gone, leads to the
// restore question; a restored link repeats the command free of charge.
RetryCost phoneLinkRetryCost(ExchangeChannel &channel, KeyboardWatch &watch)
{
    if (channel.result == CarrierLost)
        return askRestore(channel, watch, false) == LinkNotRestored ? RetryCost::GiveUp : RetryCost::Free;
    if (channel.result != NoAnswer && channel.result != IncompleteReply)
        return RetryCost::OneAttempt;
    switch (askRestore(channel, watch, true)) {
    case CarrierStillPresent:
        return graceWindowCost(channel);
    case LinkRestored:
        channel.retryWindowEnd = 0;
        channel.clearCarrierRing();
        return RetryCost::Free;
    default:
        channel.result = CarrierLost;
        return RetryCost::GiveUp;
    }
}

// A network link that lost its connection: the user is asked whether to connect again,
// and again after each failed try; a restored link repeats the command free of charge.
RetryCost networkLinkRetryCost(ExchangeChannel &channel, KeyboardWatch &watch)
{
    if (!channel.ui)
        return RetryCost::GiveUp;
    watch.suspend();
    bool restored = false;
    while (!restored && !linkwait::closing(channel.ui) && channel.port
           && channel.ui->askYesNo(linktext::NetworkRestoreQuestion(channel.port->lossText()))) {
        BusyCursor busy(channel.ui);
        restored = channel.port && channel.port->reconnect(channel.ui);
    }
    watch.resume();
    return restored ? RetryCost::Free : RetryCost::GiveUp;
}

bool finish(ExchangeChannel &channel)
{
    if (channel.result == ExchangeOk)
        return true;
    showResult(channel);
    return false;
}

// Marks the channel busy for the length of one transaction.
class Transaction {
public:
    explicit Transaction(ExchangeChannel &channel) : m_channel(channel) { m_channel.busy = true; }
    ~Transaction() { m_channel.busy = false; }
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;

private:
    ExchangeChannel &m_channel;
};

} // namespace

bool RunExchange(ExchangeChannel &channel, const char *text, int length)
{
    // A second transaction started from an event handler while one runs would share
    // the buffers and the port; it is refused without touching either.
    if (channel.busy)
        return false;
    Transaction transaction(channel);
    channel.result = ExchangeOk;
    if (!loadCommand(channel, text, length)) {
        channel.result = WriteFailed;
        return finish(channel);
    }
    channel.retryWindowEnd = 0;
    // The carrier watch starts empty, so an earlier exchange's bytes cannot complete a
    // no-carrier report with this one's; a loss the user declined to restore stays in
    // it and ends the first cycle at once.
    if (channel.carrierInRing())
        channel.clearCarrierRing();

    KeyboardWatch watch(channel.ui);
    for (int attemptsLeft = qMax<int>(channel.attempts, 1); attemptsLeft > 0;) {
        if (cycleShowingActivity(channel, length + 1))
            break;
        if (channel.result == Aborted || linkwait::closing(channel.ui)) {
            channel.result = Aborted;
            break;
        }
        const RetryCost cost = networkLinkLost(channel) ? networkLinkRetryCost(channel, watch)
            : channel.onPhoneLink()                      ? phoneLinkRetryCost(channel, watch)
                                                         : RetryCost::OneAttempt;
        if (cost == RetryCost::GiveUp)
            break;
        if (cost == RetryCost::OneAttempt)
            --attemptsLeft;
        if (linkwait::closing(channel.ui)) {
            channel.result = Aborted;
            break;
        }
    }
    return finish(channel);
}

} // namespace tavrin
