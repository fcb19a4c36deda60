// How the simulated gauges, switches and failures behave, seen through the
// bench's own protocol as any client sees it.

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "bench/bench_link.h"
#include "bench/bench_text.h"
#include "gauge_bench.h"

namespace tavrix::gaugebench {
namespace {

class GaugeSimulation : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(bench.running()) << bench.error();
        port = bench::BenchLink::connect(bench.socketPath());
        ASSERT_TRUE(port);
    }

    std::string Call(const std::string& line, bool expectOk = true) {
        bench::Reply r;
        EXPECT_TRUE(port->call(line, r)) << line;
        EXPECT_EQ(r.ok, expectOk) << line << ": " << r.text;
        return r.text;
    }
    void Pulse(const std::string& line = "dtr", int ms = 60) {
        Call(line + " 0");
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
        Call(line + " 1");
    }
    // Everything that arrives until `stop` is among it or the time runs out.
    std::string Collect(const std::string& stop, int timeoutMs = 10000) {
        std::string got;
        auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (got.find(stop) == std::string::npos && std::chrono::steady_clock::now() < end) {
            auto bytes = bench::fromHex(Call("recv 4096 200"));
            if (bytes) got += *bytes;
        }
        return got;
    }

    GaugeBench bench;
    std::unique_ptr<bench::BenchLink> port;
};

TEST_F(GaugeSimulation, AnswerComesInChunksInOrderAfterALongEnoughPulse) {
    ASSERT_TRUE(bench.run("port COM2"));
    ASSERT_TRUE(bench.run("gauge COM2 answer=\"+0003.3000 mm\\r\" delay=10 chunk=4 gap=20"));
    Call("port-open COM2");
    Call("dtr 1");
    Pulse("dtr", 10);  // too short: no request
    Pulse("dtr", 60);
    EXPECT_EQ(Collect("\r"), "+0003.3000 mm\r");
    int chunks = 0;
    for (const auto& e : bench.log())
        if (e.find("COM2 sent") != std::string::npos) ++chunks;
    EXPECT_EQ(chunks, 4);
    EXPECT_EQ(Call("queue"), "0");
}

TEST_F(GaugeSimulation, ModesVaryNeverGarbageAndFlood) {
    ASSERT_TRUE(bench.run("cable g serial=G desc=Lumo"));
    ASSERT_TRUE(bench.run("gauge g answer=\"+0001.1111 mm\\r\" delay=0 vary=1"));
    Call("ft-open 0");
    Call("dtr 1");
    Pulse();
    const std::string first = Collect("\r");
    Pulse();
    const std::string second = Collect("\r");
    EXPECT_EQ(first.size(), 14u);
    EXPECT_NE(first, second);

    ASSERT_TRUE(bench.run("gauge g mode=never"));
    Pulse();
    EXPECT_EQ(Call("recv 10 150"), "");  // nothing within the time

    ASSERT_TRUE(bench.run("gauge g mode=garbage"));
    Pulse();
    const std::string garbage = Collect("\r");
    EXPECT_EQ(garbage.back(), '\r');

    ASSERT_TRUE(bench.run("gauge g mode=flood flood=5000"));
    Pulse();
    std::string flood = Collect("never", 300);
    while (flood.size() < 5000) {
        auto more = bench::fromHex(Call("recv 4096 1000"));
        if (!more || more->empty()) break;
        flood += *more;
    }
    EXPECT_EQ(flood.size(), 5000u);
}

TEST_F(GaugeSimulation, RequestByTextOrRts) {
    ASSERT_TRUE(bench.run("port COM3"));
    ASSERT_TRUE(bench.run("gauge COM3 request=\"?\\r\" trigger=rts delay=0"));
    Call("port-open COM3");
    Call("write " + bench::toHex("?\r"));
    EXPECT_EQ(Collect("\r"), "+0001.1111 mm\r");
    Call("rts 1");
    Pulse("dtr");  // the wrong line
    EXPECT_EQ(Call("recv 10 150"), "");
    Pulse("rts");
    EXPECT_EQ(Collect("\r"), "+0001.1111 mm\r");
}

TEST_F(GaugeSimulation, FailuresCountDownAndHeal) {
    ASSERT_TRUE(bench.run("cable a serial=A desc=Lumo"));
    Call("ft-open 0");
    ASSERT_TRUE(bench.run("fail a any 4 times=2"));
    Call("queue", false);
    Call("pins", false);
    EXPECT_EQ(Call("pins"), "32");
    ASSERT_TRUE(bench.run("fail a pins 5"));
    Call("pins", false);
    Call("pins", false);
    ASSERT_TRUE(bench.run("heal a"));
    Call("pins");
}

TEST_F(GaugeSimulation, BadCommandsAreAnsweredAndTheBenchCarriesOn) {
    Call("nonsense", false);
    Call("cable", false);
    Call("port COM0", false);
    Call("cable COM1", false);
    Call("gauge nobody", false);
    Call("dtr 1", false);  // nothing open
    Call("inject x \"open", false);
    Call("ft-open 7", false);
    ASSERT_TRUE(bench.run("cable a"));
    Call("ft-open 0");
    Call("write zz", false);
    Call("line 9 0 0", false);
    Call("baud -5", false);
    Call("read -1", false);
    Call("ping");
    // A peer that vanishes half-way through a line does no harm.
    {
        auto other = bench::BenchLink::connect(bench.socketPath());
        ASSERT_TRUE(other);
    }
    EXPECT_TRUE(bench.run("ping"));
}

TEST_F(GaugeSimulation, ListNamesCablesInPlugOrder) {
    ASSERT_TRUE(bench.run("cable first serial=F desc=Lumo"));
    ASSERT_TRUE(bench.run("cable second serial=S desc=US232B"));
    ASSERT_TRUE(bench.run("unplug first"));
    ASSERT_TRUE(bench.run("plug first"));
    EXPECT_EQ(Call("ft-desc 0"), "\"US232B\"");
    EXPECT_EQ(Call("ft-serial 1"), "\"F\"");
    ASSERT_TRUE(bench.run("remove second"));
    EXPECT_EQ(Call("ft-count"), "1");
    auto list = bench.command("list");
    ASSERT_EQ(list.lines.size(), 1u);
    EXPECT_NE(list.lines[0].find("cable first index=0"), std::string::npos);
}

TEST(GaugeBenchSetup, DemoSetupIsAccepted) {
    GaugeBench bench;
    for (const auto& line : demoSetup()) EXPECT_TRUE(bench.run(line)) << line;
    EXPECT_EQ(bench.command("ft-count").text, "2");
    EXPECT_EQ(bench.command("ft-desc 1").text, "\"TV-I\"");
    // A second bench on a live socket is refused, not stolen.
    GaugeBench second(bench.socketPath());
    EXPECT_FALSE(second.running());
    EXPECT_TRUE(bench.run("ping"));
}

}  // namespace
}  // namespace tavrix::gaugebench
