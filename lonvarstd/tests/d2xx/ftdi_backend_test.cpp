// The libftdi1 back end on a machine without cables: no devices, no error.

#include <gtest/gtest.h>
#include <stdlib.h>

#include "transport/d2xx/D2XX.h"

namespace {

class RecordingBox : public TD2xxMessageBox {
public:
    void ShowError(const std::string& text) override { shown.push_back(text); }
    std::vector<std::string> shown;
};

TEST(FtdiBackend, NoCablesReadAsZeroDevicesWithoutError) {
    unsetenv("TAVRIX_BENCH");
    RecordingBox box;
    SetD2xxMessageBox(&box);
    DWORD count = 99;
    EXPECT_EQ(FT_ListDevices(&count, nullptr, FT_LIST_NUMBER_ONLY), FT_OK);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(GetFTDeviceCount(), FT_OK);
    EXPECT_EQ(FtDeviceCount, 0u);
    TFtDeviceList list;
    ListFtDevices(list);
    EXPECT_TRUE(list.empty());
    EXPECT_TRUE(box.shown.empty());

    FT_HANDLE handle = nullptr;
    EXPECT_EQ(FT_Open(0, &handle), FT_DEVICE_NOT_FOUND);
    tFT_Device dev(0);
    EXPECT_EQ(dev.Status, static_cast<std::int32_t>(FT_DEVICE_NOT_FOUND));
    EXPECT_EQ(dev.ErrorText, "GetFTDeviceDescription - Device not Found....");
    SetD2xxMessageBox(nullptr);
}

TEST(FtdiBackend, BadArgumentsAreRefusedNotFollowed) {
    unsetenv("TAVRIX_BENCH");
    char buf[64];
    EXPECT_EQ(FT_ListDevices(nullptr, nullptr, FT_LIST_NUMBER_ONLY), FT_INVALID_PARAMETER);
    EXPECT_EQ(FT_ListDevices(nullptr, buf, 0x12345), FT_INVALID_PARAMETER);
    EXPECT_EQ(FT_ListDevices(nullptr, nullptr, FT_LIST_BY_INDEX | FT_OPEN_BY_DESCRIPTION),
              FT_INVALID_PARAMETER);
    EXPECT_EQ(FT_Open(0, nullptr), FT_INVALID_PARAMETER);
    // Handles that were never handed out.
    FT_HANDLE made_up = reinterpret_cast<FT_HANDLE>(static_cast<std::uintptr_t>(0xdead));
    DWORD n = 0;
    EXPECT_EQ(FT_GetQueueStatus(made_up, &n), FT_INVALID_HANDLE);
    EXPECT_EQ(FT_Close(nullptr), FT_INVALID_HANDLE);
    UCHAR pins = 0;
    EXPECT_EQ(FT_GetBitMode(nullptr, &pins), FT_INVALID_HANDLE);
}

}  // namespace
