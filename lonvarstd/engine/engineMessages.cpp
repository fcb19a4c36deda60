#include "engine/engineMessages.h"

#include <algorithm>

namespace tavrix {

void RecordingMessageSink::post(std::uint32_t msg, std::int64_t wParam, std::int64_t lParam) {
    {
        std::lock_guard lock(mutex_);
        messages_.push_back({msg, wParam, lParam});
    }
    changed_.notify_all();
}

std::vector<EngineMessage> RecordingMessageSink::messages() const {
    std::lock_guard lock(mutex_);
    return messages_;
}

std::size_t RecordingMessageSink::count(std::uint32_t msg) const {
    std::lock_guard lock(mutex_);
    return static_cast<std::size_t>(
        std::count_if(messages_.begin(), messages_.end(),
                      [msg](const EngineMessage& m) { return m.msg == msg; }));
}

void RecordingMessageSink::clear() {
    std::lock_guard lock(mutex_);
    messages_.clear();
}

bool RecordingMessageSink::waitFor(
    const std::function<bool(const std::vector<EngineMessage>&)>& pred,
    std::chrono::milliseconds timeout) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] { return pred(messages_); });
}

}  // namespace tavrix
