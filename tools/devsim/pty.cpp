#include "pty.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace devsim {

PseudoTerminal::~PseudoTerminal()
{
    close();
}

bool PseudoTerminal::open(const std::string &comDir, int port)
{
    close();
    auto fail = [this](const std::string &what) {
        m_error = what + ": " + std::strerror(errno);
        close();
        return false;
    };

    m_master = posix_openpt(O_RDWR | O_NOCTTY);
    if (m_master < 0)
        return fail("posix_openpt");
    if (grantpt(m_master) != 0 || unlockpt(m_master) != 0)
        return fail("grantpt/unlockpt");
    const char *name = ptsname(m_master);
    if (!name)
        return fail("ptsname");
    m_slave = name;
    int flags = fcntl(m_master, F_GETFL);
    fcntl(m_master, F_SETFL, flags | O_NONBLOCK);

    m_slaveHold = ::open(m_slave.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (m_slaveHold < 0)
        return fail("open " + m_slave);
    // A fresh pty is in canonical mode with echo: the line discipline would send our
    // own replies back to us. Raw until the program sets the line its way.
    termios tio{};
    if (tcgetattr(m_slaveHold, &tio) == 0) {
        cfmakeraw(&tio);
        cfsetispeed(&tio, B38400);
        cfsetospeed(&tio, B38400);
        tcsetattr(m_slaveHold, TCSANOW, &tio);
    }

    std::string link = comDir + "/COM" + std::to_string(port);
    struct stat st{};
    if (lstat(link.c_str(), &st) == 0) {
        if (!S_ISLNK(st.st_mode)) {
            errno = EEXIST;
            return fail(link + " exists and is not a link");
        }
        ::unlink(link.c_str()); // left behind by a simulator that was killed
    }
    if (symlink(m_slave.c_str(), link.c_str()) != 0)
        return fail("symlink " + link);
    m_link = link;
    m_error.clear();
    return true;
}

void PseudoTerminal::close()
{
    if (!m_link.empty()) {
        ::unlink(m_link.c_str());
        m_link.clear();
    }
    if (m_slaveHold >= 0) {
        ::close(m_slaveHold);
        m_slaveHold = -1;
    }
    if (m_master >= 0) {
        ::close(m_master);
        m_master = -1;
    }
}

int PseudoTerminal::lineRate() const
{
    return m_master >= 0 ? LineRateOf(m_master) : 0;
}

} // namespace devsim
