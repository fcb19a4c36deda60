// The program INI file and the configuration files: defaults, checks, the
// column counter, round trips, and keys the program does not know.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "engine/dataModule.h"
#include "engineTestDevices.h"
#include "engineTestSupport.h"
#include "support/new_ini_file.h"
#include "support/prog_layout.h"

namespace {

using tavrix::test::AddRs232Device;
using tavrix::test::AddUsbDevice;
using tavrix::test::ReadFile;
using tavrix::test::TempProgDir;
using tavrix::test::WriteFile;

class ConfigTest : public ::testing::Test {
protected:
    TempProgDir prog;
};

TEST_F(ConfigTest, FreshInstallationUsesTheDataFolderAndFirstSaveCreatesTheFile) {
    TD d;
    EXPECT_EQ(d.TvcFileName, prog.dir() + "/DAT/DEFAULT.TVC");
    EXPECT_EQ(d.XlsZielVorlageDir, prog.dir() + "/");
    EXPECT_EQ(d.XlsZielFileDir, prog.dir() + "/DAT/");
    EXPECT_EQ(d.TxtZielFileDir, prog.dir() + "/DAT/");
    EXPECT_TRUE(d.ShowCom1);
    EXPECT_TRUE(d.ShowCom2);

    AddUsbDevice(d, 0, "LU1", "Lumo");
    d.LoadConfig(false);
    EXPECT_EQ(d.XlsGlobVorlage, prog.dir() + "/Default.xlt");
    EXPECT_EQ(d.XlsGlobFile, prog.dir() + "/DAT/Lonvar.xls");
    const tDevice& dev = *d.Devices[0];
    EXPECT_EQ(dev.MwTxtZielFile, prog.dir() + "/DAT/Device1.txt");
    EXPECT_EQ(dev.MwXlsZielFile, prog.dir() + "/DAT/Lonvar.xls");
    EXPECT_EQ(dev.DeviceName, "LU1");
    EXPECT_EQ(dev.MwZielAppl, MwZielXls);

    // Reading alone leaves an empty file; the save writes the settings into it.
    d.Devices[0]->DeviceName = "Bench 3";
    d.SaveConfig(false);
    tPgIniFile saved(prog.path("DAT/DEFAULT.TVC"));
    EXPECT_EQ(saved.ReadString("Lumo LU1", "DeviceName", ""), "Bench 3");
    EXPECT_EQ(saved.ReadString("Lumo LU1", "MwXlsZielCol", ""), "1");
    EXPECT_EQ(saved.ReadString("Lumo LU1", "MwTxtZielFile", ""), prog.dir() + "/DAT/Device1.txt");
    EXPECT_EQ(saved.ReadString("DEFAULT", "XlsGlobVorlage", ""), prog.dir() + "/Default.xlt");
    d.ResetDevices();
}

TEST_F(ConfigTest, ProgramIniChecksItsValues) {
    WriteFile(prog.path("Tavrix.INI"),
              "[DEFAULT]\r\nShowCom1=0\r\nShowCom2=1\r\nXlsZielVorlageDir=/no/such/dir/\r\n"
              "XlsZielFileDir=" +
                  prog.dir() +
                  "\r\nTxtZielFileDir=\r\n"
                  "TvcFileName=/no/such/dir/X.TVC\r\nLANGUAGE=English\r\n");
    TD d;
    EXPECT_FALSE(d.ShowCom1);
    EXPECT_FALSE(d.ShowCom2);  // one switch for both ports
    EXPECT_EQ(d.XlsZielVorlageDir, prog.dir() + "/");
    EXPECT_EQ(d.XlsZielFileDir, prog.dir());
    EXPECT_EQ(d.TxtZielFileDir, prog.dir() + "/DAT/");
    EXPECT_EQ(d.TvcFileName, prog.dir() + "/DAT/DEFAULT.TVC");

    d.TvcFileName = prog.dir() + "/DAT/Shop.TVC";
    d.ShowCom1 = d.ShowCom2 = true;
    d.SaveProgIni();
    TD again;
    EXPECT_EQ(again.TvcFileName, prog.dir() + "/DAT/Shop.TVC");
    EXPECT_TRUE(again.ShowCom2);
    tPgIniFile ini(ProgIniFile);
    EXPECT_EQ(ini.ReadString("DEFAULT", "LANGUAGE", ""), "English");  // other keys stay
}

TEST_F(ConfigTest, ColumnCounterRestartsPerConnectionKindAndSkipsSwitchCables) {
    TD d;
    AddUsbDevice(d, 0, "SW1", "TV-I");
    AddUsbDevice(d, 1, "LU1", "Lumo");
    AddUsbDevice(d, 2, "LU2", "40GVw");
    AddRs232Device(d, 1);
    WriteFile(d.TvcFileName, "[COM_1]\r\nDeviceDescription=Lumo\r\n");
    d.LoadConfig(false);
    EXPECT_EQ(d.Devices[0]->MwXlsZielCol, 1);
    EXPECT_EQ(d.Devices[1]->MwXlsZielCol, 1);
    EXPECT_EQ(d.Devices[2]->MwXlsZielCol, 2);
    EXPECT_EQ(d.Devices[3]->MwXlsZielCol, 1);
    EXPECT_EQ(d.Devices[1]->MwXlsZielTable, "Tabelle1");
    EXPECT_EQ(d.Devices[3]->MwXlsZielTable, "Tabelle2");
    EXPECT_EQ(d.Devices[3]->DeviceName, "COM1");
    EXPECT_EQ(d.Devices[3]->DescrIdx, 1);
    d.ResetDevices();
}

TEST_F(ConfigTest, Rs232TypeComesFromTheFileTrimmedAndCaseSensitive) {
    TD d;
    tDevice& com = AddRs232Device(d, 1);
    for (const auto& [stored, idx, text] : std::vector<std::tuple<std::string, int, std::string>>{
             {" Lumo ", 1, "Lumo"}, {"lumo", 0, "UNDEF"}, {"40GVw", 0, "UNDEF"}}) {
        WriteFile(d.TvcFileName, "[COM_1]\r\nDeviceDescription=" + stored + "\r\n");
        d.LoadConfig(false);
        EXPECT_EQ(com.DescrIdx, idx) << stored;
        EXPECT_EQ(com.DescrText, text) << stored;
        EXPECT_EQ(com.Descr, d.Rs232Descrs[idx].get());
    }
    d.ResetDevices();
}

TEST_F(ConfigTest, EveryKeyRoundTripsAndTheSwitchCycleRestarts) {
    {
        TD d;
        d.XlsGlobSlct = false;
        d.XlsGlobVorlageSlct = false;
        d.XlsGlobVorlage = "/x/T.xlt";
        d.XlsGlobFile = "/x/G.xls";
        AddUsbDevice(d, 0, "SW9", "TV-I");
        tDevice& com = AddRs232Device(d, 2);
        com.DescrIdx = 1;
        com.Descr = d.Rs232Descrs[1].get();
        com.DescrText = "Lumo";
        int n = 0;
        for (auto& dev : d.Devices) {
            ++n;
            dev->DeviceName = "Name " + std::to_string(n);
            dev->DeviceType = "Type=" + std::to_string(n);  // "=" inside a value
            dev->AnforderType = static_cast<std::uint8_t>(n + 1);
            dev->AnforderTasteKeyb = "F1" + std::to_string(n);
            dev->AnforderSerNrTVI = "SW9";
            dev->AnforderTicksTimer = 2500 * n;
            dev->AnforderCycle = true;
            dev->AnforderCycleIdx = n + 1;
            dev->SchalterCycleCount = n + 3;
            dev->SchalterCycleIdx = 2;
            dev->MwZielAppl = MwZielTxt;
            dev->MwTxtZielFile = " /data/with blank.txt ";
            dev->MwXlsZielVorlageSlct = false;
            dev->MwXlsZielVorlage = "/v/" + std::to_string(n) + ".xlt";
            dev->MwXlsZielFile = "/f/" + std::to_string(n) + ".xls";
            dev->MwXlsZielTable = "Blatt " + std::to_string(n);
            dev->MwXlsZielCol = 7 + n;
            dev->MwXlsZielStartRow = -3 + n;
        }
        d.SaveConfig(false);
        d.ResetDevices();
    }
    TD d;
    AddUsbDevice(d, 0, "SW9", "TV-I");
    AddRs232Device(d, 2);
    d.LoadConfig(false);
    EXPECT_FALSE(d.XlsGlobSlct);
    EXPECT_FALSE(d.XlsGlobVorlageSlct);
    EXPECT_EQ(d.XlsGlobVorlage, "/x/T.xlt");
    EXPECT_EQ(d.XlsGlobFile, "/x/G.xls");
    EXPECT_EQ(d.Devices[1]->DescrIdx, 1);
    EXPECT_EQ(d.Devices[1]->DescrText, "Lumo");
    int n = 0;
    for (auto& dev : d.Devices) {
        ++n;
        SCOPED_TRACE(dev->GetSectionName());
        EXPECT_EQ(dev->DeviceName, "Name " + std::to_string(n));
        EXPECT_EQ(dev->DeviceType, "Type=" + std::to_string(n));
        EXPECT_EQ(dev->AnforderType, n + 1);
        EXPECT_EQ(dev->AnforderTasteKeyb, "F1" + std::to_string(n));
        EXPECT_EQ(dev->AnforderSerNrTVI, "SW9");
        EXPECT_EQ(dev->AnforderTicksTimer, 2500 * n);
        EXPECT_TRUE(dev->AnforderCycle);
        EXPECT_EQ(dev->AnforderCycleIdx, n + 1);
        EXPECT_EQ(dev->SchalterCycleCount, n + 3);
        EXPECT_EQ(dev->SchalterCycleIdx, 0);  // a cycle starts anew at every load
        EXPECT_EQ(dev->MwZielAppl, MwZielTxt);
        EXPECT_EQ(dev->MwTxtZielFile, " /data/with blank.txt ");
        EXPECT_FALSE(dev->MwXlsZielVorlageSlct);
        EXPECT_EQ(dev->MwXlsZielVorlage, "/v/" + std::to_string(n) + ".xlt");
        EXPECT_EQ(dev->MwXlsZielFile, "/f/" + std::to_string(n) + ".xls");
        EXPECT_EQ(dev->MwXlsZielTable, "Blatt " + std::to_string(n));
        EXPECT_EQ(dev->MwXlsZielCol, 7 + n);
        EXPECT_EQ(dev->MwXlsZielStartRow, -3 + n);
        EXPECT_EQ(dev->XlsRow, -3 + n);
    }
    d.ResetDevices();
}

TEST_F(ConfigTest, HandEditedFileKeepsUnknownKeysAndAbsentDevices) {
    TD d;
    const std::string absent = "[Lumo GONE1]\r\nDeviceName=Unplugged gauge\r\nMwXlsZielCol=4\r\n";
    WriteFile(d.TvcFileName, "[DEFAULT]\r\nXlsGlobVorlage=/t.xlt\r\nComment=kept\r\n" + absent +
                                 "[Lumo LU1]\r\nDeviceName=Bench\r\nMyNote=calibrated 2024\r\n"
                                 "MwXlsZielCol=abc\r\n");
    AddUsbDevice(d, 0, "LU1", "Lumo");
    d.LoadConfig(false);
    EXPECT_EQ(d.Devices[0]->DeviceName, "Bench");
    EXPECT_EQ(d.Devices[0]->MwXlsZielCol, 1);  // not a number: the counter's default
    d.SaveConfig(false);

    const std::string text = ReadFile(d.TvcFileName);
    EXPECT_NE(text.find("Comment=kept\r\n"), std::string::npos);
    EXPECT_NE(text.find("MyNote=calibrated 2024\r\n"), std::string::npos);
    EXPECT_NE(text.find(absent), std::string::npos);
    EXPECT_NE(text.find("MwXlsZielCol=1\r\n"), std::string::npos);
    d.ResetDevices();
}

TEST_F(ConfigTest, UnknownCableKeepsItsSectionUntilItsTypeIsKnown) {
    TD d;
    tDevice& dev = AddUsbDevice(d, 0, "MY42", "Mystery");
    EXPECT_EQ(dev.GetSectionName(), "UNDEF MY42");
    d.LoadConfig(false);
    dev.DeviceName = "Old friend";
    d.SaveConfig(false);
    {
        tPgIniFile ini(d.TvcFileName);
        EXPECT_EQ(ini.ReadString("UNDEF MY42", "DeviceName", ""), "Old friend");
    }
    // Once the type is known the settings go to the caption's section; the old one stays.
    dev.DescrIdx = 2;
    dev.Descr = d.UsbDescrs[2].get();
    dev.DeviceName = "Known now";
    d.SaveConfig(false);
    tPgIniFile ini(d.TvcFileName);
    EXPECT_EQ(ini.ReadString("Lumo MY42", "DeviceName", ""), "Known now");
    EXPECT_EQ(ini.ReadString("UNDEF MY42", "DeviceName", ""), "Old friend");
    EXPECT_EQ(ini.ReadString("Lumo MY42", "DeviceDescription", "none"), "none");
    d.ResetDevices();
}

TEST_F(ConfigTest, GlobalTargetFallsBackToTheProgramIni) {
    WriteFile(prog.path("Tavrix.INI"),
              "[DEFAULT]\r\nXlsGlobSlct=0\r\nXlsGlobVorlage=/shop/Global.xlt\r\n");
    TD d;
    WriteFile(d.TvcFileName, "[DEFAULT]\r\nXlsGlobSlct=1\r\nXlsGlobFile=/cfg/G.xls\r\n");
    d.LoadConfig(false);
    EXPECT_FALSE(d.XlsGlobSlct);
    EXPECT_EQ(d.XlsGlobVorlage, "/shop/Global.xlt");
    EXPECT_EQ(d.XlsGlobFile, prog.dir() + "/DAT/Lonvar.xls");
}

TEST_F(ConfigTest, ResetDevicesKeepsSettingsInTheTemporaryFile) {
    TD d;
    AddUsbDevice(d, 0, "LU1", "Lumo");
    AddRs232Device(d, 1);
    d.LoadConfig(false);
    d.Devices[0]->DeviceName = "Changed, not saved";
    d.ResetDevices();
    EXPECT_TRUE(d.Devices.empty());
    EXPECT_TRUE(d.Rs232Devices.empty());
    EXPECT_TRUE(d.FtDevices.empty());
    EXPECT_TRUE(d.UseTmpConfig);
    tPgIniFile tmp(prog.path("TVC.TMP"));
    EXPECT_EQ(tmp.ReadString("Lumo LU1", "DeviceName", ""), "Changed, not saved");
    EXPECT_EQ(tmp.ReadString("COM_1", "DeviceDescription", ""), "UNDEF");
    EXPECT_EQ(ReadFile(d.TvcFileName).find("Changed"), std::string::npos);
}

TEST_F(ConfigTest, FailedTemporarySaveLeavesTheLastGoodFileInForce) {
    TD d;
    AddUsbDevice(d, 0, "LU1", "Lumo");
    // A folder where the temporary file should go cannot be written as a file.
    std::filesystem::create_directories(prog.path("TVC.TMP/x"));
    EXPECT_NO_THROW(d.ResetDevices());
    EXPECT_TRUE(d.Devices.empty());
    EXPECT_FALSE(d.UseTmpConfig);
    EXPECT_ANY_THROW(d.SaveConfig(true));
}

// A settings file that exists but cannot be read (here a folder in its place): the
// defaults take its place, the user hears of it once, and the file is left alone.
TEST_F(ConfigTest, UnreadableSettingsFilesGiveDefaultsAreReportedOnceAndStayUntouched) {
    struct Case {
        const char* name;
        std::string file;
        bool beforeTheDataModule;  // read while TD is made, before any handler is set
    };
    const std::vector<Case> cases = {
        {"configuration file", prog.path("DAT/DEFAULT.TVC"), false},
        {"temporary file", prog.path("TVC.TMP"), false},
        {"program INI file", prog.path("Tavrix.INI"), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove_all(c.file);
        std::filesystem::create_directories(c.file + "/inside");
        std::vector<std::string> reports;
        auto report = [&](const std::string& file, const std::string& error) {
            EXPECT_FALSE(error.empty());
            reports.push_back(file);
        };
        std::optional<TD> made;
        ASSERT_NO_THROW(made.emplace());
        TD& d = *made;
        EXPECT_TRUE(d.ShowCom1);
        d.SetOnSettingsFileError(report);
        d.UseTmpConfig = c.file == prog.path("TVC.TMP");
        AddUsbDevice(d, 0, "LU1", "Lumo");
        ASSERT_NO_THROW(d.SrchDevices(false, false));
        ASSERT_NO_THROW(d.SrchDevices(false, false));
        EXPECT_EQ(d.Devices[0]->DeviceName, "LU1");
        EXPECT_EQ(d.XlsGlobVorlage, prog.dir() + "/Default.xlt");
        EXPECT_EQ(reports, std::vector<std::string>{c.file});
        EXPECT_NE(d.LastSettingsFileError().find(c.file), std::string::npos);

        // Saving never puts the defaults in its place.
        if (c.beforeTheDataModule) {
            EXPECT_ANY_THROW(d.SaveProgIni());
        } else {
            EXPECT_ANY_THROW(d.SaveConfig(d.UseTmpConfig));
        }
        EXPECT_TRUE(std::filesystem::is_directory(c.file + "/inside"));
        d.ResetDevices();
        made.reset();
        std::filesystem::remove_all(c.file);
    }
}

// Installed: the settings live in the user's folder, relative names stored there mean that
// folder, and the program's own tree gets nothing.
TEST(InstalledConfig, RelativeNamesMeanTheUserFolderAndNothingIsWrittenBesideTheProgram) {
    TempProgDir root;
    const std::string user = root.path("home/");
    WriteFile(root.path("usr/share/tavrix/Default.xlt"), "template");
    tavrix::SetProgLayout(tavrix::tProgLayout::Installed(
        root.path("usr/bin/LonvarStd"), root.path("usr/share/tavrix/"),
        root.path("usr/lib/tavrix/"), {user + "config/", user + "data/", user + "cache/"}));
    const auto oldDir = std::filesystem::current_path();
    std::filesystem::current_path(tavrix::ProgLayout().PrepareUserFolders());
    WriteFile(user + "config/LonvarStd.INI", "[DEFAULT]\r\nTvcFileName=DAT/MINE.TVC\r\n");
    WriteFile(user + "data/DAT/MINE.TVC", "[Lumo LU1]\r\nDeviceName=Bench 7\r\n");

    {
        TD d;
        EXPECT_EQ(d.TvcFileName, "DAT/MINE.TVC");
        EXPECT_EQ(d.XlsZielVorlageDir, root.path("usr/share/tavrix/"));
        AddUsbDevice(d, 0, "LU1", "Lumo");
        d.LoadConfig(false);
        EXPECT_EQ(d.Devices[0]->DeviceName, "Bench 7");
        EXPECT_EQ(d.Devices[0]->MwTxtZielFile, user + "data/DAT/Device1.txt");
        EXPECT_EQ(d.XlsGlobVorlage, root.path("usr/share/tavrix/Default.xlt"));
        d.SaveProgIni();
        d.SaveConfig(false);
        d.ResetDevices();  // keeps the settings in TVC.TMP
    }
    EXPECT_NE(ReadFile(user + "data/DAT/MINE.TVC").find("Bench 7"), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(user + "cache/TVC.TMP"));
    std::vector<std::string> programTree;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root.path("usr"))) {
        programTree.push_back(entry.path().string());
    }
    std::sort(programTree.begin(), programTree.end());
    EXPECT_EQ(programTree,
              (std::vector<std::string>{root.path("usr/share"), root.path("usr/share/tavrix"),
                                        root.path("usr/share/tavrix/Default.xlt")}));
    std::filesystem::current_path(oldDir);
}

}  // namespace
