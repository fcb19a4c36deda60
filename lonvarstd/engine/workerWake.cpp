#include "engine/workerWake.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

namespace tavrix {

WakeSignal::WakeSignal() : fd_(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

WakeSignal::~WakeSignal() {
    if (fd_ >= 0) ::close(fd_);
}

void WakeSignal::Wake() const {
    if (fd_ < 0) return;
    const std::uint64_t one = 1;
    // A full counter (never in practice) is still a pending wake-up.
    ssize_t ignored = ::write(fd_, &one, sizeof one);
    (void)ignored;
}

void WakeSignal::Clear() const {
    if (fd_ < 0) return;
    std::uint64_t count = 0;
    ssize_t ignored = ::read(fd_, &count, sizeof count);
    (void)ignored;
}

bool WakeSignal::Wait(int timeoutMs) const {
    pollfd p{fd_, POLLIN, 0};
    if (fd_ < 0) {
        // No descriptor: a short rest instead, so the caller looks again soon.
        ::poll(nullptr, 0, timeoutMs < 0 || timeoutMs > 1 ? 1 : timeoutMs);
        return false;
    }
    int rc;
    do {
        rc = ::poll(&p, 1, timeoutMs);
    } while (rc < 0 && errno == EINTR);
    return rc > 0;
}

}  // namespace tavrix
