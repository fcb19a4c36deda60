#include "engine/timerThread.h"

tTimerThread::tTimerThread(TickEvent onTick, IdleWait idle, std::function<void()> wake,
                           std::function<void()> onTerminate)
    : onTick_(std::move(onTick)),
      idle_(std::move(idle)),
      wake_(std::move(wake)),
      onTerminate_(std::move(onTerminate)),
      thread_([this] { Execute(); }) {}

tTimerThread::~tTimerThread() {
    Terminate();
    if (thread_.joinable()) thread_.join();
}

void tTimerThread::Terminate() {
    {
        std::lock_guard lock(mutex_);
        terminated_ = true;
    }
    changed_.notify_all();
    if (wake_) wake_();
}

bool tTimerThread::WaitFinished(std::chrono::steady_clock::time_point deadline) {
    std::unique_lock lock(mutex_);
    return changed_.wait_until(lock, deadline, [this] { return finished_; });
}

void tTimerThread::Reap() {
    if (reaped_) return;
    if (thread_.joinable()) thread_.join();
    reaped_ = true;
    if (onTerminate_) onTerminate_();
}

void tTimerThread::Execute() {
    while (!terminated_.load()) {
        if (onTick_) onTick_(*this);
        ticks_.fetch_add(1, std::memory_order_relaxed);
        if (terminated_.load()) break;
        if (idle_) {
            idle_();
            continue;
        }
        // Sleeps 1 ms, but a request to end cuts it short.
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, std::chrono::milliseconds(1),
                          [this] { return terminated_.load(); });
    }
    {
        std::lock_guard lock(mutex_);
        finished_ = true;
    }
    changed_.notify_all();
}
