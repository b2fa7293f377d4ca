#pragma once

#include "link/serialport.h"

#include <QSerialPort>

namespace tavrin {

// The line as OpenPort asks for it, after clamping and mapping its arguments.
struct LineSettings {
    qint32 rate = 38400;
    int dataBits = 8;
    int parity = NoParity;  // 0 none, 1 even, 2 odd
    int stopBits = OneStop; // 0 one, 1 one and a half, 2 two
};

// Rate clamped to 110..256000, data bits to 4..8; parity 1 even, 2 odd, others
// none; stop bits 0 one, 1 one and a half, 2 two, others one.
LineSettings LineSettingsFor(qint32 rate, int dataBits, int parity, int stopBits);

// A SerialPort on Qt Serial Port.
class QtSerialPort final : public SerialPort {
public:
    explicit QtSerialPort(const QString &openPath);
    ~QtSerialPort() override;

    // Opens the device and sets its line; false leaves it closed.
    bool open(const LineSettings &line, bool dtrOn, bool rtsOn);
    QSerialPort::SerialPortError openError() const { return m_openError; }

    qint64 write(const char *data, qint64 size) override;
    int readByte(char *byte) override;
    qint64 bytesAvailable() const override;
    void purge() override;
    bool clearError() override;
    bool setReadTimeouts(quint32 interval, quint32 multiplier, quint32 constant) override;
    QObject *notifier() override;

private:
    bool configure(const LineSettings &line);

    QSerialPort m_port;
    QSerialPort::SerialPortError m_openError = QSerialPort::NoError;
};

} // namespace tavrin
