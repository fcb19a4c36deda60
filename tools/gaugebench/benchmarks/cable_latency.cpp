// Figures for the bench path of a USB cable: the cost of one library call over
// the socket, and how long a gauge line takes from arriving on the bench to
// being seen by the program, waiting for it or polling as a worker does.

#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

#include "ftd2xx/ftd2xx.h"
#include "gauge_bench.h"

namespace {

using Clock = std::chrono::steady_clock;

double micros(Clock::duration d) {
    return std::chrono::duration<double, std::micro>(d).count();
}

void report(const char* what, std::vector<double> v) {
    std::sort(v.begin(), v.end());
    std::printf("%-46s n=%zu  median %8.1f us  p99 %8.1f us  max %8.1f us\n", what, v.size(),
                v[v.size() / 2], v[v.size() * 99 / 100], v.back());
}

}  // namespace

int main() {
    tavrix::gaugebench::GaugeBench bench;
    if (!bench.running()) {
        std::fprintf(stderr, "bench: %s\n", bench.error().c_str());
        return 1;
    }
    setenv("TAVRIX_BENCH", bench.socketPath().c_str(), 1);
    bench.run("cable lumo serial=LU000001 desc=Lumo");
    FT_HANDLE h = nullptr;
    if (FT_Open(0, &h) != FT_OK) return 1;
    FT_SetTimeouts(h, 50, 50);

    std::vector<double> calls;
    for (int i = 0; i < 3000; ++i) {
        DWORD rx = 0;
        auto t0 = Clock::now();
        FT_GetQueueStatus(h, &rx);
        calls.push_back(micros(Clock::now() - t0));
    }
    report("FT_GetQueueStatus round trip", calls);

    const std::string line = "inject lumo \"+0001.1111 mm\\r\"";
    std::vector<double> waited, polled;
    char buf[100];
    for (int i = 0; i < 300; ++i) {
        auto t0 = Clock::now();
        bench.run(line);
        DWORD rx = 0, got = 0;
        FTX_WaitForData(h, 1000, &rx);
        waited.push_back(micros(Clock::now() - t0));
        FT_Read(h, buf, 99, &got);
    }
    report("inject -> seen by FTX_WaitForData", waited);
    for (int i = 0; i < 300; ++i) {
        auto t0 = Clock::now();
        bench.run(line);
        DWORD rx = 0, got = 0;
        while (FT_GetQueueStatus(h, &rx) == FT_OK && rx == 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        polled.push_back(micros(Clock::now() - t0));
        FT_Read(h, buf, 99, &got);
    }
    report("inject -> seen by polling (1 ms sleep)", polled);
    FT_Close(h);
    return 0;
}
