#include "support/netservers.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QStandardPaths>
#include <QTcpSocket>
#include <QThread>

#include <unistd.h>

namespace tavrin::test {

int FreeLoopbackPort()
{
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost, 0))
        return 0;
    return int(probe.serverPort());
}

namespace {

bool listening(int port)
{
    QFile table(QStringLiteral("/proc/net/tcp"));
    if (!table.open(QIODevice::ReadOnly))
        return false;
    // "sl local_address rem_address st ...": 0100007F:PORT, state 0A is LISTEN.
    const QByteArray local = "0100007F:" + QByteArray::number(port, 16).toUpper().rightJustified(4, '0');
    for (const QByteArray &line : table.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() > 3 && fields[1] == local && fields[3] == "0A")
            return true;
    }
    return false;
}

} // namespace

bool WaitUntilListening(int port, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        if (listening(port))
            return true;
        QThread::msleep(20);
    }
    return false;
}

Ser2Net::~Ser2Net()
{
    stop();
}

bool Ser2Net::installed()
{
    return !QStandardPaths::findExecutable(QStringLiteral("ser2net"), {"/usr/sbin", "/usr/bin", "/sbin"}).isEmpty();
}

bool Ser2Net::start(const QString &device, Accepter accepter)
{
    const QString program =
        QStandardPaths::findExecutable(QStringLiteral("ser2net"), {"/usr/sbin", "/usr/bin", "/sbin"});
    if (program.isEmpty()) {
        m_error = QStringLiteral("ser2net is not installed");
        return false;
    }
    m_port = FreeLoopbackPort();
    const QString kind = accepter == Accepter::Raw ? QString() : QStringLiteral("telnet(rfc2217),");
    const QString config = QStringLiteral("connection: &site\n"
                                          "  accepter: %1tcp(nodelay),127.0.0.1,%2\n"
                                          "  connector: serialdev,%3,38400n81,local\n"
                                          "  options:\n"
                                          "    kickolduser: true\n"
                                          "    chardelay: false\n")
                               .arg(kind)
                               .arg(m_port)
                               .arg(device);
    QFile file(m_dir.filePath(QStringLiteral("ser2net.yaml")));
    if (!file.open(QIODevice::WriteOnly) || file.write(config.toUtf8()) < 0) {
        m_error = QStringLiteral("cannot write the configuration");
        return false;
    }
    file.close();
    // Its notes (it cannot announce itself on mDNS here) are not the test's.
    m_process.setStandardOutputFile(QProcess::nullDevice());
    m_process.setStandardErrorFile(QProcess::nullDevice());
    // -n: stay in front; -u: no lock files for the device.
    m_process.start(program, {"-n", "-u", "-c", file.fileName(), "-P", m_dir.filePath(QStringLiteral("pid"))});
    if (!m_process.waitForStarted(5000) || !WaitUntilListening(m_port, 5000)) {
        m_error = QStringLiteral("ser2net does not listen on %1").arg(m_port);
        stop();
        return false;
    }
    return true;
}

void Ser2Net::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(3000)) {
        m_process.kill();
        m_process.waitForFinished(3000);
    }
}

InetdServer::InetdServer(const QString &program, const QStringList &arguments)
    : m_program(program), m_arguments(arguments)
{
}

InetdServer::~InetdServer()
{
    for (QProcess *child : m_children) {
        child->terminate();
        if (!child->waitForFinished(3000)) {
            child->kill();
            child->waitForFinished(3000);
        }
        delete child;
    }
}

bool InetdServer::start()
{
    return listen(QHostAddress::LocalHost, 0);
}

void InetdServer::incomingConnection(qintptr descriptor)
{
    auto *child = new QProcess;
    const int fd = int(descriptor);
    child->setChildProcessModifier([fd] {
        ::dup2(fd, STDIN_FILENO);
        ::dup2(fd, STDOUT_FILENO);
    });
    child->setStandardInputFile(QProcess::nullDevice()); // replaced by the modifier
    child->start(m_program, m_arguments);
    child->waitForStarted(5000);
    ::close(fd); // the child holds the connection now
    m_children.append(child);
}

bool ScriptedServer::start()
{
    connect(this, &QTcpServer::newConnection, this, &ScriptedServer::take);
    return listen(QHostAddress::LocalHost, 0);
}

void ScriptedServer::take()
{
    while (QTcpSocket *client = nextPendingConnection()) {
        if (hangUpAtOnce) {
            client->disconnectFromHost();
            continue;
        }
        connect(client, &QTcpSocket::readyRead, client, [this, client] {
            const QByteArray bytes = client->readAll();
            received += bytes;
            if (onBytes)
                onBytes(*client, bytes);
        });
    }
}

} // namespace tavrin::test
