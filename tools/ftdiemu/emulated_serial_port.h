#pragma once
// A serial port with modem lines, emulated at its device node (/dev/ttyS0 ...):
// the node is a pseudo-terminal of the test bed, so the real termios code runs
// on it, and the modem-line requests a pty cannot answer (TIOCMGET, TIOCMBIS,
// TIOCMBIC, TIOCMSET, TIOCMIWAIT) are served here, with a gauge that answers a
// DTR pulse. A pty runs 8 data bits without parity whatever the program asks
// for: parity and data bits cannot be checked on it.

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "gauge_lines.h"
#include "simulated_line.h"

typedef struct _UMockdevIoctlBase UMockdevIoctlBase;
typedef struct _UMockdevIoctlClient UMockdevIoctlClient;

namespace tavrix::ftdiemu {

class EmulatedSerialPort {
public:
    // `name` as below /dev: "ttyS0", "ttyUSB0".
    explicit EmulatedSerialPort(std::string name = "ttyS0");
    ~EmulatedSerialPort();
    EmulatedSerialPort(const EmulatedSerialPort&) = delete;
    EmulatedSerialPort& operator=(const EmulatedSerialPort&) = delete;

    std::string deviceNode() const { return "/dev/" + name_; }

    void setGauge(std::optional<gaugebench::SimulatedGauge> gauge);
    // The gauge's outputs as the program reads them with TIOCMGET.
    void setDsr(bool on);
    void setCts(bool on);
    // Bytes the line brings in now.
    void send(const std::string& bytes);
    // The far end goes away: the program's reads end with a hang-up.
    void hangUp();

    bool dtr() const;
    bool rts() const;
    std::vector<LineEdge> edges() const;
    std::string written() const;  // what the program sent, in order

    // Called by the test bed's ioctl thread.
    bool handleIoctl(UMockdevIoctlClient* client);

private:
    struct Waiter {
        UMockdevIoctlClient* client;
        int mask;
        int seen;
    };

    int modemBits() const;
    void setInput(int bit, bool on);
    void run();

    std::string name_;
    std::string syspath_;
    UMockdevIoctlBase* handler_ = nullptr;
    int master_ = -1;
    mutable std::mutex mutex_;
    int wake_ = -1;  // eventfd: the line thread has news
    bool stop_ = false;
    bool hungUp_ = false;
    GaugeLines lines_;
    int inputs_;  // DSR, CTS, CD, RI as TIOCM_* bits
    std::vector<Waiter> waiters_;
    std::string written_;
    std::thread thread_;
};

}  // namespace tavrix::ftdiemu
