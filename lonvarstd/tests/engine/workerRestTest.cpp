// Workers that rest between ticks: a request from the main thread, a switch
// press or a due timer period still starts at once, and a worker whose line is
// gone rests instead of spinning. Real worker threads on the gauge bench and on
// a pseudo-terminal, with the engine's own clock.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "bench/bench_ports.h"
#include "engine/dataModule.h"
#include "engineTestDevices.h"
#include "engineTestSupport.h"
#include "gauge_bench.h"
#include "pty_pair.h"
#include "support/new_ini_file.h"
#include "workerWatch.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using tavrix::EngineMessage;
using tavrix::gaugebench::GaugeBench;
using tavrix::test::TempProgDir;

// Generous bounds for a loaded machine; the figures come from reception_benchmark.
constexpr auto kWait = 10s;
// Well below the worker's longest rest (1 s): a reaction inside it was woken, not found.
constexpr auto kReaction = 250ms;

// Keeps when each message came.
class TimedSink : public tavrix::RecordingMessageSink {
public:
    void post(std::uint32_t msg, std::int64_t wParam, std::int64_t lParam) override {
        {
            std::lock_guard lock(mutex_);
            times_.push_back({EngineMessage{msg, wParam, lParam}, Clock::now()});
        }
        RecordingMessageSink::post(msg, wParam, lParam);
    }
    // When the n-th (from 0) message equal to `m` came.
    std::optional<Clock::time_point> when(const EngineMessage& m, std::size_t n) const {
        std::lock_guard lock(mutex_);
        for (const auto& [msg, at] : times_) {
            if (msg == m && n-- == 0) return at;
        }
        return std::nullopt;
    }

private:
    mutable std::mutex mutex_;
    std::vector<std::pair<EngineMessage, Clock::time_point>> times_;
};

class WorkerRestTest : public ::testing::Test {
public:
    void SetUp() override {
        ASSERT_TRUE(bench.running()) << bench.error();
        setenv("TAVRIX_BENCH", bench.socketPath().c_str(), 1);
        d.PortLister = &tavrix::bench::listBenchPorts;
        d.SetMessageSink(&sink);
    }
    void TearDown() override {
        d.ResetDevices();
        unsetenv("TAVRIX_BENCH");
    }

    // The bench's "Lumo" gauge cable (or a switch cable), past its quiet period,
    // writing nowhere.
    tDevice& Cable(const std::string& setup) {
        EXPECT_TRUE(bench.run(setup)) << setup;
        d.SrchDevices(false, true);
        EXPECT_FALSE(d.Devices.empty());
        tDevice& dev = *d.Devices.back();
        dev.CreatedTick -= 3000;
        dev.MwZielAppl = MwZielNone;
        return dev;
    }
    // A gauge that answers a written "?" at once, so requests end quickly.
    tDevice& QuickGauge() {
        tDevice& dev = Cable("cable lumo serial=LU000001 desc=Lumo");
        EXPECT_TRUE(bench.run("gauge lumo request=? delay=0"));
        quick = *dev.Descr;
        quick.ReqKind = ReqKindText;
        quick.ReqText = "?";
        dev.Descr = &quick;
        return dev;
    }
    void Start() {
        d.OpenDevices(true);
        for (auto& dev : d.Devices) ASSERT_TRUE(dev->Opened) << dev->GetPortName();
    }
    bool WaitFor(const EngineMessage& m, std::size_t n) {
        return tavrix::test::WaitForCount(sink, m, n, kWait);
    }
    // Waits until the worker has rested through a whole quiet while.
    void SettleToRest(tDevice& dev) {
        for (int i = 0; i < 50 && tavrix::test::WorkerTicksOver(dev, 100ms) > 2; ++i) {
        }
    }

    TempProgDir prog;
    GaugeBench bench;
    tDeviceDescr quick;
    TD d;
    TimedSink sink;
};

struct RequestSource {
    const char* name;
    std::function<void(TD&, tDevice&)> ask;
};

TEST_F(WorkerRestTest, RequestFromTheMainThreadStartsAtOnceWhateverItsSource) {
    tDevice& dev = QuickGauge();
    dev.AnforderTasteKeyb = "F5";
    Start();
    const RequestSource sources[] = {
        {"menu, one device", [](TD& d, tDevice& g) { d.RequestOne(g.DevIdx); }},
        {"menu, all devices", [](TD& d, tDevice&) { d.RequestAll(); }},
        {"function key",
         [](TD& d, tDevice& g) {
             g.AnforderType = AnforderKey;
             d.KeyRequest(116);
         }},
        {"timer button",
         [](TD& d, tDevice& g) {
             g.AnforderType = AnforderTimer;
             g.AnforderTicksTimer = 60000;
             d.TimerButtonDown(g.DevIdx);
         }},
    };
    std::size_t n = 0;
    for (const RequestSource& source : sources) {
        SCOPED_TRACE(source.name);
        SettleToRest(dev);
        const auto asked = Clock::now();
        source.ask(d, dev);
        ASSERT_TRUE(WaitFor({MsgDeviceState, 0, dev.DevIdx}, ++n));
        const auto started = sink.when({MsgDeviceState, 0, dev.DevIdx}, n - 1);
        ASSERT_TRUE(started);
        EXPECT_LT(*started - asked, kReaction);
        ASSERT_TRUE(WaitFor({MsgDeviceState, 1, dev.DevIdx}, n));
    }
    d.TimerButtonUp(dev.DevIdx);
}

TEST_F(WorkerRestTest, TimerKeepsItsPeriodsWithoutDrift) {
    tDevice& dev = QuickGauge();
    dev.AnforderType = AnforderTimer;
    dev.AnforderTicksTimer = 1000;  // the shortest period there is
    Start();
    SettleToRest(dev);
    const auto pressed = Clock::now();
    d.TimerButtonDown(dev.DevIdx);
    constexpr int kPeriods = 4;
    ASSERT_TRUE(WaitFor({MsgDeviceState, 0, dev.DevIdx}, kPeriods + 1));
    d.TimerButtonUp(dev.DevIdx);
    for (int k = 1; k <= kPeriods; ++k) {
        SCOPED_TRACE(k);
        const auto at = sink.when({MsgDeviceState, 0, dev.DevIdx}, static_cast<std::size_t>(k));
        ASSERT_TRUE(at);
        const auto due = pressed + k * 1000ms;
        // Never early (the clock counts whole milliseconds), and late by a bounded
        // amount that does not grow with the periods.
        EXPECT_GE(*at, due - 2ms);
        EXPECT_LT(*at, due + 150ms);
    }
    // The countdown still ticks once a second while the worker rests.
    EXPECT_GE(sink.count(MsgTimerTick), 1u);
}

TEST_F(WorkerRestTest, SwitchCableRestsUntilAPinChanges) {
    tDevice& sw = Cable("cable sw serial=SW000001 desc=TV-I");
    ASSERT_TRUE(sw.IsSwitch());
    Start();
    ASSERT_TRUE(WaitFor({MsgDeviceError, 0, sw.DevIdx}, 1));
    SettleToRest(sw);
    EXPECT_LE(tavrix::test::WorkerTicksOver(sw, 500ms), 3u);
    // Past its quiet period the state found first is queued too ("OFF").
    const std::size_t before = sw.ValueCount();
    for (std::size_t press = 1; press <= 3; ++press) {
        const EngineMessage queued{MsgValueQueued, 0, sw.DevIdx};
        const auto pressed = Clock::now();
        ASSERT_TRUE(bench.run("press sw"));
        ASSERT_TRUE(WaitFor(queued, before + 2 * press - 1));
        EXPECT_LT(*sink.when(queued, before + 2 * press - 2) - pressed, kReaction);
        ASSERT_TRUE(bench.run("release sw"));
        ASSERT_TRUE(WaitFor(queued, before + 2 * press));
    }
    for (std::size_t i = 0; i < before; ++i) sw.DropFirstValue();
    EXPECT_EQ(sw.GetFirstValue(), "ON ");
    EXPECT_EQ(sw.ValueCount(), 6u);
}

struct GoneLine {
    const char* name;
    std::function<tDevice&(WorkerRestTest&)> make;
    std::function<void(WorkerRestTest&)> pull;
};

class GoneLineTest : public WorkerRestTest {
public:
    // A COM port gauge on a pseudo-terminal, mapped as COM3.
    tDevice& PtyGauge() {
        tPgIniFile(ProgIniFile).WriteString("COMPORTS", "COM3", pty.slavePath());
        tDevice& dev = tavrix::test::AddRs232Device(d, 3);
        dev.DescrIdx = 1;
        dev.Descr = d.Rs232Descrs[1].get();
        dev.MwZielAppl = MwZielNone;
        return dev;
    }

    tavrix::testing::PtyPair pty;
};

TEST_F(GoneLineTest, WorkerWhoseLineIsGoneRestsInsteadOfSpinning) {
    const GoneLine lines[] = {
        {"COM port whose device vanished",
         [](WorkerRestTest& t) -> tDevice& { return static_cast<GoneLineTest&>(t).PtyGauge(); },
         [](WorkerRestTest& t) { static_cast<GoneLineTest&>(t).pty.closeMaster(); }},
        {"gauge cable pulled",
         [](WorkerRestTest& t) -> tDevice& {
             tDevice& dev = t.Cable("cable lumo serial=LU000001 desc=Lumo");
             EXPECT_TRUE(t.bench.run("gauge lumo"));
             return dev;
         },
         [](WorkerRestTest& t) { EXPECT_TRUE(t.bench.run("unplug lumo")); }},
        {"switch cable pulled",
         [](WorkerRestTest& t) -> tDevice& {
             return t.Cable("cable sw serial=SW000001 desc=TV-I");
         },
         [](WorkerRestTest& t) { EXPECT_TRUE(t.bench.run("unplug sw")); }},
    };
    for (const GoneLine& line : lines) {
        SCOPED_TRACE(line.name);
        d.ResetDevices();
        tDevice& dev = line.make(*this);
        Start();
        SettleToRest(dev);
        line.pull(*this);
        d.RequestOne(dev.DevIdx);  // a request into the gone line ends as before
        std::this_thread::sleep_for(700ms);
        // An idle worker rests a second at most; a spinning one ticks thousands of times.
        EXPECT_LE(tavrix::test::WorkerTicksOver(dev, 1000ms), 5u);
        // Whatever the line reported, the worker still answers a stop at once.
        const auto stopping = Clock::now();
        d.StopThreads();
        EXPECT_LT(Clock::now() - stopping, 1000ms);
    }
}

}  // namespace
