// The worker's rest between two ticks: it sleeps until the earliest moment the
// tick has something to do by the clock, until its line has bytes (or, for a
// switch cable, a pin change), or until the main thread rings it. The tick
// itself (devicePoll.cpp) stays the same; only the rest between ticks changed.
#include <algorithm>

#include "engine/dataModule.h"
#include "support/prog_paths.h"

namespace {

// The longest rest: a wake-up lost to an unforeseen path costs a second, not a reading.
constexpr int kLongestRestMs = 1000;
// Rests of no length in a row before the worker takes a millisecond anyway: a due
// moment that the tick does not consume must not make the worker spin.
constexpr int kMaxImmediateTicks = 100;

void Earliest(std::int64_t& due, std::int64_t candidate) {
    if (due < 0 || candidate < due) due = candidate;
}

}  // namespace

std::int64_t tDevice::NextDueTick(std::int64_t tickNow) const {
    std::int64_t due = -1;
    if (Descr == nullptr) return due;
    const std::int64_t reqTick = ReqTick;
    const std::uint8_t state = State;
    if (!Opened) {
        // A closed device's tick only fails the requests that come due: the timer's
        // next period (past ones were settled by the tick), or one still running out.
        if (AnforderType == AnforderTimer && TimerRunning && NextTimerTick > tickNow) {
            Earliest(due, NextTimerTick);
        }
        if (reqTick >= 1 && state >= 1 && state <= 3) {
            const std::int64_t end = reqTick + Descr->AnswerTimeout + 1;
            if (end > tickNow) Earliest(due, end);
        }
        return due;
    }
    // The times of Poll's steps: each is the first tick at which "now > x" holds.
    if (Starting) Earliest(due, CreatedTick + 2001);
    const bool timer = AnforderType == AnforderTimer && TimerRunning;
    if (timer) {
        if (state == 0) Earliest(due, NextTimerTick);
        Earliest(due, (tickNow / 1000 + 1) * 1000);  // the countdown's next second
    }
    if (reqTick >= 1 && state >= 1 && state <= 3) Earliest(due, reqTick + Descr->AnswerTimeout + 1);
    if (LedTick > 0) Earliest(due, LedTick + 1001);
    // Test mode answers by itself in the tick after a request.
    if (SwitchD && (state == 1 || state == 3)) Earliest(due, tickNow);
    return due;
}

void tDevice::WaitForWork() {
    int timeoutMs = kLongestRestMs;
    if (owner_.TickSource) {
        timeoutMs = 1;  // a clock of a test's own jumps without notice: look every ms
    } else {
        const std::int64_t now = owner_.Now();
        const std::int64_t due = NextDueTick(now);
        if (due >= 0) {
            timeoutMs = static_cast<int>(std::clamp<std::int64_t>(due - now, 0, kLongestRestMs));
        }
    }
    // Only this device's worker runs this, so the count needs no guard.
    thread_local int immediate = 0;
    immediate = timeoutMs == 0 ? immediate + 1 : 0;
    if (immediate > kMaxImmediateTicks) {
        timeoutMs = 1;
        immediate = 0;
    }
    const int wakeFd = WorkerWake.fd();
    if (wakeFd < 0) timeoutMs = std::min(timeoutMs, 1);

    if (Opened && Descr != nullptr) {
        const bool chars = Descr->RxMode == RxModeChars;
        if (Connection == ConnectionRs232 && Rs232 != nullptr && chars) {
            Rs232->Comm->WaitForInput(wakeFd, timeoutMs);
            return;
        }
        if (Connection == ConnectionUsb && Ft != nullptr &&
            (chars || Descr->RxMode == RxModeSwitch)) {
            Ft->WaitForEvent(wakeFd, static_cast<std::uint32_t>(timeoutMs), !chars);
            return;
        }
    }
    WorkerWake.Wait(timeoutMs);
}
