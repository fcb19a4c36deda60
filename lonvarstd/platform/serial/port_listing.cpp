#include "serial/port_listing.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>

#include "bench/bench_ports.h"
#include "serial/port_mapping.h"
#include "system_ports.h"

namespace tavrix::serial {

namespace {

bool isCharDevice(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISCHR(st.st_mode);
}

// "ttyS12" -> 12; -1 for any other name.
int legacyIndex(const std::string& name) {
    const std::string prefix = "ttyS";
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) return -1;
    int value = 0;
    for (std::size_t i = prefix.size(); i < name.size(); ++i) {
        if (name[i] < '0' || name[i] > '9' || value > 100000) return -1;
        value = value * 10 + (name[i] - '0');
    }
    return value;
}

void sortByPort(std::vector<PortInfo>& ports) {
    std::sort(ports.begin(), ports.end(),
              [](const PortInfo& a, const PortInfo& b) { return a.port < b.port; });
}

}  // namespace

std::vector<PortInfo> listPortsIn(const std::string& sysClassTty,
                                  const std::map<int, std::string>& mapped) {
    std::vector<PortInfo> ports;
    for (const auto& [port, path] : mapped) {
        if (port >= 1 && port <= kMaxComPort && isCharDevice(path)) ports.push_back({port, path});
    }
    DIR* dir = ::opendir(sysClassTty.c_str());
    if (dir != nullptr) {
        while (const dirent* entry = ::readdir(dir)) {
            const std::string name = entry->d_name;
            const int index = legacyIndex(name);
            if (index < 0 || index + 1 > kMaxComPort || mapped.count(index + 1) != 0) continue;
            const std::string sysEntry = sysClassTty + "/" + name;
            const std::string devPath = "/dev/" + name;
            if (!serial_ports::IsLegacySerialLine(sysEntry, devPath)) continue;
            ports.push_back({index + 1, devPath});
        }
        ::closedir(dir);
    }
    sortByPort(ports);
    return ports;
}

void mergePorts(std::vector<PortInfo>& ports, const std::vector<PortInfo>& extra) {
    for (const PortInfo& info : extra) {
        std::erase_if(ports, [&](const PortInfo& p) { return p.port == info.port; });
        ports.push_back(info);
    }
    sortByPort(ports);
}

std::vector<PortInfo> listPorts() {
    std::vector<PortInfo> ports = listPortsIn("/sys/class/tty", mappedComPorts());
    if (!bench::benchSocketPath().empty()) mergePorts(ports, bench::listBenchPorts());
    return ports;
}

}  // namespace tavrix::serial
