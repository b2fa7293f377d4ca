// The kernel's own termios2 carries the rate as a number, also for the rates that
// have no B-constant (set with BOTHER); its header cannot share a file with <termios.h>.
#include <asm/termbits.h>
#include <sys/ioctl.h>

namespace devsim {

int LineRateOf(int fd)
{
    struct termios2 tio {};
    if (ioctl(fd, TCGETS2, &tio) != 0)
        return 0;
    return int(tio.c_ospeed);
}

} // namespace devsim
