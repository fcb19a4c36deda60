#include "support/prog_paths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <vector>

#include "support/file_ext.h"
#include "support/locale_separators.h"

std::string ProgDir;
std::string ProgIniFile;
bool SwitchD = false;

namespace {

std::string fixedSearchFolder = "/D6/_/";

bool isExistingFile(const std::string& path) {
    struct stat info {};
    return !path.empty() && ::stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

std::string readExecutablePath() {
    std::error_code error;
    const auto path = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : path.string();
}

}  // namespace

namespace tavrix {

void SetProgPathsFromExe(std::string_view exePath) {
    const auto slash = exePath.rfind('/');
    ProgDir = (slash == std::string_view::npos) ? std::string()
                                                : std::string(exePath.substr(0, slash + 1));
    ProgIniFile = ChangeFileExt(exePath, ".INI");
}

void SetFixedSearchFolder(std::string folder) {
    fixedSearchFolder = std::move(folder);
}

}  // namespace tavrix

void InitProgPaths() {
    tavrix::SetProgPathsFromExe(readExecutablePath());
    SwitchD = false;
    tavrix::FixLocaleSeparators();
}

std::string FindProgFile(std::string_view fileName, std::string_view subDir) {
    const std::string name(fileName);
    std::vector<std::string> candidates{name};
    for (const std::string& folder : {ProgDir, ProgDir + std::string(subDir), fixedSearchFolder,
                                      fixedSearchFolder + std::string(subDir)}) {
        if (folder.empty()) continue;
        candidates.push_back(folder.back() == '/' ? folder + name : folder + "/" + name);
    }
    for (const auto& candidate : candidates) {
        if (!isExistingFile(candidate)) continue;
        std::error_code error;
        const auto full = std::filesystem::absolute(candidate, error);
        return error ? candidate : full.lexically_normal().string();
    }
    return {};
}
