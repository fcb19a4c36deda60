#include "support/prog_paths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <vector>

#include "support/locale_separators.h"
#include "support/prog_layout.h"

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
    SetProgLayout(tProgLayout::Portable(exePath));
}

void SetFixedSearchFolder(std::string folder) {
    fixedSearchFolder = std::move(folder);
}

}  // namespace tavrix

void InitProgPaths() {
    tavrix::SetProgLayout(tavrix::tProgLayout::ForExecutable(readExecutablePath()));
    // Relative names in the settings meant the program folder; installed, they mean the
    // user's data folder, which therefore becomes the working folder.
    const std::string workingDir = tavrix::ProgLayout().PrepareUserFolders();
    if (!workingDir.empty() && ::chdir(workingDir.c_str()) != 0) {
        std::perror(workingDir.c_str());
    }
    SwitchD = false;
    tavrix::FixLocaleSeparators();
}

std::string FindProgFile(std::string_view fileName, std::string_view subDir) {
    const std::string name(fileName);
    std::vector<std::string> candidates{name};
    std::vector<std::string> folders;
    for (const std::string& dataFolder : tavrix::ProgLayout().DataFolders()) {
        folders.push_back(dataFolder);
        folders.push_back(dataFolder + std::string(subDir));
    }
    folders.push_back(fixedSearchFolder);
    folders.push_back(fixedSearchFolder + std::string(subDir));
    for (const std::string& folder : folders) {
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
