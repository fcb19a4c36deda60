#include "wayland_wedge_session.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "file_text.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

std::string SanitizerOptions() {
    const char* options = std::getenv("ASAN_OPTIONS");
    return std::string(options != nullptr ? options : "") + ":fast_unwind_on_malloc=0";
}

}  // namespace

TWaylandWedgeSession::TWaylandWedgeSession(const std::string& keyboardLayout,
                                           const std::vector<std::string>& extraConfig) {
    std::vector<std::string> config{"input type:keyboard xkb_layout " + keyboardLayout};
    config.insert(config.end(), extraConfig.begin(), extraConfig.end());
    Sway_ = std::make_unique<TSwaySession>(config);
    if (!Sway_->Running() || !Sway_->GiveToUser(Gauge_.DevicePath())) return;
    KeyWindow_ = Sway_->Start(VANTRO_KEY_WINDOW, {Path("keys.txt")});
    if (!WaitFor({"[app_id=vantro-key-window con_id=__focused__] nop"}, 30s)) KeyWindow_.reset();
}

TWaylandWedgeSession::~TWaylandWedgeSession() {
    Wedge_.reset();
    KeyWindow_.reset();
    Sway_.reset();
}

std::string TWaylandWedgeSession::Path(const std::string& name) const {
    return Sway_->Home() + "/" + name;
}

bool TWaylandWedgeSession::WaitFor(const std::vector<std::string>& criteria,
                                   std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < deadline) {
        if (Sway_->Swaymsg(criteria) == 0) return true;
        std::this_thread::sleep_for(20ms);
    }
    return false;
}

bool TWaylandWedgeSession::StartWedge(const std::string& settings) {
    StopWedge();
    const std::string folder = Path(".config/Vantro");
    fs::create_directories(folder);
    std::ofstream(folder + "/Vantro.conf") << "[Settings]\n" << settings;
    for (const std::string& path : {Path(".config"), folder, folder + "/Vantro.conf"}) {
        if (!Sway_->GiveToUser(path)) return false;
    }
    Wedge_ = Sway_->Start(
        "/bin/sh", {"-c", "exec \"$0\" \"$@\" >>" + Path("wedge.txt") + " 2>&1", VANTRO_PROGRAM},
        {{"VANTRO_PORTS", "1=" + Gauge_.DevicePath()},
         // Widgets draw to shared memory; no GPU driver is loaded for them.
         {"QT_WAYLAND_CLIENT_BUFFER_INTEGRATION", "none"},
         // Sanitizer builds: whole stacks, so that the suppressions of the system
         // libraries' leaks find their frames.
         {"ASAN_OPTIONS", SanitizerOptions()}});
    if (!WaitFor({"[app_id=Vantro title=\"Active On COM1\"] nop"}, 30s)) {
        Problem_ = std::string("no window with the open port; the wedge ") +
                   (Wedge_->Running() ? "runs" : "ended");
        return false;
    }
    // The new window took the focus; the key window gets it back, and the wedge sees
    // itself inactive before the first reading.
    if (!WaitFor({"[app_id=vantro-key-window] focus"}, 10s) ||
        !WaitFor({"[app_id=vantro-key-window con_id=__focused__] nop"}, 10s)) {
        Problem_ = "the key window did not get the focus";
        return false;
    }
    std::this_thread::sleep_for(200ms);
    Received();
    return true;
}

std::optional<int> TWaylandWedgeSession::StopWedge() {
    if (!Wedge_) return std::nullopt;
    // Closed as a user closes it, so that the port is let go of in order (a killed wedge
    // leaves the tty exclusive to its user while the gauge side keeps it alive).
    Sway_->Swaymsg({"[app_id=Vantro] kill"});
    const std::optional<int> code = Wedge_->WaitForExit(10s);
    Wedge_.reset();
    return code;
}

std::optional<int> TWaylandWedgeSession::RunWedgeCommand(
    const std::vector<std::string>& arguments) {
    std::vector<std::string> shell{"-c", "exec \"$0\" \"$@\" 2>>" + Path("commands.txt"),
                                   VANTRO_PROGRAM};
    shell.insert(shell.end(), arguments.begin(), arguments.end());
    return Sway_->Start("/bin/sh", shell)->WaitForExit(30s);
}

std::string TWaylandWedgeSession::WedgeOutput() const {
    return Problem_ + "\n" + FileText(Path("wedge.txt")) + FileText(Path("commands.txt"));
}

std::vector<TReceivedKey> TWaylandWedgeSession::Received() {
    const std::string all = FileText(Path("keys.txt"));
    // Only whole lines: the window may be writing one right now.
    const std::size_t end = all.rfind('\n');
    if (end == std::string::npos || end + 1 <= KeysRead_) return {};
    std::istringstream lines(all.substr(KeysRead_, end + 1 - KeysRead_));
    KeysRead_ = end + 1;
    std::vector<TReceivedKey> keys;
    std::string line;
    while (std::getline(lines, line)) {
        const std::size_t blank = line.find(' ');
        if (blank == std::string::npos || line.ends_with(" {FOCUS}")) continue;
        keys.push_back({std::stoll(line.substr(0, blank)), line.substr(blank + 1)});
    }
    return keys;
}

std::string TWaylandWedgeSession::ReceivedText() {
    std::string text;
    for (const TReceivedKey& key : Received()) text += key.Text;
    return text;
}

std::string TWaylandWedgeSession::TakeUntil(const std::string& ending,
                                            std::chrono::milliseconds timeout) {
    std::string text;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < deadline) {
        text += ReceivedText();
        if (text.ends_with(ending)) break;
        std::this_thread::sleep_for(2ms);
    }
    return text;
}
