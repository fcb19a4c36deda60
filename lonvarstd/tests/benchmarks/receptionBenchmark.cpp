// Figures of the reading path through the gauge bench:
//  1. latency from an answer's last byte on the cable to its line in the text file
//     (median and 99th percentile over 1000 readings);
//  2. CPU used by the workers of open idle devices (one USB gauge, one RS232 gauge, one
//     switch cable) over 10 s, and by the bench process meanwhile;
//  3. a burst of 10 000 answers: how long it takes, and whether every one arrived in order;
//  4. from a request set on the main thread to the worker starting it (message 1027/0,
//     sent just before the line is switched), over 1000 requests.
// The bench runs as a child process; the status window's part (message 1024) is
// played by the main thread here.
#include <stdlib.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "bench/bench_ports.h"
#include "benchmarkSupport.h"
#include "engine/dataModule.h"
#include "support/locale_separators.h"
#include "support/prog_paths.h"

using namespace tavrix::benchmarks;

int main() {
    std::string dir = (std::filesystem::temp_directory_path() / "reception-bench-XXXXXX").string();
    if (mkdtemp(dir.data()) == nullptr) return 1;
    tavrix::SetProgPathsFromExe(dir + "/Tavrix");
    tavrix::SetLocaleSeparators('.', ':');
    const std::string socket = dir + "/bench.sock";
    setenv("TAVRIX_BENCH", socket.c_str(), 1);
    int rc = 0;
    {
        BenchProcess bench(socket, GAUGEBENCH_PROGRAM);
        if (!bench.ok()) {
            std::fprintf(stderr, "gauge bench did not start (%s)\n", GAUGEBENCH_PROGRAM);
            return 1;
        }
        bench.run("cable lumo serial=LU000001 desc=Lumo");
        bench.run("gauge lumo");
        bench.run("port COM1");
        bench.run("gauge COM1");
        bench.run("cable sw serial=SW000001 desc=TV-I");

        TD d;
        d.PortLister = &tavrix::bench::listBenchPorts;
        ValueLoop loop(d);
        d.SetMessageSink(&loop.sink);
        d.SrchDevices(true, true);
        // A search takes one USB cable; the switch cable gets its record the search's way.
        for (auto& cable : d.FtDevices) {
            if (cable->Description != "TV-I") continue;
            const int idx = static_cast<int>(d.Devices.size());
            auto sw = std::make_unique<tDevice>(d, ConnectionUsb, cable.get(), idx, idx);
            sw->DescrIdx = tavrix::FindDescrByType(d.UsbDescrs, cable->Description, false);
            sw->Descr = d.UsbDescrs[static_cast<std::size_t>(sw->DescrIdx)].get();
            d.Devices.push_back(std::move(sw));
        }
        tDevice* usb = nullptr;
        for (auto& dev : d.Devices) {
            if (dev->Connection == ConnectionRs232) {
                dev->DescrIdx = 1;
                dev->Descr = d.Rs232Descrs[1].get();
            } else if (dev->IsInstrument()) {
                usb = dev.get();
            }
            // Past the quiet period; the switch keeps its own, so its first state is no value.
            if (!dev->IsSwitch()) dev->CreatedTick -= 3000;
            dev->MwZielAppl = MwZielTxt;
            dev->MwTxtZielFile = d.DatDir() + "Device" + std::to_string(dev->DevIdx + 1) + ".txt";
        }
        if (usb == nullptr || d.Devices.size() != 3) {
            std::fprintf(stderr, "expected one USB gauge, one RS232 gauge and one switch cable\n");
            return 1;
        }
        d.OpenDevices(true);
        std::printf("devices:");
        for (auto& dev : d.Devices) {
            std::printf(" %s%s", dev->GetPortName().c_str(), dev->IsSwitch() ? " (switch)" : "");
        }
        std::printf("\n");

        // 2. Idle CPU first, before anything was read.
        std::this_thread::sleep_for(500ms);
        const double cpu0 = ProcessCpuSeconds();
        const double bench0 = bench.cpuSeconds();
        std::this_thread::sleep_for(10s);
        const double engineCpu = ProcessCpuSeconds() - cpu0;
        const double benchCpu = bench.cpuSeconds() - bench0;
        std::printf(
            "idle, 3 open devices, 10 s: engine CPU %.4f s (%.3f %% of one core); "
            "bench process %.4f s (%.3f %% of one core)\n",
            engineCpu, engineCpu * 10.0, benchCpu, benchCpu * 10.0);

        // 1. Latency from the last byte to the line in the file.
        const std::string hexLine = Hex("+0001.1111 mm\r");
        std::vector<double> latency;
        for (int i = 0; i < 1000; ++i) {
            const auto sent = Clock::now();
            bench.run("inject lumo hex=" + hexLine);
            if (!loop.HandleUntil(static_cast<std::size_t>(i + 1), 10s)) {
                std::fprintf(stderr, "reading %d never arrived\n", i);
                rc = 1;
                break;
            }
            latency.push_back(
                std::chrono::duration<double, std::milli>(Clock::now() - sent).count());
        }
        PrintSpread("latency last byte -> text file line", latency);

        // 3. A burst of 10 000 numbered answers, sent in blocks as fast as the bench takes them.
        const std::string file = usb->MwTxtZielFile;
        std::filesystem::remove(file);
        constexpr int kBurst = 10000;
        const auto start = Clock::now();
        std::string block;
        for (int i = 1; i <= kBurst; ++i) {
            char text[32];
            std::snprintf(text, sizeof text, "+%09d mm\r", i);
            block += text;
            if (i % 500 == 0) {
                bench.run("inject lumo hex=" + Hex(block));
                block.clear();
            }
        }
        const bool all = loop.HandleUntil(1000 + kBurst, 60s);
        const double burstMs =
            std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        const std::vector<std::string> lines = Lines(file);
        int inOrder = 0;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            char expected[32];
            std::snprintf(expected, sizeof expected, "+%09zu", i + 1);
            if (lines[i] == expected) ++inOrder;
        }
        std::printf(
            "burst of %d answers: %.0f ms (%.0f answers/s); lines in file %zu, in order %d, "
            "%s\n",
            kBurst, burstMs, kBurst / (burstMs / 1000.0), lines.size(), inOrder,
            all && inOrder == kBurst && lines.size() == kBurst ? "none lost or reordered"
                                                               : "LOST OR REORDERED");
        if (inOrder != kBurst) rc = 1;

        // 4. Request set on the main thread -> the worker starts it. The gauge answers a
        // written "?" at once, so each request ends quickly; the worker rests between them.
        d.StopThreads();
        tDeviceDescr textRequest = *usb->Descr;
        textRequest.ReqKind = ReqKindText;
        textRequest.ReqText = "?";
        usb->Descr = &textRequest;
        usb->MwZielAppl = MwZielNone;
        bench.run("gauge lumo request=? delay=0");
        d.StartThreads();
        std::vector<double> reaction;
        std::size_t values = 1000 + kBurst;
        for (int i = 0; i < 1000 && rc == 0; ++i) {
            std::this_thread::sleep_for(2ms);  // the worker is resting by now
            const std::size_t before = loop.sink.started().size();
            const auto asked = Clock::now();
            d.RequestOne(usb->DevIdx);
            if (!loop.HandleUntil(++values, 10s) || loop.sink.started().size() <= before) {
                std::fprintf(stderr, "request %d never started\n", i);
                rc = 1;
                break;
            }
            reaction.push_back(
                std::chrono::duration<double, std::milli>(loop.sink.started()[before] - asked)
                    .count());
        }
        PrintSpread("request set on the main thread -> its start on the worker", reaction);
        d.ResetDevices();
    }
    std::filesystem::remove_all(dir);
    return rc;
}
