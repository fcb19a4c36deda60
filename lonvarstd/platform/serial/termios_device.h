#pragma once
// A serial line driven through termios on a device path (a real port, a USB
// adapter or a pty slave). The file descriptor is non-blocking; every wait
// goes through poll() so that time-outs hold and a pulled line ends a wait.

#include <memory>
#include <string>

#include "serial/serial_device.h"

namespace tavrix::serial {

class TermiosDevice final : public SerialDevice {
public:
    // Opens `path` for reading and writing, exclusively (TIOCEXCL against other
    // opens of the tty, flock against other programs, including root ones).
    static std::unique_ptr<TermiosDevice> open(const std::string& path);
    ~TermiosDevice() override;

    TermiosDevice(const TermiosDevice&) = delete;
    TermiosDevice& operator=(const TermiosDevice&) = delete;

    bool configure(const LineSettings& settings) override;
    ReadResult readByte(std::uint8_t& byte, int timeoutMs) override;
    long write(const char* data, std::size_t size, int timeoutMs) override;
    bool setDtr(bool on) override;
    bool setRts(bool on) override;
    WaitResult waitInput(int wakeFd, int timeoutMs) override;
    std::size_t pendingBytes() override;
    std::string name() const override { return path_; }

    int fd() const { return fd_; }

private:
    TermiosDevice(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
    bool setModemLine(int line, bool on);

    int fd_;
    std::string path_;
    bool discardNulls_ = false;
    bool gone_ = false;  // hung up or failed: waits no longer look at the line
};

}  // namespace tavrix::serial
