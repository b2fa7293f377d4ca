// On the BSDs and macOS the termios speed is the rate itself, any value included.
#include <termios.h>

namespace devsim {

int LineRateOf(int fd)
{
    termios tio{};
    if (tcgetattr(fd, &tio) != 0)
        return 0;
    return int(cfgetospeed(&tio));
}

} // namespace devsim
