#include "lineport.h"

#include <QDeadlineTimer>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {

speed_t Speed(int rate)
{
    switch (rate) {
    case 1200: return B1200;
    case 9600: return B9600;
    case 19200: return B19200;
    case 115200: return B115200;
    default: return B38400;
    }
}

} // namespace

LinePort::~LinePort()
{
    close();
}

bool LinePort::open(const QString &path, int rate)
{
    close();
    m_fd = ::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (m_fd < 0)
        return false;
    termios tio{};
    tcgetattr(m_fd, &tio);
    cfmakeraw(&tio);
    cfsetispeed(&tio, Speed(rate));
    cfsetospeed(&tio, Speed(rate));
    tcsetattr(m_fd, TCSANOW, &tio);
    tcflush(m_fd, TCIOFLUSH);
    return true;
}

void LinePort::close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

bool LinePort::write(const QByteArray &bytes)
{
    return m_fd >= 0 && ::write(m_fd, bytes.constData(), size_t(bytes.size())) == bytes.size();
}

void LinePort::purge()
{
    if (m_fd >= 0)
        tcflush(m_fd, TCIOFLUSH);
}

QByteArray LinePort::readUntil(const QByteArray &end, int timeoutMs)
{
    QByteArray got;
    QDeadlineTimer deadline(timeoutMs);
    while (m_fd >= 0 && !(!end.isEmpty() && got.endsWith(end))) {
        pollfd p{m_fd, POLLIN, 0};
        const int wait = int(deadline.remainingTime());
        if (wait <= 0 || ::poll(&p, 1, wait) <= 0)
            break;
        char buf[256];
        const ssize_t n = ::read(m_fd, buf, end.isEmpty() ? sizeof buf : 1);
        if (n <= 0)
            break;
        got.append(buf, int(n));
    }
    return got;
}

QByteArray LinePort::readFor(int timeoutMs)
{
    return readUntil(QByteArray(), timeoutMs);
}

bool LinePort::failsWithin(int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        pollfd p{m_fd, POLLIN, 0};
        if (::poll(&p, 1, int(deadline.remainingTime())) > 0) {
            char c;
            const ssize_t n = ::read(m_fd, &c, 1);
            if (n < 0 && errno != EAGAIN)
                return true;
            if (n == 0 || (p.revents & (POLLHUP | POLLERR)))
                return true;
        }
    }
    return false;
}
