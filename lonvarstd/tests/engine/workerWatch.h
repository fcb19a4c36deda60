#pragma once
// Watching running workers from a test: the messages they post and their ticks.

#include <algorithm>
#include <chrono>
#include <thread>

#include "engine/dataModule.h"

namespace tavrix::test {

// True once `m` has come at least `n` times within `timeout`.
inline bool WaitForCount(tavrix::RecordingMessageSink& sink, const tavrix::EngineMessage& m,
                         std::size_t n, std::chrono::milliseconds timeout) {
    return sink.waitFor(
        [&](const std::vector<tavrix::EngineMessage>& all) {
            return static_cast<std::size_t>(std::count(all.begin(), all.end(), m)) >= n;
        },
        timeout);
}

// Ticks of the device's worker over `span`: a resting worker makes few.
inline std::uint64_t WorkerTicksOver(const tDevice& dev, std::chrono::milliseconds span) {
    const std::uint64_t before = dev.Thread->Ticks();
    std::this_thread::sleep_for(span);
    return dev.Thread->Ticks() - before;
}

}  // namespace tavrix::test
