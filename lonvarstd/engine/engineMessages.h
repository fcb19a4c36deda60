#pragma once
// How the engine tells the status window what happened: posted messages with
// the numbers the windows know. Workers post from their own threads, so every
// sink must accept post() from any thread and must never block for long.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

// Message numbers; lParam is always the device's DevIdx.
enum : std::uint32_t {
    MsgValueQueued = 1024,  // wParam 0: a new answer or switch state waits in Values
    MsgDeviceError = 1026,  // wParam: cable status code, or 100/0 for the spreadsheet output
    MsgDeviceState = 1027,  // wParam: 0 request sent, 1 answer accepted, 2 one second later,
                            //         3 time-out, 4 second request sent
    MsgTimerTick = 1028,    // wParam 0: one more second of the timer countdown
};

// The cable status code of 1026 for a port the user may not open (the code of a cable
// that could not be opened).
inline constexpr std::int64_t kNoPermissionStatus = 3;

namespace tavrix {

struct EngineMessage {
    std::uint32_t msg;
    std::int64_t wParam;
    std::int64_t lParam;
    bool operator==(const EngineMessage&) const = default;
};

class MessageSink {
public:
    virtual ~MessageSink() = default;
    // Queues the message for the receiver's thread and returns at once.
    virtual void post(std::uint32_t msg, std::int64_t wParam, std::int64_t lParam) = 0;
};

// Keeps every message in arrival order; lets a test wait for one to come.
class RecordingMessageSink : public MessageSink {
public:
    void post(std::uint32_t msg, std::int64_t wParam, std::int64_t lParam) override;

    std::vector<EngineMessage> messages() const;
    std::size_t count(std::uint32_t msg) const;
    void clear();
    // Waits until `pred` holds for the messages so far or `timeout` passes.
    bool waitFor(const std::function<bool(const std::vector<EngineMessage>&)>& pred,
                 std::chrono::milliseconds timeout) const;

private:
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::vector<EngineMessage> messages_;
};

}  // namespace tavrix
