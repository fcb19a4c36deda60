#include <gtest/gtest.h>
#include <time.h>

#include <atomic>
#include <thread>
#include <vector>

#include "support/ms_clock.h"
#include "support/tick_count.h"

namespace {

constexpr double kHour = 3'600'000;

TEST(MsClock, SetBacksAccumulateSoTheTimeNeverDrops) {
    double raw = 1'000'000;
    tavrix::MsClock clock([&raw] { return raw; });
    EXPECT_EQ(clock.Now(), 1'000'000);  // the first call is the raw reading
    raw += 500;
    EXPECT_EQ(clock.Now(), 1'000'500);
    raw -= kHour;  // first set-back: continues from the last reading
    EXPECT_EQ(clock.Now(), 1'000'500);
    raw += 10;
    EXPECT_EQ(clock.Now(), 1'000'510);
    raw -= kHour;  // second set-back must not drop by the first correction
    EXPECT_EQ(clock.Now(), 1'000'510);
    raw += 20;
    EXPECT_EQ(clock.Now(), 1'000'530);
    raw += kHour;  // a jump forward is not compensated
    EXPECT_EQ(clock.Now(), 1'000'530 + kHour);
}

TEST(MsClock, LocalTimeCountsFromTheEndOf1899) {
    const time_t now = ::time(nullptr);
    tm local{};
    ::localtime_r(&now, &local);
    const double expected = (25569.0 * 86400 + static_cast<double>(now + local.tm_gmtoff)) * 1000;
    const double reading = tavrix::LocalMsSince1899();
    EXPECT_NEAR(reading, expected, 60'000);  // the same moment, give or take a slow machine
    EXPECT_EQ(reading, static_cast<double>(static_cast<long long>(reading)));  // whole ms
    EXPECT_GE(GetMsTime(), reading);
}

TEST(TickCount, MonotonicAndAboveZeroAcrossThreads) {
    std::atomic<bool> ok{true};
    std::vector<std::thread> threads;
    for (int t = 0; t < 2; ++t) {
        threads.emplace_back([&ok] {
            std::int64_t last = TickCountMs();
            double lastMs = GetMsTime();
            for (int i = 0; i < 20'000; ++i) {
                const std::int64_t tick = TickCountMs();
                const double ms = GetMsTime();
                if (tick < last || tick <= 0 || ms < lastMs) ok = false;
                last = tick;
                lastMs = ms;
            }
        });
    }
    for (auto& thread : threads) thread.join();
    EXPECT_TRUE(ok);
}

}  // namespace
