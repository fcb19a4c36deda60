// Measures the time from the carriage return of a reading on the line to the last
// keystroke of it (the Enter postamble) arriving in the focused window, with the Vantro
// program under a virtual X server (XTest into an X client window) and on a headless sway
// (virtual keyboard into a native Wayland window). Prints median and 99th percentile over
// 200 readings of each.
//
//   vantro_latency_bench [readings]

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "child_process.h"
#include "key_recorder.h"
#include "pty_gauge.h"
#include "wayland_wedge_session.h"
#include "xvfb_server.h"

using namespace std::chrono_literals;

namespace {

constexpr int kWarmUp = 5;

std::string Line(int i) {
    char line[32];
    std::snprintf(line, sizeof line, "+%04d.%04d mm\r", i % 1000, (i * 37) % 10000);
    return line;
}

void Print(const char* where, std::vector<double> latenciesMs) {
    std::sort(latenciesMs.begin(), latenciesMs.end());
    const auto at = [&](double q) {
        return latenciesMs[std::min(latenciesMs.size() - 1,
                                    size_t(q * double(latenciesMs.size())))];
    };
    std::printf("  %-44s median %.2f ms   p99 %.2f ms   min %.2f ms   max %.2f ms\n", where,
                at(0.5), at(0.99), latenciesMs.front(), latenciesMs.back());
}

// Empty when the session did not come up or a reading did not arrive.
std::vector<double> OnX11(int readings) {
    TXvfbServer server;
    if (!server.Running()) {
        std::fprintf(stderr, "Xvfb did not start\n");
        return {};
    }
    QTemporaryDir home;
    const QString config = home.path() + "/config";
    QDir().mkpath(config + "/Vantro");
    QDir().mkpath(home.path() + "/run");
    QFile::setPermissions(home.path() + "/run",
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    {
        QFile settings(config + "/Vantro/Vantro.conf");
        if (!settings.open(QIODevice::WriteOnly)) return {};
        settings.write("[Settings]\nComPort=1\nPostamble=1\n");
    }
    TPtyGauge gauge;
    TKeyRecorder recorder(server.Display());
    TChildProcess wedge(VANTRO_PROGRAM, {},
                        {{"DISPLAY", server.Display()},
                         {"QT_QPA_PLATFORM", "xcb"},
                         {"HOME", home.path().toStdString()},
                         {"XDG_CONFIG_HOME", config.toStdString()},
                         {"XDG_RUNTIME_DIR", (home.path() + "/run").toStdString()},
                         {"VANTRO_PORTS", "1=" + gauge.DevicePath()}});
    const auto nap = [] { std::this_thread::sleep_for(100us); };
    if (!recorder.WaitFor(
            [&] { return recorder.FindWindowByTitle("Vantro (Active On COM1)") != 0; }, 60s,
            [] { std::this_thread::sleep_for(5ms); }) ||
        !recorder.TakeFocus(30s, nap)) {
        std::fprintf(stderr, "the wedge did not come up on X11\n");
        return {};
    }
    std::vector<double> latenciesMs;
    for (int i = 0; i < kWarmUp + readings; ++i) {
        recorder.Text.clear();
        const auto sent = std::chrono::steady_clock::now();
        gauge.Send(Line(i));
        if (!recorder.WaitFor([&] { return recorder.Text.ends_with("{ENTER}"); }, 30s, nap)) {
            std::fprintf(stderr, "reading %d did not arrive on X11\n", i);
            return {};
        }
        if (i >= kWarmUp) {
            latenciesMs.push_back(
                std::chrono::duration<double, std::milli>(recorder.LastKeyAt - sent).count());
        }
    }
    return latenciesMs;
}

std::vector<double> OnWayland(int readings) {
    TWaylandWedgeSession session("de");
    if (!session.Ready() || !session.StartWedge("ComPort=1\nPostamble=1\n")) {
        std::fprintf(stderr, "the wedge did not come up on Wayland\n%s\n",
                     session.WedgeOutput().c_str());
        return {};
    }
    std::vector<double> latenciesMs;
    for (int i = 0; i < kWarmUp + readings; ++i) {
        const auto sent = std::chrono::steady_clock::now();
        session.Gauge().Send(Line(i));
        // The key window stamps each key with CLOCK_MONOTONIC, the clock of steady_clock.
        long long lastAt = 0;
        while (lastAt == 0 && std::chrono::steady_clock::now() < sent + 30s) {
            for (const TReceivedKey& key : session.Received()) {
                if (key.Text == "{ENTER}") lastAt = key.AtNs;
            }
            if (lastAt == 0) std::this_thread::sleep_for(100us);
        }
        if (lastAt == 0) {
            std::fprintf(stderr, "reading %d did not arrive on Wayland\n", i);
            return {};
        }
        if (i >= kWarmUp) {
            const auto sentNs =
                std::chrono::duration_cast<std::chrono::nanoseconds>(sent.time_since_epoch());
            latenciesMs.push_back(double(lastAt - sentNs.count()) / 1e6);
        }
    }
    session.StopWedge();
    return latenciesMs;
}

}  // namespace

int main(int argc, char* argv[]) {
    const int readings = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
    const std::vector<double> x11 = OnX11(readings);
    const std::vector<double> wayland = OnWayland(readings);
    std::printf(
        "Vantro CR-to-last-keystroke latency over %d readings (\"+0123.4567 mm\" + Enter):\n",
        readings);
    if (!x11.empty()) Print("X11 (Xvfb, XTest, X client window)", x11);
    if (!wayland.empty()) Print("Wayland (sway, virtual keyboard, Qt window)", wayland);
    return x11.empty() || wayland.empty() ? 1 : 0;
}
