#pragma once

#include <string>

namespace devsim {

// The line served on a loopback TCP port instead of a pseudo-terminal: one client at a
// time; a second one waits until the first has gone. Never listens beyond 127.0.0.1.
class TcpLine {
public:
    ~TcpLine();

    // Listens on 127.0.0.1:port (0: a free port). False with error() set on failure.
    bool listen(int port);
    // Takes a waiting client; false when none could be taken.
    bool accept();
    // The client's connection ends; the next one may come.
    void drop();
    void close();

    bool listening() const { return m_listen >= 0; }
    bool connected() const { return m_client >= 0; }
    int listenFd() const { return m_listen; }
    int clientFd() const { return m_client; }
    int port() const { return m_port; }
    const std::string &error() const { return m_error; }

private:
    int m_listen = -1;
    int m_client = -1;
    int m_port = 0;
    std::string m_error;
};

} // namespace devsim
