#pragma once

#include <QByteArray>
#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>

namespace tavrin::test {

// One log entry of the simulator: the bytes of one read or one write on its side of
// the line, stamped with CLOCK_MONOTONIC (the clock behind the program's steady clock).
struct DevSimLogEntry {
    qint64 micros;
    bool fromProgram;
    QByteArray bytes;
};

struct DevSimOptions {
    int port = 1;
    bool modem = false;
    bool pace = false;
    bool listen = false;   // serve the line on a free loopback TCP port instead of a pty
    QStringList extraArgs; // further tavrin-devsim options, e.g. {"--state", "waiting"}
};

// Runs tavrin-devsim ($TAVRIN_DEVSIM) for a test: publishes COM<n> in comDir, takes
// control lines, and collects the byte log from its stdout.
class DevSim {
public:
    explicit DevSim(const QString &comDir);
    ~DevSim();
    DevSim(const DevSim &) = delete;
    DevSim &operator=(const DevSim &) = delete;

    // Launches the simulator and waits until COM<n> is published.
    bool start(const DevSimOptions &options = {});
    void stop();
    bool isRunning() const;

    // Sends one control line and waits for its acknowledgement; true for "ok".
    // lastReply() then holds the acknowledgement line (its info after " -- ").
    bool command(const QString &line);
    QString lastReply() const { return m_lastReply; }

    // The log so far. Each call first syncs with the simulator, so every byte it has
    // handled before the call is included.
    QByteArray received();
    QList<DevSimLogEntry> log();
    QStringList notes(); // the simulator's "note" lines: state changes
    void clearLog();

    bool waitForReceived(const QByteArray &bytes, int timeoutMs);
    bool waitForSent(const QByteArray &bytes, int timeoutMs);

    QString devicePath() const;
    // With listen: the TCP port the simulator serves its line on.
    int tcpPort() const { return m_tcpPort; }
    // $TAVRIN_DEVSIM, else the tavrin-devsim beside the running test.
    static QString Program();
    QString errorString() const { return m_error; }

private:
    bool sync();
    bool readLines(int timeoutMs);
    void takeLine(const QByteArray &line);
    bool waitFor(bool fromProgram, const QByteArray &bytes, int timeoutMs);
    QByteArray joined(bool fromProgram) const;

    QString m_comDir;
    int m_port = 1;
    QProcess m_process;
    QByteArray m_partial;
    QList<DevSimLogEntry> m_log;
    QStringList m_notes;
    QStringList m_acks;
    QString m_lastReply;
    QString m_error;
    bool m_ready = false;
    int m_tcpPort = 0;
};

} // namespace tavrin::test
