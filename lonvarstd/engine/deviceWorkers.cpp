// Worker threads of the devices: one per open device ticks it whenever something
// is due, arrives on its line, or is asked for by the main thread. The data module owns the threads
// and reaps each one that has ended, so the end event (ThreadTerminated) runs on the main thread.
//
// A stop waits 2000 ms at most. A worker still in its tick then (a call that hangs on a
// failing line) is stranded: its port is neither closed nor opened again under it, and
// when the records are freed its slot takes the record and the port object along, so
// that nothing it can still reach is freed before it ends.
#include <algorithm>
#include <cstdio>

#include "engine/dataModule.h"

namespace {
constexpr auto kStopWait = std::chrono::milliseconds(2000);
// How long one wait for a worker lasts before pending messages are handled again.
constexpr auto kStopSlice = std::chrono::milliseconds(10);

template <typename T>
std::unique_ptr<T> TakeOut(std::vector<std::unique_ptr<T>>& list, const T* item) {
    auto it = std::find_if(list.begin(), list.end(),
                           [item](const auto& entry) { return entry.get() == item; });
    if (it == list.end()) return nullptr;
    std::unique_ptr<T> taken = std::move(*it);
    list.erase(it);
    return taken;
}
}  // namespace

void TD::StartThreads() {
    ThreadsRunning = true;
    for (std::size_t i = 0; i < Devices.size(); ++i) StartThread(static_cast<int>(i));
}

void TD::StartThread(int index) {
    tDevice* dev = DeviceAt(index);
    // A second worker on the same device would read its port twice over.
    if (dev == nullptr || dev->Thread != nullptr || dev->WorkerStranded) return;
    WorkerSlot slot;
    slot.Device = dev;
    slot.Thread = std::make_unique<tTimerThread>(
        [dev](tTimerThread&) {
            // Wake-ups rung from here on end the rest after this tick at once.
            dev->WorkerWake.Clear();
            dev->Poll();
        },
        [dev] { dev->WaitForWork(); }, [dev] { dev->WorkerWake.Wake(); },
        [this] { ThreadTerminated(); });
    dev->Thread = slot.Thread.get();
    workers_.push_back(std::move(slot));
    ++ThreadCount;
    // A worker runs, so the stops must see it: after StopThread ended the last one, a
    // worker started again here would otherwise be skipped by StopThreads and have
    // its port closed under it.
    ThreadsRunning = true;
}

void TD::StopThreads() {
    if (!ThreadsRunning) return;
    std::vector<tTimerThread*> ending;
    for (auto& dev : Devices) {
        if (dev->Thread == nullptr) continue;
        dev->Thread->Terminate();
        ending.push_back(dev->Thread);
        dev->Thread = nullptr;
    }
    // An edit that waits for a stranded worker does not start it again after this stop.
    for (auto& slot : workers_) slot.Resume = false;
    WaitForWorkers(ending);
    ThreadsRunning = false;
}

bool TD::StopThread(int index) {
    tDevice* dev = DeviceAt(index);
    if (dev == nullptr) return true;
    if (dev->Thread == nullptr) return !dev->WorkerStranded;
    tTimerThread* thread = dev->Thread;
    thread->Terminate();
    dev->Thread = nullptr;
    WaitForWorkers({thread});
    if (ThreadCount == 0) ThreadsRunning = false;
    return !dev->WorkerStranded;
}

void TD::ThreadTerminated() {
    if (ThreadCount > 0) --ThreadCount;
}

void TD::WaitForWorkers(const std::vector<tTimerThread*>& ending) {
    const auto deadline = std::chrono::steady_clock::now() + kStopWait;
    auto isEnding = [&ending](const WorkerSlot& slot) {
        return std::find(ending.begin(), ending.end(), slot.Thread.get()) != ending.end();
    };
    for (;;) {
        const auto now = std::chrono::steady_clock::now();
        for (auto it = workers_.begin(); it != workers_.end();) {
            if (isEnding(*it) && it->Thread->WaitFinished(now)) {
                FinishWorker(*it, true);
                it = workers_.erase(it);
            } else {
                ++it;
            }
        }
        auto first = std::find_if(workers_.begin(), workers_.end(), isEnding);
        if (first == workers_.end()) return;
        if (now >= deadline) break;
        if (ProcessPendingMessages) ProcessPendingMessages();
        // Rest on the first worker still ending, a slice at a time.
        first = std::find_if(workers_.begin(), workers_.end(), isEnding);
        if (first == workers_.end()) continue;
        first->Thread->WaitFinished(
            std::min(deadline, std::chrono::steady_clock::now() + kStopSlice));
    }
    for (auto& slot : workers_) {
        if (!isEnding(slot)) continue;
        slot.Device->WorkerStranded = true;
        std::fprintf(stderr,
                     "The worker of %s is still busy after %lld ms; its port stays held until "
                     "it ends.\n",
                     slot.Device->GetPortName().c_str(), static_cast<long long>(kStopWait.count()));
    }
}

void TD::FinishWorker(WorkerSlot& slot, bool runAfterEnd) {
    slot.Thread->Reap();
    tDevice& dev = *slot.Device;
    // A worker that ended within its stop: the stop's caller closes or reopens the port.
    if (!dev.WorkerStranded) return;
    dev.WorkerStranded = false;
    if (slot.AfterEnd && !slot.HeldDevice) {
        slot.AfterEnd(runAfterEnd && slot.Resume);
    } else {
        dev.Close();  // a held record goes with its slot
    }
}

std::size_t TD::ReapStrandedWorkers() {
    const auto now = std::chrono::steady_clock::now();
    std::vector<WorkerSlot> ended;
    for (auto it = workers_.begin(); it != workers_.end();) {
        if (it->Device->WorkerStranded && it->Thread->WaitFinished(now)) {
            ended.push_back(std::move(*it));
            it = workers_.erase(it);
        } else {
            ++it;
        }
    }
    // Out of the list first: an edit resumed here starts a worker of its own.
    for (auto& slot : ended) FinishWorker(slot, true);
    return static_cast<std::size_t>(
        std::count_if(workers_.begin(), workers_.end(),
                      [](const auto& slot) { return slot.Device->WorkerStranded; }));
}

void TD::HoldStrandedRecords() {
    for (auto& slot : workers_) {
        if (slot.HeldDevice) continue;
        tDevice* dev = slot.Device;
        if (!dev->WorkerStranded) {
            // Not stopped yet (no stop ran before the reset): it is let go the same way.
            slot.Thread->Terminate();
            dev->WorkerStranded = true;
        }
        dev->Mute();
        dev->Thread = nullptr;
        slot.AfterEnd = nullptr;
        slot.HeldDevice = TakeOut(Devices, dev);
        if (dev->Rs232 != nullptr) slot.HeldRs232 = TakeOut(Rs232Devices, dev->Rs232);
        if (dev->Ft != nullptr) slot.HeldFt = TakeOut(FtDevices, dev->Ft);
    }
}

void TD::JoinAllWorkers() {
    for (auto& dev : Devices) dev->Thread = nullptr;
    for (auto& slot : workers_) slot.Thread->Terminate();
    // Reaping joins: the program ends only after every call of a worker has returned.
    for (auto& slot : workers_) FinishWorker(slot, false);
    workers_.clear();
    if (ThreadCount == 0) ThreadsRunning = false;
}

tDevice* TD::DeviceAt(int index) const {
    if (index < 0 || static_cast<std::size_t>(index) >= Devices.size()) return nullptr;
    return Devices[static_cast<std::size_t>(index)].get();
}
