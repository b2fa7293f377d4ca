#pragma once

#include "link/framescanner.h"
#include "link/linktiming.h"
#include "link/linkui.h"

#include <QString>

#include <array>
#include <functional>
#include <cstdint>

namespace tavrin {

class LinkUi;
class SerialPort;
struct Settings;

enum ExchangeResult : qint32 {
    ExchangeOk = 0,
    WriteFailed = 1,
    ReadFailed = 2, // reserved: a failed read counts as no byte
    NoAnswer = 3,
    IncompleteReply = 4,
    Aborted = 5,
    CarrierLost = 6,
    ReceiveOverflow = 7,
    ExchangeResultCount
};

// Texts of ExchangeResult 0..7.
const std::array<QString, ExchangeResultCount> &ExchangeResultTexts();

// Link state owned by the session controller; the engine sets both flags when it
// restores a broken modem link.
struct LinkState {
    bool LinkOpen = false;
    bool ModemConnected = false;
};

inline constexpr int kMaxCommandLength = kFrameCapacity - 2; // room for CR and a zero

// The one channel to the module.
struct ExchangeChannel {
    std::array<char, kFrameCapacity> sendBuffer{};
    FrameBuffer receiveBuffer{}; // zero-terminated reply frame
    SerialPort *port = nullptr;
    qint32 baudRate = 38400;
    qint32 firstByteWaitMs = 2000;
    qint32 interByteWaitMs = 10;
    quint8 attempts = 1;
    bool wakeUpByte = false;
    bool abortRequested = false;
    std::array<QString, ExchangeResultCount> resultTexts = ExchangeResultTexts();
    qint32 result = ExchangeOk;
    LinkUi *ui = nullptr; // status panels 2 and 3, the log, the event loop
    quint64 retryWindowEnd = 0; // counter ticks; 0 = no grace window running
    // The carrier watch of a phone link: the bytes of the running exchange, those
    // waiting before each cycle's purge first, written round from index 0. It keeps a
    // no-carrier report until a restore or the next arm, so that a loss the user
    // declined to restore ends the next exchange's first cycle at once.
    std::array<char, kFrameCapacity> carrierRing{};
    int carrierRingPos = 0;

    // Where the engine finds the connection kind and the subscriber to re-dial.
    const Settings *settings = nullptr;
    LinkState *linkState = nullptr;
    // Told when a re-dial has restored the call, so the window starts its duration anew.
    std::function<void()> callRestored;
    LinkTiming timing{};
    bool busy = false; // a transaction is running (guards against a second one)

    // Fill the timing fields from the active connection parameters, attach the port,
    // clear abortRequested and the carrier ring.
    void arm(SerialPort *openPort, qint32 rate, qint32 waitTimeSeconds, qint32 timeOutMs,
             quint8 repeat, bool firstZeroNeed);
    // Raise abortRequested and drop the port.
    void disarm();
    // The reply of the last successful exchange.
    const char *reply() const { return receiveBuffer.data(); }
    // False when the bytes of the carrier ring, read as text from its index 0 up to its
    // first zero byte, hold a no-carrier report.
    bool carrierInRing() const;
    // Forgets the bytes the carrier check looks at.
    void clearCarrierRing();
    // Adds a received byte to the carrier ring; false once the ring holds a
    // no-carrier report.
    bool recordForCarrierCheck(char byte);
    // The current connection kind is the phone.
    bool onPhoneLink() const;
};

// Sends text (length characters, at most kMaxCommandLength) with its CR and collects one
// framed reply, with the channel's attempts. True when a whole frame is in receiveBuffer.
bool RunExchange(ExchangeChannel &channel, const char *text, int length);

// Appends bytes to the exchange log: lines of at most 100 characters, each byte shown as
// its CP1251 character, control bytes as visible symbols, a zero byte as nothing.
void TraceBytes(ExchangeChannel &channel, const char *bytes, int count, TraceDirection direction);

// What AskRestoreModemLink returns.
enum RestoreAnswer : int {
    CarrierStillPresent = 0, // nothing was asked
    LinkRestored = 1,        // the link was broken and a re-dial restored it
    LinkNotRestored = 2,     // the link is broken and stays so
};

int AskRestoreModemLink(ExchangeChannel &channel, bool checkRingFirst);
bool RestoreModemLink(ExchangeChannel &channel);

// The character the log shows for one byte received or sent.
QString TraceCharacter(unsigned char byte);

} // namespace tavrin
