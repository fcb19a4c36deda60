#pragma once
// An FT232R cable emulated at its USB device file: the real libusb and libftdi1
// run unchanged on top, through the umockdev test bed of the process. It answers
// the chip's vendor requests, delivers what its gauge sends as 64-byte bulk
// packets that begin with the two modem-status bytes (one per latency period),
// takes bulk writes, and can be pulled out and plugged in again.

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "gauge_lines.h"
#include "simulated_line.h"

typedef struct _UMockdevIoctlBase UMockdevIoctlBase;
typedef struct _UMockdevIoctlClient UMockdevIoctlClient;
typedef struct _UMockdevIoctlData UMockdevIoctlData;

namespace tavrix::ftdiemu {

struct CableIdentity {
    int bus = 1;
    int address = 2;   // device number on the bus
    std::string port;  // port path below the root hub, "1" or "1.4"
    std::uint16_t vendor = 0x0403;
    std::uint16_t product = 0x6001;
    std::string manufacturer = "FTDI";
    std::string description = "Lumo";
    std::string serial = "LU000001";  // empty: the cable has no serial number string
};

class EmulatedFt232r {
public:
    explicit EmulatedFt232r(CableIdentity id);
    ~EmulatedFt232r();
    EmulatedFt232r(const EmulatedFt232r&) = delete;
    EmulatedFt232r& operator=(const EmulatedFt232r&) = delete;

    const CableIdentity& identity() const { return id_; }
    std::string sysfsPath() const { return syspath_; }
    std::string deviceNode() const;

    // Puts the cable into the test bed ("add"), or takes it out: transfers in
    // flight end with "no device", every later call fails, "remove" is sent.
    void plug();
    void unplug();
    bool plugged() const;

    // The gauge behind the cable: it answers a DTR pulse (or an RTS pulse) as
    // the gauge bench's gauges do. Without one the line stays silent.
    void setGauge(std::optional<gaugebench::SimulatedGauge> gauge);
    // A switch cable: pressing pulls its pin (bit 5 unless told) low in the pin byte.
    void press(int bit = 5);
    void release(int bit = 5);
    // Bytes the line brings in now, as if a gauge had sent them unasked.
    void send(const std::string& bytes);
    // Makes the next `count` pin reads fail with a pipe error (a hiccup, not a pull).
    void failPinReads(int count);

    // What the program set.
    int baudRate() const;
    int wordLength() const;  // 7 or 8
    int parity() const;      // 0 none, 1 odd, 2 even, 3 mark, 4 space
    int stopBits() const;    // 0 one, 1 one and a half, 2 two
    int latencyMs() const;
    bool dtr() const;
    bool rts() const;
    bool kernelDriverBound() const;  // the cable's own tty driver holds the interface
    int claims() const;              // open handles that claimed the interface now
    std::string written() const;     // every byte the program wrote, in order
    std::vector<LineEdge> edges() const;
    // Reads of the pin byte answered so far, and every transfer the program handed
    // to the chip (control and bulk).
    int pinReads() const;
    long transfers() const;
    // The thread the test bed answers this cable's requests on (0 before the first).
    int handlerThread() const;

    // Called by the test bed's ioctl thread.
    bool handleIoctl(UMockdevIoctlClient* client);
    void clientGone(UMockdevIoctlClient* client);

private:
    struct Urb {
        UMockdevIoctlClient* client;
        UMockdevIoctlData* urb;     // the caller's usbdevfs_urb, resolved
        UMockdevIoctlData* buffer;  // its data buffer, resolved
        std::int64_t dueMs = 0;     // bulk IN: when the chip ends it
        bool done = false;
    };

    std::unique_lock<std::mutex> lock() const { return std::unique_lock<std::mutex>(mutex_); }
    void addToTestbed();
    void control(Urb& u);
    int controlVendor(std::uint8_t request, std::uint16_t value, std::uint16_t index,
                      std::uint8_t* data, int length);
    int standardDescriptor(std::uint16_t value, std::uint8_t* data, int length) const;
    void modemControl(std::uint16_t value);
    void finishBulkIn(Urb& u, std::int64_t now);
    std::uint8_t modemStatus() const;
    std::vector<std::uint8_t> descriptors() const;

    CableIdentity id_;
    std::string syspath_;
    UMockdevIoctlBase* handler_ = nullptr;
    bool attached_ = false;
    mutable std::mutex mutex_;
    bool plugged_ = false;
    std::vector<Urb> urbs_;  // submitted, not yet reaped, in submit order
    GaugeLines lines_;
    std::deque<std::uint8_t> rx_;  // bytes the chip holds for the host
    std::int64_t lastInMs_ = 0;
    std::uint8_t pins_ = 0x20;
    int pinFailures_ = 0;
    int pinReads_ = 0;
    long transfers_ = 0;
    int handlerTid_ = 0;
    int baud_ = 9600, word_ = 8, parity_ = 0, stop_ = 0, latency_ = 16;
    bool driverBound_ = true;
    std::map<UMockdevIoctlClient*, bool> claimed_;
    std::string written_;
    bool trace_ = false;  // TAVRIX_FTDIEMU_TRACE: every ioctl to stderr
};

}  // namespace tavrix::ftdiemu
