#include "support/ms_clock.h"

#include <time.h>

#include <cmath>

namespace tavrix {

double LocalMsSince1899() {
    constexpr double kDaysFrom1899To1970 = 25569;
    constexpr double kMsPerDay = 86'400'000;
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    tm local{};
    ::localtime_r(&now.tv_sec, &local);
    const double seconds = static_cast<double>(now.tv_sec) + static_cast<double>(local.tm_gmtoff);
    return kDaysFrom1899To1970 * kMsPerDay + seconds * 1000.0 +
           std::floor(static_cast<double>(now.tv_nsec) / 1e6);
}

double MsClock::Now() {
    // Read under the lock: a reading taken before another thread's would look like a set-back.
    std::lock_guard lock(mutex_);
    const double current = raw_();
    if (last_ > current) offset_ += last_ - current;
    last_ = current;
    return current + offset_;
}

}  // namespace tavrix

double GetMsTime() {
    static tavrix::MsClock clock;
    return clock.Now();
}
