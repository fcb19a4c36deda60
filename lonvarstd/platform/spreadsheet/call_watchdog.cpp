#include "platform/spreadsheet/call_watchdog.h"

namespace tavrix::spreadsheet {

CallWatchdog::CallWatchdog(std::function<void()> onExpire)
    : onExpire_(std::move(onExpire)), thread_([this] { Run(); }) {}

CallWatchdog::~CallWatchdog() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

void CallWatchdog::Begin(std::chrono::milliseconds limit) {
    {
        std::lock_guard lock(mutex_);
        deadline_ = std::chrono::steady_clock::now() + limit;
        expired_ = false;
    }
    changed_.notify_all();
}

bool CallWatchdog::End() {
    std::unique_lock lock(mutex_);
    deadline_.reset();
    changed_.wait(lock, [&] { return !expiring_; });
    const bool expired = expired_;
    expired_ = false;
    return expired;
}

void CallWatchdog::Run() {
    std::unique_lock lock(mutex_);
    while (!stop_) {
        if (!deadline_) {
            changed_.wait(lock);
            continue;
        }
        const auto deadline = *deadline_;
        if (changed_.wait_until(lock, deadline) != std::cv_status::timeout) continue;
        if (!deadline_ || *deadline_ != deadline) continue;
        deadline_.reset();
        expiring_ = true;
        lock.unlock();
        onExpire_();
        lock.lock();
        expiring_ = false;
        expired_ = true;
        changed_.notify_all();
    }
}

}  // namespace tavrix::spreadsheet
