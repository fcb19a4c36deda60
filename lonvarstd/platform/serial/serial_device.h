#pragma once
// The serial device layer under TComm: one open serial line with its modem
// outputs. Two back ends: termios on a device path, and the gauge bench's
// simulated COM ports (chosen when the environment names a bench).

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tavrix::serial {

enum class Parity { None, Odd, Even, Mark, Space };
enum class StopBits { One, OneAndHalf, Two };

// Everything TComm hands to the line when it opens it.
struct LineSettings {
    int baud = 9600;
    int dataBits = 8;  // 4..8; termios supports 5..8, 4 is refused by configure()
    Parity parity = Parity::None;
    StopBits stopBits = StopBits::One;
    bool parityCheck = false;
    bool discardNulls = false;
    bool ctsFlow = false;
    bool dsrFlow = false;
    bool xonXoffIn = false;
    bool xonXoffOut = false;
    bool dtr = false;
    bool rts = false;
    int rxQueueSize = 1024;
    int txQueueSize = 1024;
};

enum class ReadResult { Byte, Timeout, Failed };

class SerialDevice {
public:
    virtual ~SerialDevice() = default;

    // Applies the settings; false if the line refused any of them.
    virtual bool configure(const LineSettings& settings) = 0;
    // Waits for one byte; timeoutMs 0 waits until a byte comes or the line fails.
    virtual ReadResult readByte(std::uint8_t& byte, int timeoutMs) = 0;
    // Writes all bytes within timeoutMs (0 = no limit); the count written, -1 on failure.
    virtual long write(const char* data, std::size_t size, int timeoutMs) = 0;
    virtual bool setDtr(bool on) = 0;
    virtual bool setRts(bool on) = 0;
    // Bytes received and not yet read (0 when unknown).
    virtual std::size_t pendingBytes() = 0;
    // The path or name the line was opened by, for messages.
    virtual std::string name() const = 0;
};

// The device path that COM port `port` (1..128) maps to: the program INI file's
// section "COMPORTS" key "COM<n>" if present, else "/dev/ttyS<n-1>".
std::string devicePathForPort(int port);

// Opens COM port `port` exclusively: on the gauge bench when the environment
// names one and the bench has that port, else the mapped device path through
// termios. nullptr if it cannot be opened.
std::unique_ptr<SerialDevice> openPort(int port);

// Opens a device path through termios (used for ptys in tests and by openPort).
std::unique_ptr<SerialDevice> openTermios(const std::string& path);

// Serial ports the system offers: sysfs serial devices that are real lines, plus
// the bench's ports when a bench is named. Port numbers are 1-based COM numbers.
struct PortInfo {
    int port;          // COM number
    std::string path;  // device path or bench name

    bool operator==(const PortInfo&) const = default;
};
std::vector<PortInfo> listPorts();

}  // namespace tavrix::serial
