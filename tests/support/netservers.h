#pragma once

#include <QByteArray>
#include <QList>
#include <QProcess>
#include <QString>
#include <QTcpServer>
#include <QTemporaryDir>

#include <functional>
#include <memory>

namespace tavrin::test {

// A loopback TCP port free at the moment of asking.
int FreeLoopbackPort();
// True once something listens on 127.0.0.1:port (read from /proc/net/tcp, so no probe
// connection disturbs a server that serves one client at a time).
bool WaitUntilListening(int port, int timeoutMs);

// ser2net 4 in front of a serial device, with one accepter on a free loopback port:
// raw TCP, or Telnet with remote port control.
class Ser2Net {
public:
    enum class Accepter { Raw, PortControl };
    ~Ser2Net();
    // False, with a reason in error(), when ser2net is not installed or does not listen.
    bool start(const QString &device, Accepter accepter);
    void stop();
    int port() const { return m_port; }
    QString error() const { return m_error; }
    static bool installed();

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    int m_port = 0;
    QString m_error;
};

// An inetd of one service for the tests: each client of a free loopback port gets its
// own run of program with the connection as its standard input and output (sredird
// is written to be started so).
class InetdServer : public QTcpServer {
public:
    InetdServer(const QString &program, const QStringList &arguments);
    ~InetdServer() override;
    bool start();
    int port() const { return int(serverPort()); }

protected:
    void incomingConnection(qintptr descriptor) override;

private:
    QString m_program;
    QStringList m_arguments;
    QList<QProcess *> m_children;
};

// A server the test scripts: every client's bytes go to onBytes, which may answer
// through the socket; it can also stay silent or hang up at once.
class ScriptedServer : public QTcpServer {
public:
    std::function<void(class QTcpSocket &, const QByteArray &)> onBytes;
    bool hangUpAtOnce = false;
    QByteArray received; // everything every client sent
    bool start();
    int port() const { return int(serverPort()); }

private:
    void take();
};

} // namespace tavrin::test
