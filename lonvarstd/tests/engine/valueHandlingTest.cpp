// From a queued answer to its target on the main thread: extraction, the text
// file, the order of the steps on message 1024, switch cycles and key requests.
#include <gtest/gtest.h>

#include "engine/dataModule.h"
#include "engine/valueExtraction.h"
#include "engineTestDevices.h"
#include "engineTestSupport.h"

namespace {

using tavrix::EngineMessage;
using tavrix::test::AddUsbDevice;
using tavrix::test::ReadFile;
using tavrix::test::TempProgDir;

class ValueTest : public ::testing::Test {
protected:
    void SetUp() override { d.SetMessageSink(&sink); }
    void TearDown() override { d.ResetDevices(); }

    // An instrument of the built-in "Lumo" type writing to DAT/<file>.
    tDevice& Gauge(const std::string& serial, const std::string& file = "Device1.txt") {
        tDevice& dev = AddUsbDevice(d, static_cast<int>(d.Devices.size()), serial, "Lumo");
        dev.MwZielAppl = MwZielTxt;
        dev.MwTxtZielFile = d.DatDir() + file;
        return dev;
    }

    TempProgDir prog;
    TD d;
    tavrix::RecordingMessageSink sink;
};

TEST(ValueExtraction, TokenAndFixedPositionRules) {
    TempProgDir prog;
    TD d;
    const tDeviceDescr& lumo = *d.UsbDescrs[2];
    EXPECT_EQ(tavrix::ExtractValueText("+0001.1111 mm", lumo), "+0001.1111");
    EXPECT_EQ(tavrix::ExtractValueText("  -0000.0520 mm", lumo), "-0000.0520");

    // An answer with fewer tokens than asked for gives its last token.
    EXPECT_EQ(tavrix::TokenText("a b", 3, " "), "b");
    EXPECT_EQ(tavrix::TokenText("a  b c", 2, " "), "b");
    EXPECT_EQ(tavrix::TokenText("abc", 0, " "), "abc");
    EXPECT_EQ(tavrix::TokenText("a;b c", 2, "; "), "b");

    tDescrRule fixed{RuleFixedPos, 3, 4, 0};
    EXPECT_EQ(tavrix::FixedPositionText("AB12.3456", fixed, " "), "12.3");
    EXPECT_EQ(tavrix::FixedPositionText("AB1 2.3456", tDescrRule{RuleFixedPos, 3, 5, 0}, " "),
              "12.3");
    EXPECT_EQ(tavrix::FixedPositionText("AB", fixed, " "), "");
    EXPECT_EQ(tavrix::FixedPositionText("AB12.3456", tDescrRule{RuleFixedPos, 0, 4, 0}, ""), "");

    // The first rule with a result wins; an unfit one passes to the next.
    tDeviceDescr descr;
    descr.FilterCount = 1;
    descr.FilterChars = " ";
    descr.Rules[0] = tDescrRule{RuleFixedPos, 40, 4, 0};
    descr.Rules[1] = tDescrRule{RuleToken, 0, 0, 2};
    EXPECT_EQ(tavrix::ExtractValueText("V 12.5 mm", descr), "12.5");
}

TEST_F(ValueTest, ExtractValueSetsTextAndNumberAndEmptyAnswersKeepThem) {
    tDevice& dev = Gauge("LU1");
    dev.AppendValue("  -0000.0520 mm");
    dev.ExtractValue();
    EXPECT_EQ(dev.MwText, "-0000.0520");
    EXPECT_DOUBLE_EQ(dev.MwValue, -0.052);

    dev.DropFirstValue();
    dev.AppendValue("");
    dev.ExtractValue();
    EXPECT_EQ(dev.MwText, "-0000.0520");

    // An answer that yields nothing clears the value.
    dev.DropFirstValue();
    dev.AppendValue("   ");
    dev.ExtractValue();
    EXPECT_EQ(dev.MwText, "");
    EXPECT_EQ(dev.MwValue, 0.0);
}

TEST_F(ValueTest, ValueMessageEvaluatesShowsDropsThenWritesTheLine) {
    tDevice& dev = Gauge("LU1");
    std::vector<std::string> shown;
    d.OnShowValue = [&](int index) {
        // Shown while the answer is still queued and before the file gets it.
        EXPECT_EQ(d.Devices[static_cast<std::size_t>(index)]->ValueCount(), 1u);
        EXPECT_EQ(ReadFile(dev.MwTxtZielFile).find(dev.MwText), std::string::npos);
        shown.push_back(dev.MwText);
    };
    EXPECT_FALSE(d.HandleValueMessage(0));  // nothing queued
    dev.AppendValue("+0001.1111 mm");
    EXPECT_TRUE(d.HandleValueMessage(0));
    dev.AppendValue("-0000.0520 mm");
    EXPECT_TRUE(d.HandleValueMessage(0));
    EXPECT_EQ(shown, (std::vector<std::string>{"+0001.1111", "-0000.0520"}));
    EXPECT_EQ(dev.ValueCount(), 0u);
    EXPECT_EQ(ReadFile(dev.MwTxtZielFile), "+0001.1111\r\n-0000.0520\r\n");
    EXPECT_EQ(sink.count(MsgDeviceError), 0u);  // a good write says nothing

    // No target: shown, written nowhere. A switch never writes, whatever its target.
    dev.MwZielAppl = MwZielNone;
    dev.AppendValue("+0003.0000 mm");
    EXPECT_TRUE(d.HandleValueMessage(0));
    tDevice& sw = AddUsbDevice(d, 1, "SW1", "TV-I");
    sw.MwZielAppl = MwZielTxt;
    sw.MwTxtZielFile = dev.MwTxtZielFile;
    sw.AppendValue("ON ");
    EXPECT_TRUE(d.HandleValueMessage(1));
    EXPECT_EQ(sw.MwText, "ON ");
    EXPECT_EQ(ReadFile(dev.MwTxtZielFile), "+0001.1111\r\n-0000.0520\r\n");
}

TEST_F(ValueTest, UnwritableTextFileIsReportedAndTheNextGoodWriteClearsIt) {
    tDevice& dev = Gauge("LU1", "no-such-folder/Device1.txt");
    dev.MwText = "+0001.1111";
    d.WriteTxtFile(0);
    EXPECT_EQ(dev.FtStatusText.get(), "~Text-Datei?");
    d.WriteTxtFile(0);
    EXPECT_EQ(sink.messages(),
              (std::vector<EngineMessage>{{MsgDeviceError, 100, 0}, {MsgDeviceError, 100, 0}}));

    sink.clear();
    dev.MwTxtZielFile = d.DatDir() + "Device1.txt";
    d.WriteTxtFile(0);
    d.WriteTxtFile(0);
    EXPECT_EQ(sink.messages(), (std::vector<EngineMessage>{{MsgDeviceError, 0, 0}}));
    EXPECT_EQ(ReadFile(dev.MwTxtZielFile), "+0001.1111\r\n+0001.1111\r\n");
}

TEST_F(ValueTest, TextFileRecoveryDoesNotHideACableThatStillFails) {
    tDevice& dev = Gauge("LU1", "no-such-folder/Device1.txt");
    // What the worker keeps of its cable's last status.
    dev.FtStatus = 4;
    dev.CableStatusText = "device not found";
    dev.FtStatusText = "device not found";
    dev.MwText = "+0001.1111";
    d.WriteTxtFile(0);
    EXPECT_EQ(dev.FtStatusText.get(), "~Text-Datei?");
    dev.MwTxtZielFile = d.DatDir() + "Device1.txt";
    d.WriteTxtFile(0);
    EXPECT_EQ(sink.messages(),
              (std::vector<EngineMessage>{{MsgDeviceError, 100, 0}, {MsgDeviceError, 4, 0}}));
    EXPECT_EQ(dev.FtStatusText.get(), "device not found");
}

TEST_F(ValueTest, SwitchCycleRequestsOnlyTheBoundInstrumentsOnTheirStep) {
    tDevice& sw = AddUsbDevice(d, 0, "SW1", "TV-I");
    sw.SchalterCycleCount = 3;
    tDevice& everyPress = Gauge("LU1");
    tDevice& stepTwo = Gauge("LU2");
    tDevice& otherSwitch = Gauge("LU3");
    tDevice& byKey = Gauge("LU4");
    for (tDevice* dev : {&everyPress, &stepTwo, &otherSwitch}) dev->AnforderType = AnforderSwitch;
    everyPress.AnforderSerNrTVI = stepTwo.AnforderSerNrTVI = byKey.AnforderSerNrTVI = "SW1";
    otherSwitch.AnforderSerNrTVI = "SW2";
    byKey.AnforderType = AnforderKey;
    stepTwo.AnforderCycle = true;
    stepTwo.AnforderCycleIdx = 2;

    std::string steps;
    std::string stepTwoRequests;
    for (int press = 0; press < 6; ++press) {
        for (const char* state : {"ON ", "OFF"}) {
            sw.AppendValue(state);
            d.HandleValueMessage(0);
        }
        steps += std::to_string(sw.SchalterCycleIdx);
        stepTwoRequests += stepTwo.ExtRequest.exchange(false) ? "R" : "-";
        EXPECT_TRUE(everyPress.ExtRequest.exchange(false));
    }
    EXPECT_EQ(steps, "123123");
    EXPECT_EQ(stepTwoRequests, "-R--R-");
    EXPECT_FALSE(otherSwitch.ExtRequest);
    EXPECT_FALSE(byKey.ExtRequest);
}

TEST_F(ValueTest, FunctionKeysRequestOnlyInstrumentsBoundToThem) {
    EXPECT_EQ(TD::KeyNameToCode("F1"), 112);
    EXPECT_EQ(TD::KeyNameToCode("F12"), 123);
    EXPECT_EQ(TD::KeyNameToCode("f1"), 0);
    EXPECT_TRUE(TD::IsRequestKey(123));
    EXPECT_FALSE(TD::IsRequestKey(124));

    tDevice& f2 = Gauge("LU1");
    tDevice& lowerF2 = Gauge("LU2");
    tDevice& timer = Gauge("LU3");
    tDevice& sw = AddUsbDevice(d, 3, "SW1", "TV-I");
    for (tDevice* dev : {&f2, &lowerF2, &sw}) dev->AnforderType = AnforderKey;
    timer.AnforderType = AnforderTimer;
    f2.AnforderTasteKeyb = timer.AnforderTasteKeyb = sw.AnforderTasteKeyb = "F2";
    lowerF2.AnforderTasteKeyb = "f2";

    EXPECT_FALSE(d.KeyRequest(112));
    EXPECT_FALSE(d.KeyRequest('A'));
    EXPECT_TRUE(d.KeyRequest(113));
    EXPECT_TRUE(f2.ExtRequest);
    EXPECT_FALSE(lowerF2.ExtRequest);
    EXPECT_FALSE(timer.ExtRequest);
    EXPECT_FALSE(sw.ExtRequest);
}

}  // namespace
