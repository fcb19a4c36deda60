#pragma once
// A millisecond clock on local time that never runs backwards when the local clock
// is set back (end of daylight-saving time, manual correction).

#include <functional>
#include <mutex>

namespace tavrix {

// Local date and time in milliseconds since 30 December 1899 00:00, whole milliseconds.
double LocalMsSince1899();

class MsClock {
public:
    using RawSource = std::function<double()>;

    explicit MsClock(RawSource raw = LocalMsSince1899) : raw_(std::move(raw)) {}

    // The raw reading plus the sum of every set-back seen so far, so the result never
    // drops; a jump forward is not compensated.
    double Now();

private:
    RawSource raw_;
    std::mutex mutex_;
    double last_ = 0;
    double offset_ = 0;
};

}  // namespace tavrix

// The program's clock (a tavrix::MsClock on the local time).
double GetMsTime();
