#include "tcpline.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

namespace devsim {

TcpLine::~TcpLine()
{
    close();
}

bool TcpLine::listen(int port)
{
    close();
    auto fail = [this](const std::string &what) {
        m_error = what + ": " + std::strerror(errno);
        close();
        return false;
    };
    m_listen = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (m_listen < 0)
        return fail("socket");
    const int on = 1;
    setsockopt(m_listen, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(uint16_t(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::bind(m_listen, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0)
        return fail("bind 127.0.0.1:" + std::to_string(port));
    if (::listen(m_listen, 4) != 0)
        return fail("listen");
    socklen_t length = sizeof address;
    if (::getsockname(m_listen, reinterpret_cast<sockaddr *>(&address), &length) != 0)
        return fail("getsockname");
    m_port = ntohs(address.sin_port);
    return true;
}

bool TcpLine::accept()
{
    if (m_listen < 0 || m_client >= 0)
        return false;
    m_client = ::accept4(m_listen, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (m_client < 0)
        return false;
    // Replies are small and should leave at once, as on a serial line.
    const int on = 1;
    setsockopt(m_client, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    return true;
}

void TcpLine::drop()
{
    if (m_client >= 0)
        ::close(m_client);
    m_client = -1;
}

void TcpLine::close()
{
    drop();
    if (m_listen >= 0)
        ::close(m_listen);
    m_listen = -1;
}

} // namespace devsim
