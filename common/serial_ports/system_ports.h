#pragma once
// The serial ports of this machine as a user picks one: each with the stable name
// udev gives it under /dev/serial/by-id (the same after a re-plug, whatever number
// the kernel hands out) and the adapter's own description. Shared by both programs.

#include <string>
#include <vector>

namespace serial_ports {

// Where the listing looks; tests point every folder at one of their own.
struct PortFolders {
    std::string dev = "/dev";
    std::string byId = "/dev/serial/by-id";
    std::string sysClassTty = "/sys/class/tty";
};

struct SystemPort {
    std::string device;       // "/dev/ttyUSB0"
    std::string byId;         // "/dev/serial/by-id/usb-..."; empty when udev gave none
    std::string description;  // "FT232R USB UART (FTDI)", "built-in serial port"

    // What a setting stores: the by-id name where there is one, so that a re-plugged
    // adapter keeps its COM number.
    const std::string& StoredName() const { return byId.empty() ? device : byId; }
    bool operator==(const SystemPort&) const = default;
};

// Whether the ttyS entry `sysEntry` (under /sys/class/tty) is a line: the kernel lists one
// for every possible legacy port, and only those with a device and a known UART (from sysfs,
// else asked of `devPath` without waiting) are real.
bool IsLegacySerialLine(const std::string& sysEntry, const std::string& devPath);

// ttyS* (only lines the kernel found a UART for), ttyUSB* and ttyACM*, and every
// character device a by-id link leads to, sorted by device name. Unreadable folders
// give fewer ports, never an error.
std::vector<SystemPort> ListSystemPorts(const PortFolders& folders = {});

// The port a stored name stands for (a device path or a by-id link, compared after
// following links), or -1 when that device is not attached now.
int FindStoredPort(const std::vector<SystemPort>& ports, const std::string& stored);

// Whether the user may open a device path for reading and writing.
enum class PortAccess { Usable, Missing, NoPermission };
PortAccess AccessOf(const std::string& path);

}  // namespace serial_ports
