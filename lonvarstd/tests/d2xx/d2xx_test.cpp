// tFT_Device, the device count and list, over the gauge bench's cables.

#include "transport/d2xx/D2XX.h"

#include <future>
#include <thread>

#include "bench_fixture.h"

namespace {

class RecordingBox : public TD2xxMessageBox {
public:
    void ShowError(const std::string& text) override { shown.push_back(text); }
    std::vector<std::string> shown;
};

class D2xxTest : public BenchTest {
protected:
    void SetUp() override {
        BenchTest::SetUp();
        SetD2xxMessageBox(&box);
        FtDeviceCount = 0;
        LastCountStatus = 0;
        FtListFilled = false;
    }
    void TearDown() override {
        SetD2xxMessageBox(nullptr);
        BenchTest::TearDown();
    }

    // Opens a cable with the gauge line settings, as the engine does.
    std::unique_ptr<tFT_Device> OpenGauge(int index) {
        auto dev = std::make_unique<tFT_Device>(index);
        EXPECT_EQ(dev->Open(), FT_OK) << dev->ErrorText;
        dev->SetDtr();
        dev->SetRts();
        dev->SetBaudRate(4800);
        dev->SetDataCharacteristics(FT_BITS_7, FT_STOP_BITS_2, FT_PARITY_EVEN);
        dev->SetTimeouts(50, 50);
        return dev;
    }

    RecordingBox box;
};

TEST_F(D2xxTest, NoCablesGiveAnEmptyListAndNoMessage) {
    TFtDeviceList list;
    EXPECT_EQ(GetFTDeviceCount(), FT_OK);
    ListFtDevices(list);
    EXPECT_EQ(FtDeviceCount, 0u);
    EXPECT_TRUE(list.empty());
    EXPECT_TRUE(FtListFilled);
    EXPECT_TRUE(box.shown.empty());
}

TEST_F(D2xxTest, CountErrorIsShownOncePerChangeOfStatus) {
    Run("cable a serial=A1 desc=Lumo");
    Run("fail count 2");
    for (int i = 0; i < 10; ++i) EXPECT_EQ(GetFTDeviceCount(), FT_DEVICE_NOT_FOUND);
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_EQ(box.shown[0], "GetFTDeviceCount - Device not Found....");
    EXPECT_EQ(FtDeviceCount, 0u);  // a failed count is no count

    Run("heal count");
    EXPECT_EQ(GetFTDeviceCount(), FT_OK);
    EXPECT_EQ(FtDeviceCount, 1u);
    Run("fail count 2");
    GetFTDeviceCount();
    EXPECT_EQ(box.shown.size(), 2u);
    // Another error status is a change too.
    Run("fail count 4");
    GetFTDeviceCount();
    ASSERT_EQ(box.shown.size(), 3u);
    EXPECT_EQ(box.shown[2], "GetFTDeviceCount - General IO Error...");
}

TEST_F(D2xxTest, ListKeepsIndexOrderAndDropsCablesWhoseDescriptionFails) {
    Run("cable a serial=LU000001 desc=\" Lumo\"");
    Run("cable b serial=X1 desc=US232B");
    Run("cable c serial=\"\" desc=TV-I");
    Run("cable d serial=D1 desc=Lumo");
    Run("fail b desc 4");
    Run("fail d serial 2");  // serial fails, description works: listed, empty serial
    TFtDeviceList list;
    ListFtDevices(list);
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0]->Index, 0);
    EXPECT_EQ(list[0]->Description, " Lumo");
    EXPECT_EQ(list[0]->SerialNo, "LU000001");
    EXPECT_EQ(list[1]->Index, 2);
    EXPECT_EQ(list[1]->OpenIndex, 2);
    EXPECT_EQ(list[1]->SerialNo, "");
    EXPECT_EQ(list[1]->Description, "TV-I");
    EXPECT_EQ(list[2]->Index, 3);
    EXPECT_EQ(list[2]->SerialNo, "");
    EXPECT_EQ(list[2]->Status, 0);
    EXPECT_EQ(list[2]->ErrorText, "GetFTDeviceSerialNo - Device not Found....");

    FreeFtDevices(list);
    EXPECT_TRUE(list.empty());
}

TEST_F(D2xxTest, FreeBeforeAnyListLeavesTheListAlone) {
    Run("cable a serial=A1 desc=Lumo");
    TFtDeviceList list;
    list.push_back(std::make_unique<tFT_Device>(0));
    FreeFtDevices(list);
    EXPECT_EQ(list.size(), 1u);
}

TEST_F(D2xxTest, ErrorTextNamesTheOperationOnlyForKnownCodes) {
    Run("cable a serial=A1 desc=Lumo");
    tFT_Device dev(0);
    EXPECT_EQ(dev.SetDtr(), FT_INVALID_HANDLE);  // not open yet
    EXPECT_EQ(dev.ErrorText, "FT_SetDTR - Invalid Handle...");
    ASSERT_EQ(dev.Open(), FT_OK);
    EXPECT_EQ(dev.ErrorText, "FT_SetDTR - Invalid Handle...");  // a success keeps it

    Run("fail a baud 6 times=1");
    EXPECT_EQ(dev.SetBaudRate(4800), FT_INVALID_PARAMETER);
    EXPECT_EQ(dev.BaudRate, 4800);
    EXPECT_EQ(dev.ErrorText, "FT_SetBaudRate - Invalid Parameter ...");
    Run("fail a rts 7 times=1");
    EXPECT_EQ(dev.ClrRts(), 7u);
    EXPECT_EQ(dev.Status, 7);
    EXPECT_EQ(dev.ErrorText, "");
    Run("fail a queue 3 times=1");
    EXPECT_EQ(dev.GetQueueStatus(), FT_DEVICE_NOT_OPENED);
    EXPECT_EQ(dev.ErrorText, "FT_GetQueueStatus - Device not Opened...");
    EXPECT_EQ(dev.GetQueueStatus(), FT_OK);
    EXPECT_EQ(dev.Status, 0);

    Run("fail a close 5 times=1");
    EXPECT_EQ(dev.Close(), FT_INSUFFICIENT_RESOURCES);
    EXPECT_EQ(dev.ErrorText, "FT_Close - Insufficient Resources...");
    EXPECT_FALSE(dev.IsOpen);
    // A closed cable's old handle is not used again.
    EXPECT_EQ(dev.SetDtr(), FT_INVALID_HANDLE);
}

TEST_F(D2xxTest, DtrPulseBringsTheGaugeAnswer) {
    Run("cable lumo serial=LU000001 desc=Lumo");
    Run("gauge lumo answer=\"+0001.1111 mm\\r\" delay=20");
    auto dev = OpenGauge(0);
    auto state = bench.command("state lumo");
    EXPECT_NE(state.text.find("baud=4800 line=7,2,2 timeouts=50,50"), std::string::npos)
        << state.text;

    EXPECT_EQ(dev->ClrDtr(), FT_OK);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(dev->SetDtr(), FT_OK);
    ASSERT_TRUE(WaitFor([&] { return dev->GetQueueStatus() == FT_OK && dev->RxBytes >= 14; }));
    std::string text;
    EXPECT_EQ(dev->Read(dev->InBufSize - 1, text), 14);
    EXPECT_EQ(text, "+0001.1111 mm\r");
    EXPECT_EQ(dev->Status, 0);

    bool sawPulse = false;
    for (const auto& entry : bench.log()) {
        if (entry.find("lumo pulse dtr ") == std::string::npos) continue;
        sawPulse = std::stoi(entry.substr(entry.rfind(' ') + 1)) >= 100;
    }
    EXPECT_TRUE(sawPulse);
    EXPECT_EQ(dev->Close(), FT_OK);
}

TEST_F(D2xxTest, WaitForDataReturnsWhenTheAnswerComes) {
    Run("cable lumo serial=LU000001 desc=Lumo");
    Run("gauge lumo delay=50");
    auto dev = OpenGauge(0);
    EXPECT_EQ(dev->WaitForData(0), FT_OK);
    EXPECT_EQ(dev->RxBytes, 0u);
    Run("trigger lumo");
    EXPECT_EQ(dev->WaitForData(10000), FT_OK);
    EXPECT_GT(dev->RxBytes, 0u);
}

TEST_F(D2xxTest, ReadTextEndsAtZeroByteWhileCountCountsAll) {
    Run("cable a serial=A1 desc=Lumo");
    auto dev = OpenGauge(0);
    Run("inject a hex=31320033340d");
    std::string text = "old";
    ASSERT_TRUE(WaitFor([&] { return dev->GetQueueStatus() == FT_OK && dev->RxBytes == 6; }));
    EXPECT_EQ(dev->Read(99, text), 6);
    EXPECT_EQ(text, "12");

    Run("fail a read 4 times=1");
    EXPECT_EQ(dev->Read(99, text), 0);
    EXPECT_EQ(text, "");
    EXPECT_EQ(dev->ErrorText, "FT_Read - General IO Error...");
}

TEST_F(D2xxTest, ReadAndWriteStayWithinTheBuffers) {
    Run("cable a serial=A1 desc=Lumo");
    auto dev = OpenGauge(0);
    Run("inject a \"" + std::string(150, 'x') + "\"");
    std::string text;
    EXPECT_EQ(dev->Read(500, text), 99);
    EXPECT_EQ(text, std::string(99, 'x'));
    EXPECT_EQ(dev->Read(-5, text), 0);
    EXPECT_EQ(text, "");

    EXPECT_EQ(dev->WriteText(std::string(150, 'y')), 99);
    EXPECT_EQ(dev->WriteText("?\r"), 2);
    auto log = bench.log();
    ASSERT_GE(log.size(), 2u);
    std::string hex;
    for (int i = 0; i < 99; ++i) hex += "79";  // 'y'
    EXPECT_NE(log[log.size() - 2].find("write " + hex), std::string::npos);
    EXPECT_NE(log.back().find("write 3f0d"), std::string::npos);
}

TEST_F(D2xxTest, SwitchCableReportsItsSwitchInBitFive) {
    Run("cable sw serial=TV1 desc=TV-I");
    auto dev = OpenGauge(0);
    std::uint8_t pins = 0;
    EXPECT_EQ(dev->GetBitMode(pins), FT_OK);
    EXPECT_EQ(pins & 0x20, 0x20);  // released
    Run("press sw");
    EXPECT_EQ(dev->GetBitMode(pins), FT_OK);
    EXPECT_EQ(pins & 0x20, 0);
    Run("release sw");
    EXPECT_EQ(dev->GetBitMode(pins), FT_OK);
    EXPECT_EQ(pins & 0x20, 0x20);
}

TEST_F(D2xxTest, CableOpenOnlyOnce) {
    Run("cable a serial=A1 desc=Lumo");
    tFT_Device first(0), second(0);
    EXPECT_EQ(first.Open(), FT_OK);
    EXPECT_EQ(second.Open(), FT_DEVICE_NOT_OPENED);
    EXPECT_FALSE(second.IsOpen);
    EXPECT_EQ(first.Close(), FT_OK);
    EXPECT_EQ(second.Open(), FT_OK);
    second.Close();

    // A cable object freed while open lets go of the cable.
    { EXPECT_EQ(std::make_unique<tFT_Device>(0)->Open(), FT_OK); }
    tFT_Device third(0);
    EXPECT_EQ(third.Open(), FT_OK);
}

TEST_F(D2xxTest, UnpluggedDuringReadFailsWithStatusAndNeverHangs) {
    Run("cable a serial=A1 desc=Lumo");
    Run("gauge a answer=\"+0001.1111 mm\\r\" delay=0 chunk=3 gap=200");
    auto dev = OpenGauge(0);
    dev->SetTimeouts(0, 0);  // a read that waits until all bytes come
    Run("trigger a");
    auto reading = std::async(std::launch::async, [&] {
        std::string text;
        return dev->Read(99, text);
    });
    ASSERT_TRUE(WaitFor([&] {
        for (const auto& e : bench.log())
            if (e.find("a sent") != std::string::npos) return true;
        return false;
    }));
    Run("unplug a");
    ASSERT_EQ(reading.wait_for(std::chrono::seconds(20)), std::future_status::ready);
    EXPECT_EQ(reading.get(), 0);
    EXPECT_EQ(dev->Status, static_cast<std::int32_t>(FT_IO_ERROR));
    EXPECT_EQ(dev->ErrorText, "FT_Read - General IO Error...");
    EXPECT_EQ(dev->GetQueueStatus(), FT_IO_ERROR);
    EXPECT_EQ(dev->ClrDtr(), FT_IO_ERROR);

    EXPECT_EQ(GetFTDeviceCount(), FT_OK);
    EXPECT_EQ(FtDeviceCount, 0u);
    Run("plug a");
    EXPECT_EQ(GetFTDeviceCount(), FT_OK);
    EXPECT_EQ(FtDeviceCount, 1u);
    // The old handle stays dead; a fresh open works.
    EXPECT_EQ(dev->GetQueueStatus(), FT_IO_ERROR);
    dev->Close();
    EXPECT_EQ(dev->Open(), FT_OK);
    EXPECT_EQ(dev->GetQueueStatus(), FT_OK);
}

TEST_F(D2xxTest, VanishedBenchReadsAsIoError) {
    std::unique_ptr<tFT_Device> dev;
    {
        tavrix::gaugebench::GaugeBench own;
        ASSERT_TRUE(own.running());
        setenv("TAVRIX_BENCH", own.socketPath().c_str(), 1);
        ASSERT_TRUE(own.run("cable a serial=A1 desc=Lumo"));
        dev = OpenGauge(0);
        ASSERT_TRUE(dev->IsOpen);
    }
    EXPECT_EQ(dev->GetQueueStatus(), FT_IO_ERROR);
    EXPECT_EQ(GetFTDeviceCount(), FT_OK);  // nothing listening: no cables
    EXPECT_EQ(FtDeviceCount, 0u);
}

}  // namespace
