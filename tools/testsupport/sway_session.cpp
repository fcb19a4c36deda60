#include "sway_session.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

namespace fs = std::filesystem;

namespace {

constexpr const char* kTestUserName = "tavrixtest";
constexpr auto kStartPatience = std::chrono::seconds(20);

std::optional<TRunAs> LookUp(const char* name) {
    const passwd* entry = getpwnam(name);
    if (entry == nullptr) return std::nullopt;
    return TRunAs{entry->pw_uid, entry->pw_gid};
}

}  // namespace

bool MakeFolderOwnedBy(const std::string& path, unsigned mode, const TRunAs& user) {
    std::error_code error;
    fs::create_directories(path, error);
    if (error) return false;
    if (chmod(path.c_str(), mode_t(mode)) != 0) return false;
    return geteuid() != 0 || chown(path.c_str(), user.Uid, user.Gid) == 0;
}

std::optional<TRunAs> CompositorTestUser() {
    if (geteuid() != 0) return TRunAs{getuid(), getgid()};
    if (auto user = LookUp(kTestUserName)) return user;
    // Two test programs may race to make it; whoever loses finds it made.
    const std::string command = std::string(
                                    "useradd --system --no-create-home --shell "
                                    "/usr/sbin/nologin ") +
                                kTestUserName + " >/dev/null 2>&1";
    [[maybe_unused]] const int made = std::system(command.c_str());
    return LookUp(kTestUserName);
}

TCompositorSession::~TCompositorSession() {
    if (!Root_.empty()) {
        std::error_code error;
        fs::remove_all(Root_, error);
    }
}

bool TCompositorSession::MakeUserAndFolders(const std::string& name) {
    const std::optional<TRunAs> user = CompositorTestUser();
    if (!user) return false;
    User_ = *user;
    std::string pattern = "/tmp/tavrix-" + name + "-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) return false;
    Root_ = pattern;
    chmod(Root_.c_str(), 0755);
    Home_ = Root_ + "/home";
    RuntimeDir_ = Root_ + "/run";
    return MakeFolderOwnedBy(Home_, 0755, User_) && MakeFolderOwnedBy(RuntimeDir_, 0700, User_);
}

std::unique_ptr<TChildProcess> TCompositorSession::Start(
    const std::string& program, const std::vector<std::string>& arguments,
    const std::map<std::string, std::string>& extra) {
    std::map<std::string, std::string> environment = Environment();
    for (const auto& [name, value] : extra) environment[name] = value;
    return std::make_unique<TChildProcess>(program, arguments, environment, &User_);
}

bool TCompositorSession::GiveToUser(const std::string& path) const {
    return geteuid() != 0 || chown(path.c_str(), User_.Uid, User_.Gid) == 0;
}

TSwaySession::TSwaySession(const std::vector<std::string>& configLines) {
    if (!MakeUserAndFolders("sway")) return;
    const std::string config = Root() + "/sway.config";
    {
        std::ofstream out(config);
        out << "output HEADLESS-1 resolution 1280x800\n";
        for (const std::string& line : configLines) out << line << "\n";
    }
    chmod(config.c_str(), 0644);

    Sway_ = std::make_unique<TChildProcess>(
        "sway", std::vector<std::string>{"-c", config},
        std::map<std::string, std::string>{{"WLR_BACKENDS", "headless"},
                                           {"WLR_RENDERER", "pixman"},
                                           {"WLR_LIBINPUT_NO_DEVICES", "1"},
                                           {"HOME", Home()},
                                           {"XDG_RUNTIME_DIR", RuntimeDir()},
                                           {"WAYLAND_DISPLAY", ""},
                                           {"DISPLAY", ""}},
        &User());
    if (!Sway_->Started()) return;

    // The Wayland socket and the IPC socket appear once sway is ready for clients.
    const auto deadline = std::chrono::steady_clock::now() + kStartPatience;
    while (std::chrono::steady_clock::now() < deadline && Sway_->Running()) {
        std::string display, ipc;
        std::error_code error;
        for (const auto& entry : fs::directory_iterator(RuntimeDir(), error)) {
            const std::string name = entry.path().filename().string();
            if (name.starts_with("wayland-") && !name.ends_with(".lock")) display = name;
            if (name.starts_with("sway-ipc.") && name.ends_with(".sock")) ipc = entry.path();
        }
        if (!display.empty() && !ipc.empty()) {
            SwaySocket_ = ipc;
            WaylandDisplay_ = display;
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

TSwaySession::~TSwaySession() {
    Sway_.reset();  // by PID: SIGTERM, then SIGKILL after a grace period
}

std::map<std::string, std::string> TSwaySession::Environment() const {
    return {{"HOME", Home()},
            {"XDG_RUNTIME_DIR", RuntimeDir()},
            {"XDG_CONFIG_HOME", Home() + "/.config"},
            {"WAYLAND_DISPLAY", WaylandDisplay_},
            {"SWAYSOCK", SwaySocket_},
            {"DISPLAY", ""}};
}

std::optional<int> TSwaySession::Swaymsg(const std::vector<std::string>& arguments) {
    auto client = Start("swaymsg", arguments);
    return client->WaitForExit(std::chrono::seconds(10));
}
