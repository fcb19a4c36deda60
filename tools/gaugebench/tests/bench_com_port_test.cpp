// The bench's COM ports as the serial device layer and TComm reach them.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <thread>

#include "bench/bench_ports.h"
#include "gauge_bench.h"
#include "serial/serial_device.h"
#include "transport/comm/Comm.h"

namespace {

using tavrix::serial::ReadResult;

class BenchComPort : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(bench.running()) << bench.error();
        setenv("TAVRIX_BENCH", bench.socketPath().c_str(), 1);
        ASSERT_TRUE(bench.run("port COM1"));
        ASSERT_TRUE(bench.run("gauge COM1 answer=\"+0001.1111 mm\\r\" delay=20"));
    }
    void TearDown() override { unsetenv("TAVRIX_BENCH"); }

    std::string ReadLine(tavrix::serial::SerialDevice& dev) {
        std::string line;
        std::uint8_t b = 0;
        while (line.find('\r') == std::string::npos && dev.readByte(b, 10000) == ReadResult::Byte)
            line += static_cast<char>(b);
        return line;
    }

    tavrix::gaugebench::GaugeBench bench;
};

TEST_F(BenchComPort, DtrPulseThroughTheSerialLayer) {
    auto dev = tavrix::serial::openPort(1);
    ASSERT_TRUE(dev);
    tavrix::serial::LineSettings s;
    s.baud = 4800;
    s.dataBits = 7;
    s.parity = tavrix::serial::Parity::Even;
    s.stopBits = tavrix::serial::StopBits::Two;
    s.dtr = true;
    EXPECT_TRUE(dev->configure(s));
    EXPECT_NE(bench.command("state COM1").text.find("baud=4800 line=7,2,2"), std::string::npos);

    EXPECT_TRUE(dev->setDtr(false));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_TRUE(dev->setDtr(true));
    EXPECT_EQ(ReadLine(*dev), "+0001.1111 mm\r");
    std::uint8_t b = 0;
    EXPECT_EQ(dev->readByte(b, 30), ReadResult::Timeout);
    EXPECT_EQ(dev->write("?\r", 2, 100), 2);
    EXPECT_EQ(dev->pendingBytes(), 0u);
}

TEST_F(BenchComPort, PortsAreListedOpenedOnceAndFailWhenUnplugged) {
    auto ports = tavrix::bench::listBenchPorts();
    ASSERT_EQ(ports.size(), 1u);
    EXPECT_EQ(ports[0].port, 1);
    EXPECT_FALSE(tavrix::bench::openBenchPort(2));

    auto dev = tavrix::bench::openBenchPort(1);
    ASSERT_TRUE(dev);
    EXPECT_FALSE(tavrix::bench::openBenchPort(1));  // in use

    // A read waiting without limit ends when the port goes away.
    std::thread unplug([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        bench.run("unplug COM1");
    });
    std::uint8_t b = 0;
    EXPECT_EQ(dev->readByte(b, 0), ReadResult::Failed);
    unplug.join();
    EXPECT_FALSE(dev->setDtr(true));
    EXPECT_EQ(dev->write("x", 1, 100), -1);
    EXPECT_TRUE(tavrix::bench::listBenchPorts().empty());
}

TEST_F(BenchComPort, TCommRequestsAReading) {
    TComm comm;
    comm.SetPort(1);
    comm.SetEnterTimeout(10000);
    ASSERT_TRUE(comm.Open());
    EXPECT_TRUE(comm.SetDTR(true));
    EXPECT_TRUE(comm.SetDTR(false));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_TRUE(comm.SetDTR(true));
    std::string line;
    char c = 0;
    while (line.find('\r') == std::string::npos && comm.ReadChar(c)) line += c;
    EXPECT_EQ(line, "+0001.1111 mm\r");
    comm.Close();
}

}  // namespace
