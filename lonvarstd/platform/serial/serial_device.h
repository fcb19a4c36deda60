#pragma once
// The serial device layer under TComm: one open serial line with its modem
// outputs. Two back ends: termios on a device path, and the gauge bench's
// simulated COM ports (chosen when the environment names a bench).

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "wake_rest.h"

namespace tavrix::serial {

enum class Parity { None, Odd, Even, Mark, Space };
enum class StopBits { One, OneAndHalf, Two };

// Everything TComm hands to the line when it opens it. On termios: rates
// without a B<rate> constant (14400) go through BOTHER; 4 data bits, DSR flow
// control and 1.5 stop bits with 6..8 data bits have no termios form and make
// configure() report false while the rest still applies; the queue sizes are
// advice only (the driver's queues are fixed); zero bytes are discarded by
// readByte() when asked.
struct LineSettings {
    int baud = 9600;
    int dataBits = 8;  // 4..8
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
// What ended a wait for input: bytes (or a failing line) to read, the caller's
// wake-up descriptor, or the time.
enum class WaitResult { Input, Woken, Timeout };

// Rests on `wakeFd` alone (-1: on nothing) for at most `timeoutMs` (negative: no limit).
inline WaitResult waitWakeOnly(int wakeFd, int timeoutMs) {
    return platform::RestOnWake(wakeFd, timeoutMs) ? WaitResult::Woken : WaitResult::Timeout;
}

class SerialDevice {
public:
    virtual ~SerialDevice() = default;

    // Applies the settings; false if the line refused or silently changed any
    // of them (a pty always runs 8 data bits without parity). A line without
    // modem outputs is no refusal: it simply has no DTR and RTS to switch.
    virtual bool configure(const LineSettings& settings) = 0;
    // Waits for one byte; timeoutMs 0 waits until a byte comes or the line fails
    // (a pulled cable, a closed pty master: Failed, never a hang).
    virtual ReadResult readByte(std::uint8_t& byte, int timeoutMs) = 0;
    // Writes all bytes within timeoutMs (0 = no limit); the count written (fewer
    // when the time-out passed), -1 on failure.
    virtual long write(const char* data, std::size_t size, int timeoutMs) = 0;
    virtual bool setDtr(bool on) = 0;
    virtual bool setRts(bool on) = 0;
    // Waits until bytes can be read, `wakeFd` (-1: none) turns readable, or
    // `timeoutMs` passed (negative: no limit). A line that has gone away (hung up,
    // pulled) is no longer waited on, so its reader rests instead of spinning; the
    // reads still report the failure. The base only rests on `wakeFd`.
    virtual WaitResult waitInput(int wakeFd, int timeoutMs) {
        return waitWakeOnly(wakeFd, timeoutMs);
    }
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
// termios (with a bench named, only ports the program INI file maps by hand).
// nullptr if it cannot be opened. The program INI file is read when
// it exists and never created by a lookup.
std::unique_ptr<SerialDevice> openPort(int port);

// Opens a device path through termios (used for ptys in tests and by openPort):
// a terminal only, exclusively (TIOCEXCL, and flock, which holds for root too).
std::unique_ptr<SerialDevice> openTermios(const std::string& path);

// Serial ports the system offers: sysfs serial devices that are real lines
// (ttyS<k> as COM<k+1>, legacy placeholders with an unknown UART left out) and
// the paths mapped in section "COMPORTS" that exist as character devices, plus
// the bench's ports when a bench is named (they win over the same number).
// Lines that no COM number reaches (an unmapped ttyUSB0) are not listed.
// Port numbers are 1-based COM numbers, sorted.
struct PortInfo {
    int port;          // COM number
    std::string path;  // device path or bench name

    bool operator==(const PortInfo&) const = default;
};
std::vector<PortInfo> listPorts();

}  // namespace tavrix::serial
