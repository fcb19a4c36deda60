// Device records, built-in device types, the value queue and the small queries
// the windows rely on.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <thread>

#include "engine/dataModule.h"
#include "engineTestDevices.h"
#include "engineTestSupport.h"

namespace {

using tavrix::test::TempProgDir;

TEST(MsToTimeStr, PadsEachPartAndKeepsLongHours) {
    tavrix::SetLocaleSeparators('.', ':');
    EXPECT_EQ(TD::MsToTimeStr(0), "00:00:00");
    EXPECT_EQ(TD::MsToTimeStr(3725000), "01:02:05");
    EXPECT_EQ(TD::MsToTimeStr(10000), "00:00:10");
    EXPECT_EQ(TD::MsToTimeStr(10999), "00:00:10");  // whole seconds only
    EXPECT_EQ(TD::MsToTimeStr(100LL * 3600000 + 59000), "100:00:59");
    EXPECT_EQ(TD::MsToTimeStr(-5000), "00:00:00");
    tavrix::SetLocaleSeparators(',', '.');
    EXPECT_EQ(TD::MsToTimeStr(3725000), "01.02.05");
    tavrix::SetLocaleSeparators('.', ':');
}

TEST(BuiltInDescrs, ListsKeepTheirOrderAndGaugeLineSettings) {
    tDeviceDescrList usb, rs232;
    tavrix::CreateBuiltInDescrs(usb, rs232);
    ASSERT_EQ(usb.size(), 4u);
    ASSERT_EQ(rs232.size(), 2u);
    const char* usbTypes[] = {"UNDEF", "TV-I", "Lumo", "40GVw"};
    const int usbKinds[] = {DescrKindUndef, DescrKindSwitch, DescrKindInstrument,
                            DescrKindInstrument};
    const int usbTypeNos[] = {0, 91, 1, 4};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(usb[i]->TypeName, usbTypes[i]);
        EXPECT_EQ(usb[i]->Caption, usbTypes[i]);
        EXPECT_EQ(usb[i]->Kind, usbKinds[i]);
        EXPECT_EQ(usb[i]->TypeNo, usbTypeNos[i]);
    }
    EXPECT_EQ(rs232[0]->TypeName, "UNDEF");
    EXPECT_EQ(rs232[1]->DescrName, "RS232-Lumo.TVD1");
    EXPECT_EQ(rs232[1]->TypeName, "Lumo");

    // 4800 baud, 7 data bits, even parity, 2 stop bits, DTR and RTS on after opening.
    for (const tDeviceDescr* d : {usb[1].get(), usb[2].get(), usb[3].get(), rs232[1].get()}) {
        EXPECT_EQ(tavrix::BaudOf(*d), 4800);
        EXPECT_EQ(d->DataBitsIdx, 3);
        EXPECT_EQ(d->ParityIdx, 0);
        EXPECT_EQ(tavrix::UsbParityCode(d->ParityIdx), 2);
        EXPECT_EQ(d->StopBitsIdx, 2);
        EXPECT_EQ(d->DtrLevel(), 1);
        EXPECT_EQ(d->RtsLevel(), 1);
        EXPECT_EQ(d->WriteTimeout, 100);
    }
    // The switch cable is never asked; bit 5 of the pin byte is its switch.
    EXPECT_EQ(usb[1]->ReqKind, ReqKindNone);
    EXPECT_EQ(usb[1]->RxMode, RxModeSwitch);
    EXPECT_EQ(usb[1]->StatusBit, 5);
    // Instruments: DTR dropped for 100 ms, answer ends in CR, value is the first token.
    for (const tDeviceDescr* d : {usb[2].get(), usb[3].get(), rs232[1].get()}) {
        EXPECT_EQ(d->ReqKind, ReqKindPulseDtr);
        EXPECT_EQ(d->PulseMs, 100);
        EXPECT_FALSE(d->PulseHigh);
        EXPECT_EQ(d->RxMode, RxModeChars);
        EXPECT_EQ(d->Eot[0], "\r");
        EXPECT_EQ(d->Eot[1], "");
        EXPECT_EQ(d->FilterChars, " ");
        EXPECT_EQ(d->Rules[0].RuleKind, RuleToken);
        EXPECT_EQ(d->Rules[0].TokenNo, 1);
        EXPECT_EQ(d->AnswerTimeout, 500);
    }
}

TEST(BuiltInDescrs, TypeMatchingTrimsAndHonoursCase) {
    tDeviceDescrList usb, rs232;
    tavrix::CreateBuiltInDescrs(usb, rs232);
    EXPECT_EQ(tavrix::FindDescrByType(usb, " Lumo", false), 2);
    EXPECT_EQ(tavrix::FindDescrByType(usb, "Lumo \r\n", false), 2);
    EXPECT_EQ(tavrix::FindDescrByType(usb, "lumo", false), 0);
    EXPECT_EQ(tavrix::FindDescrByType(usb, "US232B", false), 0);
    EXPECT_EQ(tavrix::FindDescrByType(usb, "UNDEF", false), 0);  // entry 0 is never chosen
    EXPECT_EQ(tavrix::FindDescrByType(rs232, "Lumo", true), 1);

    // Of several equal RS232 types the last one is taken.
    rs232.push_back(std::make_unique<tDeviceDescr>(*rs232[1]));
    EXPECT_EQ(tavrix::FindDescrByType(rs232, "Lumo", true), 2);
    EXPECT_EQ(tavrix::FindDescrByType(rs232, "Lumo", false), 1);
}

class RecordsTest : public ::testing::Test {
protected:
    TempProgDir prog;
    TD d;
};

TEST_F(RecordsTest, CreationMakesTheDataFolderAndLoadsCaptions) {
    EXPECT_TRUE(std::filesystem::is_directory(prog.path("DAT")));
    EXPECT_EQ(d.Captions.SchalterCaption, "~Schalter");
    EXPECT_EQ(d.Captions.AnforderTypeNames[3], "~Timer");
    EXPECT_EQ(d.Captions.BetaetigungCaption(), "~Betätigung");
    EXPECT_EQ(D, &d);

    d.LoadLangTexts([](const std::string& key) { return "T" + key; });
    EXPECT_EQ(d.Captions.AnforderTypeNames[0], "-");  // never translated
    EXPECT_EQ(d.Captions.MwZielApplNames[0], "-");
    EXPECT_EQ(d.Captions.MwZielApplNames[2], "T~Textdatei");
    EXPECT_EQ(d.Captions.TxtFileQuestion, "T~Text-Datei?");
}

TEST_F(RecordsTest, QueriesNameEachConnectionKind) {
    tDevice& com = tavrix::test::AddRs232Device(d, 2);
    EXPECT_EQ(com.GetPortName(), "COM2");
    EXPECT_EQ(com.GetId(), "COM2");
    EXPECT_EQ(com.GetSerNr(), "...");
    EXPECT_EQ(com.GetSectionName(), "COM_2");

    tDevice& usb = tavrix::test::AddUsbDevice(d, 0, "LU000001", "Lumo");
    EXPECT_EQ(usb.GetPortName(), "USB1");
    EXPECT_EQ(usb.GetId(), "LU000001");
    EXPECT_EQ(usb.GetSectionName(), "Lumo LU000001");
    EXPECT_EQ(usb.Ft->DevIdx, 1);

    tDevice other(d, 7, nullptr, 0, 9);
    EXPECT_EQ(other.GetPortName(), "...");
    EXPECT_EQ(other.GetId(), "-");
    EXPECT_EQ(other.GetSectionName(), "UNDEF-DEVICE");
    d.ResetDevices();
}

TEST_F(RecordsTest, DeviceNameBySerNrFallsBackToTheSerial) {
    tDevice& usb = tavrix::test::AddUsbDevice(d, 0, "SW1", "TV-I");
    usb.DeviceName = "Foot switch";
    EXPECT_EQ(d.DeviceNameBySerNr("SW1"), "Foot switch");
    usb.DeviceName = "   ";
    EXPECT_EQ(d.DeviceNameBySerNr("SW1"), "SW1");
    EXPECT_EQ(d.DeviceNameBySerNr("sw1"), "");
    EXPECT_EQ(d.DeviceNameBySerNr("NOPE"), "");
    d.ResetDevices();
}

TEST_F(RecordsTest, ValueQueueKeepsOrderAcrossThreads) {
    tDevice& dev = tavrix::test::AddUsbDevice(d, 0, "LU1", "Lumo");
    EXPECT_EQ(dev.GetFirstValue(), "");
    dev.DropFirstValue();  // nothing to drop
    d.DropValue(1);        // beyond the list: ignored
    d.DropValue(-1);

    constexpr int Count = 2000;
    std::thread worker([&] {
        for (int i = 0; i < Count; ++i) dev.AppendValue(std::to_string(i));
    });
    int next = 0;
    while (next < Count) {
        const std::string v = dev.GetFirstValue();
        if (v.empty()) {
            std::this_thread::yield();
            continue;
        }
        ASSERT_EQ(v, std::to_string(next));
        d.DropValue(0);
        ++next;
    }
    worker.join();
    EXPECT_EQ(dev.ValueCount(), 0u);
    d.ResetDevices();
}

TEST(DeviceListModel, RowDevIdxAndLookups) {
    tDeviceListModel rows;
    tDeviceListRow a;
    a.Caption = "COM1 ?";
    tDeviceListRow b;
    b.Caption = "USB2";
    b.SubItems[SubItemDevIdx] = "3";
    rows.Add(a);
    rows.Add(b);
    EXPECT_EQ(rows.FindCaptionContaining("COM1"), 0);
    EXPECT_EQ(rows.FindCaptionContaining("USB"), 1);
    EXPECT_EQ(rows.FindCaptionContaining("COM2"), -1);
    EXPECT_EQ(rows.FindByDevIdx(3), 1);
    EXPECT_EQ(rows.Row(0).DevIdx(), -1);
    rows.Row(0).SubItems[SubItemDevIdx] = "1x";
    EXPECT_EQ(rows.Row(0).DevIdx(), -1);
}

TEST(EngineMessages, PostedMessagesReachTheSinkFromAnyThread) {
    TempProgDir prog;
    TD d;
    d.PostMsg(MsgValueQueued, 0, 0);  // no sink yet: dropped
    tavrix::RecordingMessageSink sink;
    d.SetMessageSink(&sink);
    std::thread t([&] { d.PostMsg(MsgDeviceState, 3, 1); });
    ASSERT_TRUE(sink.waitFor([](const auto& m) { return !m.empty(); }, std::chrono::seconds(10)));
    t.join();
    ASSERT_EQ(sink.messages().size(), 1u);
    EXPECT_EQ(sink.messages()[0], (tavrix::EngineMessage{MsgDeviceState, 3, 1}));
    d.SetMessageSink(nullptr);
}

}  // namespace
