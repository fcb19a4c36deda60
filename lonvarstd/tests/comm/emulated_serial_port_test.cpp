// The termios back end on an emulated serial port with modem lines: the node
// is a pty of the umockdev test bed, the modem-line requests reach the emulator.

#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "emulated_serial_port.h"
#include "serial/termios_device.h"
#include "usb_testbed.h"

extern char** environ;

namespace tavrix::serial {
namespace {

using tavrix::ftdiemu::EmulatedSerialPort;
using Clock = std::chrono::steady_clock;

const bool kPreloaded = (tavrix::ftdiemu::reexecPreloaded(), true);

std::string readLine(TermiosDevice& d, int ms) {
    std::string line;
    std::uint8_t b = 0;
    while (d.readByte(b, ms) == ReadResult::Byte) {
        line += static_cast<char>(b);
        if (b == '\r') break;
    }
    return line;
}

class EmulatedPort : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(kPreloaded && tavrix::ftdiemu::preloaded());
        tavrix::ftdiemu::Testbed::instance();
    }
};

// Parity and data bits cannot be checked here: the pty under the node runs
// 8N1 whatever the program sets, so configure() rightly reports a change.
TEST_F(EmulatedPort, DtrPulseIsSeenWithItsLengthAndTheGaugeAnswers) {
    EmulatedSerialPort port("ttyS0");
    port.setGauge(tavrix::gaugebench::SimulatedGauge{});
    auto device = TermiosDevice::open(port.deviceNode());
    ASSERT_NE(device, nullptr);
    LineSettings s;
    s.baud = 4800;
    s.dataBits = 7;
    s.parity = Parity::Even;
    s.stopBits = StopBits::Two;
    s.dtr = true;
    device->configure(s);
    EXPECT_TRUE(port.dtr());
    EXPECT_FALSE(port.rts());

    ASSERT_TRUE(device->setDtr(false));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    ASSERT_TRUE(device->setDtr(true));
    EXPECT_EQ(readLine(*device, 2000), "+0001.1111 mm\r");
    const std::int64_t pulse = tavrix::ftdiemu::LastDtrPulseMs(port.edges());
    EXPECT_GE(pulse, 100);
    EXPECT_LT(pulse, 150);

    const char request[] = "?\r";
    EXPECT_EQ(device->write(request, 2, 1000), 2);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(port.written(), "?\r");
}

TEST_F(EmulatedPort, APortAnotherProgramHoldsIsRefusedAsInUse) {
    EmulatedSerialPort port("ttyS1");
    // Another program keeps the port open (it did not ask for exclusive use).
    const std::string script = "exec 3<>" + port.deviceNode() + "; echo > \"$0\"; exec sleep 30";
    const std::string ready =
        std::filesystem::temp_directory_path() / ("emulated-port-" + std::to_string(::getpid()));
    std::filesystem::remove(ready);
    const char* argv[] = {"sh", "-c", script.c_str(), ready.c_str(), nullptr};
    pid_t holder = 0;
    ASSERT_EQ(posix_spawnp(&holder, "sh", nullptr, nullptr, const_cast<char**>(argv), environ), 0);
    const auto until = Clock::now() + std::chrono::seconds(5);
    while (!std::filesystem::exists(ready) && Clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_TRUE(std::filesystem::exists(ready));
    EXPECT_EQ(TermiosDevice::open(port.deviceNode()), nullptr);

    ::kill(holder, SIGTERM);
    ::waitpid(holder, nullptr, 0);
    std::filesystem::remove(ready);
    EXPECT_NE(TermiosDevice::open(port.deviceNode()), nullptr);
}

TEST_F(EmulatedPort, HangUpEndsTheReadAndTheLineIsNotWaitedOnAgain) {
    EmulatedSerialPort port("ttyUSB0");
    auto device = TermiosDevice::open(port.deviceNode());
    ASSERT_NE(device, nullptr);
    port.send("+0");
    port.hangUp();
    std::uint8_t b = 0;
    ReadResult r = ReadResult::Byte;
    for (int i = 0; i < 4 && r == ReadResult::Byte; ++i) r = device->readByte(b, 1000);
    EXPECT_EQ(r, ReadResult::Failed);
    // The reader rests on its wake-up descriptor instead of spinning on the dead line.
    const auto start = Clock::now();
    EXPECT_EQ(device->waitInput(-1, 200), WaitResult::Timeout);
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(190));
}

}  // namespace
}  // namespace tavrix::serial
