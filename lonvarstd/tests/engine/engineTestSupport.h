#pragma once
// A program folder of its own for each test: ProgDir and ProgIniFile point into
// a fresh temporary folder that is removed afterwards.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "support/locale_separators.h"
#include "support/new_ini_file.h"
#include "support/prog_paths.h"

namespace tavrix::test {

class TempProgDir {
public:
    TempProgDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "engine-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
        dir_ = pattern;
        tavrix::SetProgPathsFromExe(dir_ + "/Tavrix");
        tavrix::SetLocaleSeparators('.', ':');
        SwitchD = false;
    }
    ~TempProgDir() {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    TempProgDir(const TempProgDir&) = delete;
    TempProgDir& operator=(const TempProgDir&) = delete;

    const std::string& dir() const { return dir_; }
    std::string path(const std::string& name) const { return dir_ + "/" + name; }

private:
    std::string dir_;
};

inline void WriteFile(const std::string& path, const std::string& text) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream out(path, std::ios::binary);
    out << text;
}

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

// Points COM1..COM`ports` of the program INI file at paths that do not exist, so that
// a COM port the bench lacks never falls through to the machine's own lines.
inline void KeepComPortsOffTheMachine(const TempProgDir& prog, int ports = 2) {
    tPgIniFile ini(ProgIniFile);
    for (int port = 1; port <= ports; ++port) {
        ini.WriteString("COMPORTS", "COM" + std::to_string(port),
                        prog.path("no-such-tty" + std::to_string(port)));
    }
    ini.UpdateFile();
}

}  // namespace tavrix::test
