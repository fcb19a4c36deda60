// The libftdi1 back end on an emulated FT232R: the real libusb and libftdi1 run
// on a device file that umockdev hands to the emulator.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "emulated_ft232r.h"
#include "ftd2xx/ftd2xx.h"
#include "support/prog_paths.h"
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

// A gauge whose answer comes whole, in chunks, or after noise on the line.
TEST_F(EmulatedCable, AnswerIsReadWholeInChunksAndAfterNoise) {
    struct Case {
        const char* what;
        int chunk, gapMs;
        std::string noise;
    };
    for (const Case& c : {Case{"whole", 0, 0, ""}, Case{"chunks", 3, 15, ""},
                          Case{"after noise", 0, 0, std::string("\x13\xfe?", 3)}}) {
        SCOPED_TRACE(c.what);
        EmulatedFt232r cable(CableIdentity{});
        tavrix::gaugebench::SimulatedGauge g;
        g.chunk = c.chunk;
        g.gapMs = c.gapMs;
        cable.setGauge(g);
        FT_HANDLE h = nullptr;
        DWORD count = 0;
        ASSERT_EQ(FT_ListDevices(&count, nullptr, FT_LIST_NUMBER_ONLY), FT_OK);
        ASSERT_EQ(FT_Open(0, &h), FT_OK);
        cable.send(c.noise);
        FT_SetDtr(h);
        FT_ClrDtr(h);
        std::this_thread::sleep_for(std::chrono::milliseconds(60));
        FT_SetDtr(h);
        EXPECT_EQ(readLine(h, 2000), c.noise + "+0001.1111 mm\r");
        FT_Close(h);
    }
}

TEST_F(EmulatedCable, PinByteFollowsTheSwitch) {
    EmulatedFt232r cable(CableIdentity{0, 0, "", 0x0403, 0x6001, "FTDI", "TV-I", "TV000001"});
    DWORD count = 0;
    ASSERT_EQ(FT_ListDevices(&count, nullptr, FT_LIST_NUMBER_ONLY), FT_OK);
    FT_HANDLE h = nullptr;
    ASSERT_EQ(FT_Open(0, &h), FT_OK);
    UCHAR pins = 0;
    EXPECT_EQ(FT_GetBitMode(h, &pins), FT_OK);
    EXPECT_EQ(pins & 0x20, 0x20);
    cable.press();
    EXPECT_EQ(FT_GetBitMode(h, &pins), FT_OK);
    EXPECT_EQ(pins & 0x20, 0);
    cable.release();
    EXPECT_EQ(FT_GetBitMode(h, &pins), FT_OK);
    EXPECT_EQ(pins & 0x20, 0x20);
    FT_Close(h);
}

TEST_F(EmulatedCable, PullingTheCableEndsAWaitingReadAndPluggingListsItAgain) {
    EmulatedFt232r cable(CableIdentity{});
    DWORD count = 0;
    ASSERT_EQ(FT_ListDevices(&count, nullptr, FT_LIST_NUMBER_ONLY), FT_OK);
    FT_HANDLE h = nullptr;
    ASSERT_EQ(FT_Open(0, &h), FT_OK);
    FT_STATUS waited = FT_OK;
    const auto start = std::chrono::steady_clock::now();
    std::thread reader([&] {
        DWORD events = 0;
        do {
            waited = FTX_WaitForEvent(h, -1, 3000, FTX_WATCH_RX, &events);
        } while (waited == FT_OK &&
                 std::chrono::steady_clock::now() - start < std::chrono::milliseconds(2500));
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    cable.unplug();
    reader.join();
    EXPECT_EQ(waited, FT_IO_ERROR);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1500));
    UCHAR pins = 0;
    EXPECT_EQ(FT_GetBitMode(h, &pins), FT_IO_ERROR);
    FT_Close(h);
    ASSERT_EQ(FT_ListDevices(&count, nullptr, FT_LIST_NUMBER_ONLY), FT_OK);
    EXPECT_EQ(count, 0u);

    cable.plug();
    ASSERT_EQ(FT_ListDevices(&count, nullptr, FT_LIST_NUMBER_ONLY), FT_OK);
    EXPECT_EQ(count, 1u);
    ASSERT_EQ(FT_Open(0, &h), FT_OK);
    EXPECT_EQ(FT_Close(h), FT_OK);
}

TEST_F(EmulatedCable, ClosingGivesTheCableBackToItsTtyDriver) {
    EmulatedFt232r cable(CableIdentity{});
    DWORD count = 0;
    ASSERT_EQ(FT_ListDevices(&count, nullptr, FT_LIST_NUMBER_ONLY), FT_OK);
    FT_HANDLE h = nullptr;
    ASSERT_EQ(FT_Open(0, &h), FT_OK);
    EXPECT_FALSE(cable.kernelDriverBound());
    EXPECT_EQ(FT_Close(h), FT_OK);
    EXPECT_TRUE(cable.kernelDriverBound());
}

// The listing keeps the order cables came in; a fresh enumeration sorts by port.
// The open has to claim the cable the listing named, not whatever took its place.
TEST_F(EmulatedCable, OpensTheListedCableWhenAnotherCameInFront) {
    CableIdentity gaugeId;
    gaugeId.address = 5;
    gaugeId.port = "4";
    gaugeId.serial = "GAUGE1";
    EmulatedFt232r gauge(gaugeId);
    DWORD count = 0;
    ASSERT_EQ(FT_ListDevices(&count, nullptr, FT_LIST_NUMBER_ONLY), FT_OK);
    CableIdentity otherId;
    otherId.address = 3;
    otherId.port = "1";
    otherId.serial = "OTHER1";
    otherId.description = "US232B";
    EmulatedFt232r other(otherId);
    ASSERT_EQ(FT_ListDevices(&count, nullptr, FT_LIST_NUMBER_ONLY), FT_OK);
    ASSERT_EQ(count, 2u);
    DWORD index = listed(0, FT_OPEN_BY_SERIAL_NUMBER) == "GAUGE1" ? 0 : 1;
    ASSERT_EQ(listed(index, FT_OPEN_BY_SERIAL_NUMBER), "GAUGE1");
    FT_HANDLE h = nullptr;
    ASSERT_EQ(FT_Open(static_cast<int>(index), &h), FT_OK);
    EXPECT_EQ(gauge.claims(), 1);
    EXPECT_EQ(other.claims(), 0);
    EXPECT_TRUE(other.kernelDriverBound());
    FT_Close(h);

    // Gone between listing and open: not found, and no other cable taken instead.
    gauge.unplug();
    EXPECT_EQ(FT_Open(static_cast<int>(index), &h), FT_DEVICE_NOT_FOUND);
    EXPECT_EQ(other.claims(), 0);
}

TEST_F(EmulatedCable, ListsFtdiCablesOfAnyProductAndTheIdsTheIniFileNames) {
    CableIdentity own;  // a gauge maker's product id under FTDI's vendor id
    own.product = 0xfa33;
    own.serial = "OWN1";
    EmulatedFt232r ownCable(own);
    CableIdentity foreign;  // another vendor's chip, named in the program INI file
    foreign.address = 3;
    foreign.port = "2";
    foreign.vendor = 0x1a2b;
    foreign.product = 0x0001;
    foreign.serial = "FOREIGN1";
    EmulatedFt232r foreignCable(foreign);

    const std::string saved = ProgIniFile;
    char folder[] = "/tmp/ftdiemu-ini-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    ProgIniFile = std::string(folder) + "/LonvarStd.INI";
    DWORD count = 0;
    ASSERT_EQ(FT_ListDevices(&count, nullptr, FT_LIST_NUMBER_ONLY), FT_OK);
    EXPECT_EQ(count, 1u);
    EXPECT_EQ(listed(0, FT_OPEN_BY_SERIAL_NUMBER), "OWN1");

    std::ofstream(ProgIniFile, std::ios::binary) << "[USB]\r\nCableIds=1a2b:0001, bad, 0403:zz\r\n";
    ASSERT_EQ(FT_ListDevices(&count, nullptr, FT_LIST_NUMBER_ONLY), FT_OK);
    EXPECT_EQ(count, 2u);
    const std::string a = listed(0, FT_OPEN_BY_SERIAL_NUMBER),
                      b = listed(1, FT_OPEN_BY_SERIAL_NUMBER);
    EXPECT_TRUE((a == "OWN1" && b == "FOREIGN1") || (a == "FOREIGN1" && b == "OWN1")) << a << b;
    FT_HANDLE h = nullptr;
    ASSERT_EQ(FT_Open(a == "FOREIGN1" ? 0 : 1, &h), FT_OK);
    EXPECT_EQ(foreignCable.claims(), 1);
    FT_Close(h);
    std::filesystem::remove_all(folder);
    ProgIniFile = saved;
}

}  // namespace
