// The wedge's serial line (Qt's serial port) on an emulated serial port with modem
// lines: the DSR state an adapter sets and the hot key's DTR pulse go through the
// real modem-line requests, which a pty alone cannot answer.

#include <gtest/gtest.h>

#include <thread>

#include "emulated_serial_port.h"
#include "offscreen_app.h"
#include "serial_line.h"
#include "usb_testbed.h"

using namespace std::chrono_literals;
using tavrix::ftdiemu::EmulatedSerialPort;

static const bool kPreloaded = (tavrix::ftdiemu::reexecPreloaded(), true);
static auto* const kApp = ::testing::AddGlobalTestEnvironment(new TOffscreenApp);

TEST(EmulatedPortLine, DsrFollowsTheAdapterAndTheDtrPulseIsAnswered) {
    ASSERT_TRUE(kPreloaded && tavrix::ftdiemu::preloaded());
    tavrix::ftdiemu::Testbed::instance();
    EmulatedSerialPort port("ttyS0");
    port.setGauge(tavrix::gaugebench::SimulatedGauge{});
    TSerialLine line;
    // 8N1: the pty under the node keeps 8 data bits without parity, and Qt refuses a
    // setting that did not take; parity and data bits cannot be checked here.
    ASSERT_TRUE(line.Open(port.deviceNode(), "4800,N,8,1", 0)) << line.ErrorText();
    for (const bool on : {false, true, false, true}) {
        port.setDsr(on);
        EXPECT_EQ(line.Dsr(), std::optional<bool>(on));
    }

    line.SetDtr(true);
    line.SetDtr(false);
    std::this_thread::sleep_for(100ms);
    line.SetDtr(true);
    QByteArray received;
    EXPECT_TRUE(WaitUntil([&] {
        received += line.ReadAvailable();
        return received.endsWith('\r');
    }));
    EXPECT_EQ(received, QByteArray("+0001.1111 mm\r"));
    EXPECT_GE(tavrix::ftdiemu::LastDtrPulseMs(port.edges()), 100);
}
