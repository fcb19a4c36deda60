#include "gauge_bench.h"

#include <unistd.h>

#include <atomic>
#include <cstdlib>

#include "bench_server.h"

namespace tavrix::gaugebench {

std::string defaultSocketPath() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && *runtime) return std::string(runtime) + "/tavrix-bench.sock";
    return "/tmp/tavrix-bench-" + std::to_string(::getuid()) + ".sock";
}

std::vector<std::string> demoSetup() {
    return {
        "cable lumo serial=LU000001 desc=Lumo",
        "gauge lumo answer=\"+0001.1111 mm\\r\" delay=30 vary=1",
        "cable switch serial=TV000001 desc=TV-I pins=0x20",
        "port COM1",
        "gauge COM1 answer=\"+0002.2222 mm\\r\" delay=40 vary=1",
    };
}

namespace {

std::string freshTempPath() {
    static std::atomic<int> counter{0};
    const char* tmp = std::getenv("TMPDIR");
    std::string dir = tmp && *tmp ? tmp : "/tmp";
    return dir + "/tavrix-bench-" + std::to_string(::getpid()) + "-" +
           std::to_string(counter.fetch_add(1)) + ".sock";
}

}  // namespace

GaugeBench::GaugeBench(std::string socketPath)
    : path_(socketPath.empty() ? freshTempPath() : std::move(socketPath)) {
    server_ = std::make_unique<BenchServer>(path_);
    if (!server_->listen(error_)) return;
    thread_ = std::thread([this] { server_->run(); });
}

GaugeBench::~GaugeBench() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        link_.reset();
    }
    if (thread_.joinable()) {
        server_->stop();
        thread_.join();
    }
}

bench::Reply GaugeBench::command(const std::string& line) {
    std::lock_guard<std::mutex> lock(mutex_);
    bench::Reply reply;
    if (!link_ || !link_->alive()) link_ = bench::BenchLink::connect(path_);
    if (!link_ || !link_->call(line, reply)) {
        reply = bench::Reply{};
        reply.status = 4;
        reply.text = "bench not reachable";
    }
    return reply;
}

std::vector<std::string> GaugeBench::log() {
    return command("log").lines;
}

}  // namespace tavrix::gaugebench
