#include "link/exchangecycle.h"

#include "link/deadline.h"
#include "link/exchangechannel.h"
#include "link/linklog.h"
#include "link/linkui.h"
#include "link/linkwait.h"
#include "link/serialport.h"

#include <QByteArray>

namespace tavrin {

namespace {

// What one received byte did to the cycle.
enum class ByteOutcome { KeepReading, FrameComplete, CycleFailed };

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

// A connection the port has lost ends the cycle as a lost carrier does.
bool connectionLost(ExchangeChannel &channel)
{
    if (!channel.port || !channel.port->connectionLost())
        return false;
    channel.result = CarrierLost;
    return true;
}

bool writeToPort(ExchangeChannel &channel, const char *bytes, int count)
{
    SerialPort *port = channel.port;
    if (port && port->write(bytes, count) >= 0)
        return true;
    if (connectionLost(channel))
        return false;
    if (port)
        ClearPortError(*port);
    else
        qCDebug(linkLog, "exchange write of %d bytes failed: no port open", count);
    channel.result = WriteFailed;
    return false;
}

// The next byte buffered on the port, if there is one; a read error counts as none.
// The port is looked up afresh: the window may have closed the link while its
// events ran.
bool readByte(ExchangeChannel &channel, char &byte)
{
    SerialPort *port = channel.port;
    const int got = port ? port->readByte(&byte) : 0;
    if (got < 0)
        ClearPortError(*port);
    return got == 1;
}

// Reads the bytes already waiting, after one pass of the event loop has taken in what
// arrived; with watchCarrier they also go into the carrier watch, and lost tells
// whether they completed a no-carrier report.
QByteArray readWaiting(ExchangeChannel &channel, bool watchCarrier, bool &lost)
{
    linkwait::pump(channel.ui);
    QByteArray waiting;
    lost = false;
    char byte = 0;
    while (readByte(channel, byte)) {
        waiting += byte;
        // Once the report is in the watch, more bytes could only push it out again.
        if (watchCarrier && !lost && !channel.recordForCarrierCheck(byte))
            lost = true;
    }
    return waiting;
}

// Whatever the device sent since the last reply (the rest of that reply, an answer to
// the wake-up byte, a modem's report) is traced on a line of its own before the purge,
// so the log holds every byte; on a phone link it is the first the carrier watch sees,
// so a no-carrier report that came while no exchange ran is not purged unseen. False
// when the bytes hold that report.
bool traceBeforePurge(ExchangeChannel &channel)
{
    bool lost = false;
    const QByteArray waiting = readWaiting(channel, channel.onPhoneLink(), lost);
    if (waiting.isEmpty())
        return true;
    addTraceLine(channel);
    TraceBytes(channel, waiting.constData(), int(waiting.size()), TraceDirection::Received);
    if (lost) {
        channel.result = CarrierLost;
        return false;
    }
    addTraceLine(channel); // the command's own line
    return true;
}

} // namespace

bool TraceWaitingBytes(ExchangeChannel &channel, bool watchCarrier)
{
    bool lost = false;
    const QByteArray waiting = readWaiting(channel, watchCarrier, lost);
    TraceBytes(channel, waiting.constData(), int(waiting.size()), TraceDirection::Received);
    return !lost;
}

namespace {

// The wake-up byte with its pause, if wanted, then the command; both traced.
bool sendCommand(ExchangeChannel &channel, int byteCount)
{
    if (channel.ui)
        channel.ui->log().beginExchange();
    addTraceLine(channel);
    addTraceLine(channel);
    if (channel.wakeUpByte) {
        const char zero = 0;
        if (!writeToPort(channel, &zero, 1))
            return false;
        TraceBytes(channel, &zero, 1, TraceDirection::Sent);
        Pause(channel.timing.wakeUpPauseMs);
    }
    if (!traceBeforePurge(channel))
        return false;
    if (channel.port)
        channel.port->purge();
    if (!writeToPort(channel, channel.sendBuffer.data(), byteCount))
        return false;
    TraceBytes(channel, channel.sendBuffer.data(), byteCount, TraceDirection::Sent);
    addTraceLine(channel);
    return true;
}

ByteOutcome takeByte(ExchangeChannel &channel, FrameScanner &scanner, char byte, bool phoneLink)
{
    const FrameScanner::Progress progress = scanner.feed(byte);
    TraceBytes(channel, &byte, 1, TraceDirection::Received);
    // The modem's no-carrier report may come in the middle of a frame.
    if (phoneLink && !channel.recordForCarrierCheck(byte)) {
        channel.result = CarrierLost;
        // The rest of the report is on its way: what has come of it is traced now,
        // before the hang-up's purge could discard it.
        TraceWaitingBytes(channel, false);
        return ByteOutcome::CycleFailed;
    }
    if (progress == FrameScanner::Overflow) {
        channel.result = ReceiveOverflow;
        return ByteOutcome::CycleFailed;
    }
    return progress == FrameScanner::FrameComplete ? ByteOutcome::FrameComplete : ByteOutcome::KeepReading;
}

// Reads the reply byte by byte until its frame is complete, a wait runs out, the
// carrier is lost or the exchange is aborted. Bytes after the frame stay queued for
// the next cycle's purge.
bool receiveReply(ExchangeChannel &channel)
{
    Deadline firstByte;
    Deadline gap;
    firstByte.start(channel.firstByteWaitMs);
    channel.result = ExchangeOk;
    FrameScanner scanner(channel.receiveBuffer);
    const bool phoneLink = channel.onPhoneLink();
    for (;;) {
        pumpAndWatch(channel);
        if (takeAbort(channel))
            return false;
        char byte = 0;
        const bool got = readByte(channel, byte);
        if (!got && connectionLost(channel))
            return false;
        if (got) {
            const ByteOutcome outcome = takeByte(channel, scanner, byte, phoneLink);
            if (outcome != ByteOutcome::KeepReading)
                return outcome == ByteOutcome::FrameComplete;
            if (scanner.progress() == FrameScanner::InsideFrame)
                gap.start(channel.interByteWaitMs);
        }
        // Bytes before the start mark do not extend the first-byte wait.
        const bool inFrame = scanner.progress() == FrameScanner::InsideFrame;
        if (inFrame ? gap.expired() : firstByte.expired()) {
            channel.result = inFrame ? IncompleteReply : NoAnswer;
            TraceWaitingBytes(channel, phoneLink);
            if (channel.port)
                channel.port->purge();
            return false;
        }
        if (!got && (!channel.port || channel.port->bytesAvailable() == 0))
            linkwait::sleep(channel.ui);
    }
}

} // namespace

bool ExchangeCycle(ExchangeChannel &channel, int byteCount)
{
    pumpAndWatch(channel);
    if (takeAbort(channel))
        return false;
    // A loss of carrier that the user chose not to restore is still in the watch.
    if (!channel.carrierInRing()) {
        channel.result = CarrierLost;
        return false;
    }
    if (connectionLost(channel))
        return false;
    return sendCommand(channel, byteCount) && receiveReply(channel);
}

} // namespace tavrin
