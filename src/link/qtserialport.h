#pragma once

#include "link/serialport.h"

#include <QSerialPort>

namespace tavrin {

// The line as OpenPort sets it: rate clamped to 110..256000, data bits to 4..8;
// parity 1 even, 2 odd, others none; stop bits 1 one and a half, 2 two, others one.
PortSettings ClampedPortSettings(const PortSettings &asked);

// A SerialPort on Qt Serial Port: COM<portNumber>. When its device goes away (an
// adapter unplugged) it closes; a later write opens it again, with the line it had,
// once the number names the same device again.
class QtSerialPort final : public SerialPort {
public:
    explicit QtSerialPort(int portNumber);
    ~QtSerialPort() override;

    // The path the device is opened by; empty when no device has the port's number.
    QString openPath() const { return m_openPath; }
    // Opens the device and sets its line (already clamped); false leaves it closed,
    // with the reason in openFailure().
    bool open(const PortSettings &line);
    QString openFailure() const { return m_openFailure; }

    qint64 write(const char *data, qint64 size) override;
    int readByte(char *byte) override;
    qint64 bytesAvailable() const override;
    void purge() override;
    bool clearError() override;
    QObject *notifier() override;

private:
    // Empty when the line is set as asked; otherwise why not.
    QString configure(const PortSettings &line);
    bool lineKept(const PortSettings &line) const;
    bool reopenIfBack();
    qint64 failWrite(const char *why);

    const int m_portNumber;
    const QString m_devicePath; // as the number named it when the port was made
    QString m_openPath;
    PortSettings m_line;
    QSerialPort m_port;
    QString m_openFailure;
};

} // namespace tavrin
