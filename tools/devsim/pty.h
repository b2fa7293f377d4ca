#pragma once

#include <string>

namespace devsim {

// A pseudo-terminal whose slave side is published as <dir>/COM<n>, the name the
// program opens. We hold a slave descriptor ourselves, so the program opening and
// closing the port never leaves the master without a slave (which would read EIO).
class PseudoTerminal {
public:
    ~PseudoTerminal();

    // Opens the pair and publishes the link. False with error() set on failure.
    bool open(const std::string &comDir, int port);
    // Closes both sides and removes the link: the program's port fails.
    void close();
    bool isOpen() const { return m_master >= 0; }

    int masterFd() const { return m_master; }
    const std::string &linkPath() const { return m_link; }
    const std::string &slavePath() const { return m_slave; }
    const std::string &error() const { return m_error; }

    // The line rate the program set on its side, in bit/s; 0 if unknown.
    int lineRate() const;

private:
    int m_master = -1;
    int m_slaveHold = -1;
    std::string m_link;
    std::string m_slave;
    std::string m_error;
};

// The rate in the termios of a terminal descriptor (platform-specific; linerate.cpp).
int LineRateOf(int fd);

} // namespace devsim
