#include "link/qtserialport.h"

#include "link/linecheck.h"
#include "link/linklog.h"
#include "link/linktexts.h"
#include "link/linktiming.h"
#include "link/portpath.h"

#include <QDeadlineTimer>

#include <cstdlib>

namespace tavrin {

namespace {

constexpr qint32 kMinRate = 110;
constexpr qint32 kMaxRate = 256000;
// A write that the driver has not taken within this time has failed; the port
// must never hold the program.
constexpr int kWriteFlushLimitMs = 5000;

QSerialPort::Parity qtParity(int parity)
{
    switch (parity) {
    case EvenParity: return QSerialPort::EvenParity;
    case OddParity: return QSerialPort::OddParity;
    default: return QSerialPort::NoParity;
    }
}

QSerialPort::StopBits qtStopBits(int stopBits)
{
    switch (stopBits) {
    case OneAndHalfStop: return QSerialPort::OneAndHalfStop;
    case TwoStop: return QSerialPort::TwoStop;
    default: return QSerialPort::OneStop;
    }
}

// A driver may round a rate to what its clock can make; a UART tolerates a few
// per cent, so that much is accepted as the rate asked for.
bool rateMatches(qint32 asked, qint32 got)
{
    return std::abs(qint64(asked) - got) * 100 <= qint64(asked) * 3;
}

} // namespace

PortSettings ClampedPortSettings(const PortSettings &asked)
{
    PortSettings line = asked;
    line.rate = qBound(kMinRate, asked.rate, kMaxRate);
    line.dataBits = qBound(4, asked.dataBits, 8);
    line.parity = (asked.parity == EvenParity || asked.parity == OddParity) ? asked.parity : NoParity;
    line.stopBits = (asked.stopBits == OneAndHalfStop || asked.stopBits == TwoStop) ? asked.stopBits : OneStop;
    return line;
}

QtSerialPort::QtSerialPort(int portNumber)
    : m_portNumber(portNumber), m_devicePath(PortDevicePath(portNumber)),
      m_openPath(PortOpenPath(m_devicePath))
{
    m_port.setPortName(m_openPath);
    // A device that went away (a USB adapter pulled, a pseudo-terminal whose other
    // end closed) stays readable with every read failing (EIO, reported as a read or
    // resource error), which would wake the event loop without end. Closing it stops
    // that; the exchange then ends by its time-out, and later writes fail until the
    // device is back.
    QObject::connect(&m_port, &QSerialPort::errorOccurred, &m_port, [this](QSerialPort::SerialPortError error) {
        if ((error == QSerialPort::ResourceError || error == QSerialPort::ReadError) && m_port.isOpen()) {
            qCDebug(linkLog, "%s went away (%s); closed", qUtf8Printable(m_port.portName()),
                    qUtf8Printable(m_port.errorString()));
            m_port.close();
        }
    });
}

QtSerialPort::~QtSerialPort()
{
    if (m_port.isOpen())
        m_port.close();
}

bool QtSerialPort::open(const PortSettings &line)
{
    m_line = line;
    if (!m_port.open(QIODevice::ReadWrite)) {
        m_openFailure = m_port.errorString();
        return false;
    }
    // Rolls back to closed on any failure: a half-configured port is never handed out.
    m_openFailure = configure(line);
    if (!m_openFailure.isEmpty()) {
        m_port.close();
        return false;
    }
    // A pseudo-terminal has no modem lines and refuses to set them; the link works
    // without them, so the refusal is cleared rather than failing the open.
    if (!m_port.setDataTerminalReady(line.dtrOn))
        m_port.clearError();
    if (!m_port.setRequestToSend(line.rtsOn))
        m_port.clearError();
    return true;
}

QString QtSerialPort::configure(const PortSettings &line)
{
    // Qt Serial Port knows no 4-bit characters.
    if (line.dataBits < 5)
        return linktext::LineNotKept();
    const auto dataBits = static_cast<QSerialPort::DataBits>(line.dataBits);
    if (!m_port.setFlowControl(QSerialPort::NoFlowControl) || !m_port.setBaudRate(line.rate)
        || !m_port.setDataBits(dataBits) || !m_port.setParity(qtParity(line.parity))
        || !m_port.setStopBits(qtStopBits(line.stopBits)))
        return m_port.errorString();
    return lineKept(line) ? QString() : linktext::LineNotKept();
}

// Configure, then verify: a driver that silently kept other values fails the open.
bool QtSerialPort::lineKept(const PortSettings &line) const
{
    const LineReadback got = ReadLineSettings(m_port.handle());
    if (!got.known)
        return true;
    const int stopBits = line.stopBits == TwoStop ? TwoStop : OneStop;
    return rateMatches(line.rate, got.rate) && got.dataBits == line.dataBits
        && got.parity == line.parity && got.stopBits == stopBits;
}

// A port in use is closed only because its device went away. It is opened again when
// its number names the same device as before (not another one that took the number),
// and left to settle as a port just opened is.
bool QtSerialPort::reopenIfBack()
{
    if (m_devicePath.isEmpty() || PortDevicePath(m_portNumber) != m_devicePath)
        return false;
    const QString path = PortOpenPath(m_devicePath);
    if (path.isEmpty())
        return false;
    m_openPath = path;
    m_port.setPortName(path);
    m_port.clearError();
    if (!open(m_line)) {
        qCDebug(linkLog, "COM%d is back as %s but did not open: %s", m_portNumber, qUtf8Printable(path),
                qUtf8Printable(m_openFailure));
        return false;
    }
    qCDebug(linkLog, "COM%d is back as %s; opened again at %d bit/s", m_portNumber, qUtf8Printable(path),
            m_line.rate);
    Pause(kSettleAfterOpenMs);
    return true;
}

qint64 QtSerialPort::write(const char *data, qint64 size)
{
    if (!m_port.isOpen() && !reopenIfBack())
        return failWrite("the port is closed");
    const qint64 written = m_port.write(data, size);
    if (written < 0)
        return failWrite("the driver refused the bytes");
    // Push the bytes to the driver now, so that a pause which follows is silence on
    // the line rather than the time the bytes wait in our buffer.
    const QDeadlineTimer limit(kWriteFlushLimitMs);
    while (m_port.bytesToWrite() > 0) {
        if (m_port.flush())
            continue;
        if (m_port.error() != QSerialPort::NoError)
            return failWrite("flushing failed");
        if (!m_port.waitForBytesWritten(int(qMax<qint64>(limit.remainingTime(), 0))) || limit.hasExpired())
            return failWrite("the driver took the bytes too slowly");
    }
    return written;
}

qint64 QtSerialPort::failWrite(const char *why)
{
    qCDebug(linkLog, "write on %s failed: %s (%s)", qUtf8Printable(m_port.portName()), why,
            qUtf8Printable(m_port.errorString()));
    return -1;
}

int QtSerialPort::readByte(char *byte)
{
    if (!m_port.isOpen())
        return 0;
    if (m_port.getChar(byte))
        return 1;
    const QSerialPort::SerialPortError error = m_port.error();
    return (error == QSerialPort::ReadError || error == QSerialPort::ResourceError) ? -1 : 0;
}

qint64 QtSerialPort::bytesAvailable() const
{
    return m_port.bytesAvailable();
}

void QtSerialPort::purge()
{
    if (m_port.isOpen())
        m_port.clear(QSerialPort::AllDirections);
}

bool QtSerialPort::clearError()
{
    m_port.clearError();
    return m_port.isOpen();
}

QObject *QtSerialPort::notifier()
{
    return &m_port;
}

std::unique_ptr<SerialPort> OpenPort(int portNumber, const PortSettings &settings, QString *failure)
{
    const PortSettings line = ClampedPortSettings(settings);
    auto port = std::make_unique<QtSerialPort>(portNumber);
    const QString path = port->openPath();
    if (!path.isEmpty() && port->open(line)) {
        qCDebug(linkLog, "COM%d open as %s at %d bit/s", portNumber, qUtf8Printable(path), line.rate);
        return port;
    }
    const QString reason = path.isEmpty() ? linktext::NoSuchPort() : port->openFailure();
    const QString device = path.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(path);
    qCDebug(linkLog, "COM%d%s did not open: %s", portNumber, qUtf8Printable(device), qUtf8Printable(reason));
    if (failure)
        *failure = reason;
    return nullptr;
}

bool ClearPortError(SerialPort &port)
{
    return port.clearError();
}

void ClosePort(std::unique_ptr<SerialPort> &port)
{
    port.reset();
}

bool PortExists(int portNumber)
{
    const QString path = PortOpenPath(PortDevicePath(portNumber));
    if (path.isEmpty())
        return false;
    QSerialPort probe;
    probe.setPortName(path);
    if (probe.open(QIODevice::ReadWrite)) {
        probe.close();
        return true;
    }
    // Held by another program, or attached but failing: still a port to offer.
    return probe.error() != QSerialPort::DeviceNotFoundError;
}

} // namespace tavrin
