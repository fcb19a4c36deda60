#include "system_ports.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/serial.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fstream>

namespace serial_ports {

namespace {

std::vector<std::string> Entries(const std::string& folder) {
    std::vector<std::string> names;
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) return names;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") names.push_back(name);
    }
    ::closedir(dir);
    return names;
}

bool StartsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

bool IsCharDevice(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISCHR(st.st_mode);
}

std::string RealPath(const std::string& path) {
    char buffer[PATH_MAX];
    return ::realpath(path.c_str(), buffer) != nullptr ? std::string(buffer) : std::string();
}

std::string FirstLine(const std::string& file) {
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    return line;
}

// The USB device above a tty tells its product and maker.
std::string UsbDescription(const std::string& sysEntry) {
    std::string folder = RealPath(sysEntry + "/device");
    for (int up = 0; up < 4 && folder.size() > 1; ++up) {
        const std::string product = FirstLine(folder + "/product");
        if (!product.empty()) {
            const std::string maker = FirstLine(folder + "/manufacturer");
            return maker.empty() ? product : product + " (" + maker + ")";
        }
        folder = folder.substr(0, folder.find_last_of('/'));
    }
    return {};
}

// "usb-Maker_Gauge_Cable_A1B2-if00-port0" -> "Maker Gauge Cable A1B2".
std::string DescriptionFromLinkName(std::string name) {
    for (const std::string prefix : {"usb-", "pci-", "platform-"}) {
        if (StartsWith(name, prefix)) name.erase(0, prefix.size());
    }
    const std::size_t tail = name.rfind("-if");
    if (tail != std::string::npos && tail > 0) name.erase(tail);
    std::replace(name.begin(), name.end(), '_', ' ');
    return name;
}

}  // namespace

bool IsLegacySerialLine(const std::string& sysEntry, const std::string& devPath) {
    if (::access((sysEntry + "/device").c_str(), F_OK) != 0) return false;
    std::ifstream in(sysEntry + "/type");
    int type = -1;
    if (!(in >> type)) {
        const int fd = ::open(devPath.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) return false;
        serial_struct info{};
        if (::ioctl(fd, TIOCGSERIAL, &info) == 0) type = info.type;
        ::close(fd);
    }
    return type > PORT_UNKNOWN;
}

std::vector<SystemPort> ListSystemPorts(const PortFolders& folders) {
    std::vector<SystemPort> ports;
    for (const std::string& name : Entries(folders.sysClassTty)) {
        const bool legacy = StartsWith(name, "ttyS");
        if (!legacy && !StartsWith(name, "ttyUSB") && !StartsWith(name, "ttyACM")) continue;
        const std::string sysEntry = folders.sysClassTty + "/" + name;
        const std::string device = folders.dev + "/" + name;
        if (!IsCharDevice(device)) continue;
        if (legacy && !IsLegacySerialLine(sysEntry, device)) continue;
        const std::string description = legacy ? "built-in serial port" : UsbDescription(sysEntry);
        ports.push_back({device, {}, description.empty() ? name : description});
    }
    for (const std::string& name : Entries(folders.byId)) {
        const std::string link = folders.byId + "/" + name;
        const std::string target = RealPath(link);
        if (target.empty() || !IsCharDevice(target)) continue;
        auto same = std::find_if(ports.begin(), ports.end(), [&](const SystemPort& port) {
            return RealPath(port.device) == target;
        });
        if (same == ports.end()) {
            ports.push_back({target, link, DescriptionFromLinkName(name)});
        } else if (same->byId.empty()) {
            same->byId = link;
        }
    }
    std::sort(ports.begin(), ports.end(),
              [](const SystemPort& a, const SystemPort& b) { return a.device < b.device; });
    return ports;
}

int FindStoredPort(const std::vector<SystemPort>& ports, const std::string& stored) {
    if (stored.empty()) return -1;
    for (std::size_t i = 0; i < ports.size(); ++i) {
        if (ports[i].byId == stored || ports[i].device == stored) return static_cast<int>(i);
    }
    const std::string target = RealPath(stored);
    if (target.empty()) return -1;
    for (std::size_t i = 0; i < ports.size(); ++i) {
        if (RealPath(ports[i].device) == target) return static_cast<int>(i);
    }
    return -1;
}

PortAccess AccessOf(const std::string& path) {
    if (::access(path.c_str(), F_OK) != 0) return PortAccess::Missing;
    if (::access(path.c_str(), R_OK | W_OK) == 0) return PortAccess::Usable;
    return errno == EACCES || errno == EPERM || errno == EROFS ? PortAccess::NoPermission
                                                               : PortAccess::Missing;
}

}  // namespace serial_ports
