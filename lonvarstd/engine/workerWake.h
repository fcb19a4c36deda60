#pragma once
// How the main thread reaches a worker that rests: an event descriptor the
// worker waits on beside its line, and fields whose stores ring it, so that a
// request set by a key, a switch, a menu or the timer button starts at once
// instead of at the worker's next look.

#include <atomic>
#include <cstdint>

namespace tavrix {

class WakeSignal {
public:
    WakeSignal();
    ~WakeSignal();
    WakeSignal(const WakeSignal&) = delete;
    WakeSignal& operator=(const WakeSignal&) = delete;

    // Readable while a wake-up is pending; -1 if none could be made (the worker
    // then looks every millisecond).
    int fd() const { return fd_; }
    // Safe from any thread, never blocks.
    void Wake() const;
    // Takes every pending wake-up; the worker calls it before each tick, so a
    // wake-up rung during the tick ends the following wait at once.
    void Clear() const;
    // Rests until woken or `timeoutMs` passed (negative: no limit); true when woken.
    bool Wait(int timeoutMs) const;

private:
    int fd_ = -1;
};

// An atomic field of a device that rings the worker whenever it is stored,
// so that a worker resting until its next due moment sees the change at once.
// Reads and the worker's own take (exchange) cost what a plain atomic costs.
template <class T>
class WakingAtomic {
public:
    WakingAtomic(const WakeSignal& wake, T value) : wake_(wake), value_(value) {}
    WakingAtomic(const WakingAtomic&) = delete;
    WakingAtomic& operator=(const WakingAtomic&) = delete;

    T load() const { return value_.load(); }
    operator T() const { return value_.load(); }  // NOLINT: reads like the atomic it replaces
    void store(T value) {
        value_.store(value);
        wake_.Wake();
    }
    WakingAtomic& operator=(T value) {
        store(value);
        return *this;
    }
    T exchange(T value) { return value_.exchange(value); }
    WakingAtomic& operator+=(T step) {
        value_.fetch_add(step);
        wake_.Wake();
        return *this;
    }

private:
    const WakeSignal& wake_;
    std::atomic<T> value_;
};

}  // namespace tavrix
