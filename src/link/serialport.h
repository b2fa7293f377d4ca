#pragma once

#include <QObject>
#include <QString>

#include <cstdint>
#include <memory>

namespace tavrin {

class LinkUi;

// One open serial port (the port handle). Reads never block.
class SerialPort {
public:
    virtual ~SerialPort() = default;

    // Writes all bytes and pushes them to the device before returning, so a pause
    // that follows really is silence on the line. Returns bytes written, or -1.
    virtual qint64 write(const char *data, qint64 size) = 0;
    // Reads at most one byte: 1 when a byte was read, 0 when none is buffered,
    // -1 on a read error.
    virtual int readByte(char *byte) = 0;
    virtual qint64 bytesAvailable() const = 0;
    // Discards the transmit and receive queues.
    virtual void purge() = 0;
    virtual bool clearError() = 0;
    // The object that emits readyRead, so a waiting loop can wake on a byte; may be null.
    virtual QObject *notifier() = 0;

    // A port reached over a connection can lose it for good, as a phone link loses its
    // carrier: the exchange then stops and offers to restore it. A serial device never
    // does (an unplugged adapter is opened again by its next write).
    virtual bool connectionLost() const { return false; }
    // Why, naming where the connection went; empty while it stands.
    virtual QString lossText() const { return {}; }
    // Makes the connection anew, with the event loop running; true when it stands again.
    virtual bool reconnect(LinkUi *) { return false; }
};

enum Parity { NoParity = 0, EvenParity = 1, OddParity = 2 };
enum StopBits { OneStop = 0, OneAndHalfStop = 1, TwoStop = 2 };

// The line a port is opened with. The defaults are the line the program always uses
// (8 data bits, no parity, one stop bit, DTR on, RTS off); only the rate varies.
struct PortSettings {
    qint32 rate = 38400;    // clamped to 110..256000
    int dataBits = 8;       // clamped to 4..8
    int parity = NoParity;  // 0 none, 1 even, 2 odd; any other value none
    int stopBits = OneStop; // 0 one, 1 one and a half, 2 two; any other value one
    bool dtrOn = true;
    bool rtsOn = false;
};

// A port just opened is left this long before anything is sent, so the line settles.
inline constexpr int kSettleAfterOpenMs = 300;

// Opens COM<portNumber> and sets its line. nullptr on any failure, with the reason in
// *failure when one is given (the driver's own words, or that no device has that
// number); a port that fails after opening is closed again.
std::unique_ptr<SerialPort> OpenPort(int portNumber, const PortSettings &settings,
                                     QString *failure = nullptr);
bool ClearPortError(SerialPort &port);
void ClosePort(std::unique_ptr<SerialPort> &port);

// True when the port is present: it opens, or it is held by another program, or it
// is attached but failing.
bool PortExists(int portNumber);

// The device behind COM<portNumber> (see README: TAVRIN_COM_DIR, or Wine's numbering
// on Linux, "\\.\COM<n>" on Windows). Empty when no device has that number.
QString PortDevicePath(int portNumber);

// High-resolution counter: ticks per second, and the current tick count.
quint64 PerformanceFrequency();
quint64 PerformanceCounter();

// Case-sensitive, byte-for-byte: does the zero-terminated pattern occur in text?
bool ContainsText(const char *text, const char *pattern);

} // namespace tavrin
