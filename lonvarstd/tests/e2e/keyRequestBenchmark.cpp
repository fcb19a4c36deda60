// Figures, not a test: from a request key pressed on the desktop to the request started
// on the worker (the gauge bench sees DTR go low for the pulse), median and 99th percentile
// over 100 presses each, in one run: on a headless sway (its binding runs
// `LonvarStd --request F2`, pressed with wtype), on Xvfb with the keyboard hook (xdotool)
// and on a headless KWin with the real portals (the shortcut invoked through KDE's shortcut
// service with gdbus). The presser's start is part of each figure. Run as root: the
// compositors and their clients run as a user of their own.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "bench/bench_link.h"
#include "child_process.h"
#include "e2eProgramFolder.h"
#include "e2eWait.h"
#include "kwin_session.h"
#include "sway_session.h"
#include "xvfb_server.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using e2e::CountOf;
using e2e::ReadText;
using e2e::WaitFor;

constexpr int kPresses = 100;
constexpr auto kWait = 30s;

// A program folder of its own with one USB gauge that answers F2.
fs::path MakeProgramFolder() {
    std::string pattern = (fs::temp_directory_path() / "lonvarstd-keybench-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) return {};
    const fs::path dir = pattern;
    fs::permissions(dir, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                             fs::perms::others_read | fs::perms::others_exec);
    e2e::MakeLumoF2ProgramFolder(dir);
    return dir;
}

// One desktop's run: the bench, the program and the key presser are started by `start`.
class tRun {
public:
    using tStart = std::function<std::unique_ptr<TChildProcess>(
        const std::string& program, const std::vector<std::string>& arguments,
        const std::string& out, const std::map<std::string, std::string>& extra)>;

    tRun(tStart start, std::string home, fs::path prog)
        : start_(std::move(start)), home_(std::move(home)), prog_(std::move(prog)) {}

    // `told`: what the program's output says once it is ready for the presses.
    bool Begin(const std::string& told = "ready:") {
        const std::string socket = home_ + "/bench.sock";
        bench_ =
            start_(GAUGEBENCH_PROGRAM, {"--empty", "--socket", socket}, home_ + "/bench.txt", {});
        link_ = e2e::ConnectBench(socket);
        if (!link_) return false;
        Bench("cable lumo serial=LU000001 desc=Lumo");
        Bench("gauge lumo answer=\"+0001.1111 mm\\r\" delay=5");
        program_ = start_((prog_ / "LonvarStd").string(), {}, home_ + "/out.txt",
                          {{"TAVRIX_BENCH", socket}});
        return WaitFor([&] { return ReadText(home_ + "/out.txt").find(told) != std::string::npos; },
                       kWait) &&
               WaitFor([&] { return Log().find("lumo open") != std::string::npos; }, kWait);
    }

    // Milliseconds from each press to the pulse; empty when a press got lost.
    std::vector<double> Presses(const std::string& presser, const std::vector<std::string>& args) {
        std::vector<double> ms;
        const fs::path file = prog_ / "DAT/Device1.txt";
        for (int press = 1; press <= kPresses; ++press) {
            Bench("clearlog");
            const auto pressed = Clock::now();
            auto key = start_(presser, args, home_ + "/presser.txt", {});
            if (!WaitFor([&] { return Log().find(" lumo dtr 0") != std::string::npos; }, kWait,
                         200us)) {
                std::fprintf(stderr, "press %d got no request\n%s", press, Log().c_str());
                return {};
            }
            ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - pressed).count());
            key->WaitForExit(kWait);
            // The value is in before the next press, so that each press starts a request.
            if (!WaitFor([&] { return CountOf(ReadText(file), "\r\n") == press; }, kWait))
                return {};
        }
        return ms;
    }

    ~tRun() {
        program_.reset();
        link_.reset();
        bench_.reset();
    }

private:
    void Bench(const std::string& line) {
        tavrix::bench::Reply reply;
        link_->call(line, reply);
    }
    std::string Log() {
        tavrix::bench::Reply reply;
        link_->call("log", reply);
        std::string text;
        for (const std::string& line : reply.lines) text += line + "\n";
        return text;
    }

    tStart start_;
    std::string home_;
    fs::path prog_;
    std::unique_ptr<TChildProcess> bench_;
    std::unique_ptr<tavrix::bench::BenchLink> link_;
    std::unique_ptr<TChildProcess> program_;
};

// "median 12.3 ms, p99 20.1 ms"
std::string Figures(std::vector<double> ms) {
    if (ms.empty()) return "no figures (a press was lost)";
    std::sort(ms.begin(), ms.end());
    const double median = ms[ms.size() / 2];
    const double p99 = ms[std::min(ms.size() - 1, ms.size() * 99 / 100)];
    char text[96];
    std::snprintf(text, sizeof text, "median %.1f ms, p99 %.1f ms (%zu presses)", median, p99,
                  ms.size());
    return text;
}

std::vector<double> WaylandRun() {
    const fs::path prog = MakeProgramFolder();
    TSwaySession sway({"bindsym F2 exec " + (prog / "LonvarStd").string() + " --request F2"});
    if (!sway.Running()) return {};
    for (const auto& entry : fs::recursive_directory_iterator(prog)) sway.GiveToUser(entry.path());
    sway.GiveToUser(prog.string());
    auto start = [&sway](const std::string& program, std::vector<std::string> arguments,
                         const std::string& out, const std::map<std::string, std::string>& extra) {
        arguments.insert(arguments.begin(),
                         {"-c", "exec \"$0\" \"$@\" >>" + out + " 2>&1", program});
        return sway.Start("/bin/sh", arguments, extra);
    };
    std::vector<double> ms;
    {
        tRun run(start, sway.Home(), prog);
        if (run.Begin()) ms = run.Presses("wtype", {"-k", "F2"});
    }
    fs::remove_all(prog);
    return ms;
}

std::vector<double> X11Run() {
    const fs::path prog = MakeProgramFolder();
    TXvfbServer xvfb;
    if (!xvfb.Running()) return {};
    const std::string display = xvfb.Display();
    auto start = [display](const std::string& program, std::vector<std::string> arguments,
                           const std::string& out, std::map<std::string, std::string> extra) {
        arguments.insert(arguments.begin(),
                         {"-c", "exec \"$0\" \"$@\" >>" + out + " 2>&1", program});
        extra.insert({{"DISPLAY", display}, {"WAYLAND_DISPLAY", ""}, {"QT_QPA_PLATFORM", "xcb"}});
        return std::make_unique<TChildProcess>("/bin/sh", arguments, extra);
    };
    std::vector<double> ms;
    {
        tRun run(start, prog.string(), prog);
        if (run.Begin()) ms = run.Presses("xdotool", {"key", "F2"});
    }
    fs::remove_all(prog);
    return ms;
}

}  // namespace

// KWin with the real KDE portals: the shortcut invoked through KDE's shortcut service,
// which is what its key press does (no virtual keyboard there).
std::vector<double> KWinRun() {
    TKWinSession kwin("us");
    if (!kwin.Running()) return {};
    const fs::path prog = MakeProgramFolder();
    for (const auto& entry : fs::recursive_directory_iterator(prog)) kwin.GiveToUser(entry.path());
    kwin.GiveToUser(prog.string());
    auto start = [&kwin](const std::string& program, std::vector<std::string> arguments,
                         const std::string& out, const std::map<std::string, std::string>& extra) {
        arguments.insert(arguments.begin(),
                         {"-c", "exec \"$0\" \"$@\" >>" + out + " 2>&1", program});
        return kwin.Start("/bin/sh", arguments, extra);
    };
    std::vector<double> ms;
    {
        tRun run(start, kwin.Home(), prog);
        if (run.Begin("desktop portal,")) {
            ms = run.Presses(
                "gdbus", {"call", "--session", "--dest", "org.kde.kglobalaccel", "--object-path",
                          "/component/lonvarstd", "--method",
                          "org.kde.kglobalaccel.Component.invokeShortcut", "request-F2"});
        }
    }
    fs::remove_all(prog);
    return ms;
}

int main() {
    const std::string wayland = Figures(WaylandRun());
    const std::string x11 = Figures(X11Run());
    const std::string kde = Figures(KWinRun());
    std::printf("key press -> request started on the worker:\n");
    std::printf("  Wayland, sway binding -> LonvarStd --request: %s\n", wayland.c_str());
    std::printf("  X11, keyboard hook (XTest):                    %s\n", x11.c_str());
    std::printf("  KWin, GlobalShortcuts portal (invoked):        %s\n", kde.c_str());
    return 0;
}
