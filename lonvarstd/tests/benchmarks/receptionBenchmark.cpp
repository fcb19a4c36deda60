// Figures of the reading path through the gauge bench:
//  1. latency from an answer's last byte on the cable to its line in the text file
//     (median and 99th percentile over 1000 readings);
//  2. CPU used by the workers of open idle devices (one USB, one RS232 gauge) over 10 s;
//  3. a burst of 10 000 answers: how long it takes, and whether every one arrived in order.
// The bench runs as a child process; the status window's part (message 1024) is
// played by the main thread here.
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "bench/bench_link.h"
#include "bench/bench_ports.h"
#include "engine/dataModule.h"
#include "support/locale_separators.h"
#include "support/prog_paths.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

class BenchProcess {
public:
    explicit BenchProcess(const std::string& socket) : socket_(socket) {
        pid_ = fork();
        if (pid_ == 0) {
            execl(GAUGEBENCH_PROGRAM, GAUGEBENCH_PROGRAM, "--empty", "--socket", socket.c_str(),
                  static_cast<char*>(nullptr));
            _exit(127);
        }
        for (int i = 0; i < 500 && !link_; ++i) {
            link_ = tavrix::bench::BenchLink::connect(socket);
            if (!link_) std::this_thread::sleep_for(10ms);
        }
    }
    ~BenchProcess() {
        link_.reset();
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
    }
    bool ok() const { return link_ != nullptr; }
    bool run(const std::string& line) {
        tavrix::bench::Reply reply;
        if (!link_->call(line, reply) || !reply.ok) {
            std::fprintf(stderr, "bench refused: %s (%s)\n", line.c_str(), reply.text.c_str());
            return false;
        }
        return true;
    }
    // CPU seconds the bench process has used so far.
    double cpuSeconds() const {
        std::ifstream stat("/proc/" + std::to_string(pid_) + "/stat");
        std::string text((std::istreambuf_iterator<char>(stat)), {});
        std::istringstream fields(text.substr(text.rfind(')') + 2));
        std::string f;
        long utime = 0, stime = 0;
        for (int i = 3; fields >> f; ++i) {
            if (i == 14) utime = std::stol(f);
            if (i == 15) {
                stime = std::stol(f);
                break;
            }
        }
        return static_cast<double>(utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));
    }

private:
    std::string socket_;
    pid_t pid_ = -1;
    std::unique_ptr<tavrix::bench::BenchLink> link_;
};

double ProcessCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto secs = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return secs(usage.ru_utime) + secs(usage.ru_stime);
}

std::string Hex(const std::string& bytes) {
    static const char* digits = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

// The status window's part: hands every message 1024 to the engine in order.
class ValueLoop {
public:
    explicit ValueLoop(TD& d) : d_(d) {}
    // Handles what has come; true once `values` values in all have been handled.
    bool HandleUntil(std::size_t values, std::chrono::milliseconds timeout) {
        const auto deadline = Clock::now() + timeout;
        while (handledValues_ < values) {
            if (!sink.waitFor([&](const auto& all) { return all.size() > handled_; },
                              std::chrono::duration_cast<std::chrono::milliseconds>(
                                  std::max(deadline - Clock::now(), Clock::duration(0))))) {
                return false;
            }
            const auto all = sink.messages();
            for (; handled_ < all.size(); ++handled_) {
                if (all[handled_].msg != MsgValueQueued) continue;
                d_.HandleValueMessage(static_cast<int>(all[handled_].lParam));
                ++handledValues_;
            }
        }
        return true;
    }
    tavrix::RecordingMessageSink sink;

private:
    TD& d_;
    std::size_t handled_ = 0;
    std::size_t handledValues_ = 0;
};

std::vector<std::string> Lines(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

}  // namespace

int main() {
    std::string dir = (std::filesystem::temp_directory_path() / "reception-bench-XXXXXX").string();
    if (mkdtemp(dir.data()) == nullptr) return 1;
    tavrix::SetProgPathsFromExe(dir + "/Tavrix");
    tavrix::SetLocaleSeparators('.', ':');
    const std::string socket = dir + "/bench.sock";
    setenv("TAVRIX_BENCH", socket.c_str(), 1);
    int rc = 0;
    {
        BenchProcess bench(socket);
        if (!bench.ok()) {
            std::fprintf(stderr, "gauge bench did not start (%s)\n", GAUGEBENCH_PROGRAM);
            return 1;
        }
        bench.run("cable lumo serial=LU000001 desc=Lumo");
        bench.run("gauge lumo");
        bench.run("port COM1");
        bench.run("gauge COM1");

        TD d;
        d.PortLister = &tavrix::bench::listBenchPorts;
        ValueLoop loop(d);
        d.SetMessageSink(&loop.sink);
        d.SrchDevices(true, true);
        tDevice* usb = nullptr;
        for (auto& dev : d.Devices) {
            if (dev->Connection == ConnectionRs232) {
                dev->DescrIdx = 1;
                dev->Descr = d.Rs232Descrs[1].get();
            } else {
                usb = dev.get();
            }
            dev->CreatedTick -= 3000;  // past the quiet period
            dev->MwZielAppl = MwZielTxt;
            dev->MwTxtZielFile = d.DatDir() + "Device" + std::to_string(dev->DevIdx + 1) + ".txt";
        }
        if (usb == nullptr || d.Devices.size() != 2) {
            std::fprintf(stderr, "expected one USB and one RS232 gauge\n");
            return 1;
        }
        d.OpenDevices(true);
        std::printf("devices: %s, %s\n", d.Devices[0]->GetPortName().c_str(),
                    d.Devices[1]->GetPortName().c_str());

        // 2. Idle CPU first, before anything was read.
        std::this_thread::sleep_for(500ms);
        const double cpu0 = ProcessCpuSeconds();
        const double bench0 = bench.cpuSeconds();
        std::this_thread::sleep_for(10s);
        const double engineCpu = ProcessCpuSeconds() - cpu0;
        const double benchCpu = bench.cpuSeconds() - bench0;
        std::printf(
            "idle, 2 open devices, 10 s: engine CPU %.3f s (%.1f %% of one core, "
            "%.2f %% per device); bench process %.3f s\n",
            engineCpu, engineCpu * 10.0, engineCpu * 5.0, benchCpu);

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
        std::sort(latency.begin(), latency.end());
        if (!latency.empty()) {
            std::printf(
                "latency last byte -> text file line, n=%zu: median %.2f ms, p99 %.2f ms, "
                "max %.2f ms\n",
                latency.size(), latency[latency.size() / 2], latency[latency.size() * 99 / 100],
                latency.back());
        }

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
        d.ResetDevices();
    }
    std::filesystem::remove_all(dir);
    return rc;
}
