// The engine's workers on emulated FT232R cables: the requests, the switch
// polling and a pulled cable go through the real libftdi1 and libusb.

#include <gtest/gtest.h>

#include <chrono>
#include <mutex>
#include <thread>

#include "emulated_ft232r.h"
#include "engine/dataModule.h"
#include "engineTestSupport.h"
#include "usb_testbed.h"
#include "workerWatch.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using tavrix::EngineMessage;
using tavrix::ftdiemu::CableIdentity;
using tavrix::ftdiemu::EmulatedFt232r;
using tavrix::test::TempProgDir;

const bool kPreloaded = (tavrix::ftdiemu::reexecPreloaded(), true);
constexpr auto kWait = 10s;

CableIdentity Identity(const std::string& serial, const std::string& description, int port) {
    CableIdentity id;
    id.serial = serial;
    id.description = description;
    id.address = port + 1;
    id.port = std::to_string(port);
    return id;
}

class EmulatedCablesTest : public ::testing::Test {
public:
    void SetUp() override {
        ASSERT_TRUE(kPreloaded && tavrix::ftdiemu::preloaded());
        unsetenv("TAVRIX_BENCH");
        tavrix::ftdiemu::Testbed::instance();
        tavrix::test::KeepComPortsOffTheMachine(prog);
        d.SetMessageSink(&sink);
    }
    void TearDown() override { d.ResetDevices(); }

    // Searches the cables and opens them with their workers, past their quiet period.
    void Search() {
        d.ResetDevices();
        d.SrchDevices(false, true);
        for (auto& dev : d.Devices) {
            dev->CreatedTick -= 3000;
            dev->MwZielAppl = MwZielNone;
        }
        d.OpenDevices(true);
        for (auto& dev : d.Devices) ASSERT_TRUE(dev->Opened) << dev->GetPortName();
    }
    tDevice* BySerial(const std::string& serial) {
        for (auto& dev : d.Devices)
            if (dev->Connection == ConnectionUsb && dev->Ft->SerialNo == serial) return dev.get();
        return nullptr;
    }
    bool WaitFor(const EngineMessage& m, std::size_t n) {
        return tavrix::test::WaitForCount(sink, m, n, kWait);
    }

    TempProgDir prog;
    TD d;
    tavrix::RecordingMessageSink sink;
    tDeviceDescr custom;  // a type of a test's own; outlives the devices that use it
};

// Two FTDI cables, the gauge second: a plain adapter in front of it is listed by
// the library but is no gauge, and stays untouched by the requests.
TEST_F(EmulatedCablesTest, RequestPulsesTheGaugeCableBehindAPlainAdapter) {
    EmulatedFt232r other(Identity("FT000001", "FT232R USB UART", 1));
    EmulatedFt232r gauge(Identity("LU000001", "Lumo", 4));
    gauge.setGauge(tavrix::gaugebench::SimulatedGauge{});
    Search();
    EXPECT_EQ(FtDeviceCount, 2u);
    ASSERT_EQ(d.Devices.size(), 1u);
    tDevice* dev = BySerial("LU000001");
    ASSERT_NE(dev, nullptr);
    EXPECT_EQ(gauge.claims(), 1);
    EXPECT_EQ(other.claims(), 0);
    EXPECT_TRUE(other.kernelDriverBound());
    const std::size_t edgesBefore = gauge.edges().size();
    d.RequestOne(dev->DevIdx);
    ASSERT_TRUE(WaitFor({MsgValueQueued, 0, dev->DevIdx}, 1));
    EXPECT_EQ(dev->GetFirstValue().substr(0, 10), "+0001.1111");
    EXPECT_EQ(gauge.baudRate(), tavrix::BaudOf(*dev->Descr));
    // The pulse: DTR low for about 100 ms, then high again.
    const std::int64_t length = tavrix::ftdiemu::LastDtrPulseMs(gauge.edges(), edgesBefore);
    EXPECT_GE(length, 95);
    EXPECT_LT(length, 160);
    EXPECT_TRUE(other.edges().empty());
}

// A pin read that fails once is no pulled cable: the next tick asks again, so a
// press of 100 ms right after it is still seen.
TEST_F(EmulatedCablesTest, ShortPressRightAfterAFailedPinReadIsCaught) {
    EmulatedFt232r sw(Identity("SW000001", "TV-I", 2));
    Search();
    ASSERT_EQ(d.Devices.size(), 1u);
    tDevice& dev = *d.Devices.front();
    ASSERT_TRUE(dev.IsSwitch());
    std::this_thread::sleep_for(300ms);
    const std::size_t before = dev.ValueCount();
    for (std::size_t press = 1; press <= 3; ++press) {
        SCOPED_TRACE(press);
        const int reads = sw.pinReads();
        sw.failPinReads(1);
        const auto until = Clock::now() + 2s;
        while (sw.pinReads() <= reads && Clock::now() < until) std::this_thread::sleep_for(1ms);
        sw.press();
        std::this_thread::sleep_for(100ms);
        sw.release();
        ASSERT_TRUE(WaitFor({MsgValueQueued, 0, dev.DevIdx}, before + 2 * press));
    }
}

TEST_F(EmulatedCablesTest, PulledCableRestsAndIsFoundAgainWhenPluggedBack) {
    EmulatedFt232r gauge(Identity("LU000001", "Lumo", 1));
    gauge.setGauge(tavrix::gaugebench::SimulatedGauge{});
    Search();
    tDevice& dev = *d.Devices.front();
    std::this_thread::sleep_for(200ms);
    gauge.unplug();
    d.RequestOne(dev.DevIdx);
    ASSERT_TRUE(WaitFor({MsgDeviceError, FT_IO_ERROR, dev.DevIdx}, 1));
    std::this_thread::sleep_for(300ms);
    // An idle worker rests a second at most; a spinning one ticks thousands of times.
    EXPECT_LE(tavrix::test::WorkerTicksOver(dev, 1000ms), 5u);

    std::uint32_t lastCount = 1;
    EXPECT_TRUE(d.SrchOnUsbChange(lastCount));
    EXPECT_EQ(lastCount, 0u);
    gauge.plug();
    EXPECT_TRUE(d.SrchOnUsbChange(lastCount));
    ASSERT_EQ(d.Devices.size(), 1u);
    EXPECT_TRUE(d.Devices.front()->Opened);
}

}  // namespace

// A reset while a worker is still in a pulse longer than the stop waits: the cable
// stays claimed until the pulse is over, and only then goes back to its tty driver.
TEST_F(EmulatedCablesTest, CableInALongPulseAtAResetIsGivenBackWhenThePulseEnds) {
    EmulatedFt232r gauge(Identity("LU000001", "Lumo", 1));
    Search();
    ASSERT_EQ(d.Devices.size(), 1u);
    tDevice& dev = *d.Devices.front();
    custom = *dev.Descr;
    custom.PulseMs = 2600;
    dev.Descr = &custom;
    d.RequestOne(0);
    ASSERT_TRUE(WaitFor({MsgDeviceState, 0, 0}, 1));
    d.ResetDevices();
    EXPECT_TRUE(d.Devices.empty());
    EXPECT_EQ(gauge.claims(), 1);
    EXPECT_FALSE(gauge.kernelDriverBound());
    ASSERT_FALSE(gauge.edges().empty());
    EXPECT_FALSE(gauge.edges().back().high);  // still in the pulse

    const auto until = Clock::now() + kWait;
    while (d.ReapStrandedWorkers() > 0 && Clock::now() < until) std::this_thread::sleep_for(10ms);
    EXPECT_TRUE(gauge.edges().back().high);
    EXPECT_EQ(gauge.claims(), 0);
    EXPECT_TRUE(gauge.kernelDriverBound());
}
