#pragma once

#include <QByteArray>
#include <QString>

// The program's end of the simulator's line, with plain POSIX calls: the simulator's
// tests must not lean on the link code whose tests lean on the simulator.
class LinePort {
public:
    ~LinePort();
    bool open(const QString &path, int rate = 9600);
    void close();
    bool write(const QByteArray &bytes);
    // Reads until the bytes read so far end with `end`, or the time is up.
    QByteArray readUntil(const QByteArray &end, int timeoutMs);
    // Reads whatever arrives within timeoutMs.
    QByteArray readFor(int timeoutMs);
    // True when the line has failed (the device vanished) within timeoutMs.
    bool failsWithin(int timeoutMs);
    void purge();

private:
    int m_fd = -1;
};
