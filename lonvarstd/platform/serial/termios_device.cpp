#include "serial/termios_device.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <string>

#include "serial/custom_baud.h"
#include "serial/termios_settings.h"

namespace tavrix::serial {

namespace {

using Clock = std::chrono::steady_clock;

// Milliseconds left until `deadline`, for poll(); -1 waits without limit.
int remainingMs(bool limited, Clock::time_point deadline) {
    if (!limited) return -1;
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) return 0;
    return left > INT_MAX ? INT_MAX : static_cast<int>(left);
}

int pollOne(int fd, short events, int timeoutMs, short& revents) {
    pollfd p{fd, events, 0};
    int rc;
    do {
        rc = ::poll(&p, 1, timeoutMs);
    } while (rc < 0 && errno == EINTR);
    revents = p.revents;
    return rc;
}

// True when another process has the line open: exclusive mode and the lock only
// keep out those who come after us, so a port already in use is found by its
// open descriptors. Processes of other users cannot be looked into.
bool heldElsewhere(int fd) {
    struct stat own {};
    if (::fstat(fd, &own) != 0 || !S_ISCHR(own.st_mode)) return false;
    DIR* proc = ::opendir("/proc");
    if (!proc) return false;
    const std::string self = std::to_string(::getpid());
    bool held = false;
    while (!held) {
        const dirent* e = ::readdir(proc);
        if (!e) break;
        if (e->d_name[0] < '1' || e->d_name[0] > '9' || self == e->d_name) continue;
        const std::string fds = std::string("/proc/") + e->d_name + "/fd";
        DIR* dir = ::opendir(fds.c_str());
        if (!dir) continue;
        while (const dirent* f = ::readdir(dir)) {
            struct stat st {};
            if (f->d_name[0] == '.' || ::stat((fds + "/" + f->d_name).c_str(), &st) != 0) continue;
            if (S_ISCHR(st.st_mode) && st.st_rdev == own.st_rdev) {
                held = true;
                break;
            }
        }
        ::closedir(dir);
    }
    ::closedir(proc);
    return held;
}

}  // namespace

std::unique_ptr<TermiosDevice> TermiosDevice::open(const std::string& path) {
    // Non-blocking so that opening never waits for a carrier.
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return nullptr;
    if (!::isatty(fd) || heldElsewhere(fd) || ::flock(fd, LOCK_EX | LOCK_NB) != 0 ||
        ::ioctl(fd, TIOCEXCL) != 0) {
        ::close(fd);
        return nullptr;
    }
    return std::unique_ptr<TermiosDevice>(new TermiosDevice(fd, path));
}

TermiosDevice::~TermiosDevice() {
    // The exclusive flag lives on the tty, which may outlast this descriptor
    // (a pty slave stays while its master is open): clear it for the next user.
    ::ioctl(fd_, TIOCNXCL);
    // Output held back by flow control would make close() wait for it to drain
    // (up to half a minute); a closed port has no use for it.
    ::tcflush(fd_, TCOFLUSH);
    ::close(fd_);
}

bool TermiosDevice::configure(const LineSettings& s) {
    termios tio{};
    if (::tcgetattr(fd_, &tio) != 0) return false;
    bool accepted = applyLineSettings(tio, s);
    discardNulls_ = s.discardNulls;
    if (::tcsetattr(fd_, TCSANOW, &tio) != 0) return false;

    // tcsetattr succeeds when any part was taken: compare with what the line
    // really runs (a pty, for one, always keeps 8 data bits without parity).
    const bool customSpeed = speedConstant(s.baud) == B0;
    termios actual{};
    if (::tcgetattr(fd_, &actual) != 0) return false;
    if (!sameFraming(tio, actual, !customSpeed)) accepted = false;
    if (customSpeed && !setCustomBaud(fd_, s.baud)) accepted = false;

    // The driver's queue sizes are fixed on this system; the sizes asked for
    // are advice only. A line without modem outputs (a pty) simply has none.
    setModemLine(TIOCM_DTR, s.dtr);
    setModemLine(TIOCM_RTS, s.rts);
    return accepted;
}

ReadResult TermiosDevice::readByte(std::uint8_t& byte, int timeoutMs) {
    const bool limited = timeoutMs > 0;
    const auto deadline = Clock::now() + std::chrono::milliseconds(limited ? timeoutMs : 0);
    bool hungUp = false;
    for (;;) {
        std::uint8_t c = 0;
        const ssize_t n = ::read(fd_, &c, 1);
        if (n == 1) {
            if (c == 0 && discardNulls_) continue;
            byte = c;
            return ReadResult::Byte;
        }
        if (n == 0) {
            gone_ = true;
            return ReadResult::Failed;  // hang-up: the other end is gone
        }
        if (errno == EINTR) continue;
        if ((errno != EAGAIN && errno != EWOULDBLOCK) || hungUp) {
            gone_ = true;
            return ReadResult::Failed;
        }

        const int wait = remainingMs(limited, deadline);
        if (wait == 0) return ReadResult::Timeout;
        short revents = 0;
        const int rc = pollOne(fd_, POLLIN, wait, revents);
        if (rc < 0) return ReadResult::Failed;
        if (rc == 0) return ReadResult::Timeout;
        // Bytes still queued at a hang-up are read first; then the read fails.
        hungUp = (revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
    }
}

long TermiosDevice::write(const char* data, std::size_t size, int timeoutMs) {
    const bool limited = timeoutMs > 0;
    const auto deadline = Clock::now() + std::chrono::milliseconds(limited ? timeoutMs : 0);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd_, data + done, size - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) return -1;

        const int wait = remainingMs(limited, deadline);
        if (wait == 0) break;  // time-out: report what went out
        short revents = 0;
        const int rc = pollOne(fd_, POLLOUT, wait, revents);
        if (rc < 0) return -1;
        if (rc == 0) break;
        if ((revents & POLLOUT) == 0 && (revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
            return -1;
        }
    }
    return static_cast<long>(done);
}

WaitResult TermiosDevice::waitInput(int wakeFd, int timeoutMs) {
    if (gone_) return waitWakeOnly(wakeFd, timeoutMs);
    pollfd p[2] = {{fd_, POLLIN, 0}, {wakeFd, POLLIN, 0}};
    const nfds_t count = wakeFd >= 0 ? 2 : 1;
    int rc;
    do {
        rc = ::poll(p, count, timeoutMs);
    } while (rc < 0 && errno == EINTR);
    if (rc < 0) {
        gone_ = true;
        return WaitResult::Input;  // the read that follows reports it
    }
    if (rc == 0) return WaitResult::Timeout;
    if ((p[0].revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
        // Bytes still queued are read first; the line is not waited on again.
        gone_ = true;
        return WaitResult::Input;
    }
    if ((p[0].revents & POLLIN) != 0) return WaitResult::Input;
    return WaitResult::Woken;
}

bool TermiosDevice::setModemLine(int line, bool on) {
    return ::ioctl(fd_, on ? TIOCMBIS : TIOCMBIC, &line) == 0;
}

bool TermiosDevice::setDtr(bool on) {
    return setModemLine(TIOCM_DTR, on);
}

bool TermiosDevice::setRts(bool on) {
    return setModemLine(TIOCM_RTS, on);
}

std::size_t TermiosDevice::pendingBytes() {
    int count = 0;
    if (::ioctl(fd_, FIONREAD, &count) != 0 || count < 0) return 0;
    return static_cast<std::size_t>(count);
}

std::unique_ptr<SerialDevice> openTermios(const std::string& path) {
    return TermiosDevice::open(path);
}

}  // namespace tavrix::serial
