#include "serial/port_mapping.h"

#include <sys/stat.h>

#include "bench/bench_ports.h"
#include "serial/serial_device.h"
#include "support/new_ini_file.h"
#include "support/prog_paths.h"

namespace tavrix::serial {

namespace {

const char* const kSection = "COMPORTS";

std::string comKey(int port) {
    return "COM" + std::to_string(port);
}

// A lookup must not create the program INI file as a side effect, which
// opening a missing file through the INI class would do on release.
bool progIniExists() {
    const std::string path = ProgIniFile;
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace

std::string defaultDevicePath(int port) {
    return "/dev/ttyS" + std::to_string(port - 1);
}

std::map<int, std::string> mappedComPorts() {
    std::map<int, std::string> result;
    if (!progIniExists()) return result;
    tPgIniFile ini(ProgIniFile);
    for (int port = 1; port <= kMaxComPort; ++port) {
        std::string path = ini.ReadString(kSection, comKey(port), "");
        if (!path.empty()) result.emplace(port, std::move(path));
    }
    return result;
}

std::string devicePathForPort(int port) {
    if (progIniExists()) {
        tPgIniFile ini(ProgIniFile);
        std::string path = ini.ReadString(kSection, comKey(port), "");
        if (!path.empty()) return path;
    }
    return defaultDevicePath(port);
}

std::unique_ptr<SerialDevice> openPort(int port) {
    if (!bench::benchSocketPath().empty()) {
        if (auto device = bench::openBenchPort(port)) return device;
        // On the bench only ports mapped by hand reach real lines: the default
        // /dev/ttyS* of a bench machine may well be its console.
        const auto mapped = mappedComPorts();
        const auto it = mapped.find(port);
        return it == mapped.end() ? nullptr : openTermios(it->second);
    }
    return openTermios(devicePathForPort(port));
}

}  // namespace tavrix::serial
