#pragma once

// Bounds a blocking call that cannot be given a time-out of its own: when the call runs past its
// limit, a thread of the watchdog runs the expiry action (for an office call: disposing the
// bridge, which makes the waiting call return with an error).

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

namespace tavrix::spreadsheet {

class CallWatchdog {
public:
    explicit CallWatchdog(std::function<void()> onExpire);
    ~CallWatchdog();
    CallWatchdog(const CallWatchdog&) = delete;
    CallWatchdog& operator=(const CallWatchdog&) = delete;

    // A call starts; `onExpire` runs if End does not come within `limit`.
    void Begin(std::chrono::milliseconds limit);
    // The call is over. True when it ran out of time; the expiry action has then finished.
    bool End();

private:
    void Run();

    std::function<void()> onExpire_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::optional<std::chrono::steady_clock::time_point> deadline_;
    bool expiring_ = false;
    bool expired_ = false;
    bool stop_ = false;
    std::thread thread_;
};

}  // namespace tavrix::spreadsheet
