#include "kwin_session.h"

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "file_text.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

constexpr const char* kSocket = "wayland-kwin-test";
constexpr auto kStartPatience = 40s;

}  // namespace

TKWinSession::TKWinSession(const std::string& keyboardLayout) {
    if (!fs::exists("/usr/bin/kwin_wayland")) {
        Problem_ = "no kwin_wayland";
        return;
    }
    if (!MakeUserAndFolders("kwin") || !MakeFolderOwnedBy(Home() + "/.config", 0755, User())) {
        Problem_ = "no test user or the session's folders cannot be made";
        return;
    }
    const std::string config = Home() + "/.config";
    std::ofstream(config + "/kxkbrc")
        << "[Layout]\nLayoutList=" << keyboardLayout << "\nUse=true\n";
    // New windows take the focus, as the test expects of the last one started.
    std::ofstream(config + "/kwinrc") << "[Windows]\nFocusStealingPreventionLevel=0\n";
    for (const char* name : {"kxkbrc", "kwinrc"}) GiveToUser(config + "/" + name);

    // The installed binary carries a file capability that this kind of machine refuses; a
    // plain copy under the same name (its plugins go by it) has none.
    const std::string bin = Root() + "/bin";
    fs::create_directories(bin);
    std::error_code error;
    fs::copy_file("/usr/bin/kwin_wayland", bin + "/kwin_wayland", error);
    chmod((bin + "/kwin_wayland").c_str(), 0755);
    chmod(bin.c_str(), 0755);

    const std::string script =
        "QT_QPA_PLATFORM=offscreen " + bin +
        "/kwin_wayland --virtual --no-lockscreen --width 1280 --height 800 --socket " + kSocket +
        " >" + Home() + "/kwin.txt 2>&1 & echo $! >" + RuntimeDir() +
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
        RuntimeDir() + "/bus.tmp && mv " + RuntimeDir() + "/bus.tmp " + RuntimeDir() +
        "/bus.address\n"
        "wait\n";
    Session_ = std::make_unique<TChildProcess>(
        "dbus-run-session", std::vector<std::string>{"--", "/bin/sh", "-c", script},
        std::map<std::string, std::string>{{"HOME", Home()},
                                           {"XDG_RUNTIME_DIR", RuntimeDir()},
                                           {"XDG_CONFIG_HOME", config},
                                           {"WAYLAND_DISPLAY", ""},
                                           {"DISPLAY", ""},
                                           {"DBUS_SESSION_BUS_ADDRESS", ""}},
        &User());
    const auto deadline = std::chrono::steady_clock::now() + kStartPatience;
    while (BusAddress_.empty() && std::chrono::steady_clock::now() < deadline &&
           Session_->Running()) {
        const std::string address = FileText(RuntimeDir() + "/bus.address");
        if (!address.empty()) BusAddress_ = address.substr(0, address.find('\n'));
        std::this_thread::sleep_for(20ms);
    }
    if (BusAddress_.empty()) {
        Problem_ = "the compositor did not come up: " + FileText(Home() + "/kwin.txt");
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
    const std::string pid = FileText(RuntimeDir() + "/kwin.pid");
    if (!pid.empty()) kill(pid_t(std::stoi(pid)), SIGTERM);
    if (Session_) Session_->WaitForExit(10s);
    Session_.reset();
}

std::map<std::string, std::string> TKWinSession::Environment() const {
    return {{"HOME", Home()},
            {"XDG_RUNTIME_DIR", RuntimeDir()},
            {"XDG_CONFIG_HOME", Home() + "/.config"},
            {"WAYLAND_DISPLAY", kSocket},
            {"QT_QPA_PLATFORM", "wayland"},
            {"XDG_CURRENT_DESKTOP", "KDE"},
            {"XDG_SESSION_TYPE", "wayland"},
            {"DBUS_SESSION_BUS_ADDRESS", BusAddress_},
            {"DISPLAY", ""}};
}

std::optional<int> TKWinSession::Run(const std::string& program,
                                     const std::vector<std::string>& arguments) {
    return Start(program, arguments)->WaitForExit(15s);
}
