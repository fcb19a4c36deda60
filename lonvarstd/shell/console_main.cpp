// LonvarStdConsole: the engine without windows. It searches the gauges, opens
// them one second after start (as the program does), requests a reading from
// every instrument on a timer, and hands each value to its target, printing
// what happens. Messages from the workers are handled on the main thread, in
// the order they came, exactly as the status window will handle them.

#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <deque>
#include <iostream>
#include <mutex>
#include <string>
#include <thread>

#include "console_options.h"
#include "engine/dataModule.h"
#include "shell/valueReport.h"
#include "support/prog_paths.h"

namespace {

volatile std::sig_atomic_t stopRequested = 0;

void OnSignal(int) {
    stopRequested = 1;
}

// The main thread's message queue: workers post, the main loop takes.
class ConsoleMessageQueue : public tavrix::MessageSink {
public:
    void post(std::uint32_t msg, std::int64_t wParam, std::int64_t lParam) override {
        {
            std::lock_guard lock(mutex_);
            queue_.push_back({msg, wParam, lParam});
        }
        ready_.notify_one();
    }

    // The next message, or false after `timeout` without one.
    bool take(tavrix::EngineMessage& out, std::chrono::milliseconds timeout) {
        std::unique_lock lock(mutex_);
        if (!ready_.wait_for(lock, timeout, [&] { return !queue_.empty(); })) return false;
        out = queue_.front();
        queue_.pop_front();
        return true;
    }

private:
    std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<tavrix::EngineMessage> queue_;
};

// Demo settings: a COM port gauge of no chosen type becomes the built-in RS232
// instrument; every instrument is requested by the timer; the first writes to
// its text file and the others to the spreadsheet (unless --text-only).
void ApplyDemoSettings(TD& d, const ConsoleOptions& options) {
    int instruments = 0;
    for (auto& dev : d.Devices) {
        if (dev->Connection == ConnectionRs232 && dev->DescrIdx == 0 && d.Rs232Descrs.size() > 1) {
            dev->DescrIdx = 1;
            dev->Descr = d.Rs232Descrs[1].get();
            dev->DescrText = dev->Descr->TypeName;
        }
        if (dev->Descr == nullptr || !dev->Descr->IsInstrument()) continue;
        dev->AnforderType = AnforderTimer;
        dev->AnforderTicksTimer = options.timerMs;
        dev->MwZielAppl = (options.textOnly || instruments == 0) ? MwZielTxt : MwZielXls;
        ++instruments;
    }
}

void HandleMessage(TD& d, tStatusLines& statusLines, const tavrix::EngineMessage& m) {
    const int index = static_cast<int>(m.lParam);
    if (index < 0 || index >= static_cast<int>(d.Devices.size())) return;
    tDevice& dev = *d.Devices[index];
    switch (m.msg) {
        case MsgValueQueued:
            // Told once the output has run, so that the line says what happened.
            if (d.HandleValueMessage(index)) PrintDeviceLine(dev, ValueLineText(dev));
            break;
        case MsgDeviceError:
            PrintDeviceLine(dev, statusLines.Text(dev, m.wParam));
            break;
        case MsgDeviceState:
            if (m.wParam == 3)
                std::cout << ClockText() << "  " << DeviceLabel(dev) << ": no answer" << std::endl;
            break;
        default:
            break;
    }
}

}  // namespace

int main(int argc, char** argv) {
    InitProgPaths();
    std::vector<std::string> args(argv + 1, argv + argc);
    for (const auto& arg : args) {
        if (arg == "d" || arg == "D") SwitchD = true;
    }
    std::string error;
    const auto options = ParseConsoleOptions(args, error);
    if (!options) {
        std::cerr << error << "\n" << ConsoleUsage;
        return 2;
    }
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);

    ConsoleMessageQueue queue;
    tStatusLines statusLines;
    TD d;
    D = &d;
    d.SetMessageSink(&queue);
    d.OnXlsError = [&d](int index, const std::string& text) {
        std::cout << ClockText() << "  " << DeviceLabel(*d.Devices[index])
                  << ": spreadsheet error: " << text << std::endl;
    };
    d.ProcessPendingMessages = [&] {
        tavrix::EngineMessage m;
        while (queue.take(m, std::chrono::milliseconds(0))) HandleMessage(d, statusLines, m);
    };

    std::cout << "Program folder: " << ProgDir << "\n";
    d.SrchDevices(true, true);
    if (!options->keepSettings) ApplyDemoSettings(d, *options);
    for (const auto& dev : d.Devices) {
        std::cout << "Found " << dev->GetPortName() << " (" << dev->GetId()
                  << "): " << (dev->Descr ? dev->Descr->Caption : std::string("?")) << ", "
                  << TargetText(*dev) << "\n";
    }
    if (d.Devices.empty()) std::cout << "No gauge found.\n";

    // Values that arrive in the first second are not wanted: open after it.
    std::this_thread::sleep_for(std::chrono::seconds(1));
    d.OpenDevices(true);
    for (int i = 0; i < static_cast<int>(d.Devices.size()); ++i) {
        if (d.Devices[i]->AnforderType == AnforderTimer) d.TimerButtonDown(i);
    }
    std::cout << "Reading. Press Ctrl-C to stop." << std::endl;

    std::uint32_t lastCount = FtDeviceCount;
    const auto start = std::chrono::steady_clock::now();
    auto nextCheck = start;
    while (!stopRequested) {
        if (options->seconds > 0 &&
            std::chrono::steady_clock::now() - start >= std::chrono::seconds(options->seconds)) {
            break;
        }
        tavrix::EngineMessage m;
        if (queue.take(m, std::chrono::milliseconds(100))) HandleMessage(d, statusLines, m);
        // The cable count is watched every 200 ms, as the main window does.
        if (std::chrono::steady_clock::now() >= nextCheck) {
            nextCheck += std::chrono::milliseconds(200);
            // The demo settings go in before the devices open: a COM port gauge opens
            // only once it has its type.
            const auto demo = [&] {
                if (!options->keepSettings) ApplyDemoSettings(d, *options);
            };
            if (d.SrchOnUsbChange(lastCount, demo)) {
                std::cout << ClockText() << "  cables changed: searched again, " << d.Devices.size()
                          << " device(s)" << std::endl;
                for (int i = 0; i < static_cast<int>(d.Devices.size()); ++i) {
                    if (d.Devices[i]->AnforderType == AnforderTimer) d.TimerButtonDown(i);
                }
            }
        }
    }
    std::cout << "Stopping." << std::endl;
    d.ResetDevices();
    D = nullptr;
    return 0;
}
