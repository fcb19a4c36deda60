// The termios back end against real pseudo-terminals.

#include <gtest/gtest.h>
#include <termios.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "pty_pair.h"
#include "serial/custom_baud.h"
#include "serial/termios_device.h"

namespace tavrix::serial {
namespace {

using tavrix::testing::PtyPair;
using Clock = std::chrono::steady_clock;

long long msSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

// A device opened on the slave side of a fresh pty.
class OpenPty : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(device, nullptr); }
    PtyPair pty;
    std::unique_ptr<TermiosDevice> device = TermiosDevice::open(pty.slavePath());
};
using TermiosLineSettings = OpenPty;
using TermiosRead = OpenPty;
using TermiosWrite = OpenPty;
using TermiosModemLines = OpenPty;

// A pty keeps speed, stop bits and raw mode but always runs 8 data bits
// without parity; configure() must say so instead of claiming success.
TEST_F(TermiosLineSettings, GaugeLineOnAPtyAndWhatThePtyKeeps) {
    LineSettings s;
    s.baud = 4800;
    s.dataBits = 7;
    s.parity = Parity::Even;
    s.stopBits = StopBits::Two;
    const bool accepted = device->configure(s);

    termios tio{};
    ASSERT_EQ(tcgetattr(device->fd(), &tio), 0);
    EXPECT_EQ(cfgetospeed(&tio), B4800);
    EXPECT_EQ(cfgetispeed(&tio), B4800);
    EXPECT_NE(tio.c_cflag & CSTOPB, 0u);
    EXPECT_EQ(tio.c_lflag & (ICANON | ECHO | ISIG), 0u);
    EXPECT_EQ(tio.c_iflag & (ICRNL | IXON | IXOFF), 0u);
    const bool kept7E = (tio.c_cflag & CSIZE) == CS7 && (tio.c_cflag & PARENB) != 0;
    EXPECT_EQ(accepted, kept7E);

    // A carriage return arrives as it was sent.
    pty.send("+0001.1111 mm\r");
    std::string line;
    std::uint8_t byte = 0;
    while (device->readByte(byte, 2000) == ReadResult::Byte) {
        line += static_cast<char>(byte);
        if (byte == '\r') break;
    }
    EXPECT_EQ(line, "+0001.1111 mm\r");
}

TEST_F(TermiosLineSettings, BaudWithoutConstantAndReplacingTheSettings) {
    LineSettings s;
    s.baud = 14400;
    s.stopBits = StopBits::Two;
    s.xonXoffIn = true;
    s.xonXoffOut = true;
    EXPECT_TRUE(device->configure(s));
    termios tio{};
    ASSERT_EQ(tcgetattr(device->fd(), &tio), 0);
    EXPECT_EQ(currentBaud(device->fd()), 14400);
    EXPECT_NE(tio.c_cflag & CSTOPB, 0u);
    EXPECT_EQ(tio.c_iflag & (IXON | IXOFF), static_cast<tcflag_t>(IXON | IXOFF));

    // Settings are replaced as a whole: a second configure drops the extras.
    EXPECT_TRUE(device->configure(LineSettings{}));
    ASSERT_EQ(tcgetattr(device->fd(), &tio), 0);
    EXPECT_EQ(currentBaud(device->fd()), 9600);
    EXPECT_EQ(tio.c_cflag & CSTOPB, 0u);
    EXPECT_EQ(tio.c_iflag & (IXON | IXOFF), 0u);
}

TEST(TermiosOpen, IsExclusiveUntilClosedAndRefusesNonTerminals) {
    PtyPair pty;
    {
        auto first = TermiosDevice::open(pty.slavePath());
        ASSERT_NE(first, nullptr);
        EXPECT_EQ(TermiosDevice::open(pty.slavePath()), nullptr);
    }
    EXPECT_NE(TermiosDevice::open(pty.slavePath()), nullptr);
    EXPECT_EQ(TermiosDevice::open("/dev/null"), nullptr);
    EXPECT_EQ(TermiosDevice::open("/dev/no-such-serial-line"), nullptr);
}

TEST_F(TermiosRead, TimesOutWithoutDataAndReturnsQueuedBytesAtOnce) {
    ASSERT_TRUE(device->configure(LineSettings{}));

    std::uint8_t byte = 0;
    auto start = Clock::now();
    EXPECT_EQ(device->readByte(byte, 300), ReadResult::Timeout);
    EXPECT_GE(msSince(start), 250);
    EXPECT_LT(msSince(start), 10000);

    pty.send("AB");
    start = Clock::now();
    ASSERT_EQ(device->readByte(byte, 60000), ReadResult::Byte);
    EXPECT_EQ(byte, 'A');
    EXPECT_LT(msSince(start), 10000);
    EXPECT_EQ(device->pendingBytes(), 1u);
    ASSERT_EQ(device->readByte(byte, 60000), ReadResult::Byte);
    EXPECT_EQ(byte, 'B');
    EXPECT_EQ(device->pendingBytes(), 0u);
}

TEST_F(TermiosRead, DiscardsZeroBytesOnlyWhenAsked) {
    LineSettings s;
    s.discardNulls = true;
    device->configure(s);
    pty.send(std::string("\0X", 2));
    std::uint8_t byte = 0xff;
    ASSERT_EQ(device->readByte(byte, 5000), ReadResult::Byte);
    EXPECT_EQ(byte, 'X');

    device->configure(LineSettings{});
    pty.send(std::string("\0", 1));
    ASSERT_EQ(device->readByte(byte, 5000), ReadResult::Byte);
    EXPECT_EQ(byte, 0);
}

TEST_F(TermiosRead, PulledCableEndsAWaitWithoutTimeLimit) {
    device->configure(LineSettings{});

    std::atomic<bool> started{false};
    ReadResult result = ReadResult::Byte;
    std::thread reader([&] {
        started = true;
        std::uint8_t byte = 0;
        result = device->readByte(byte, 0);
    });
    while (!started) std::this_thread::yield();
    pty.closeMaster();
    reader.join();
    EXPECT_EQ(result, ReadResult::Failed);

    // And every later call fails at once instead of waiting.
    std::uint8_t byte = 0;
    EXPECT_EQ(device->readByte(byte, 0), ReadResult::Failed);
    EXPECT_EQ(device->write("x", 1, 0), -1);
}

TEST_F(TermiosWrite, ReachesTheOtherEndAndIsBoundedByItsTimeOut) {
    device->configure(LineSettings{});

    EXPECT_EQ(device->write("?\r", 2, 1000), 2);
    EXPECT_EQ(pty.receive(2, 10000), "?\r");

    // Nobody reads the other end: the line fills up and the write gives up
    // after its time-out with the part that went out.
    const std::string flood(4 * 1024 * 1024, 'x');
    const auto start = Clock::now();
    const long written = device->write(flood.data(), flood.size(), 300);
    EXPECT_GE(written, 0);
    EXPECT_LT(written, static_cast<long>(flood.size()));
    EXPECT_GE(msSince(start), 250);
    EXPECT_LT(msSince(start), 20000);
}

TEST_F(TermiosModemLines, APtyHasNoneToSwitch) {
    EXPECT_FALSE(device->setDtr(true));
    EXPECT_FALSE(device->setDtr(false));
    EXPECT_FALSE(device->setRts(true));
    EXPECT_EQ(device->name(), pty.slavePath());
}

}  // namespace
}  // namespace tavrix::serial
