#include "link/networkport.h"

#include "link/deadline.h"
#include "link/linklog.h"
#include "link/linktexts.h"
#include "link/linkwait.h"

#include <QDeadlineTimer>
#include <QNetworkProxy>
#include <QTcpSocket>

namespace tavrin {

namespace {

// A write the connection has not taken within this time has failed.
constexpr int kWriteFlushLimitMs = 5000;

} // namespace

NetworkPort::NetworkPort(const NetworkTarget &target) : m_target(target) {}

NetworkPort::~NetworkPort()
{
    close();
}

QString NetworkPort::addressText() const
{
    return NetworkAddressText(m_target.address);
}

void NetworkPort::close()
{
    if (!m_socket)
        return;
    m_socket->disconnect();
    m_socket->abort();
    m_socket.reset();
    m_open = false;
}

bool NetworkPort::open(LinkUi *ui)
{
    close();
    m_data.clear();
    m_readPos = 0;
    m_lost = false;
    m_failure.clear();
    m_codec.reset();
    m_socket = std::make_unique<QTcpSocket>();
    // The directory names where the serial server is: straight there, never through a
    // proxy of the system's configuration (nor a thread of Qt's that asks for one).
    m_socket->setProxy(QNetworkProxy::NoProxy);
    // Bytes are taken in as they come, so the exchange sees the device's bytes the moment
    // its wait wakes, and the codec answers the server without waiting for a read.
    QObject::connect(m_socket.get(), &QTcpSocket::readyRead, m_socket.get(), [this] { takeIncoming(); });
    QObject::connect(m_socket.get(), &QTcpSocket::disconnected, m_socket.get(), [this] { connectionGone(); });
    QObject::connect(m_socket.get(), &QTcpSocket::errorOccurred, m_socket.get(), [this] {
        if (m_open && m_socket->state() != QAbstractSocket::ConnectedState)
            connectionGone();
    });

    Deadline limit;
    limit.start(m_target.connectLimitMs);
    KeyboardWatch watch(ui);
    m_socket->connectToHost(m_target.address.host, m_target.address.port);
    if (waitForConnection(ui, limit) == Wait::Failed) {
        close();
        return false;
    }
    // The module's replies are a few dozen bytes: each should leave at once.
    m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    if (m_target.protocol == Rfc2217) {
        m_codec = std::make_unique<TelnetCodec>(m_target.rate);
        m_socket->write(m_codec->start());
        if (waitForNegotiation(ui, limit) == Wait::Failed) {
            close();
            return false;
        }
        // Bytes that came with the negotiation are not the device's answer to anything.
        m_data.clear();
        m_readPos = 0;
    }
    m_open = true;
    qCDebug(linkLog, "%s open (%s)", qUtf8Printable(addressText()),
            m_codec ? qPrintable(QStringLiteral("port control, %1 bit/s").arg(m_codec->confirmedRate())) : "raw");
    return true;
}

bool NetworkPort::waitStopped(LinkUi *ui, const Deadline &limit)
{
    if (linkwait::escapePressed(ui) || linkwait::closing(ui)) {
        m_failure = linktext::NetworkCancelled(addressText());
        return true;
    }
    if (limit.expired()) {
        m_failure = linktext::NetworkTimeLimit(addressText(), (m_target.connectLimitMs + 999) / 1000);
        return true;
    }
    return false;
}

NetworkPort::Wait NetworkPort::waitForConnection(LinkUi *ui, Deadline &limit)
{
    for (;;) {
        switch (m_socket->state()) {
        case QAbstractSocket::ConnectedState:
            return Wait::Done;
        case QAbstractSocket::UnconnectedState:
            switch (m_socket->error()) {
            case QAbstractSocket::HostNotFoundError:
                m_failure = linktext::NetworkHostNotFound(addressText());
                break;
            case QAbstractSocket::ConnectionRefusedError:
                m_failure = linktext::NetworkRefused(addressText());
                break;
            default:
                m_failure = linktext::NetworkFailed(addressText(), m_socket->errorString());
                break;
            }
            return Wait::Failed;
        default:
            break;
        }
        if (waitStopped(ui, limit))
            return Wait::Failed;
        linkwait::sleep(ui);
    }
}

NetworkPort::Wait NetworkPort::waitForNegotiation(LinkUi *ui, Deadline &limit)
{
    for (;;) {
        switch (m_codec->outcome()) {
        case TelnetCodec::Outcome::Ready:
            return Wait::Done;
        case TelnetCodec::Outcome::Refused:
            m_failure = linktext::NetworkNoPortControl(addressText());
            return Wait::Failed;
        case TelnetCodec::Outcome::Negotiating:
            break;
        }
        if (m_socket->state() != QAbstractSocket::ConnectedState) {
            m_failure = linktext::NetworkClosedByPeer(addressText());
            return Wait::Failed;
        }
        if (waitStopped(ui, limit))
            return Wait::Failed;
        linkwait::sleep(ui);
    }
}

void NetworkPort::takeIncoming()
{
    if (!m_socket)
        return;
    const QByteArray bytes = m_socket->readAll();
    if (bytes.isEmpty())
        return;
    if (m_readPos > 0 && m_readPos == m_data.size()) {
        m_data.clear();
        m_readPos = 0;
    }
    if (!m_codec) {
        m_data += bytes;
        return;
    }
    QByteArray reply;
    m_codec->receive(bytes.constData(), bytes.size(), m_data, reply);
    if (!reply.isEmpty())
        m_socket->write(reply);
}

void NetworkPort::connectionGone()
{
    if (!m_open || m_lost)
        return;
    takeIncoming(); // what came before the end is still the device's
    m_lost = true;
    qCDebug(linkLog, "%s: connection lost (%s)", qUtf8Printable(addressText()),
            qUtf8Printable(m_socket ? m_socket->errorString() : QString()));
}

QString NetworkPort::lossText() const
{
    return m_lost ? linktext::NetworkLost(addressText()) : QString();
}

bool NetworkPort::reconnect(LinkUi *ui)
{
    if (open(ui))
        return true;
    // Still lost: the exchange must not take the failed attempt for a standing link.
    m_lost = true;
    return false;
}

qint64 NetworkPort::write(const char *data, qint64 size)
{
    if (!m_open || m_lost || !m_socket || m_socket->state() != QAbstractSocket::ConnectedState)
        return -1;
    const QByteArray wire = m_codec ? m_codec->encode(data, size) : QByteArray(data, size);
    if (m_socket->write(wire) < 0)
        return -1;
    // Push the bytes out now, so that a pause which follows is silence on the line.
    const QDeadlineTimer limit(kWriteFlushLimitMs);
    while (m_socket->bytesToWrite() > 0) {
        if (!m_socket->waitForBytesWritten(int(qMax<qint64>(limit.remainingTime(), 0))) || limit.hasExpired()) {
            qCDebug(linkLog, "%s: write failed (%s)", qUtf8Printable(addressText()),
                    qUtf8Printable(m_socket->errorString()));
            return -1;
        }
    }
    return size;
}

int NetworkPort::readByte(char *byte)
{
    if (m_readPos < m_data.size()) {
        *byte = m_data[m_readPos++];
        return 1;
    }
    return m_lost ? -1 : 0;
}

qint64 NetworkPort::bytesAvailable() const
{
    return m_data.size() - m_readPos;
}

void NetworkPort::purge()
{
    // The bytes already here go through the codec first, so a Telnet command split
    // across the purge is still read whole.
    takeIncoming();
    m_data.clear();
    m_readPos = 0;
    if (m_codec && m_open && !m_lost && m_socket)
        m_socket->write(m_codec->purgeCommand());
}

bool NetworkPort::clearError()
{
    return m_open && !m_lost;
}

QObject *NetworkPort::notifier()
{
    return m_socket.get();
}

} // namespace tavrin
