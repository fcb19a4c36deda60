#pragma once
// Small helpers of the end-to-end runs: a file's text, how often a part occurs in it,
// waiting for a condition with a time-out, and the link to a gauge bench just started.

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "bench/bench_link.h"
#include "file_text.h"

namespace e2e {

inline std::string ReadText(const std::filesystem::path& path) {
    return FileText(path);
}

inline int CountOf(const std::string& text, const std::string& part) {
    int count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

inline bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds timeout,
                    std::chrono::microseconds step = std::chrono::milliseconds(5)) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(step);
    }
    return true;
}

// The socket file comes a moment before the bench listens on it: connects until it answers
// (none after 10 s).
inline std::unique_ptr<tavrix::bench::BenchLink> ConnectBench(const std::string& socket) {
    std::unique_ptr<tavrix::bench::BenchLink> link;
    WaitFor([&] { return (link = tavrix::bench::BenchLink::connect(socket)) != nullptr; },
            std::chrono::seconds(10));
    return link;
}

}  // namespace e2e
