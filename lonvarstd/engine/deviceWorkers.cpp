// Worker threads of the devices: one per open device ticks it whenever something
// is due, arrives on its line, or is asked for by the main thread. The data module owns the threads
// and reaps each one that has ended, so the end event (ThreadTerminated) runs on the main thread.
#include <algorithm>

#include "engine/dataModule.h"

namespace {
constexpr auto kStopWait = std::chrono::milliseconds(2000);
// How long one wait for a worker lasts before pending messages are handled again.
constexpr auto kStopSlice = std::chrono::milliseconds(10);
}  // namespace

void TD::StartThreads() {
    ThreadsRunning = true;
    for (std::size_t i = 0; i < Devices.size(); ++i) StartThread(static_cast<int>(i));
}

void TD::StartThread(int index) {
    tDevice* dev = DeviceAt(index);
    // A second worker on the same device would read its port twice over.
    if (dev == nullptr || dev->Thread != nullptr) return;
    threads_.push_back(std::make_unique<tTimerThread>(
        [dev](tTimerThread&) {
            // Wake-ups rung from here on end the rest after this tick at once.
            dev->WorkerWake.Clear();
            dev->Poll();
        },
        [dev] { dev->WaitForWork(); }, [dev] { dev->WorkerWake.Wake(); },
        [this] { ThreadTerminated(); }));
    dev->Thread = threads_.back().get();
    ++ThreadCount;
    // A worker runs, so the stops must see it: after StopThread ended the last one, a
    // worker started again here would otherwise be skipped by StopThreads and have
    // its port closed under it.
    ThreadsRunning = true;
}

void TD::StopThreads() {
    if (!ThreadsRunning) return;
    for (auto& dev : Devices) {
        if (dev->Thread == nullptr) continue;
        dev->Thread->Terminate();
        dev->Thread = nullptr;
    }
    WaitForWorkers([this] { return ThreadCount == 0; });
    // Past the wait the windows stop being served, but a worker still in its tick
    // (a long pulse, a slow write) is waited for: the callers close the ports next.
    JoinEndingWorkers();
    ThreadsRunning = false;
}

void TD::StopThread(int index) {
    if (!ThreadsRunning || ThreadCount <= 0) return;
    tDevice* dev = DeviceAt(index);
    if (dev == nullptr || dev->Thread == nullptr) return;
    dev->Thread->Terminate();
    dev->Thread = nullptr;
    const std::int32_t before = ThreadCount;
    WaitForWorkers([this, before] { return ThreadCount < before; });
    JoinEndingWorkers();
    if (ThreadCount == 0) ThreadsRunning = false;
}

void TD::ThreadTerminated() {
    if (ThreadCount > 0) --ThreadCount;
}

void TD::WaitForWorkers(const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + kStopWait;
    for (;;) {
        ReapEndedWorkers();
        if (done() || std::chrono::steady_clock::now() >= deadline) return;
        if (ProcessPendingMessages) ProcessPendingMessages();
        // Rest on the first worker still ending, a slice at a time.
        auto ending = std::find_if(threads_.begin(), threads_.end(),
                                   [](const auto& t) { return t->Terminated(); });
        const auto until = std::min(deadline, std::chrono::steady_clock::now() + kStopSlice);
        if (ending != threads_.end()) {
            (*ending)->WaitFinished(until);
        } else {
            std::this_thread::sleep_until(until);
        }
    }
}

void TD::ReapEndedWorkers() {
    const auto now = std::chrono::steady_clock::now();
    for (auto it = threads_.begin(); it != threads_.end();) {
        if ((*it)->Terminated() && (*it)->WaitFinished(now)) {
            (*it)->Reap();
            it = threads_.erase(it);
        } else {
            ++it;
        }
    }
}

void TD::JoinEndingWorkers() {
    for (auto it = threads_.begin(); it != threads_.end();) {
        if ((*it)->Terminated()) {
            (*it)->Reap();
            it = threads_.erase(it);
        } else {
            ++it;
        }
    }
}

void TD::JoinAllWorkers() {
    for (auto& dev : Devices) dev->Thread = nullptr;
    for (auto& thread : threads_) thread->Terminate();
    for (auto& thread : threads_) thread->Reap();
    threads_.clear();
    if (ThreadCount == 0) ThreadsRunning = false;
}

tDevice* TD::DeviceAt(int index) const {
    if (index < 0 || static_cast<std::size_t>(index) >= Devices.size()) return nullptr;
    return Devices[static_cast<std::size_t>(index)].get();
}
