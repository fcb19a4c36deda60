#include "privateSessionBus.h"

#include <stdlib.h>

#include <chrono>
#include <fstream>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

tPrivateSessionBus::tPrivateSessionBus(bool services,
                                       const std::map<std::string, std::string>& environment) {
    std::string pattern = (fs::temp_directory_path() / "tavrix-bus-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) return;
    dir_ = pattern;
    address_ = "unix:path=" + (dir_ / "bus").string();
    std::ofstream(dir_ / "bus.conf")
        << "<busconfig><type>session</type><listen>" << address_ << "</listen>"
        << (services ? "<standard_session_servicedirs/>" : "")
        << "<policy context=\"default\"><allow send_destination=\"*\" eavesdrop=\"true\"/>"
           "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>\n";
    daemon_ = std::make_unique<TChildProcess>(
        "/usr/bin/dbus-daemon",
        std::vector<std::string>{"--config-file=" + (dir_ / "bus.conf").string(), "--nofork",
                                 "--nopidfile"},
        environment);
    for (int i = 0; i < 500 && daemon_->Running(); ++i) {
        if (fs::exists(dir_ / "bus")) {
            running_ = true;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

tPrivateSessionBus::~tPrivateSessionBus() {
    daemon_.reset();
    std::error_code ec;
    if (!dir_.empty()) fs::remove_all(dir_, ec);
}
