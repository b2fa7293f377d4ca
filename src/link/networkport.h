#pragma once

#include "link/networktarget.h"
#include "link/serialport.h"
#include "link/telnetcodec.h"

#include <QByteArray>
#include <QString>

#include <memory>

class QTcpSocket;

namespace tavrin {

// A SerialPort on a TCP connection to a server in front of the module's serial line.
// Over raw TCP the bytes pass as they are; with remote port control the Telnet codec
// negotiates the line on opening, escapes the data both ways and keeps every Telnet
// command out of what the exchange reads.
class NetworkPort final : public SerialPort {
public:
    explicit NetworkPort(const NetworkTarget &target);
    ~NetworkPort() override;

    // Connects and, with port control, sets the line. The event loop runs meanwhile;
    // Esc or the window closing cancels. False leaves it closed, with the reason, which
    // names the host and port, in failure().
    bool open(LinkUi *ui);
    QString failure() const { return m_failure; }
    const NetworkTarget &target() const { return m_target; }

    qint64 write(const char *data, qint64 size) override;
    int readByte(char *byte) override;
    qint64 bytesAvailable() const override;
    void purge() override;
    bool clearError() override;
    QObject *notifier() override;
    bool connectionLost() const override { return m_lost; }
    QString lossText() const override;
    bool reconnect(LinkUi *ui) override;

private:
    enum class Wait { Done, Failed };
    Wait waitForConnection(LinkUi *ui, class Deadline &limit);
    Wait waitForNegotiation(LinkUi *ui, Deadline &limit);
    // Failed when the wait must end now: Esc, the window closing, the time limit, or
    // the connection gone.
    bool waitStopped(LinkUi *ui, const Deadline &limit);
    void takeIncoming();
    void connectionGone();
    void close();
    QString addressText() const;

    const NetworkTarget m_target;
    std::unique_ptr<QTcpSocket> m_socket;
    std::unique_ptr<TelnetCodec> m_codec; // with port control only
    QByteArray m_data;        // the device's bytes not yet read
    qsizetype m_readPos = 0;
    bool m_open = false;
    bool m_lost = false;
    QString m_failure;
};

} // namespace tavrin
