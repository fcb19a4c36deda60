#pragma once
// What the reading benchmarks share: the gauge bench as a child process, the
// status window's part (handing every value to the engine in order), CPU clocks
// and the printed spread of a series.

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "bench/bench_link.h"
#include "engine/dataModule.h"

namespace tavrix::benchmarks {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// CPU seconds of a task or process from its /proc stat line.
inline double StatCpuSeconds(const std::string& statPath) {
    std::ifstream stat(statPath);
    std::string text((std::istreambuf_iterator<char>(stat)), {});
    const auto paren = text.rfind(')');
    if (paren == std::string::npos) return 0;
    std::istringstream fields(text.substr(paren + 2));
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

class BenchProcess {
public:
    explicit BenchProcess(const std::string& socket, const char* program) : socket_(socket) {
        pid_ = fork();
        if (pid_ == 0) {
            execl(program, program, "--empty", "--socket", socket.c_str(),
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
    double cpuSeconds() const { return StatCpuSeconds("/proc/" + std::to_string(pid_) + "/stat"); }

private:
    std::string socket_;
    pid_t pid_ = -1;
    std::unique_ptr<tavrix::bench::BenchLink> link_;
};

inline double ProcessCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto secs = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return secs(usage.ru_utime) + secs(usage.ru_stime);
}

inline std::string Hex(const std::string& bytes) {
    static const char* digits = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

// Remembers when each message came, for the time from a request to its start.
class TimedSink : public tavrix::RecordingMessageSink {
public:
    void post(std::uint32_t msg, std::int64_t wParam, std::int64_t lParam) override {
        if (msg == MsgDeviceState && wParam == 0) {
            std::lock_guard lock(mutex_);
            started_.push_back(Clock::now());
        }
        tavrix::RecordingMessageSink::post(msg, wParam, lParam);
    }
    std::vector<Clock::time_point> started() const {
        std::lock_guard lock(mutex_);
        return started_;
    }

private:
    mutable std::mutex mutex_;
    std::vector<Clock::time_point> started_;
};

inline void PrintSpread(const char* what, std::vector<double> ms) {
    if (ms.empty()) return;
    std::sort(ms.begin(), ms.end());
    std::printf("%s, n=%zu: median %.3f ms, p99 %.3f ms, max %.3f ms\n", what, ms.size(),
                ms[ms.size() / 2], ms[ms.size() * 99 / 100], ms.back());
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
    TimedSink sink;

private:
    TD& d_;
    std::size_t handled_ = 0;
    std::size_t handledValues_ = 0;
};

inline std::vector<std::string> Lines(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

}  // namespace tavrix::benchmarks
