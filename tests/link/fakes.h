#pragma once

#include "link/serialport.h"
#include "support/linkfakes.h"

#include <QByteArray>
#include <QList>
#include <QObject>

namespace tavrin::test {

// Passes everything to a real port and records what was written.
class TapPort : public SerialPort {
public:
    explicit TapPort(SerialPort &inner) : m_inner(inner) {}
    QList<QByteArray> writes;

    qint64 write(const char *data, qint64 size) override
    {
        writes.append(QByteArray(data, size));
        return m_inner.write(data, size);
    }
    int readByte(char *byte) override { return m_inner.readByte(byte); }
    qint64 bytesAvailable() const override { return m_inner.bytesAvailable(); }
    void purge() override { m_inner.purge(); }
    bool clearError() override { return m_inner.clearError(); }
    QObject *notifier() override { return m_inner.notifier(); }

private:
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
