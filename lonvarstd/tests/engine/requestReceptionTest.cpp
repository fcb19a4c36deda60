// Requests and reception through the gauge bench: real cable and port layers,
// real worker threads, simulated gauges. The test thread plays the status
// window: it handles each message 1024 the way the window does.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "bench/bench_ports.h"
#include "engine/dataModule.h"
#include "engineTestDevices.h"
#include "engineTestSupport.h"
#include "gauge_bench.h"
#include "platform/spreadsheet/fake_office.h"
#include "pty_pair.h"
#include "support/new_ini_file.h"
#include "support/tick_count.h"
#include "workerWatch.h"

namespace {

using namespace std::chrono_literals;
using tavrix::EngineMessage;
using tavrix::gaugebench::GaugeBench;
using tavrix::test::ReadFile;
using tavrix::test::TempProgDir;

// Generous: the machine may be loaded, and sanitizers slow everything down.
constexpr auto kWait = 10s;

class ReceptionTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(bench.running()) << bench.error();
        setenv("TAVRIX_BENCH", bench.socketPath().c_str(), 1);
        tavrix::test::KeepComPortsOffTheMachine(prog);
        d.PortLister = &tavrix::bench::listBenchPorts;
        d.SetMessageSink(&sink);
        // A gauge left at the default target (the spreadsheet) must not start a real office.
        d.SetXlsOffice(&office);
    }
    void TearDown() override {
        d.ResetDevices();
        unsetenv("TAVRIX_BENCH");
    }
    void Bench(const std::string& line) { ASSERT_TRUE(bench.run(line)) << line; }

    // A "Lumo" cable with a gauge; its device writes to DAT/Device1.txt and is past
    // its quiet period.
    tDevice& UsbGauge(const std::string& gaugeOptions = "") {
        bench.run("cable lumo serial=LU000001 desc=Lumo");
        bench.run("gauge lumo " + gaugeOptions);
        d.SrchDevices(false, true);
        EXPECT_EQ(d.Devices.size(), 1u);
        tDevice& dev = *d.Devices.back();
        dev.CreatedTick -= 3000;
        dev.MwZielAppl = MwZielTxt;
        dev.MwTxtZielFile = d.DatDir() + "Device1.txt";
        return dev;
    }
    // A "Lumo" gauge on COM `port`, which the program INI file maps to `path`; past its
    // quiet period, writing nowhere.
    tDevice& ComGauge(int port, const std::string& path) {
        tPgIniFile(ProgIniFile).WriteString("COMPORTS", "COM" + std::to_string(port), path);
        tDevice& dev = tavrix::test::AddRs232Device(d, port);
        dev.DescrIdx = 1;
        dev.Descr = d.Rs232Descrs[1].get();
        dev.CreatedTick -= 3000;
        dev.MwZielAppl = MwZielNone;
        return dev;
    }
    void Start() {
        d.OpenDevices(true);
        for (auto& dev : d.Devices) ASSERT_TRUE(dev->Opened) << dev->GetPortName();
    }

    // Messages 1024/1027 of one device, as "1024", "1027/0" ...; `requestsOnly` leaves
    // out the queued values and the answer light going back.
    std::vector<std::string> Flow(int devIdx, bool requestsOnly = false) {
        std::vector<std::string> out;
        for (const EngineMessage& m : sink.messages()) {
            if (m.lParam != devIdx) continue;
            if (m.msg == MsgValueQueued && !requestsOnly) out.push_back("1024");
            if (m.msg == MsgDeviceState && (!requestsOnly || m.wParam != 2)) {
                out.push_back("1027/" + std::to_string(m.wParam));
            }
        }
        return out;
    }
    std::size_t Count(std::uint32_t msg, std::int64_t wParam, int devIdx) {
        const auto all = sink.messages();
        return static_cast<std::size_t>(
            std::count(all.begin(), all.end(), EngineMessage{msg, wParam, devIdx}));
    }
    bool WaitCount(std::uint32_t msg, std::int64_t wParam, int devIdx, std::size_t n) {
        return tavrix::test::WaitForCount(sink, {msg, wParam, devIdx}, n, kWait);
    }
    // The status window's part: each 1024 not yet handled goes to the engine.
    void HandleValues() {
        const auto all = sink.messages();
        for (; handled_ < all.size(); ++handled_) {
            if (all[handled_].msg == MsgValueQueued) {
                d.HandleValueMessage(static_cast<int>(all[handled_].lParam));
            }
        }
    }
    // No request may come within this quiet while.
    void ExpectNoRequestFor(std::chrono::milliseconds span, int devIdx, std::size_t sofar) {
        EXPECT_FALSE(sink.waitFor(
            [&](const std::vector<EngineMessage>& all) {
                return static_cast<std::size_t>(std::count(
                           all.begin(), all.end(), EngineMessage{MsgDeviceState, 0, devIdx})) >
                       sofar;
            },
            span));
    }

    TempProgDir prog;
    GaugeBench bench;
    tDeviceDescr custom;  // a type of a test's own; outlives the devices that use it
    tavrix::spreadsheet::FakeOffice office;
    TD d;
    tavrix::RecordingMessageSink sink;
    std::size_t handled_ = 0;
};

// A test clock: the workers read it, the test moves it.
struct ManualClock {
    std::atomic<std::int64_t> now{TickCountMs() + 100000000};
    void advanceTo(std::int64_t t) { now = t; }
};

TEST_F(ReceptionTest, PulsedGaugeAnswerBecomesALineInTheTextFile) {
    tDevice& dev = UsbGauge();
    Start();
    d.RequestOne(0);
    ASSERT_TRUE(WaitCount(MsgDeviceState, 2, 0, 1));
    HandleValues();

    EXPECT_EQ(dev.MwText, "+0001.1111");
    EXPECT_DOUBLE_EQ(dev.MwValue, 1.1111);
    EXPECT_EQ(ReadFile(d.DatDir() + "Device1.txt"), "+0001.1111\r\n");
    EXPECT_EQ(Flow(0), (std::vector<std::string>{"1027/0", "1024", "1027/1", "1027/2"}));
    // The cable's good status is reported once, at the first tick.
    EXPECT_EQ(Count(MsgDeviceError, 0, 0), 1u);

    // The gauge saw DTR dropped for about 100 ms.
    std::string pulse;
    for (const std::string& entry : bench.log()) {
        if (entry.find("pulse dtr") != std::string::npos) pulse = entry;
    }
    ASSERT_FALSE(pulse.empty());
    const int ms = std::stoi(pulse.substr(pulse.rfind(' ') + 1));
    EXPECT_GE(ms, 95);
    EXPECT_LT(ms, 1000);
}

TEST_F(ReceptionTest, TextAndRtsRequestsAndTheSecondRequest) {
    tDevice& dev = UsbGauge("request=\"?\\r\" trigger=rts");
    tDeviceDescr& descr = custom;
    descr = *dev.Descr;
    dev.Descr = &descr;
    descr.ReqKind = ReqKindText;
    descr.ReqText = "?\r";
    Start();
    d.RequestOne(0);
    ASSERT_TRUE(WaitCount(MsgValueQueued, 0, 0, 1));
    d.StopThreads();
    bool wrote = false;
    for (const std::string& entry : bench.log())
        wrote |= entry.find("write 3f0d") != std::string::npos;
    EXPECT_TRUE(wrote);

    // An RTS pulse: off for the pulse, then on again.
    descr.ReqKind = ReqKindPulseRts;
    Bench("gauge lumo trigger=rts");
    d.StartThreads();
    d.RequestOne(0);
    ASSERT_TRUE(WaitCount(MsgValueQueued, 0, 0, 2));
    d.StopThreads();

    // The other polarity leaves the line off after the pulse.
    descr.PulseHigh = true;
    Bench("nogauge lumo");
    d.StartThreads();
    d.RequestOne(0);
    ASSERT_TRUE(WaitCount(MsgDeviceState, 3, 0, 1));
    d.StopThreads();
    EXPECT_NE(bench.command("state lumo").text.find("rts=0"), std::string::npos);
    descr.PulseHigh = false;

    // The first request unanswered: the second text goes out; its answer brings the
    // first request again, which times out in turn.
    descr.ReqKind = ReqKindPulseDtr;
    descr.PulseHigh = false;
    descr.ReqText2 = "R2";
    descr.Answer2Text = "READY";
    Bench("gauge lumo trigger=rts request=R2 answer=\"READY\\r\"");
    sink.clear();
    d.StartThreads();
    d.RequestOne(0);
    ASSERT_TRUE(WaitCount(MsgDeviceState, 3, 0, 1));
    EXPECT_EQ(Flow(0, true), (std::vector<std::string>{"1027/0", "1027/4", "1027/0", "1027/3"}));
    EXPECT_EQ(dev.State, 0);
}

TEST_F(ReceptionTest, SilentGaugeTimesOutAfterHalfASecond) {
    UsbGauge("mode=never");
    Start();
    const auto asked = std::chrono::steady_clock::now();
    d.RequestOne(0);
    ASSERT_TRUE(WaitCount(MsgDeviceState, 3, 0, 1));
    EXPECT_GE(std::chrono::steady_clock::now() - asked, 500ms);
    EXPECT_EQ(Flow(0), (std::vector<std::string>{"1027/0", "1027/3"}));
    EXPECT_EQ(d.Devices[0]->ValueCount(), 0u);
}

TEST_F(ReceptionTest, ChunksJoinAndOneChunkWithTwoLinesGivesTwoAnswersInOrder) {
    tDevice& dev = UsbGauge("answer=\"+0001.1111 mm\\r\" chunk=7 gap=40");
    Start();
    d.RequestOne(0);
    ASSERT_TRUE(WaitCount(MsgValueQueued, 0, 0, 1));
    Bench("inject lumo \"A\\rB\\r\"");
    ASSERT_TRUE(WaitCount(MsgValueQueued, 0, 0, 3));
    d.StopThreads();
    ASSERT_EQ(dev.ValueCount(), 3u);
    for (const char* expected : {"+0001.1111 mm", "A", "B"}) {
        EXPECT_EQ(dev.GetFirstValue(), expected);
        dev.DropFirstValue();
    }
}

TEST_F(ReceptionTest, EndlessLineIsDroppedAndReceptionGoesOn) {
    tDevice& dev = UsbGauge();
    Start();
    for (int i = 0; i < 3; ++i) Bench("inject lumo \"" + std::string(3000, 'x') + "\"");
    Bench("inject lumo \"\\r+0002.0000 mm\\r\"");
    ASSERT_TRUE(sink.waitFor(
        [&](const std::vector<EngineMessage>& all) {
            return std::count(all.begin(), all.end(), EngineMessage{MsgValueQueued, 0, 0}) >= 2;
        },
        kWait));
    d.StopThreads();
    EXPECT_LE(dev.RxBuf.size(), tDevice::kMaxRxBufLen);
    std::string last;
    while (dev.ValueCount() > 0) {
        last = dev.GetFirstValue();
        EXPECT_LE(last.size(), tDevice::kMaxRxBufLen);
        dev.DropFirstValue();
    }
    EXPECT_EQ(last, "+0002.0000 mm");
}

TEST_F(ReceptionTest, CablePulledDuringAReadingStopsPollingWithoutAHang) {
    tDevice& dev = UsbGauge("delay=400");
    Start();
    d.RequestOne(0);
    ASSERT_TRUE(WaitCount(MsgDeviceState, 0, 0, 1));
    Bench("unplug lumo");
    const auto deadline = std::chrono::steady_clock::now() + kWait;
    while (dev.Opened && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(5ms);
    EXPECT_FALSE(dev.Opened);
    // The failure reaches the window as a cable status.
    EXPECT_TRUE(sink.waitFor(
        [](const std::vector<EngineMessage>& all) {
            return std::any_of(all.begin(), all.end(), [](const EngineMessage& m) {
                return m.msg == MsgDeviceError && m.wParam != 0;
            });
        },
        kWait));
    const auto stopping = std::chrono::steady_clock::now();
    d.StopThreads();
    EXPECT_LT(std::chrono::steady_clock::now() - stopping, 2000ms);
    EXPECT_EQ(d.ThreadCount, 0);
    EXPECT_EQ(dev.ValueCount(), 0u);
}

TEST_F(ReceptionTest, CableDroppedAfterAFailedQueryIsReleasedAndOpensAgain) {
    tDevice& dev = UsbGauge();
    Start();
    Bench("fail lumo queue 4 times=1");
    const auto deadline = std::chrono::steady_clock::now() + kWait;
    while (dev.Opened && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(5ms);
    ASSERT_FALSE(dev.Opened);

    // The device dialog's way of applying new settings: the cable is let go before it
    // is taken again, not opened a second time over the first handle.
    d.StopThread(0);
    dev.Close();
    EXPECT_NE(bench.command("state lumo").text.find("open=0"), std::string::npos);
    ASSERT_TRUE(dev.Open());
    d.StartThread(0);
    d.RequestOne(0);
    ASSERT_TRUE(WaitCount(MsgValueQueued, 0, 0, 1));

    // Dropped once more, then a search: the next generation gets the cable.
    Bench("fail lumo queue 4 times=1");
    const auto again = std::chrono::steady_clock::now() + kWait;
    while (dev.Opened && std::chrono::steady_clock::now() < again) std::this_thread::sleep_for(5ms);
    ASSERT_FALSE(dev.Opened);
    d.ResetDevices();
    EXPECT_NE(bench.command("state lumo").text.find("open=0"), std::string::npos);
    d.SrchDevices(false, true);
    ASSERT_EQ(d.Devices.size(), 1u);
    d.OpenDevices(true);
    EXPECT_TRUE(d.Devices[0]->Opened);
}

// A worker held up in its tick past the 2000 ms a stop waits (here a pulse of 2600 ms)
// is left to end on its own: its cable is neither closed nor set up again under it, nor
// freed with the records, and it is closed, with no message of the old record, once the
// worker has ended.
TEST_F(ReceptionTest, WorkerThatOutlastsTheStopWaitKeepsItsCableUntilItEnds) {
    tDevice& dev = UsbGauge("mode=never");
    custom = *dev.Descr;
    custom.PulseMs = 2600;
    dev.Descr = &custom;
    Start();
    auto lineEvents = [this] {
        std::vector<std::string> order;
        for (const std::string& entry : bench.log()) {
            for (const char* event : {"dtr 1", "dtr 0", " close", " open"}) {
                if (entry.find(event) != std::string::npos) order.push_back(event);
            }
        }
        return order;
    };
    auto awaitStragglers = [this] {
        const auto deadline = std::chrono::steady_clock::now() + kWait;
        while (d.ReapStrandedWorkers() > 0 && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(10ms);
    };

    // The device dialog's stop: it gives up after the wait, and the device can be
    // neither opened again nor given a second worker while the first still pulses.
    bench.command("clearlog");
    d.RequestOne(0);
    ASSERT_TRUE(WaitCount(MsgDeviceState, 0, 0, 1));
    EXPECT_FALSE(d.StopThread(0));
    EXPECT_TRUE(dev.WorkerStranded);
    dev.Close();
    EXPECT_FALSE(dev.Open());
    d.StartThread(0);
    EXPECT_EQ(d.ThreadCount, 1);
    EXPECT_EQ(lineEvents(), std::vector<std::string>{"dtr 0"});
    awaitStragglers();
    EXPECT_EQ(lineEvents(), (std::vector<std::string>{"dtr 0", "dtr 1", " close"}));
    EXPECT_FALSE(dev.WorkerStranded);
    EXPECT_EQ(d.ThreadCount, 0);
    ASSERT_TRUE(dev.Open());
    d.StartThread(0);

    // A new search in the middle of a long pulse: the records go, the old one's cable
    // stays held by its worker until the pulse is over.
    bench.command("clearlog");
    d.RequestOne(0);
    ASSERT_TRUE(WaitCount(MsgDeviceState, 0, 0, 2));
    d.ResetDevices();
    EXPECT_TRUE(d.Devices.empty());
    EXPECT_FALSE(d.ThreadsRunning);
    sink.clear();
    awaitStragglers();
    EXPECT_EQ(lineEvents(), (std::vector<std::string>{"dtr 0", "dtr 1", " close"}));
    EXPECT_TRUE(sink.messages().empty());
    EXPECT_EQ(d.ThreadCount, 0);
}

// The device dialog's new type for a COM port whose worker is still in a long pulse
// is stored at once and put in force, with the port reopened and its worker running,
// when that worker has ended; of two such edits the later one stands.
TEST_F(ReceptionTest, DeviceEditWaitsForAWorkerThatOutlastsTheStopWait) {
    tavrix::testing::PtyPair pty;
    tDevice& dev = ComGauge(3, pty.slavePath());
    custom = *dev.Descr;
    custom.ReqKind = ReqKindPulseDtr;
    custom.PulseMs = 2600;
    dev.Descr = &custom;
    // The type the dialog chooses; the list keeps it until the data module ends.
    d.Rs232Descrs.push_back(std::make_unique<tDeviceDescr>(*d.Rs232Descrs[1]));
    const int chosen = static_cast<int>(d.Rs232Descrs.size()) - 1;
    Start();
    d.RequestOne(0);
    ASSERT_TRUE(WaitCount(MsgDeviceState, 0, 0, 1));
    d.ApplyDeviceEdit(0, chosen);
    EXPECT_EQ(dev.DescrIdx, chosen);
    EXPECT_EQ(dev.Descr, &custom);  // the worker still reads the old type
    // Changed again before the worker ended: the later choice stands.
    d.ApplyDeviceEdit(0, 1);
    EXPECT_EQ(dev.DescrIdx, 1);
    const auto deadline = std::chrono::steady_clock::now() + kWait;
    while (d.ReapStrandedWorkers() > 0 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(10ms);
    EXPECT_EQ(dev.Descr, d.Rs232Descrs[1].get());
    EXPECT_TRUE(dev.Opened);
    EXPECT_NE(dev.Thread, nullptr);
    EXPECT_EQ(d.ThreadCount, 1);
}

TEST_F(ReceptionTest, TimerRequestsEveryPeriodAndCatchesUpAfterAHoldUp) {
    ManualClock clock;
    d.TickSource = [&clock] { return clock.now.load(); };
    tDevice& dev = UsbGauge();
    dev.AnforderType = AnforderTimer;
    dev.AnforderTicksTimer = 10000;
    Start();

    const std::int64_t t = clock.now + 3000;
    clock.advanceTo(t);
    d.TimerButtonDown(0);
    ASSERT_TRUE(WaitCount(MsgDeviceState, 1, 0, 1));
    ASSERT_TRUE(WaitCount(MsgTimerTick, 0, 0, 1));

    clock.advanceTo(t + 9999);
    ExpectNoRequestFor(300ms, 0, 1);
    clock.advanceTo(t + 10000);
    ASSERT_TRUE(WaitCount(MsgDeviceState, 1, 0, 2));
    clock.advanceTo(t + 20000);
    ASSERT_TRUE(WaitCount(MsgDeviceState, 1, 0, 3));

    // Held up for 25 s: the periods due at T+30 s and T+40 s follow one another.
    clock.advanceTo(t + 45000);
    ASSERT_TRUE(WaitCount(MsgDeviceState, 1, 0, 5));
    ExpectNoRequestFor(300ms, 0, 5);
    EXPECT_EQ(dev.NextTimerTick, t + 50000);
    // Each request waited for the answer to the one before.
    EXPECT_EQ(Flow(0, true),
              (std::vector<std::string>{"1027/0", "1027/1", "1027/0", "1027/1", "1027/0", "1027/1",
                                        "1027/0", "1027/1", "1027/0", "1027/1"}));

    d.TimerButtonUp(0);
    clock.advanceTo(t + 60000);
    ExpectNoRequestFor(300ms, 0, 5);
    d.StopThreads();  // before the test clock goes
}

TEST_F(ReceptionTest, FunctionKeyReachesOnlyTheGaugeBoundToIt) {
    tDevice& dev = UsbGauge();
    dev.AnforderType = AnforderKey;
    dev.AnforderTasteKeyb = "F2";
    Start();
    EXPECT_FALSE(d.KeyRequest(112));
    ExpectNoRequestFor(300ms, 0, 0);
    EXPECT_TRUE(d.KeyRequest(113));
    ASSERT_TRUE(WaitCount(MsgValueQueued, 0, 0, 1));
    EXPECT_EQ(dev.GetFirstValue(), "+0001.1111 mm");
}

TEST_F(ReceptionTest, SwitchCableRequestsTheBoundGaugeOnEveryThirdPress) {
    ManualClock clock;
    d.TickSource = [&clock] { return clock.now.load(); };
    Bench("port COM1");
    Bench("gauge COM1");
    Bench("cable sw serial=SW000001 desc=TV-I");
    d.SrchDevices(true, true);
    ASSERT_EQ(d.Devices.size(), 2u);
    tDevice& gauge = *d.Devices[0];
    tDevice& sw = *d.Devices[1];
    ASSERT_EQ(gauge.Connection, ConnectionRs232);
    gauge.DescrIdx = 1;
    gauge.Descr = d.Rs232Descrs[1].get();
    gauge.AnforderType = AnforderSwitch;
    gauge.AnforderSerNrTVI = sw.GetId();
    gauge.AnforderCycle = true;
    gauge.AnforderCycleIdx = 2;
    gauge.MwZielAppl = MwZielNone;
    sw.SchalterCycleCount = 3;
    Start();

    // The state found in the quiet period is not queued; it counts as the first state.
    // The cable's first status message ends the tick that read it.
    ASSERT_TRUE(WaitCount(MsgDeviceError, 0, 1, 1));
    clock.advanceTo(clock.now + 2001);
    ExpectNoRequestFor(100ms, 0, 0);
    EXPECT_EQ(sw.ValueCount(), 0u);
    EXPECT_EQ(Count(MsgValueQueued, 0, 1), 0u);

    for (int press = 1; press <= 6; ++press) {
        Bench("press sw");
        ASSERT_TRUE(WaitCount(MsgValueQueued, 0, 1, 2 * press - 1));
        Bench("release sw");
        ASSERT_TRUE(WaitCount(MsgValueQueued, 0, 1, 2 * press));
        HandleValues();
        if (press == 2 || press == 5) {
            ASSERT_TRUE(WaitCount(MsgValueQueued, 0, 0, press == 2 ? 1 : 2));
        }
    }
    // 1027/1 from the first real press on: twelve changes after the first state.
    EXPECT_TRUE(WaitCount(MsgDeviceState, 1, 1, 12));
    EXPECT_EQ(Count(MsgDeviceState, 1, 1), 12u);
    EXPECT_EQ(Flow(1).front(), "1024");
    EXPECT_EQ(Count(MsgDeviceState, 0, 0), 2u);
    EXPECT_EQ(sw.SchalterCycleIdx, 3);
    d.StopThreads();  // before the test clock goes
}

// The answers a device queued, oldest first; the queue is emptied.
std::vector<std::string> TakeQueued(tDevice& dev) {
    std::vector<std::string> out;
    while (dev.ValueCount() > 0) {
        out.push_back(dev.GetFirstValue());
        dev.DropFirstValue();
    }
    return out;
}

TEST_F(ReceptionTest, AnswerCheckAndTheEarliestOfSeveralTerminators) {
    tDevice& dev = UsbGauge("mode=never");
    custom = *dev.Descr;
    dev.Descr = &custom;
    custom.Eot = {"\r\n", "\r", "#"};
    custom.IdPos = 2;
    custom.IdText = "01";
    Start();
    // "\r\n" and "\r" both stand at the same place: the one listed first cuts. "#" comes
    // before the "\r" behind it. Answers without "01" from the 2nd character on, or too
    // short to hold it, are not queued.
    Bench("inject lumo \"+01.5\\r\\n+02.5\\r+01.7#+01.8\\r+0\\r\\n+01\\r\"");
    ASSERT_TRUE(WaitCount(MsgValueQueued, 0, 0, 3));
    Bench("inject lumo \"+01.9#\"");
    ASSERT_TRUE(WaitCount(MsgValueQueued, 0, 0, 4));
    d.StopThreads();
    EXPECT_EQ(TakeQueued(dev), (std::vector<std::string>{"+01.5", "+01.7", "+01.8", "+01.9"}));
    EXPECT_EQ(dev.RxBuf, "");
}

TEST_F(ReceptionTest, AnswersInTheQuietPeriodEndTheRequestButAreNotQueued) {
    ManualClock clock;
    d.TickSource = [&clock] { return clock.now.load(); };
    bench.run("cable lumo serial=LU000001 desc=Lumo");
    bench.run("gauge lumo");
    d.SrchDevices(false, true);
    ASSERT_EQ(d.Devices.size(), 1u);
    tDevice& dev = *d.Devices[0];
    dev.MwZielAppl = MwZielNone;
    Start();

    clock.advanceTo(dev.CreatedTick + 1000);
    d.RequestOne(0);
    ASSERT_TRUE(WaitCount(MsgDeviceState, 0, 0, 1));
    // Answered within the quiet period: the request ends, nothing is queued, and no
    // time-out follows once the answer time has passed.
    const auto deadline = std::chrono::steady_clock::now() + kWait;
    while (dev.State != 0 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(5ms);
    ASSERT_EQ(dev.State, 0);
    clock.advanceTo(dev.CreatedTick + 1600);
    EXPECT_FALSE(sink.waitFor(
        [](const std::vector<EngineMessage>& all) {
            return std::count(all.begin(), all.end(), EngineMessage{MsgDeviceState, 3, 0}) > 0;
        },
        300ms));
    EXPECT_EQ(Count(MsgValueQueued, 0, 0), 0u);

    // Past the quiet period the same answer is queued.
    clock.advanceTo(dev.CreatedTick + 2001);
    d.RequestOne(0);
    ASSERT_TRUE(WaitCount(MsgDeviceState, 1, 0, 1));
    EXPECT_EQ(Count(MsgValueQueued, 0, 0), 1u);
    EXPECT_EQ(Count(MsgDeviceState, 3, 0), 0u);
    d.StopThreads();  // before the test clock goes
}

TEST_F(ReceptionTest, InvertedSwitchReadsASetBitAsOn) {
    ManualClock clock;
    d.TickSource = [&clock] { return clock.now.load(); };
    Bench("cable sw serial=SW000001 desc=TV-I");
    d.SrchDevices(false, true);
    ASSERT_EQ(d.Devices.size(), 1u);
    tDevice& sw = *d.Devices[0];
    custom = *sw.Descr;
    custom.StatusInvert = true;
    sw.Descr = &custom;
    Start();
    ASSERT_TRUE(WaitCount(MsgDeviceError, 0, 0, 1));
    clock.advanceTo(clock.now + 2001);
    Bench("press sw");
    ASSERT_TRUE(WaitCount(MsgValueQueued, 0, 0, 1));
    Bench("release sw");
    ASSERT_TRUE(WaitCount(MsgValueQueued, 0, 0, 2));
    d.StopThreads();
    EXPECT_EQ(TakeQueued(sw), (std::vector<std::string>{"OFF", "ON "}));
}

TEST_F(ReceptionTest, TestModeAnswersLeaveNoByteForTheNextAnswer) {
    SwitchD = true;
    tDevice& dev = UsbGauge("mode=never");
    Start();
    d.RequestOne(0);
    ASSERT_TRUE(WaitCount(MsgValueQueued, 0, 0, 2));
    Bench("inject lumo \"+0002.0000 mm\\r\"");
    ASSERT_TRUE(WaitCount(MsgValueQueued, 0, 0, 3));
    HandleValues();
    d.StopThreads();
    SwitchD = false;
    EXPECT_EQ(ReadFile(d.DatDir() + "Device1.txt"), "+0000.0000\r\n+0001.1111\r\n+0002.0000\r\n");
    EXPECT_EQ(dev.RxBuf, "");
}

TEST_F(ReceptionTest, ARequestToAPortThatDidNotOpenFailsAtOnceAndNeverFiresLater) {
    Bench("port COM1");
    Bench("gauge COM1");
    d.SrchDevices(true, false);
    ASSERT_EQ(d.Devices.size(), 1u);
    tDevice& dev = *d.Devices[0];
    dev.CreatedTick -= 3000;
    dev.DescrIdx = 1;
    dev.Descr = d.Rs232Descrs[1].get();
    dev.MwZielAppl = MwZielNone;
    Bench("fail COM1 open 4");
    d.OpenDevices(true);
    ASSERT_FALSE(dev.Opened);

    const auto asked = std::chrono::steady_clock::now();
    d.RequestOne(0);
    ASSERT_TRUE(WaitCount(MsgDeviceState, 3, 0, 1));
    EXPECT_LT(std::chrono::steady_clock::now() - asked, kWait);
    EXPECT_FALSE(dev.ExtRequest);

    // Opened later, as the device dialog does: the old request is gone.
    Bench("heal COM1");
    d.StopThread(0);
    dev.Close();
    ASSERT_TRUE(dev.Open());
    d.StartThread(0);
    ExpectNoRequestFor(500ms, 0, 0);
    d.RequestOne(0);
    ASSERT_TRUE(WaitCount(MsgDeviceState, 1, 0, 1));
    EXPECT_EQ(Flow(0, true), (std::vector<std::string>{"1027/3", "1027/0", "1027/1"}));
}

TEST_F(ReceptionTest, ATimerPeriodOfZeroIsTreatedAsTheSaneMinimum) {
    ManualClock clock;
    d.TickSource = [&clock] { return clock.now.load(); };
    tDevice& dev = UsbGauge();
    dev.AnforderType = AnforderTimer;
    dev.AnforderTicksTimer = 0;
    EXPECT_EQ(dev.TimerPeriodMs(), 1000);
    dev.AnforderTicksTimer = -5000;
    EXPECT_EQ(dev.TimerPeriodMs(), 1000);
    Start();

    const std::int64_t t = clock.now + 3000;
    clock.advanceTo(t);
    d.TimerButtonDown(0);
    ASSERT_TRUE(WaitCount(MsgDeviceState, 1, 0, 1));
    ExpectNoRequestFor(300ms, 0, 1);
    clock.advanceTo(t + 999);
    ExpectNoRequestFor(300ms, 0, 1);
    clock.advanceTo(t + 1000);
    ASSERT_TRUE(WaitCount(MsgDeviceState, 1, 0, 2));
    ExpectNoRequestFor(300ms, 0, 2);
    d.TimerButtonUp(0);
    d.StopThreads();  // before the test clock goes
}

// The rest of a flood or a line cut short, still waiting when a request goes out,
// is not glued to the front of that request's answer.
TEST_F(ReceptionTest, TextWaitingWhenARequestGoesOutIsNotPartOfTheAnswer) {
    tavrix::testing::PtyPair pty;
    struct Line {
        const char* name;
        std::function<tDevice&()> make;
        std::function<void(const std::string&)> arrive;
        std::function<void()> answerRequest;
    };
    const std::string answer = "+0009.8769 mm\r";
    const Line lines[] = {
        {"gauge cable",
         [&]() -> tDevice& {
             return UsbGauge("request=\"?\\r\" delay=0 answer=\"+0009.8769 mm\\r\"");
         },
         [&](const std::string& text) { Bench("inject lumo \"" + text + "\""); }, [] {}},
        {"COM port", [&]() -> tDevice& { return ComGauge(3, pty.slavePath()); },
         [&](const std::string& text) { pty.send(text); },
         [&] {
             EXPECT_EQ(pty.receive(2, 10000), "?\r");
             pty.send(answer);
         }},
    };
    for (const Line& line : lines) {
        SCOPED_TRACE(line.name);
        d.ResetDevices();
        sink.clear();
        tDevice& dev = line.make();
        custom = *dev.Descr;
        custom.ReqKind = ReqKindText;
        custom.ReqText = "?\r";
        custom.RxMode = RxModeChars;
        custom.Eot = {"\r", "", ""};
        custom.IdPos = 0;
        dev.Descr = &custom;
        Start();
        line.arrive("+0002.2222");
        // Long enough for the worker to have taken it in, or not: both must hold.
        std::this_thread::sleep_for(200ms);
        d.RequestOne(0);
        line.answerRequest();
        ASSERT_TRUE(WaitCount(MsgValueQueued, 0, 0, 1));
        d.StopThreads();
        ASSERT_EQ(dev.ValueCount(), 1u);
        EXPECT_EQ(dev.GetFirstValue(), "+0009.8769 mm");
    }
}

// A COM port's panel shows its port's state as a cable's shows the cable's: open, did
// not open, went away.
TEST_F(ReceptionTest, AComPortTellsWhetherItIsOpenDidNotOpenOrWentAway) {
    tavrix::testing::PtyPair pty;
    tDevice& present = ComGauge(3, pty.slavePath());
    tDevice& absent = ComGauge(4, prog.path("no-such-tty"));
    d.OpenDevices(true);
    ASSERT_TRUE(WaitCount(MsgDeviceError, 0, 0, 1));
    ASSERT_TRUE(WaitCount(MsgDeviceError, FT_DEVICE_NOT_OPENED, 1, 1));
    EXPECT_EQ(absent.FtStatusText.get(), "COM4 - Device not Opened...");

    pty.closeMaster();
    ASSERT_TRUE(WaitCount(MsgDeviceError, FT_DEVICE_NOT_FOUND, 0, 1));
    d.StopThreads();
    EXPECT_FALSE(present.Opened);
    EXPECT_EQ(present.FtStatusText.get(), "COM3 - Device not Found....");
    // Each state once, when it changed.
    EXPECT_EQ(Count(MsgDeviceError, 0, 0), 1u);
    EXPECT_EQ(Count(MsgDeviceError, FT_DEVICE_NOT_OPENED, 1), 1u);
}

}  // namespace
