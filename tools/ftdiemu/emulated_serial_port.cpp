#include "emulated_serial_port.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <umockdev.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "usb_testbed.h"

namespace tavrix::ftdiemu {

namespace {

gboolean onIoctl(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer self) {
    return static_cast<EmulatedSerialPort*>(self)->handleIoctl(client);
}

void ring(int fd) {
    const std::uint64_t one = 1;
    if (::write(fd, &one, sizeof(one)) < 0) {
        // A full counter still wakes the thread.
    }
}

}  // namespace

EmulatedSerialPort::EmulatedSerialPort(std::string name)
    : name_(std::move(name)), inputs_(TIOCM_DSR | TIOCM_CTS | TIOCM_CD) {
    // Under a UART of its own, of a real type, as the port listing wants it.
    const std::string parent = "/devices/platform/serial8250." + name_;
    syspath_ = "/sys" + parent + "/tty/" + name_;
    char text[768];
    std::snprintf(text, sizeof(text),
                  "P: %s\nE: SUBSYSTEM=platform\nE: DRIVER=serial8250\n\n"
                  "P: %s\nN: %s\nE: DEVNAME=/dev/%s\nE: SUBSYSTEM=tty\nE: MAJOR=4\nE: MINOR=64\n"
                  "A: dev=4:64\nA: type=4\nL: device=../../../serial8250.%s\n",
                  parent.c_str(), syspath_.substr(4).c_str(), name_.c_str(), name_.c_str(),
                  name_.c_str());
    UMockdevTestbed* bed = Testbed::instance().get();
    GError* error = nullptr;
    handler_ = umockdev_ioctl_base_new();
    g_signal_connect(handler_, "handle-ioctl", G_CALLBACK(onIoctl), this);
    if (!umockdev_testbed_add_from_string(bed, text, &error) ||
        !umockdev_testbed_attach_ioctl(bed, deviceNode().c_str(), handler_, &error)) {
        std::fprintf(stderr, "ftdiemu: %s\n", error ? error->message : "cannot add the port");
        g_clear_error(&error);
    }
    // Our own descriptor of the pty's master side; the test bed keeps its own.
    const int master = umockdev_testbed_get_dev_fd(bed, deviceNode().c_str());
    master_ = master >= 0 ? ::dup(master) : -1;
    wake_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    thread_ = std::thread([this] { run(); });
}

EmulatedSerialPort::~EmulatedSerialPort() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
        for (const Waiter& w : waiters_) umockdev_ioctl_client_complete(w.client, -1, EIO);
        waiters_.clear();
    }
    ring(wake_);
    thread_.join();
    UMockdevTestbed* bed = Testbed::instance().get();
    umockdev_testbed_detach_ioctl(bed, deviceNode().c_str(), nullptr);
    if (!hungUp_) umockdev_testbed_remove_device(bed, syspath_.c_str());
    g_signal_handlers_disconnect_by_data(handler_, this);
    g_object_unref(handler_);
    ::close(wake_);
}

void EmulatedSerialPort::run() {
    for (;;) {
        int timeout = -1;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (stop_ || hungUp_) break;
            const std::int64_t now = steadyMs();
            const std::string due = lines_.takeDue(now);
            if (!due.empty() && ::write(master_, due.data(), due.size()) < 0) {
                // The far end is gone: nothing to deliver to.
            }
            const std::int64_t next = lines_.nextDue();
            if (next >= 0) timeout = static_cast<int>(std::max<std::int64_t>(0, next - now));
        }
        pollfd p[2] = {{master_, POLLIN, 0}, {wake_, POLLIN, 0}};
        if (::poll(p, 2, timeout) < 0 && errno != EINTR) break;
        if (p[1].revents & POLLIN) {
            std::uint64_t n = 0;
            if (::read(wake_, &n, sizeof(n)) < 0) {
                // Drained by an earlier read.
            }
        }
        if (p[0].revents & POLLIN) {
            char buf[256];
            const ssize_t n = ::read(master_, buf, sizeof(buf));
            std::lock_guard<std::mutex> lock(mutex_);
            if (n > 0) written_.append(buf, static_cast<std::size_t>(n));
        }
    }
    ::close(master_);
    master_ = -1;
}

void EmulatedSerialPort::setGauge(std::optional<gaugebench::SimulatedGauge> gauge) {
    std::lock_guard<std::mutex> lock(mutex_);
    lines_.gauge = std::move(gauge);
}

void EmulatedSerialPort::setInput(int bit, bool on) {
    std::lock_guard<std::mutex> lock(mutex_);
    const int before = inputs_;
    inputs_ = on ? (inputs_ | bit) : (inputs_ & ~bit);
    if (before == inputs_) return;
    // TIOCMIWAIT ends at a change of any line it waits for.
    for (auto w = waiters_.begin(); w != waiters_.end();) {
        if ((w->mask & (before ^ inputs_)) == 0) {
            ++w;
            continue;
        }
        umockdev_ioctl_client_complete(w->client, 0, 0);
        w = waiters_.erase(w);
    }
}

void EmulatedSerialPort::setDsr(bool on) {
    setInput(TIOCM_DSR, on);
}

void EmulatedSerialPort::setCts(bool on) {
    setInput(TIOCM_CTS, on);
}

void EmulatedSerialPort::send(const std::string& bytes) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (master_ >= 0 && !hungUp_ && ::write(master_, bytes.data(), bytes.size()) < 0) {
        // The far end is gone.
    }
}

void EmulatedSerialPort::hangUp() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (hungUp_) return;
        hungUp_ = true;
    }
    ring(wake_);
    thread_.join();
    // The test bed keeps a master descriptor of its own: it has to go too before
    // the line hangs up. /dev/null takes its number, which the bed may close later.
    UMockdevTestbed* bed = Testbed::instance().get();
    const int master = umockdev_testbed_get_dev_fd(bed, deviceNode().c_str());
    const int null = ::open("/dev/null", O_RDWR | O_CLOEXEC);
    if (master >= 0 && null >= 0) ::dup2(null, master);
    if (null >= 0) ::close(null);
    umockdev_testbed_remove_device(bed, syspath_.c_str());
    thread_ = std::thread([] {});
}

bool EmulatedSerialPort::dtr() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return lines_.dtr;
}

bool EmulatedSerialPort::rts() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return lines_.rts;
}

std::vector<LineEdge> EmulatedSerialPort::edges() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return lines_.edges;
}

std::string EmulatedSerialPort::written() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return written_;
}

int EmulatedSerialPort::modemBits() const {
    return inputs_ | (lines_.dtr ? TIOCM_DTR : 0) | (lines_.rts ? TIOCM_RTS : 0);
}

bool EmulatedSerialPort::handleIoctl(UMockdevIoctlClient* client) {
    const gulong request = umockdev_ioctl_client_get_request(client);
    UMockdevIoctlData* arg = umockdev_ioctl_client_get_arg(client);
    if (request != TIOCMGET && request != TIOCMBIS && request != TIOCMBIC && request != TIOCMSET &&
        request != TIOCMIWAIT) {
        // Everything else is the pty's own business.
        int err = 0;
        const int r = umockdev_ioctl_client_execute(client, &err, nullptr);
        umockdev_ioctl_client_complete(client, r, err);
        return true;
    }
    std::unique_lock<std::mutex> lock(mutex_);
    if (hungUp_) {
        umockdev_ioctl_client_complete(client, -1, EIO);
        return true;
    }
    if (request == TIOCMIWAIT) {
        // The argument is the mask itself; the call ends at the next change.
        const int mask = static_cast<int>(*reinterpret_cast<gulong*>(arg->data));
        waiters_.push_back({client, mask, inputs_});
        return true;
    }
    UMockdevIoctlData* data = umockdev_ioctl_data_resolve(arg, 0, sizeof(int), nullptr);
    if (!data) {
        umockdev_ioctl_client_complete(client, -1, EFAULT);
        return true;
    }
    int& bits = *reinterpret_cast<int*>(data->data);
    const std::int64_t now = steadyMs();
    if (request == TIOCMGET) {
        bits = modemBits();
    } else {
        const int before = modemBits();
        const int after = request == TIOCMBIS   ? before | bits
                          : request == TIOCMBIC ? before & ~bits
                                                : bits;
        lines_.set(true, (after & TIOCM_DTR) != 0, now);
        lines_.set(false, (after & TIOCM_RTS) != 0, now);
    }
    const bool scheduled = lines_.nextDue() >= 0;
    lock.unlock();
    umockdev_ioctl_client_complete(client, 0, 0);
    g_object_unref(data);
    if (scheduled) ring(wake_);
    return true;
}

}  // namespace tavrix::ftdiemu
