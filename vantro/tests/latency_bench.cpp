// Measures the time from the carriage return of a reading on the line to the last
// keystroke of it (the Enter postamble) arriving in the focused window, with the Vantro
// program under a virtual X server. Prints median and 99th percentile over 200 readings.
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
#include "xvfb_server.h"

using namespace std::chrono_literals;

int main(int argc, char* argv[]) {
    const int readings = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
    TXvfbServer server;
    if (!server.Running()) {
        std::fprintf(stderr, "Xvfb did not start\n");
        return 1;
    }
    QTemporaryDir home;
    const QString config = home.path() + "/config";
    QDir().mkpath(config + "/Vantro");
    QDir().mkpath(home.path() + "/run");
    QFile::setPermissions(home.path() + "/run",
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    {
        QFile settings(config + "/Vantro/Vantro.conf");
        if (!settings.open(QIODevice::WriteOnly)) return 1;
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
        std::fprintf(stderr, "the wedge did not come up\n");
        return 1;
    }

    std::vector<double> latenciesMs;
    const int warmUp = 5;
    for (int i = 0; i < warmUp + readings; ++i) {
        char line[32];
        std::snprintf(line, sizeof line, "+%04d.%04d mm\r", i % 1000, (i * 37) % 10000);
        recorder.Text.clear();
        const auto sent = std::chrono::steady_clock::now();
        gauge.Send(line);
        if (!recorder.WaitFor([&] { return recorder.Text.ends_with("{ENTER}"); }, 30s, nap)) {
            std::fprintf(stderr, "reading %d did not arrive\n", i);
            return 1;
        }
        if (i >= warmUp) {
            latenciesMs.push_back(
                std::chrono::duration<double, std::milli>(recorder.LastKeyAt - sent).count());
        }
    }
    std::sort(latenciesMs.begin(), latenciesMs.end());
    const auto at = [&](double q) {
        return latenciesMs[std::min(latenciesMs.size() - 1,
                                    size_t(q * double(latenciesMs.size())))];
    };
    std::printf(
        "Vantro CR-to-last-keystroke latency over %zu readings (\"+0123.4567 mm\" + Enter):\n",
        latenciesMs.size());
    std::printf("  median %.2f ms   p99 %.2f ms   min %.2f ms   max %.2f ms\n", at(0.5), at(0.99),
                latenciesMs.front(), latenciesMs.back());
    return 0;
}
