#pragma once
// A gauge bench of its own for each test, named in the environment so the
// cable library layer and the serial layer reach it.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>

#include "gauge_bench.h"

class BenchTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(bench.running()) << bench.error();
        setenv("TAVRIX_BENCH", bench.socketPath().c_str(), 1);
    }
    void TearDown() override { unsetenv("TAVRIX_BENCH"); }

    void Run(const std::string& command) {
        auto reply = bench.command(command);
        ASSERT_TRUE(reply.ok) << command << ": " << reply.text;
    }

    // Waits for a condition with a time-out generous enough for a loaded machine.
    static bool WaitFor(const std::function<bool()>& done, int timeoutMs = 10000) {
        auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (!done()) {
            if (std::chrono::steady_clock::now() > end) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return true;
    }

    tavrix::gaugebench::GaugeBench bench;
};
