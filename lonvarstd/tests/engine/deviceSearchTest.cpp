// The device search, opening and closing, run against the gauge bench: real
// cable and port layers, simulated cables, ports and gauges.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "bench/bench_ports.h"
#include "engine/dataModule.h"
#include "engineTestSupport.h"
#include "gauge_bench.h"
#include "support/new_ini_file.h"

namespace {

using tavrix::gaugebench::GaugeBench;
using tavrix::test::TempProgDir;
using tavrix::test::WriteFile;

class SearchTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(bench.running()) << bench.error();
        setenv("TAVRIX_BENCH", bench.socketPath().c_str(), 1);
        tavrix::test::KeepComPortsOffTheMachine(prog, 3);
    }
    void TearDown() override {
        d.ResetDevices();
        unsetenv("TAVRIX_BENCH");
    }
    void Bench(const std::string& line) { ASSERT_TRUE(bench.run(line)) << line; }
    std::string State(const std::string& line) { return bench.command("state " + line).text; }

    // Only the bench's ports are ever tested: the machine's own lines stay untouched.
    TD& Data() {
        d.PortLister = &tavrix::bench::listBenchPorts;
        return d;
    }
    // What a re-search does: reset, search again.
    void Research() {
        d.ResetDevices();
        d.SrchDevices(true, true);
    }

    TempProgDir prog;
    GaugeBench bench;
    TD d;
};

TEST_F(SearchTest, OnlyComOneOrTwoBecomesADeviceAndTheFirstListedWins) {
    Bench("port COM3");
    Bench("port COM2");
    Bench("port COM1");
    std::vector<std::string> names;
    Data().ListComPorts(names);
    EXPECT_NE(std::find(names.begin(), names.end(), "COM3"), names.end());
    const std::string first = names.front() == "COM3" ? names[1] : names[0];

    d.SrchDevices(true, false);
    ASSERT_EQ(d.Devices.size(), 1u);
    EXPECT_EQ(d.Devices[0]->GetPortName(), first);
    EXPECT_EQ(d.Rs232Devices.size(), 1u);
    EXPECT_EQ(d.DeviceRows.Count(), 1u);
    EXPECT_EQ(d.DeviceRows.Row(0).Caption, first);
    EXPECT_EQ(d.DeviceRows.Row(0).SubItems[SubItemDevIdx], "0");

    // Without COM1 and COM2 nothing is taken, though COM3 is listed.
    Bench("remove COM1");
    Bench("remove COM2");
    Research();
    EXPECT_TRUE(d.Devices.empty());
    EXPECT_EQ(d.DeviceRows.Row(0).Caption, first + " ?");

    // The one switch governs both ports.
    Bench("port COM2");
    d.ShowCom1 = d.ShowCom2 = false;
    Research();
    EXPECT_TRUE(d.Devices.empty());
}

TEST_F(SearchTest, OnlyTheFirstUsableCableOfAKnownTypeIsTaken) {
    Bench("cable blank serial= desc=Lumo");
    Bench("cable odd serial=XX1 desc=lumo");
    Bench("cable first serial=LU1 desc=\" Lumo\"");
    Bench("cable second serial=GV1 desc=40GVw");
    Data().SrchDevices(true, true);
    ASSERT_EQ(d.Devices.size(), 1u);
    EXPECT_EQ(d.UsbFound, 1);
    const tDevice& dev = *d.Devices[0];
    EXPECT_EQ(dev.GetSerNr(), "LU1");
    EXPECT_EQ(dev.GetPortName(), "USB3");
    EXPECT_EQ(dev.DescrIdx, 2);
    EXPECT_EQ(dev.DescrText, " Lumo");
    EXPECT_EQ(dev.GetSectionName(), "Lumo LU1");
    ASSERT_EQ(d.DeviceRows.Count(), 1u);
    const tDeviceListRow& row = d.DeviceRows.Row(0);
    EXPECT_EQ(row.Caption, "USB3");
    EXPECT_EQ(row.ImageIndex, 0);
    EXPECT_EQ(row.SubItems[SubItemDescription], "Lumo  (DEF)");
    EXPECT_EQ(row.SubItems[SubItemSerialNo], "LU1");
    EXPECT_EQ(row.SubItems[SubItemDevIdx], "0");
}

TEST_F(SearchTest, ACableThatCannotBeOpenedIsShownAndToldOnceUntilItOpens) {
    // What a cable without permission (or held by another program) gives: its names
    // cannot be read.
    Bench("cable locked serial=LU7 desc=Lumo");
    Bench("fail locked serial 3");
    Bench("fail locked desc 3");
    std::vector<std::string> told;
    Data().OnAccessProblem = [&](const std::string& message) { told.push_back(message); };
    d.SrchDevices(true, true);
    Research();
    EXPECT_TRUE(d.Devices.empty());
    ASSERT_EQ(d.DeviceRows.Count(), 1u);
    EXPECT_EQ(d.DeviceRows.Row(0).Caption, "USB1");
    EXPECT_EQ(d.DeviceRows.Row(0).SubItems[SubItemState], d.Captions.NoCableAccess);
    ASSERT_EQ(told.size(), 1u);
    EXPECT_NE(told[0].find(d.Captions.NoCableAccessAdvice), std::string::npos);

    // Once it opens (rule installed, the other program ended) it is an instrument again.
    Bench("heal locked");
    Research();
    ASSERT_EQ(d.Devices.size(), 1u);
    EXPECT_EQ(d.Devices[0]->GetSerNr(), "LU7");
    EXPECT_EQ(d.DeviceRows.Count(), 1u);
    EXPECT_EQ(told.size(), 1u);
}

TEST_F(SearchTest, FirstSearchShowsOnlyKnownTypesAndTestModeTakesTheStandIn) {
    Bench("cable plain serial=US1 desc=US232B");
    Data().SrchDevices(true, true);
    EXPECT_TRUE(d.Devices.empty());
    EXPECT_EQ(d.DeviceRows.Count(), 0u);

    SwitchD = true;
    Research();
    SwitchD = false;
    ASSERT_EQ(d.Devices.size(), 1u);
    EXPECT_TRUE(d.Devices[0]->IsSwitch());
    EXPECT_EQ(d.Devices[0]->DescrText, "TV-I");
    EXPECT_EQ(d.Devices[0]->GetSectionName(), "TV-I US1");
}

TEST_F(SearchTest, UnpluggedDeviceKeepsItsRowAndComesBackWithItsSettings) {
    Bench("port COM1");
    Bench("cable lumo serial=LU1 desc=Lumo");
    Bench("cable switch serial=SW1 desc=TV-I");
    Data().SrchDevices(true, true);
    std::uint32_t count = FtDeviceCount;
    EXPECT_EQ(count, 2u);
    EXPECT_FALSE(d.SrchOnUsbChange(count));  // nothing changed: no search
    ASSERT_EQ(d.Devices.size(), 2u);
    ASSERT_EQ(d.DeviceRows.Count(), 2u);
    EXPECT_EQ(d.DeviceRows.Row(0).Caption, "COM1");
    EXPECT_EQ(d.DeviceRows.Row(1).Caption, "USB1");
    d.Devices[1]->DeviceName = "Height gauge";
    d.Devices[1]->MwXlsZielCol = 5;
    d.DeviceRows.Row(1).SubItems[SubItemValue] = "+0001.1111";

    Bench("unplug lumo");
    ASSERT_TRUE(d.SrchOnUsbChange(count));
    // The switch cable is not of the row's cable, but the row takes the first cable there is.
    ASSERT_EQ(d.Devices.size(), 2u);
    EXPECT_EQ(d.Devices[1]->GetSerNr(), "SW1");
    EXPECT_EQ(d.DeviceRows.Row(1).SubItems[SubItemSerialNo], "SW1");

    // Settings made between the search and the opening decide what opens: the COM
    // port gauge given its type there is opened and read.
    Bench("unplug switch");
    bool closedBeforeOpening = false;
    ASSERT_TRUE(d.SrchOnUsbChange(count, [&] {
        closedBeforeOpening = !d.Devices.at(0)->Opened;
        d.Devices[0]->DescrIdx = 1;
        d.Devices[0]->Descr = d.Rs232Descrs[1].get();
    }));
    EXPECT_TRUE(closedBeforeOpening);
    EXPECT_TRUE(d.Devices[0]->Opened);
    ASSERT_EQ(d.Devices.size(), 1u);
    const tDeviceListRow& gone = d.DeviceRows.Row(1);
    EXPECT_EQ(gone.Caption, "USB ?");
    EXPECT_EQ(gone.ImageIndex, NoImage);
    EXPECT_EQ(gone.SubItems[SubItemValue], "");
    EXPECT_EQ(gone.SubItems[SubItemDevIdx], "");
    EXPECT_EQ(gone.SubItemImages[SubItemState], 3);

    Bench("plug lumo");
    ASSERT_TRUE(d.SrchOnUsbChange(count));
    ASSERT_EQ(d.Devices.size(), 2u);
    ASSERT_EQ(d.DeviceRows.Count(), 2u);
    const tDeviceListRow& back = d.DeviceRows.Row(1);
    EXPECT_EQ(back.Caption, "USB1");
    EXPECT_EQ(back.ImageIndex, 0);
    EXPECT_EQ(back.SubItems[SubItemDevIdx], "1");
    EXPECT_EQ(back.SubItems[SubItemSerialNo], "LU1");
    EXPECT_EQ(d.Devices[1]->DeviceName, "Height gauge");
    EXPECT_EQ(d.Devices[1]->MwXlsZielCol, 5);
    EXPECT_EQ(d.Devices[1]->ItemIdx, 1);
    EXPECT_TRUE(d.UseTmpConfig);
}

TEST_F(SearchTest, UnknownCableInAKnownRowKeepsTheUndefinedType) {
    Bench("cable lumo serial=LU1 desc=Lumo");
    Data().SrchDevices(true, true);
    Bench("unplug lumo");
    Bench("cable other serial=MY1 desc=Mystery");
    Research();
    ASSERT_EQ(d.Devices.size(), 1u);
    EXPECT_EQ(d.Devices[0]->DescrIdx, 0);
    EXPECT_EQ(d.Devices[0]->GetSectionName(), "UNDEF MY1");
    EXPECT_EQ(d.DeviceRows.Row(0).SubItems[SubItemDescription], "");
    EXPECT_EQ(d.DeviceRows.Row(0).SubItems[SubItemSerialNo], "MY1");
}

TEST_F(SearchTest, OpenAppliesTheLineSettingsOfTheType) {
    Bench("cable lumo serial=LU1 desc=Lumo");
    Bench("port COM1");
    Data().SrchDevices(true, true);
    ASSERT_EQ(d.Devices.size(), 2u);
    tDevice& com = *d.Devices[0];
    tDevice& usb = *d.Devices[1];

    d.OpenDevices(false);
    EXPECT_TRUE(usb.Opened);
    EXPECT_FALSE(usb.Open());  // already open
    const std::string state = State("lumo");
    EXPECT_NE(state.find("open=1"), std::string::npos) << state;
    EXPECT_NE(state.find("baud=4800"), std::string::npos) << state;
    EXPECT_NE(state.find("line=7,2,2"), std::string::npos) << state;
    EXPECT_NE(state.find("dtr=1 rts=1"), std::string::npos) << state;
    EXPECT_NE(state.find("timeouts=1,100"), std::string::npos) << state;
    // A port of undefined type is not opened.
    EXPECT_FALSE(com.Opened);
    EXPECT_NE(State("COM1").find("open=0"), std::string::npos);

    d.CloseDevices(false);
    EXPECT_FALSE(usb.Opened);
    EXPECT_NE(State("lumo").find("open=0"), std::string::npos);

    // Once its type is chosen the port opens with the gauge line.
    d.ResetDevices();
    WriteFile(prog.path("TVC.TMP"), "[COM_1]\r\nDeviceDescription=Lumo\r\n");
    d.SrchDevices(true, true);
    d.OpenDevices(false);
    ASSERT_TRUE(d.Devices[0]->Opened);
    const std::string comState = State("COM1");
    EXPECT_NE(comState.find("open=1"), std::string::npos) << comState;
    EXPECT_NE(comState.find("dtr=1 rts=1"), std::string::npos) << comState;
    d.CloseDevices(false);
}

TEST_F(SearchTest, FailedOpensLeaveDevicesClosed) {
    Bench("cable lumo serial=LU1 desc=Lumo");
    Bench("port COM1");
    WriteFile(prog.path("DAT/DEFAULT.TVC"), "[COM_1]\r\nDeviceDescription=Lumo\r\n");
    Data().SrchDevices(true, true);
    ASSERT_EQ(d.Devices.size(), 2u);
    Bench("fail lumo open 2");
    Bench("unplug COM1");
    d.OpenDevices(false);
    EXPECT_FALSE(d.Devices[0]->Opened);
    EXPECT_FALSE(d.Devices[1]->Opened);

    // Both come back once the line is there again.
    Bench("heal lumo");
    Bench("plug COM1");
    EXPECT_TRUE(d.Devices[0]->Open());
    EXPECT_TRUE(d.Devices[1]->Open());
    d.CloseDevices(false);
}

TEST_F(SearchTest, ResetLeavesListsEmptyAndKeepsAbsentSectionsUntouched) {
    Bench("cable lumo serial=LU1 desc=Lumo");
    WriteFile(prog.path("DAT/DEFAULT.TVC"),
              "[40GVw GONE]\r\nDeviceName=On the shelf\r\n[Lumo LU1]\r\nDeviceName=Bench\r\n");
    Data().SrchDevices(true, true);
    d.OpenDevices(true);
    d.ResetDevices();
    EXPECT_TRUE(d.Devices.empty());
    EXPECT_TRUE(d.FtDevices.empty());
    EXPECT_TRUE(d.Rs232Devices.empty());
    EXPECT_FALSE(d.ThreadsRunning);
    EXPECT_NE(State("lumo").find("open=0"), std::string::npos);
    tPgIniFile tmp(prog.path("TVC.TMP"));
    EXPECT_EQ(tmp.ReadString("Lumo LU1", "DeviceName", ""), "Bench");

    d.SaveConfig(false);
    tPgIniFile tvc(d.TvcFileName);
    EXPECT_EQ(tvc.ReadString("40GVw GONE", "DeviceName", ""), "On the shelf");
}

}  // namespace
