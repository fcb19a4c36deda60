#pragma once
// The gauge bench run in-process: a server thread on its own socket, driven
// through the same control commands a shell user sends with socat.

#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "bench/bench_link.h"

namespace tavrix::gaugebench {

class BenchServer;

// $XDG_RUNTIME_DIR/tavrix-bench.sock, else /tmp/tavrix-bench-<uid>.sock.
std::string defaultSocketPath();

// The commands that set up the demo: a "Lumo" gauge cable, a "TV-I" switch
// cable and an RS232 gauge on COM1.
std::vector<std::string> demoSetup();

class GaugeBench {
public:
    // Starts serving on `socketPath`, or on a fresh temporary path when empty.
    explicit GaugeBench(std::string socketPath = std::string());
    ~GaugeBench();
    GaugeBench(const GaugeBench&) = delete;
    GaugeBench& operator=(const GaugeBench&) = delete;

    bool running() const { return thread_.joinable(); }
    const std::string& error() const { return error_; }
    const std::string& socketPath() const { return path_; }

    // Sends one command and returns the bench's reply (not ok if the bench is gone).
    bench::Reply command(const std::string& line);
    // The command succeeded.
    bool run(const std::string& line) { return command(line).ok; }
    // Every entry of the bench's log ("<ms> <line> <event> ...").
    std::vector<std::string> log();

private:
    std::string path_;
    std::string error_;
    std::unique_ptr<BenchServer> server_;
    std::thread thread_;
    std::mutex mutex_;
    std::unique_ptr<bench::BenchLink> link_;
};

}  // namespace tavrix::gaugebench
