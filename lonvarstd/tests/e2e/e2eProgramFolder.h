#pragma once
// A program folder of a run's own: the built one copied without its settings and outputs,
// one USB gauge (the bench's cable "LU000001") that answers F2 and writes its text file,
// and no COM port of the machine.

#include <filesystem>
#include <fstream>

namespace e2e {

inline void MakeLumoF2ProgramFolder(const std::filesystem::path& dir) {
    namespace fs = std::filesystem;
    fs::copy(TAVRIX_PROGRAM_FOLDER, dir, fs::copy_options::recursive);
    for (const char* left : {"DAT", "LonvarStd.INI", "LonvarStd.TMP"}) fs::remove_all(dir / left);
    fs::create_directories(dir / "DAT");
    std::ofstream(dir / "LonvarStd.INI", std::ios::binary)
        << "[COMPORTS]\r\nCOM1=" << (dir / "no-tty").string()
        << "\r\nCOM2=" << (dir / "no-tty").string() << "\r\n";
    std::ofstream(dir / "DAT/DEFAULT.TVC", std::ios::binary)
        << "[Lumo LU000001]\r\nDeviceName=Lumo F2\r\nAnforderType=1\r\n"
           "AnforderTasteKeyb=F2\r\nMwZielAppl=2\r\n";
}

}  // namespace e2e
