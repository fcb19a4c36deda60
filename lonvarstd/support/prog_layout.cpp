#include "support/prog_layout.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QStandardPaths>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "support/file_ext.h"
#include "support/prog_paths.h"

// Where the installed share and hook folders lie as seen from the program's folder; the
// build knows its install folders (GNUInstallDirs), the program only its own location.
#ifndef TAVRIX_SHARE_FROM_BIN
#define TAVRIX_SHARE_FROM_BIN "../share/tavrix"
#endif
#ifndef TAVRIX_HOOK_FROM_BIN
#define TAVRIX_HOOK_FROM_BIN "../lib/tavrix"
#endif

namespace tavrix {
namespace {

constexpr const char* kUserSubfolder = "tavrix";
constexpr const char* kHookFile = "libTavFxHook.so";

std::string withSlash(std::string folder) {
    if (!folder.empty() && folder.back() != '/') folder += '/';
    return folder;
}

bool isFile(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// progDir + relative, without "..": the folder beside the program, spelled plainly.
std::string besideProgram(const std::string& progDir, const char* relative) {
    return withSlash(
        (std::filesystem::path(progDir) / relative).lexically_normal().generic_string());
}

std::string userFolder(QStandardPaths::StandardLocation location) {
    const QString base = QStandardPaths::writableLocation(location);
    return withSlash(base.toStdString() + "/" + kUserSubfolder);
}

tProgLayout& current() {
    static tProgLayout layout = tProgLayout::Portable("");
    return layout;
}

}  // namespace

tProgLayout tProgLayout::Portable(std::string_view exePath) {
    tProgLayout layout;
    const auto slash = exePath.rfind('/');
    layout.progDir_ =
        slash == std::string_view::npos ? std::string() : std::string(exePath.substr(0, slash + 1));
    layout.exeName_ =
        std::string(slash == std::string_view::npos ? exePath : exePath.substr(slash + 1));
    layout.hookDir_ = layout.progDir_;
    layout.dataFolders_ = {layout.progDir_};
    return layout;
}

tProgLayout tProgLayout::Installed(std::string_view exePath, std::string shareDir,
                                   std::string hookDir, tUserFolders user) {
    tProgLayout layout = Portable(exePath);
    layout.portable_ = false;
    layout.hookDir_ = withSlash(std::move(hookDir));
    layout.user_ = {withSlash(std::move(user.Config)), withSlash(std::move(user.Data)),
                    withSlash(std::move(user.Cache))};
    layout.dataFolders_ = {layout.user_.Data, withSlash(std::move(shareDir))};
    return layout;
}

tProgLayout tProgLayout::ForExecutable(std::string_view exePath) {
    const tProgLayout portable = Portable(exePath);
    const std::string& progDir = portable.ProgDir();
    if (isFile(progDir + kPortableMarker)) return portable;

    tUserFolders user;
    const char* override = std::getenv(kUserDirVariable);
    if (override != nullptr && *override != '\0') {
        user = {override, override, override};
    } else {
        user = {userFolder(QStandardPaths::GenericConfigLocation),
                userFolder(QStandardPaths::GenericDataLocation),
                userFolder(QStandardPaths::GenericCacheLocation)};
    }
    return Installed(exePath, besideProgram(progDir, TAVRIX_SHARE_FROM_BIN),
                     besideProgram(progDir, TAVRIX_HOOK_FROM_BIN), std::move(user));
}

std::string tProgLayout::ProgIniFile() const {
    return ChangeFileExt((portable_ ? progDir_ : user_.Config) + exeName_, ".INI");
}

std::string tProgLayout::DatDir() const {
    return (portable_ ? progDir_ : user_.Data) + "DAT/";
}

std::string tProgLayout::TmpConfigFile() const {
    return (portable_ ? progDir_ : user_.Cache) + "TVC.TMP";
}

std::string tProgLayout::ScratchFile() const {
    return ChangeFileExt((portable_ ? progDir_ : user_.Cache) + exeName_, ".TMP");
}

std::string tProgLayout::LanguagePresetFile() const {
    return (portable_ ? progDir_ : user_.Config) + "Language.ini";
}

std::string tProgLayout::HookLibrary() const {
    return hookDir_ + kHookFile;
}

std::string tProgLayout::DataFile(std::string_view relative) const {
    for (const auto& folder : dataFolders_) {
        const std::string path = folder + std::string(relative);
        if (isFile(path)) return path;
    }
    return dataFolders_.back() + std::string(relative);
}

std::string tProgLayout::PrepareUserFolders() const {
    if (portable_) return {};
    for (const std::string& folder : {user_.Config, user_.Data, user_.Cache, DatDir()}) {
        std::error_code error;
        std::filesystem::create_directories(folder, error);
        if (error)
            std::fprintf(stderr, "Cannot create %s: %s\n", folder.c_str(), error.message().c_str());
    }
    return user_.Data;
}

const tProgLayout& ProgLayout() {
    return current();
}

void SetProgLayout(tProgLayout layout) {
    current() = std::move(layout);
    ProgDir = current().ProgDir();
    ProgIniFile = current().ProgIniFile();
}

}  // namespace tavrix
