// The terminal lines say what happened to a value and to a line's status, not what was
// meant to happen.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "engine/dataModule.h"
#include "engineTestDevices.h"
#include "engineTestSupport.h"
#include "platform/spreadsheet/fake_office.h"
#include "shell/valueReport.h"

namespace {

using tavrix::spreadsheet::FakeOffice;
using tavrix::test::AddUsbDevice;
using tavrix::test::TempProgDir;

TEST(ValueReport, TheValueLineTellsWhereTheValueWentOrThatItWasNotWritten) {
    struct tCase {
        const char* name;
        std::function<void(TD&, tDevice&)> target;
        std::string line;  // after the value and two blanks; "<dir>" for the data folder
    };
    const tCase cases[] = {
        {"text file",
         [](TD& d, tDevice& dev) {
             dev.MwZielAppl = MwZielTxt;
             dev.MwTxtZielFile = d.DatDir() + "Device1.txt";
         },
         "-> text file <dir>Device1.txt"},
        {"text file in a folder that is not there",
         [](TD& d, tDevice& dev) {
             dev.MwZielAppl = MwZielTxt;
             dev.MwTxtZielFile = d.DatDir() + "gone/Device1.txt";
         },
         "NOT written to text file <dir>gone/Device1.txt (~Text-Datei?)"},
        {"no target", [](TD&, tDevice& dev) { dev.MwZielAppl = MwZielNone; }, "-> no target"},
        {"spreadsheet",
         [](TD& d, tDevice& dev) {
             d.XlsGlobSlct = false;
             dev.MwZielAppl = MwZielXls;
             dev.MwXlsZielVorlageSlct = true;
             dev.MwXlsZielVorlage = d.DatDir() + "Book.xlt";
             dev.MwXlsZielTable = "Tabelle1";
             dev.MwXlsZielStartRow = 3;
             dev.XlsRow = 3;
         },
         "-> spreadsheet column 1 of sheet \"Tabelle1\", row 3 of the document marked "},
        {"spreadsheet template that is not there",
         [](TD& d, tDevice& dev) {
             d.XlsGlobSlct = false;
             dev.MwZielAppl = MwZielXls;
             dev.MwXlsZielVorlageSlct = true;
             dev.MwXlsZielVorlage = d.DatDir() + "Missing.xlt";
             dev.MwXlsZielTable = "Tabelle1";
         },
         "NOT written to spreadsheet column 1 of sheet \"Tabelle1\" (~Excel-Vorlage?)"},
    };
    for (const tCase& c : cases) {
        SCOPED_TRACE(c.name);
        TempProgDir prog;
        FakeOffice office;
        tavrix::RecordingMessageSink sink;
        TD d;
        d.SetMessageSink(&sink);
        d.SetXlsOffice(&office);
        tavrix::test::WriteFile(d.DatDir() + "Book.xlt", "");
        office.AddFile(d.DatDir() + "Book.xlt", {FakeOffice::MakeSheet("Tabelle1")});
        tDevice& dev = AddUsbDevice(d, 0, "LU1", "Lumo");
        c.target(d, dev);
        dev.AppendValue("+0001.1111 mm");
        ASSERT_TRUE(d.HandleValueMessage(0));
        std::string expected = c.line;
        if (const auto at = expected.find("<dir>"); at != std::string::npos) {
            expected.replace(at, 5, d.DatDir());
        }
        if (dev.MwZielAppl == MwZielXls && dev.LastValueWritten) expected += dev.XlsWbName;
        EXPECT_EQ(ValueLineText(dev), "+0001.1111  " + expected);
        d.ResetDevices();
    }
}

TEST(ValueReport, ALineStatusIsToldWhenItChanges) {
    TempProgDir prog;
    TD d;
    tDevice& dev = AddUsbDevice(d, 0, "LU1", "Lumo");
    tStatusLines lines;
    dev.FtStatusText = "~Text-Datei?";
    EXPECT_EQ(lines.Text(dev, 0), "OK");
    EXPECT_EQ(lines.Text(dev, 0), "") << "a good write after a good one says nothing";
    EXPECT_EQ(lines.Text(dev, 100), "error 100 ~Text-Datei?");
    EXPECT_EQ(lines.Text(dev, 0), "OK");
    d.ResetDevices();
}

}  // namespace
