#include "link/linecheck.h"

// termios2 carries the real rate, custom rates included; its header clashes with
// <termios.h>, so this file uses it alone.
#include <asm/ioctls.h>
#include <asm/termbits.h>

extern "C" int ioctl(int fd, unsigned long request, ...);

namespace tavrin {

LineReadback ReadLineSettings(qintptr handle)
{
    struct termios2 tio {};
    if (ioctl(int(handle), TCGETS2, &tio) != 0)
        return {};
    LineReadback line;
    line.known = true;
    line.rate = qint32(tio.c_ospeed);
    switch (tio.c_cflag & CSIZE) {
    case CS5: line.dataBits = 5; break;
    case CS6: line.dataBits = 6; break;
    case CS7: line.dataBits = 7; break;
    default: line.dataBits = 8; break;
    }
    if (tio.c_cflag & PARENB)
        line.parity = (tio.c_cflag & PARODD) ? 2 : 1;
    line.stopBits = (tio.c_cflag & CSTOPB) ? 2 : 0;
    return line;
}

} // namespace tavrin
