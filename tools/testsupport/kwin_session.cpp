#include "kwin_session.h"

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "file_text.h"
#include "sway_session.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

constexpr const char* kSocket = "wayland-kwin-test";
constexpr auto kStartPatience = 40s;

}  // namespace

TKWinSession::TKWinSession(const std::string& keyboardLayout) {
    const std::optional<TRunAs> user = CompositorTestUser();
    if (!user || !fs::exists("/usr/bin/kwin_wayland")) {
        Problem_ = "no kwin_wayland or no test user";
        return;
    }
    User_ = *user;
    char pattern[] = "/tmp/tavrix-kwin-XXXXXX";
    if (mkdtemp(pattern) == nullptr) return;
    Root_ = pattern;
    chmod(Root_.c_str(), 0755);
    Home_ = Root_ + "/home";
    RuntimeDir_ = Root_ + "/run";
    const std::string config = Home_ + "/.config";
    if (!MakeFolderOwnedBy(Home_, 0755, User_) || !MakeFolderOwnedBy(RuntimeDir_, 0700, User_) ||
        !MakeFolderOwnedBy(config, 0755, User_)) {
        Problem_ = "cannot make the session's folders";
        return;
    }
    std::ofstream(config + "/kxkbrc")
        << "[Layout]\nLayoutList=" << keyboardLayout << "\nUse=true\n";
    // New windows take the focus, as the test expects of the last one started.
    std::ofstream(config + "/kwinrc") << "[Windows]\nFocusStealingPreventionLevel=0\n";
    for (const char* name : {"kxkbrc", "kwinrc"}) GiveToUser(config + "/" + name);

    // The installed binary carries a file capability that this kind of machine refuses; a
    // plain copy under the same name (its plugins go by it) has none.
    const std::string bin = Root_ + "/bin";
    fs::create_directories(bin);
    std::error_code error;
    fs::copy_file("/usr/bin/kwin_wayland", bin + "/kwin_wayland", error);
    chmod((bin + "/kwin_wayland").c_str(), 0755);
    chmod(bin.c_str(), 0755);

    const std::string script =
        "QT_QPA_PLATFORM=offscreen " + bin +
        "/kwin_wayland --virtual --no-lockscreen --width 1280 --height 800 --socket " + kSocket +
        " >" + Home_ + "/kwin.txt 2>&1 & echo $! >" + RuntimeDir_ +
        "/kwin.pid\n"
        "while [ ! -S \"$XDG_RUNTIME_DIR/" +
        kSocket +
        "\" ]; do sleep 0.05; done\n"
        "export WAYLAND_DISPLAY=" +
        kSocket +
        " QT_QPA_PLATFORM=wayland XDG_CURRENT_DESKTOP=KDE XDG_SESSION_TYPE=wayland\n"
        "dbus-update-activation-environment WAYLAND_DISPLAY QT_QPA_PLATFORM "
        "XDG_CURRENT_DESKTOP XDG_SESSION_TYPE\n"
        "echo \"$DBUS_SESSION_BUS_ADDRESS\" >" +
        RuntimeDir_ + "/bus.tmp && mv " + RuntimeDir_ + "/bus.tmp " + RuntimeDir_ +
        "/bus.address\n"
        "wait\n";
    Session_ = std::make_unique<TChildProcess>(
        "dbus-run-session", std::vector<std::string>{"--", "/bin/sh", "-c", script},
        std::map<std::string, std::string>{{"HOME", Home_},
                                           {"XDG_RUNTIME_DIR", RuntimeDir_},
                                           {"XDG_CONFIG_HOME", config},
                                           {"WAYLAND_DISPLAY", ""},
                                           {"DISPLAY", ""},
                                           {"DBUS_SESSION_BUS_ADDRESS", ""}},
        &User_);
    const auto deadline = std::chrono::steady_clock::now() + kStartPatience;
    while (BusAddress_.empty() && std::chrono::steady_clock::now() < deadline &&
           Session_->Running()) {
        const std::string address = FileText(RuntimeDir_ + "/bus.address");
        if (!address.empty()) BusAddress_ = address.substr(0, address.find('\n'));
        std::this_thread::sleep_for(20ms);
    }
    if (BusAddress_.empty()) {
        Problem_ = "the compositor did not come up: " + FileText(Home_ + "/kwin.txt");
        return;
    }
    // The portal starts on the first call and answers once its back end found KWin.
    while (std::chrono::steady_clock::now() < deadline) {
        if (Run("gdbus", {"call", "--session", "--dest", "org.freedesktop.portal.Desktop",
                          "--object-path", "/org/freedesktop/portal/desktop", "--method",
                          "org.freedesktop.DBus.Properties.Get",
                          "org.freedesktop.portal.RemoteDesktop", "AvailableDeviceTypes"}) == 0) {
            Running_ = true;
            return;
        }
        std::this_thread::sleep_for(100ms);
    }
    Problem_ = "the portal did not answer";
}

TKWinSession::~TKWinSession() {
    const std::string pid = FileText(RuntimeDir_ + "/kwin.pid");
    if (!pid.empty()) kill(pid_t(std::stoi(pid)), SIGTERM);
    if (Session_) Session_->WaitForExit(10s);
    Session_.reset();
    if (!Root_.empty()) {
        std::error_code error;
        fs::remove_all(Root_, error);
    }
}

std::map<std::string, std::string> TKWinSession::Environment() const {
    return {{"HOME", Home_},
            {"XDG_RUNTIME_DIR", RuntimeDir_},
            {"XDG_CONFIG_HOME", Home_ + "/.config"},
            {"WAYLAND_DISPLAY", kSocket},
            {"QT_QPA_PLATFORM", "wayland"},
            {"XDG_CURRENT_DESKTOP", "KDE"},
            {"XDG_SESSION_TYPE", "wayland"},
            {"DBUS_SESSION_BUS_ADDRESS", BusAddress_},
            {"DISPLAY", ""}};
}

std::unique_ptr<TChildProcess> TKWinSession::Start(
    const std::string& program, const std::vector<std::string>& arguments,
    const std::map<std::string, std::string>& extra) {
    std::map<std::string, std::string> environment = Environment();
    for (const auto& [name, value] : extra) environment[name] = value;
    return std::make_unique<TChildProcess>(program, arguments, environment, &User_);
}

std::optional<int> TKWinSession::Run(const std::string& program,
                                     const std::vector<std::string>& arguments) {
    return Start(program, arguments)->WaitForExit(15s);
}

bool TKWinSession::GiveToUser(const std::string& path) const {
    return geteuid() != 0 || chown(path.c_str(), User_.Uid, User_.Gid) == 0;
}
