// Figures of the real cable path on an emulated FT232R (libusb and libftdi1 over
// umockdev), beside the gauge bench's in the same run:
//  1. CPU of this process with one open gauge cable and one switch cable, idle,
//     over 10 s; the emulator's own thread is measured apart and taken out;
//  2. latency from the answer's last byte on the chip to its line in the text
//     file, median and 99th percentile over 1000 readings;
//  3. the same two on the gauge bench (its own process).
#include <stdlib.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "bench/bench_ports.h"
#include "benchmarkSupport.h"
#include "emulated_ft232r.h"
#include "engine/dataModule.h"
#include "ftd2xx/ftdi_backend.h"
#include "support/locale_separators.h"
#include "support/prog_paths.h"
#include "usb_testbed.h"

using namespace tavrix::benchmarks;

namespace {

// CPU seconds of one thread of this process.
double ThreadCpuSeconds(int tid) {
    return tid > 0 ? StatCpuSeconds("/proc/self/task/" + std::to_string(tid) + "/stat") : 0;
}

struct Figures {
    double idleCpu = 0, helperCpu = 0;
    long transfers = -1;  // asked of the chips while idle, when known
    std::vector<double> latency;
};

// Opens the gauge cable and the switch cable the library lists, idles, then
// reads 1000 answers that `send` puts on the gauge's line.
// `helperCpu` is the emulator's or the bench's CPU so far; `inProcess` says whether
// it is part of this process's (and so taken out of the program's figure).
bool Measure(const std::function<void(const std::string&)>& send, bool inProcess,
             const std::function<double()>& helperCpu, const std::function<long()>& transfers,
             Figures& out) {
    TD d;
    ValueLoop loop(d);
    d.SetMessageSink(&loop.sink);
    d.SrchDevices(false, true);
    // A search takes one USB cable, whichever the library lists first; the other
    // gets its record the search's way.
    for (auto& cable : d.FtDevices) {
        bool taken = false;
        for (auto& dev : d.Devices) taken = taken || dev->Ft == cable.get();
        if (taken) continue;
        const int known = tavrix::FindDescrByType(d.UsbDescrs, cable->Description, false);
        if (known == 0) continue;
        const int idx = static_cast<int>(d.Devices.size());
        auto dev = std::make_unique<tDevice>(d, ConnectionUsb, cable.get(), idx, idx);
        dev->DescrIdx = known;
        dev->Descr = d.UsbDescrs[static_cast<std::size_t>(known)].get();
        d.Devices.push_back(std::move(dev));
    }
    if (d.Devices.size() != 2) {
        std::fprintf(stderr, "expected a gauge cable and a switch cable, found %zu\n",
                     d.Devices.size());
        return false;
    }
    for (auto& dev : d.Devices) {
        if (!dev->IsSwitch()) dev->CreatedTick -= 3000;
        dev->MwZielAppl = MwZielTxt;
        dev->MwTxtZielFile = d.DatDir() + "Device" + std::to_string(dev->DevIdx + 1) + ".txt";
    }
    d.OpenDevices(true);
    std::this_thread::sleep_for(500ms);
    const double cpu0 = ProcessCpuSeconds();
    const double helper0 = helperCpu();
    const long transfers0 = transfers ? transfers() : 0;
    std::this_thread::sleep_for(10s);
    if (transfers) out.transfers = transfers() - transfers0;
    out.helperCpu = helperCpu() - helper0;
    out.idleCpu = ProcessCpuSeconds() - cpu0 - (inProcess ? out.helperCpu : 0);
    for (int i = 0; i < 1000; ++i) {
        const auto sent = Clock::now();
        send("+0001.1111 mm\r");
        if (!loop.HandleUntil(static_cast<std::size_t>(i + 1), 10s)) {
            std::fprintf(stderr, "reading %d never arrived\n", i);
            for (auto& dev : d.Devices)
                std::fprintf(stderr, "  %s opened %d status %d rx '%s' values %zu\n",
                             dev->GetPortName().c_str(), dev->Opened ? 1 : 0,
                             static_cast<int>(dev->FtStatus), dev->RxBuf.c_str(),
                             dev->ValueCount());
            return false;
        }
        out.latency.push_back(
            std::chrono::duration<double, std::milli>(Clock::now() - sent).count());
    }
    d.ResetDevices();
    return true;
}

void Print(const char* path, const char* helper, const Figures& f) {
    std::printf(
        "%s: idle 10 s, gauge cable + switch cable open: program CPU %.4f s "
        "(%.3f %% of one core, %.3f %% per cable); %s %.4f s\n",
        path, f.idleCpu, f.idleCpu * 10.0, f.idleCpu * 5.0, helper, f.helperCpu);
    if (f.transfers >= 0)
        std::printf("%s: USB transfers the program asked for while idle: %.0f a second\n", path,
                    static_cast<double>(f.transfers) / 10.0);
    PrintSpread((std::string(path) + ": last byte -> text file line").c_str(), f.latency);
}

}  // namespace

int main() {
    tavrix::ftdiemu::reexecPreloaded();
    tavrix::ftdiemu::Testbed::instance();
    std::string dir = (std::filesystem::temp_directory_path() / "cable-bench-XXXXXX").string();
    if (mkdtemp(dir.data()) == nullptr) return 1;
    tavrix::SetProgPathsFromExe(dir + "/Tavrix");
    tavrix::SetLocaleSeparators('.', ':');
    std::printf("latency timer %d ms, switch cable asked every %u ms\n",
                tavrix::ftd2xx::kLatencyTimerMs, tavrix::ftd2xx::kPinPollMs);
    int rc = 0;
    {
        tavrix::ftdiemu::CableIdentity gaugeId, switchId;
        switchId.address = 3;
        switchId.port = "2";
        switchId.serial = "SW000001";
        switchId.description = "TV-I";
        tavrix::ftdiemu::EmulatedFt232r gauge(gaugeId), sw(switchId);
        Figures f;
        // The emulator answers on the test bed's thread.
        if (Measure([&](const std::string& line) { gauge.send(line); }, true,
                    [&] {
                        return ThreadCpuSeconds(gauge.handlerThread()) +
                               (sw.handlerThread() == gauge.handlerThread()
                                    ? 0
                                    : ThreadCpuSeconds(sw.handlerThread()));
                    },
                    [&] { return gauge.transfers() + sw.transfers(); }, f))
            Print("emulated FT232R (libusb, libftdi1)", "emulator thread", f);
        else
            rc = 1;
    }
    {
        const std::string socket = dir + "/bench.sock";
        setenv("TAVRIX_BENCH", socket.c_str(), 1);
        BenchProcess bench(socket, GAUGEBENCH_PROGRAM);
        if (!bench.ok()) return 1;
        bench.run("cable lumo serial=LU000001 desc=Lumo");
        bench.run("cable sw serial=SW000001 desc=TV-I");
        Figures f;
        if (Measure([&](const std::string& line) { bench.run("inject lumo hex=" + Hex(line)); },
                    false, [&] { return bench.cpuSeconds(); }, nullptr, f))
            Print("gauge bench", "bench process", f);
        else
            rc = 1;
        unsetenv("TAVRIX_BENCH");
    }
    std::filesystem::remove_all(dir);
    return rc;
}
