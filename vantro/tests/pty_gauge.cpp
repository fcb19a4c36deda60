#include "pty_gauge.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <stdexcept>

TPtyGauge::TPtyGauge() {
    Master_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (Master_ < 0 || grantpt(Master_) != 0 || unlockpt(Master_) != 0) {
        throw std::runtime_error("no pseudo-terminal");
    }
    SlavePath_ = ptsname(Master_);
    SlaveKeeper_ = open(SlavePath_.c_str(), O_RDWR | O_NOCTTY);
    // Raw from the start, so that nothing the test sends is cooked before the wedge opens.
    termios settings{};
    tcgetattr(SlaveKeeper_, &settings);
    cfmakeraw(&settings);
    tcsetattr(SlaveKeeper_, TCSANOW, &settings);
}

TPtyGauge::~TPtyGauge() {
    if (SlaveKeeper_ >= 0) close(SlaveKeeper_);
    if (Master_ >= 0) close(Master_);
}

void TPtyGauge::HangUp() {
    if (SlaveKeeper_ >= 0) close(SlaveKeeper_);
    if (Master_ >= 0) close(Master_);
    SlaveKeeper_ = -1;
    Master_ = -1;
}

void TPtyGauge::Send(const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(Master_, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += size_t(n);
        } else {
            pollfd out{Master_, POLLOUT, 0};
            poll(&out, 1, 100);
        }
    }
}

std::string TPtyGauge::Receive(std::size_t atLeast, std::chrono::milliseconds timeout,
                               void (*pump)()) {
    std::string received;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (true) {
        char buffer[256];
        const ssize_t n = read(Master_, buffer, sizeof buffer);
        if (n > 0) received.append(buffer, size_t(n));
        if (received.size() >= atLeast || std::chrono::steady_clock::now() >= deadline) break;
        if (pump) pump();
        pollfd in{Master_, POLLIN, 0};
        poll(&in, 1, pump ? 5 : 50);
    }
    return received;
}
