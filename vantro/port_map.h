#pragma once
// Which device file stands behind COM1 ... COM16. By default COMn is the n-th serial
// device the system reports (ttyS first, then USB adapters, then the rest); single ports
// can be mapped explicitly, by the environment variable VANTRO_PORTS
// ("1=/dev/ttyUSB0;3=/dev/pts/4") or by keys "COM1" ... in the settings group "Ports".
// The environment wins over the settings, both over the system list.

#include <map>
#include <string>
#include <vector>

inline constexpr int kMaxComPort = 16;

// "1=/dev/a;2=/dev/b" (";" or "," between entries, an optional "COM" before the number).
// Entries that cannot be read are skipped.
std::map<int, std::string> ParsePortOverrides(const std::string& text);

// Orders device paths the way COM numbers are handed out.
std::vector<std::string> OrderSerialDevices(std::vector<std::string> paths);

class TPortMap {
public:
    TPortMap() = default;
    TPortMap(const std::vector<std::string>& systemDevices,
             const std::map<int, std::string>& overrides);

    // The map of this machine and user, read now.
    static TPortMap FromSystem();

    // Maps COMn to `path` (a by-id name where the device has one); empty gives COMn back
    // to the system list.
    void SetOverride(int comNumber, const std::string& path);
    // The path mapped to COMn by hand, empty when the system list decides.
    std::string Override(int comNumber) const;

    // Device file of COMn, or empty when nothing is mapped to it.
    std::string DevicePath(int comNumber) const;
    // "COM1 (/dev/ttyS0)", or "COM1" when nothing is mapped.
    std::string Label(int comNumber) const;

private:
    void Rebuild();

    std::vector<std::string> System_;  // ordered
    std::map<int, std::string> Overrides_;
    std::map<int, std::string> Paths_;
};
