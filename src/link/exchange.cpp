#include "link/exchangechannel.h"

#include "link/deadline.h"
#include "link/linkui.h"
#include "link/linkwait.h"
#include "link/modem.h"
#include "link/serialport.h"

#include "settings/settings.h"

#include <cstring>

namespace tavrin {

namespace {

constexpr char kCR = 0x0D;
constexpr char kLeftBrace = 0x7B;
constexpr char kQuote = 0x22;
constexpr char kRightBrace = 0x7D;

bool onPhoneLink(const ExchangeChannel &channel)
{
    return channel.settings && channel.settings->Conn_Prz == Phone;
}

quint64 toTicks(int ms)
{
    return ms <= 0 ? 0 : quint64(ms) * PerformanceFrequency() / 1000;
}

// Pumps the window's events once; an Esc pressed meanwhile, or the window closing,
// becomes an abort request.
void pumpAndWatch(ExchangeChannel &channel)
{
    linkwait::pump(channel.ui);
    if (linkwait::escapePressed(channel.ui) || linkwait::closing(channel.ui))
        channel.abortRequested = true;
}

// An abort request is consumed by the first cycle that sees it.
bool takeAbort(ExchangeChannel &channel)
{
    if (!channel.abortRequested)
        return false;
    channel.abortRequested = false;
    channel.result = Aborted;
    return true;
}

void addTraceLine(ExchangeChannel &channel)
{
    if (!channel.ui)
        return;
    channel.ui->log().addLine(QStringLiteral(" "));
    channel.ui->log().refresh();
}

void showResult(ExchangeChannel &channel)
{
    if (channel.ui && channel.result >= 0 && channel.result < int(channel.resultTexts.size()))
        channel.ui->setResultText(channel.resultTexts[channel.result]);
}

bool failWrite(ExchangeChannel &channel, SerialPort *port)
{
    if (port)
        ClearPortError(*port);
    channel.result = WriteFailed;
    return false;
}

// One write/read cycle over the first byteCount bytes of sendBuffer.
bool ExchangeCycle(ExchangeChannel &channel, int byteCount)
{
    pumpAndWatch(channel);
    if (takeAbort(channel))
        return false;
    if (!channel.carrierInRing()) {
        channel.result = CarrierLost;
        return false;
    }

    if (channel.ui)
        channel.ui->log().beginExchange();
    addTraceLine(channel);
    addTraceLine(channel);
    SerialPort *port = channel.port;
    if (channel.wakeUpByte) {
        const char zero = 0;
        if (!port || port->write(&zero, 1) < 0)
            return failWrite(channel, port);
        TraceBytes(channel, &zero, 1);
        Pause(channel.timing.wakeUpPauseMs);
    }
    // Whatever answered the wake-up byte, or was left of an earlier reply, goes here.
    if (port)
        port->purge();
    if (!port || port->write(channel.sendBuffer.data(), byteCount) < 0)
        return failWrite(channel, port);
    TraceBytes(channel, channel.sendBuffer.data(), byteCount);
    addTraceLine(channel);

    Deadline firstByte;
    Deadline gap;
    firstByte.start(channel.firstByteWaitMs);
    channel.carrierRingPos = 0;
    channel.result = ExchangeOk;
    channel.receiveBuffer[0] = 0;
    const bool phone = onPhoneLink(channel);
    int i = 0;

    for (;;) {
        pumpAndWatch(channel);
        if (takeAbort(channel))
            return false;
        // The window may have closed the link while its events ran.
        port = channel.port;
        char byte = 0;
        int got = port ? port->readByte(&byte) : 0;
        if (got < 0) {
            ClearPortError(*port);
            got = 0;
        }
        if (got == 1) {
            channel.receiveBuffer[i] = byte;
            TraceBytes(channel, &byte, 1);
            channel.receiveBuffer[i + 1] = 0;
            if (phone) {
                channel.carrierRing[channel.carrierRingPos] = byte;
                channel.carrierRingPos = (channel.carrierRingPos + 1) % int(channel.carrierRing.size());
                if (!channel.carrierInRing()) {
                    channel.result = CarrierLost;
                    return false;
                }
            }
            if (i == 0) {
                if (byte == kLeftBrace)
                    i = 1;
            } else if (i == 1) {
                // A second brace where the quote belongs drops both.
                i = byte == kQuote ? 2 : 0;
            } else {
                // The quote of the start mark may also open the end mark: {"} is a frame.
                if (byte == kRightBrace && channel.receiveBuffer[i - 1] == kQuote)
                    return true;
                if (++i >= kFrameCapacity) {
                    channel.result = ReceiveOverflow;
                    return false;
                }
            }
            if (i >= 2)
                gap.start(channel.interByteWaitMs);
        }

        // Bytes before the start mark do not extend the first-byte wait.
        if (i < 2 ? firstByte.expired() : gap.expired()) {
            channel.result = i < 2 ? NoAnswer : IncompleteReply;
            if (port)
                port->purge();
            return false;
        }
        if (got == 0 && (!port || port->bytesAvailable() == 0))
            linkwait::sleep(channel.ui);
    }
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

void ExchangeChannel::arm(SerialPort *openPort, qint32 rate, qint32 waitTimeSeconds, qint32 timeOutMs,
                          quint8 repeat, bool firstZeroNeed)
{
    port = openPort;
    baudRate = rate;
    firstByteWaitMs = SecondsToMs(waitTimeSeconds);
    interByteWaitMs = timeOutMs;
    attempts = repeat;
    wakeUpByte = firstZeroNeed;
    abortRequested = false;
    // A no-carrier report left from an earlier link must not end the new link's first exchange.
    clearCarrierRing();
}

bool ExchangeChannel::carrierInRing() const
{
    const QByteArray text(carrierRing.data(), qsizetype(qstrnlen(carrierRing.data(), carrierRing.size())));
    return CarrierPresent(text.constData());
}

void ExchangeChannel::clearCarrierRing()
{
    carrierRing.fill(0);
    carrierRingPos = 0;
}

void ExchangeChannel::disarm()
{
    abortRequested = true;
    port = nullptr;
}

bool RunExchange(ExchangeChannel &channel, const char *text, int length)
{
    // A second transaction started from an event handler while one runs would share
    // the buffers and the port; it is refused without touching either.
    if (channel.busy)
        return false;
    Transaction transaction(channel);

    channel.result = ExchangeOk;
    if (length < 0 || length > kMaxCommandLength || (!text && length > 0)) {
        channel.result = WriteFailed;
        showResult(channel);
        return false;
    }
    if (length > 0)
        std::memcpy(channel.sendBuffer.data(), text, size_t(length));
    channel.sendBuffer[length] = kCR;
    channel.sendBuffer[length + 1] = 0;
    channel.retryWindowEnd = 0;

    KeyboardWatch watch(channel.ui);
    int counter = channel.attempts == 0 ? 1 : channel.attempts;
    while (counter != 0) {
        if (channel.ui) {
            channel.ui->setActivityText(QStringLiteral(u"Обмен..."));
            linkwait::pump(channel.ui);
        }
        const bool done = ExchangeCycle(channel, length + 1);
        if (channel.ui) {
            channel.ui->setActivityText(QString());
            linkwait::pump(channel.ui);
        }
        if (done)
            break;
        if (channel.result == Aborted || linkwait::closing(channel.ui)) {
            channel.result = Aborted;
            break;
        }
        if (!onPhoneLink(channel)) {
            --counter;
            continue;
        }

        if (channel.result == CarrierLost) {
            watch.suspend();
            const int restored = AskRestoreModemLink(channel, false);
            watch.resume();
            if (restored == 2) {
                showResult(channel);
                return false;
            }
        } else if (channel.result == NoAnswer || channel.result == IncompleteReply) {
            watch.suspend();
            const int restored = AskRestoreModemLink(channel, true);
            watch.resume();
            if (restored == 0) {
                // Time-outs cost no attempt while the grace window runs.
                const quint64 now = PerformanceCounter();
                if (channel.retryWindowEnd == 0)
                    channel.retryWindowEnd = now + toTicks(channel.timing.phoneGraceWindowMs);
                else if (now > channel.retryWindowEnd)
                    --counter;
            } else if (restored == 1) {
                channel.retryWindowEnd = 0;
                channel.clearCarrierRing();
            } else {
                channel.result = CarrierLost;
                showResult(channel);
                return false;
            }
        } else {
            --counter;
        }
        if (linkwait::closing(channel.ui)) {
            channel.result = Aborted;
            break;
        }
    }

    if (channel.result == ExchangeOk)
        return true;
    showResult(channel);
    return false;
}

} // namespace tavrin
