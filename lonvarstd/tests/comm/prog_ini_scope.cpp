#include "prog_ini_scope.h"

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "support/prog_paths.h"

namespace tavrix::testing {

ProgIniScope::ProgIniScope(const std::map<int, std::string>& comPorts) {
    char pattern[] = "/tmp/comm-test-XXXXXX";
    if (::mkdtemp(pattern) == nullptr) throw std::runtime_error("no temp folder");
    folder_ = pattern;
    savedProgIniFile_ = ProgIniFile;
    ProgIniFile = folder_ + "/LonvarStd.INI";
    if (comPorts.empty()) return;
    std::ofstream out(ProgIniFile, std::ios::binary);
    out << "[DEFAULT]\r\nLANGUAGE=English\r\n[COMPORTS]\r\n";
    for (const auto& [port, path] : comPorts) out << "COM" << port << "=" << path << "\r\n";
}

ProgIniScope::~ProgIniScope() {
    ProgIniFile = savedProgIniFile_;
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

}  // namespace tavrix::testing
