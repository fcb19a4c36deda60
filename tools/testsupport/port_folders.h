#pragma once
// Made-up /dev, by-id and sysfs folders below a scratch folder of the test, for the serial
// port listing: the test points by-id names and device nodes at pseudo-terminals.

#include <filesystem>
#include <string>

#include "system_ports.h"

namespace tavrix::testing {

struct PortFolders : serial_ports::PortFolders {
    explicit PortFolders(const std::string& root) {
        dev = root + "/dev";
        byId = dev + "/serial/by-id";
        sysClassTty = root + "/sys/class/tty";
        std::filesystem::create_directories(byId);
        std::filesystem::create_directories(sysClassTty);
    }
    // Points a link (a by-id name, a device node) at `target`, as udev moves it on a re-plug.
    static void Link(const std::string& link, const std::string& target) {
        std::filesystem::remove(link);
        std::filesystem::create_symlink(target, link);
    }
};

}  // namespace tavrix::testing
