// The libftdi1 back end on an emulated FT232R: the real libusb and libftdi1 run
// on a device file that umockdev hands to the emulator.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <string>
#include <thread>

#include "emulated_ft232r.h"
#include "ftd2xx/ftd2xx.h"
#include "usb_testbed.h"

namespace {

using tavrix::ftdiemu::CableIdentity;
using tavrix::ftdiemu::EmulatedFt232r;

// The umockdev library has to be loaded before the process starts.
const bool kPreloaded = (tavrix::ftdiemu::reexecPreloaded(), true);

std::string listed(DWORD index, DWORD what) {
    char buf[64] = {};
    const FT_STATUS st = FT_ListDevices(reinterpret_cast<void*>(static_cast<std::uintptr_t>(index)),
                                        buf, FT_LIST_BY_INDEX | what);
    return st == FT_OK ? std::string(buf) : "status " + std::to_string(st);
}

// Reads until a CR came or `ms` passed.
std::string readLine(FT_HANDLE h, int ms) {
    std::string got;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < end && got.find('\r') == std::string::npos) {
        DWORD rx = 0;
        if (FTX_WaitForData(h, 20, &rx) != FT_OK) break;
        if (rx == 0) continue;
        char buf[128];
        DWORD n = 0;
        if (FT_Read(h, buf, std::min<DWORD>(rx, sizeof(buf)), &n) != FT_OK) break;
        got.append(buf, n);
    }
    return got;
}

class EmulatedCable : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(kPreloaded && tavrix::ftdiemu::preloaded());
        unsetenv("TAVRIX_BENCH");
        tavrix::ftdiemu::Testbed::instance();
    }
};

TEST_F(EmulatedCable, ListedOpenedSetAndAnswersADtrPulse) {
    EmulatedFt232r cable(CableIdentity{});
    cable.setGauge(tavrix::gaugebench::SimulatedGauge{});
    DWORD count = 0;
    ASSERT_EQ(FT_ListDevices(&count, nullptr, FT_LIST_NUMBER_ONLY), FT_OK);
    ASSERT_EQ(count, 1u);
    EXPECT_EQ(listed(0, FT_OPEN_BY_SERIAL_NUMBER), "LU000001");
    EXPECT_EQ(listed(0, FT_OPEN_BY_DESCRIPTION), "Lumo");

    FT_HANDLE h = nullptr;
    ASSERT_EQ(FT_Open(0, &h), FT_OK);
    EXPECT_EQ(FT_SetBaudRate(h, 4800), FT_OK);
    EXPECT_EQ(FT_SetDataCharacteristics(h, FT_BITS_7, FT_STOP_BITS_2, FT_PARITY_EVEN), FT_OK);
    EXPECT_EQ(cable.baudRate(), 4800);
    EXPECT_EQ(cable.wordLength(), 7);
    EXPECT_EQ(cable.parity(), 2);
    EXPECT_EQ(cable.stopBits(), 2);
    EXPECT_EQ(cable.latencyMs(), 2);
    EXPECT_FALSE(cable.kernelDriverBound());

    EXPECT_EQ(FT_SetDtr(h), FT_OK);
    EXPECT_EQ(FT_ClrDtr(h), FT_OK);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(FT_SetDtr(h), FT_OK);
    EXPECT_EQ(readLine(h, 2000), "+0001.1111 mm\r");
    EXPECT_EQ(FT_Close(h), FT_OK);
}

}  // namespace
