#include "serial/termios_settings.h"

namespace tavrix::serial {

namespace {

bool sizeFlag(int dataBits, tcflag_t& flag) {
    switch (dataBits) {
        case 5:
            flag = CS5;
            return true;
        case 6:
            flag = CS6;
            return true;
        case 7:
            flag = CS7;
            return true;
        case 8:
            flag = CS8;
            return true;
        default:
            return false;
    }
}

constexpr tcflag_t kFramingFlags = CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS;

}  // namespace

speed_t speedConstant(int baud) {
    switch (baud) {
        case 110:
            return B110;
        case 300:
            return B300;
        case 600:
            return B600;
        case 1200:
            return B1200;
        case 2400:
            return B2400;
        case 4800:
            return B4800;
        case 9600:
            return B9600;
        case 19200:
            return B19200;
        case 38400:
            return B38400;
        case 57600:
            return B57600;
        case 115200:
            return B115200;
        default:
            return B0;
    }
}

bool applyLineSettings(termios& tio, const LineSettings& s) {
    bool accepted = true;

    // Binary mode: no line editing, echo, signals or character translation.
    tio.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR |
                                          ICRNL | IXON | IXOFF | IXANY | INPCK | IGNPAR);
    tio.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    tio.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
    // Modem status lines must gate neither reception nor opening.
    tio.c_cflag |= CREAD | CLOCAL;

    tcflag_t size = 0;
    if (sizeFlag(s.dataBits, size)) {
        tio.c_cflag = (tio.c_cflag & ~static_cast<tcflag_t>(CSIZE)) | size;
    } else {
        accepted = false;
    }

    tio.c_cflag &= ~static_cast<tcflag_t>(PARENB | PARODD | CMSPAR);
    switch (s.parity) {
        case Parity::None:
            break;
        case Parity::Even:
            tio.c_cflag |= PARENB;
            break;
        case Parity::Odd:
            tio.c_cflag |= PARENB | PARODD;
            break;
        case Parity::Mark:
            tio.c_cflag |= PARENB | CMSPAR | PARODD;
            break;
        case Parity::Space:
            tio.c_cflag |= PARENB | CMSPAR;
            break;
    }

    // termios has only the CSTOPB switch; a UART sends 1.5 stop bits for it
    // when the word has 5 data bits, and 2 otherwise.
    if (s.stopBits == StopBits::One) {
        tio.c_cflag &= ~static_cast<tcflag_t>(CSTOPB);
    } else {
        tio.c_cflag |= CSTOPB;
        if (s.stopBits == StopBits::OneAndHalf && s.dataBits != 5) accepted = false;
    }

    if (s.parityCheck) tio.c_iflag |= INPCK;
    // One switch covers CTS output and RTS input flow control.
    if (s.ctsFlow) {
        tio.c_cflag |= CRTSCTS;
    } else {
        tio.c_cflag &= ~static_cast<tcflag_t>(CRTSCTS);
    }
    if (s.dsrFlow) accepted = false;
    if (s.xonXoffIn) tio.c_iflag |= IXOFF;
    if (s.xonXoffOut) tio.c_iflag |= IXON;

    const speed_t speed = speedConstant(s.baud);
    if (speed != B0) {
        cfsetispeed(&tio, speed);
        cfsetospeed(&tio, speed);
    }
    return accepted;
}

bool sameFraming(const termios& wanted, const termios& actual, bool withSpeed) {
    return (wanted.c_cflag & kFramingFlags) == (actual.c_cflag & kFramingFlags) &&
           (!withSpeed || cfgetospeed(&wanted) == cfgetospeed(&actual));
}

}  // namespace tavrix::serial
