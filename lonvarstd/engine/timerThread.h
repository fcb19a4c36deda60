#pragma once
// The worker of one open device: calls OnTick about once a millisecond until it
// is asked to end. The data module owns it and reaps it when it has ended, so
// its end event (OnTerminate) always runs on the main thread.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

class tTimerThread {
public:
    using TickEvent = std::function<void(tTimerThread& sender)>;
    // A bounded wait on the device's input (at most about 1 ms) that ends early
    // when input arrives; false when it could not wait, and the worker then
    // sleeps 1 ms instead.
    using IdleWait = std::function<bool()>;

    // Starts running at once; the events must be set before, as the thread reads them.
    tTimerThread(TickEvent onTick, IdleWait idle, std::function<void()> onTerminate);
    // Asks the thread to end and joins it.
    ~tTimerThread();
    tTimerThread(const tTimerThread&) = delete;
    tTimerThread& operator=(const tTimerThread&) = delete;

    // Asks the loop to end after the tick in progress.
    void Terminate();
    bool Terminated() const { return terminated_.load(); }
    // Waits until the loop has ended or `deadline` has come; true if it ended.
    bool WaitFinished(std::chrono::steady_clock::time_point deadline);
    // Joins the ended thread and delivers the end event; call on the main thread.
    void Reap();

private:
    void Execute();

    const TickEvent onTick_;
    const IdleWait idle_;
    const std::function<void()> onTerminate_;
    std::atomic<bool> terminated_{false};
    std::mutex mutex_;
    std::condition_variable changed_;
    bool finished_ = false;
    bool reaped_ = false;
    std::thread thread_;
};
