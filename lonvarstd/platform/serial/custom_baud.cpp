#include "serial/custom_baud.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>

namespace tavrix::serial {

bool setCustomBaud(int fd, int baud) {
    if (baud <= 0) return false;
    struct termios2 tio {};
    if (ioctl(fd, TCGETS2, &tio) != 0) return false;
    tio.c_cflag &= ~static_cast<tcflag_t>(CBAUD | (CBAUD << IBSHIFT));
    tio.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
    tio.c_ispeed = static_cast<speed_t>(baud);
    tio.c_ospeed = static_cast<speed_t>(baud);
    if (ioctl(fd, TCSETS2, &tio) != 0) return false;
    // Drivers round to what their divisor allows; accept a close match only.
    struct termios2 check {};
    if (ioctl(fd, TCGETS2, &check) != 0) return false;
    const long diff = static_cast<long>(check.c_ospeed) - baud;
    return diff * 100 <= baud * 2L && -diff * 100 <= baud * 2L;
}

int currentBaud(int fd) {
    struct termios2 tio {};
    if (ioctl(fd, TCGETS2, &tio) != 0) return -1;
    return static_cast<int>(tio.c_ospeed);
}

}  // namespace tavrix::serial
