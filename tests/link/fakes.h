#pragma once

#include "link/serialport.h"
#include "support/linkfakes.h"

#include <QByteArray>
#include <QList>
#include <QObject>

#include <chrono>

namespace tavrin::test {

// Passes everything to a real port and records what was written, and when.
class TapPort : public SerialPort {
public:
    // When a write was called and when it returned, in nanoseconds of the monotonic clock.
    struct Span {
        qint64 calledNs;
        qint64 returnedNs;
    };

    explicit TapPort(SerialPort &inner) : m_inner(inner) {}
    QList<QByteArray> writes;
    QList<Span> writeTimes;

    qint64 write(const char *data, qint64 size) override
    {
        writes.append(QByteArray(data, size));
        const qint64 called = monotonicNs();
        const qint64 written = m_inner.write(data, size);
        writeTimes.append({called, monotonicNs()});
        return written;
    }
    int readByte(char *byte) override { return m_inner.readByte(byte); }
    qint64 bytesAvailable() const override { return m_inner.bytesAvailable(); }
    void purge() override { m_inner.purge(); }
    bool clearError() override { return m_inner.clearError(); }
    QObject *notifier() override { return m_inner.notifier(); }

private:
    static qint64 monotonicNs()
    {
        return std::chrono::duration_cast<std::chrono::nanoseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }

    SerialPort &m_inner;
};

// A serial port whose replies the test scripts: each write of a command (anything but
// the lone wake-up byte) starts the next scripted reply, delivered by precise timers
// so that a waiting loop is woken as by a real port.
class ScriptedPort : public QObject, public SerialPort {
public:
    struct Chunk {
        int afterMs; // from the write
        QByteArray bytes;
    };
    using Reply = QList<Chunk>;

    QList<Reply> replies;      // one per command write, in order
    QList<QByteArray> writes;  // every write, wake-up bytes included
    QList<QByteArray> journal; // "write <hex>" and "purge", in order
    int purges = 0;
    int errorClears = 0;
    bool failWrites = false;
    bool failNextRead = false; // the next read reports an error (a port that vanished)

    // A reply of bytes sent one by one, gapMs apart, the first at firstMs.
    static Reply trickle(const QByteArray &bytes, int firstMs, int gapMs);
    // Bytes that reach the port now, unasked, like a modem's report between exchanges.
    void arrive(const QByteArray &bytes) { m_buffer += bytes; }

    qint64 write(const char *data, qint64 size) override;
    int readByte(char *byte) override;
    qint64 bytesAvailable() const override { return m_buffer.size(); }
    void purge() override;
    bool clearError() override;
    QObject *notifier() override { return this; }

private:
    QByteArray m_buffer;
};

} // namespace tavrin::test
