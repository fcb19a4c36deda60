#pragma once
// The worker of one open device: calls OnTick, rests until the next tick is
// wanted, and so on until it is asked to end. The data module owns it and reaps it when it has
// ended, so its end event (OnTerminate) always runs on the main thread.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

class tTimerThread {
public:
    using TickEvent = std::function<void(tTimerThread& sender)>;
    // The rest between two ticks: returns when the next tick is wanted (something
    // is due, input came, or `wake` was called). Without one the worker sleeps 1 ms.
    using IdleWait = std::function<void()>;

    // Starts running at once; the events must be set before, as the thread reads them.
    // `wake` cuts a rest short from another thread (a request to end calls it).
    tTimerThread(TickEvent onTick, IdleWait idle, std::function<void()> wake,
                 std::function<void()> onTerminate);
    // Asks the thread to end and joins it.
    ~tTimerThread();
    tTimerThread(const tTimerThread&) = delete;
    tTimerThread& operator=(const tTimerThread&) = delete;

    // Asks the loop to end after the tick in progress.
    void Terminate();
    bool Terminated() const { return terminated_.load(); }
    // Ticks run so far: shows a worker that rests instead of spinning.
    std::uint64_t Ticks() const { return ticks_.load(); }
    // Waits until the loop has ended or `deadline` has come; true if it ended.
    bool WaitFinished(std::chrono::steady_clock::time_point deadline);
    // Joins the ended thread and delivers the end event; call on the main thread.
    void Reap();

private:
    void Execute();

    const TickEvent onTick_;
    const IdleWait idle_;
    const std::function<void()> wake_;
    const std::function<void()> onTerminate_;
    std::atomic<bool> terminated_{false};
    std::atomic<std::uint64_t> ticks_{0};
    std::mutex mutex_;
    std::condition_variable changed_;
    bool finished_ = false;
    bool reaped_ = false;
    std::thread thread_;
};
