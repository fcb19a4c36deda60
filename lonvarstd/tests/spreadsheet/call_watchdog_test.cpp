// The time limit on office calls: a call that ends in time is left alone; one that does not
// is ended by the expiry action (which, for the office, disposes the bridge the call waits
// on), and the next call is bounded afresh.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>

#include "platform/spreadsheet/call_watchdog.h"

namespace tavrix::spreadsheet {
namespace {

using namespace std::chrono_literals;

TEST(CallWatchdog, EndsOnlyTheCallsThatRunPastTheirLimit) {
    std::atomic<int> expiries{0};
    std::promise<void> released;
    std::shared_future<void> waitingCall;
    CallWatchdog watchdog([&] {
        ++expiries;
        released.set_value();  // what disposing the bridge does to the waiting call
    });

    watchdog.Begin(2000ms);
    EXPECT_FALSE(watchdog.End());

    // A call that hangs until it is ended from outside.
    waitingCall = released.get_future().share();
    const auto start = std::chrono::steady_clock::now();
    watchdog.Begin(50ms);
    waitingCall.wait();
    EXPECT_TRUE(watchdog.End());
    EXPECT_GE(std::chrono::steady_clock::now() - start, 50ms);
    EXPECT_EQ(expiries.load(), 1);

    // The next calls are bounded anew and the old expiry is not reported again.
    for (int i = 0; i < 100; ++i) {
        watchdog.Begin(2000ms);
        EXPECT_FALSE(watchdog.End());
    }
    EXPECT_EQ(expiries.load(), 1);
}

TEST(CallWatchdog, EndingAWatchdogThatIsIdleOrArmedReturnsAtOnce) {
    std::atomic<int> expiries{0};
    {
        CallWatchdog idle([&] { ++expiries; });
    }
    {
        CallWatchdog armed([&] { ++expiries; });
        armed.Begin(60000ms);
    }
    EXPECT_EQ(expiries.load(), 0);
}

}  // namespace
}  // namespace tavrix::spreadsheet
