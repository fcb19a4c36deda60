// The spreadsheet output of the data module against the in-memory office: which
// workbook a device writes to, the marker that finds it again and is shared by
// instruments on one template, the free row, the queue, and the failures.
#include <gtest/gtest.h>

#include "platform/spreadsheet/fake_office.h"
#include "tests/xls/xlsTestSupport.h"

namespace {

using namespace tavrix::spreadsheet;
using tavrix::EngineMessage;
using tavrix::test::TempProgDir;
using tavrix::test::WriteFile;
using tavrix::test::XlsFileGauge;
using tavrix::test::XlsGauge;

class XlsWriteTest : public ::testing::Test {
protected:
    void SetUp() override {
        d.SetMessageSink(&sink);
        d.SetXlsOffice(&office);
        d.XlsGlobSlct = false;
        vorlage = prog.path("Messung.xlt");
        AddFile(vorlage, {FakeOffice::MakeSheet("Tabelle1")});
    }
    void TearDown() override { d.ResetDevices(); }

    // A file on disk that the office opens with these sheets.
    void AddFile(const std::string& path, std::vector<std::shared_ptr<FakeSheet>> sheets) {
        WriteFile(path, "");
        office.AddFile(path, std::move(sheets));
    }
    bool Write(tDevice& dev, const std::string& value) {
        dev.MwText = value;
        return d.XlsWriteValue(dev.DevIdx);
    }
    static const FakeCell* CellAt(const FakeBook& book, const std::string& sheet, int row,
                                  int col) {
        for (const auto& s : book.sheets) {
            if (s->name != sheet) continue;
            auto it = s->cells.find({row, col});
            return it == s->cells.end() ? nullptr : &it->second;
        }
        return nullptr;
    }
    static std::string TextAt(const FakeBook& book, const std::string& sheet, int row, int col) {
        const FakeCell* cell = CellAt(book, sheet, row, col);
        return cell ? cell->value.text : std::string();
    }
    std::vector<EngineMessage> Errors() const {
        std::vector<EngineMessage> out;
        for (const auto& m : sink.messages()) {
            if (m.msg == MsgDeviceError) out.push_back(m);
        }
        return out;
    }

    TempProgDir prog;
    TD d;
    FakeOffice office;
    tavrix::RecordingMessageSink sink;
    std::string vorlage;
};

TEST_F(XlsWriteTest, TemplateGivesAMarkedWorkbookWithValuesDownTheColumn) {
    tDevice& dev = XlsGauge(d, "LU1", vorlage, "Messung", 2, 4);
    EXPECT_TRUE(Write(dev, "+0012.500"));
    EXPECT_TRUE(Write(dev, "-0000.0520"));
    EXPECT_TRUE(Write(dev, "12.5 mm"));

    ASSERT_EQ(office.OpenBookCount(), 1);
    const FakeBook& book = *office.Book(1);
    EXPECT_EQ(book.path, "");  // a new untitled workbook, never the template itself
    const FakeCell* marker = CellAt(book, "Messung", 1, 256);
    ASSERT_NE(marker, nullptr);
    EXPECT_EQ(marker->value.text, dev.XlsWbName);
    EXPECT_EQ(dev.XlsWbName.rfind("Lonvar", 0), 0u);
    EXPECT_EQ(marker->fontColor, 0xFFFFFF);
    // Numbers go in as numbers, the rest as text; the probe cell is left empty.
    EXPECT_DOUBLE_EQ(CellAt(book, "Messung", 4, 2)->value.number, 12.5);
    EXPECT_DOUBLE_EQ(CellAt(book, "Messung", 5, 2)->value.number, -0.052);
    EXPECT_EQ(CellAt(book, "Messung", 6, 2)->value.kind, CellValue::Kind::Text);
    EXPECT_EQ(TextAt(book, "Messung", 6, 2), "12.5 mm");
    EXPECT_EQ(TextAt(book, "Messung", 3, 2), "");
    EXPECT_EQ(TextAt(book, "Messung", 2, 256), "");
    EXPECT_EQ(dev.XlsRow, 7);

    EXPECT_TRUE(office.visible());
    EXPECT_EQ(office.ActiveBookName(), book.name);
    EXPECT_EQ(office.ActiveSheetName(), "Messung");
    EXPECT_EQ(office.ActiveCell(), (std::pair<int, int>{6, 2}));
    EXPECT_EQ(Errors(), (std::vector<EngineMessage>(3, {MsgDeviceError, 0, 0})));
    EXPECT_EQ(d.XlsApp, nullptr);
    EXPECT_FALSE(d.DezTrennProbe);
    EXPECT_EQ(d.DezTrenn, '.');
}

TEST_F(XlsWriteTest, InstrumentsOnOneTemplateShareItsWorkbookUntilTheUserClosesIt) {
    tDevice& first = XlsGauge(d, "LU1", vorlage, "Links", 1);
    // The same template, spelt in other case: still one workbook.
    std::string upper = vorlage;
    upper.replace(upper.size() - 3, 3, "XLT");
    tDevice& second = XlsGauge(d, "LU2", upper, "Rechts", 3, 2);
    tDevice& elsewhere = XlsGauge(d, "LU3", prog.path("Andere.xlt"), "Links", 1);
    AddFile(prog.path("Andere.xlt"), {FakeOffice::MakeSheet("Tabelle1")});

    Write(first, "1.0");
    Write(second, "2.0");
    Write(first, "1.5");
    Write(elsewhere, "9.0");
    ASSERT_EQ(office.OpenBookCount(), 2);
    EXPECT_EQ(second.XlsWbName, first.XlsWbName);
    EXPECT_NE(elsewhere.XlsWbName, first.XlsWbName);
    const FakeBook& shared = *office.Book(1);
    EXPECT_EQ(TextAt(shared, "Links", 1, 1), "1");
    EXPECT_EQ(TextAt(shared, "Links", 2, 1), "1.5");
    EXPECT_EQ(TextAt(shared, "Rechts", 2, 3), "2");
    EXPECT_EQ(TextAt(shared, "Rechts", 1, 256), first.XlsWbName);
    EXPECT_EQ(TextAt(*office.Book(2), "Links", 1, 1), "9");

    // Closed by the user: both lose the marker, the next value starts a new workbook
    // from the template at the start row, and the other instrument follows it there.
    const std::string oldMarker = first.XlsWbName;
    office.CloseBook(1);
    Write(first, "3.0");
    EXPECT_NE(first.XlsWbName, oldMarker);
    EXPECT_EQ(second.XlsWbName, "");
    EXPECT_FALSE(elsewhere.XlsWbName.empty());
    ASSERT_EQ(office.OpenBookCount(), 2);
    const FakeBook& fresh = *office.Book(2);
    EXPECT_EQ(TextAt(fresh, "Links", 1, 1), "3");
    Write(second, "4.0");
    EXPECT_EQ(second.XlsWbName, first.XlsWbName);
    EXPECT_EQ(TextAt(fresh, "Rechts", 2, 3), "4");
    EXPECT_EQ(office.OpenBookCount(), 2);

    // A new search makes new records: with nobody holding the marker, a new workbook.
    first.XlsWbName.clear();
    second.XlsWbName.clear();
    Write(first, "5.0");
    EXPECT_EQ(office.OpenBookCount(), 3);
}

TEST_F(XlsWriteTest, ASwitchOrAFileModeDeviceNeverLendsItsMarker) {
    tDevice& first = XlsGauge(d, "LU1", vorlage, "A", 1);
    Write(first, "1.0");
    tDevice& sw = tavrix::test::AddUsbDevice(d, 1, "SW1", "TV-I");
    sw.MwXlsZielVorlageSlct = true;
    sw.MwXlsZielVorlage = vorlage;
    sw.XlsWbName = "LonvarFromSwitch";
    tDevice& second = XlsGauge(d, "LU2", vorlage, "B", 1);
    Write(second, "2.0");
    EXPECT_EQ(second.XlsWbName, first.XlsWbName);
    EXPECT_EQ(office.OpenBookCount(), 1);

    // In file mode its template setting does not count.
    first.MwXlsZielVorlageSlct = false;
    first.MwXlsZielFile = prog.path("none.xls");
    tDevice& third = XlsGauge(d, "LU3", vorlage, "C", 1);
    second.XlsWbName = "";
    Write(third, "3.0");
    EXPECT_NE(third.XlsWbName, first.XlsWbName);
    EXPECT_EQ(office.OpenBookCount(), 2);
}

TEST_F(XlsWriteTest, TheGlobalTargetAndAChangedTargetStartAgainAtTheStartRow) {
    const std::string file = prog.path("DAT/Werte.xls");
    auto werte = FakeOffice::MakeSheet("Werte");
    werte->cells[{1, 1}].value = CellValue::Text("Kopf");
    AddFile(file, {werte});
    d.XlsGlobSlct = true;
    d.XlsGlobVorlageSlct = false;
    d.XlsGlobFile = file;
    tDevice& dev = XlsGauge(d, "LU1", vorlage, "Werte", 1, 1);
    dev.XlsRow = 30;
    Write(dev, "1.0");
    ASSERT_EQ(office.OpenBookCount(), 1);
    EXPECT_EQ(office.Book(1)->name, "Werte.xls");
    EXPECT_EQ(TextAt(*office.Book(1), "Werte", 2, 1), "1");
    EXPECT_EQ(dev.XlsLastFile, file);
    EXPECT_FALSE(dev.XlsLastVorlageSlct);

    // Back to the device's own template: new marker, new workbook, start row again.
    d.XlsGlobSlct = false;
    dev.MwXlsZielStartRow = 5;
    Write(dev, "2.0");
    ASSERT_EQ(office.OpenBookCount(), 2);
    EXPECT_EQ(TextAt(*office.Book(2), "Werte", 5, 1), "2");
    EXPECT_EQ(dev.XlsLastVorlage, vorlage);
    EXPECT_TRUE(dev.XlsLastVorlageSlct);
}

TEST_F(XlsWriteTest, FileModeTakesTheOpenWorkbookAndItsMarkerAndNeverCreatesOne) {
    const std::string file = prog.path("DAT/Werte.xls");
    auto werte = FakeOffice::MakeSheet("Werte");
    werte->cells[{1, 256}].value = CellValue::Text("Lonvar" + std::string(40, '7'));
    AddFile(file, {werte});
    tDevice& dev = XlsFileGauge(d, "LU1", file, "Werte", 2);
    auto app = office.AttachOrStart().app;
    app->GetWorkbooks().open(file);  // the user has it open already

    Write(dev, "1.0");
    EXPECT_EQ(office.OpenBookCount(), 1);
    EXPECT_EQ(office.Counts().opens, 1);
    EXPECT_EQ(dev.XlsWbName, "Lonvar" + std::string(24, '7'));
    EXPECT_EQ(TextAt(*office.Book(1), "Werte", 1, 2), "1");
    // A sheet that is not there is added under the device's name.
    dev.MwXlsZielTable = "Neu";
    dev.XlsRow = 8;
    Write(dev, "2.0");
    EXPECT_EQ(TextAt(*office.Book(1), "Neu", 1, 2), "2");
    EXPECT_EQ(office.Book(1)->sheets.size(), 2u);

    // A workbook file that does not exist: nothing is made, the device says why.
    sink.clear();
    dev.MwXlsZielFile = prog.path("DAT/Fehlt.xls");
    EXPECT_FALSE(Write(dev, "3.0"));
    EXPECT_EQ(dev.FtStatusText.get(), "~Excel-Datei?");
    EXPECT_EQ(Errors(), (std::vector<EngineMessage>{{MsgDeviceError, 100, 0}}));
    EXPECT_FALSE(std::filesystem::exists(prog.path("DAT/Fehlt.xls")));
    EXPECT_EQ(office.OpenBookCount(), 1);
}

TEST_F(XlsWriteTest, FailuresAreReportedAndLeaveTheQueueAlone) {
    tDevice& dev = XlsGauge(d, "LU1", prog.path("Fehlt.xlt"), "A", 1);
    dev.AppendValue("+0002.0000 mm");
    EXPECT_FALSE(Write(dev, "1.0"));
    EXPECT_EQ(dev.FtStatusText.get(), "~Excel-Vorlage?");

    // A template that exists but does not open (the office cannot read it).
    WriteFile(prog.path("Kaputt.xlt"), "garbage");
    dev.MwXlsZielVorlage = prog.path("Kaputt.xlt");
    EXPECT_FALSE(Write(dev, "1.0"));
    EXPECT_EQ(dev.FtStatusText.get(), "~Excel-Vorlage?");

    office.Quit();
    office.SetStartable(false);
    dev.MwXlsZielVorlage = vorlage;
    EXPECT_FALSE(Write(dev, "1.0"));
    EXPECT_EQ(dev.FtStatusText.get(), "~Excel?");
    EXPECT_EQ(Errors(), (std::vector<EngineMessage>(3, {MsgDeviceError, 100, 0})));
    EXPECT_EQ(dev.ValueCount(), 1u);
    EXPECT_EQ(office.OpenBookCount(), 0);
    EXPECT_EQ(d.XlsApp, nullptr);

    // Out of range: nothing at all.
    sink.clear();
    EXPECT_FALSE(d.XlsWriteValue(5));
    EXPECT_FALSE(d.XlsWriteValue(-1));
    EXPECT_TRUE(sink.messages().empty());
}

TEST_F(XlsWriteTest, QueuedValuesWaitWhenTheOfficeHadToStartAndFollowInOrderNextTime) {
    tDevice& dev = XlsGauge(d, "LU1", vorlage, "A", 1);
    office.Quit();
    dev.AppendValue("+0001.0000 mm");
    dev.AppendValue("+0002.0000 mm");
    dev.AppendValue("+0003.0000 mm");

    EXPECT_TRUE(d.HandleValueMessage(0));  // starts the office: only this value
    EXPECT_EQ(dev.ValueCount(), 2u);
    ASSERT_EQ(office.OpenBookCount(), 1);
    EXPECT_EQ(TextAt(*office.Book(1), "A", 1, 1), "1");
    EXPECT_EQ(TextAt(*office.Book(1), "A", 2, 1), "");

    EXPECT_TRUE(d.HandleValueMessage(0));  // running now: this one and the rest
    EXPECT_EQ(dev.ValueCount(), 0u);
    EXPECT_EQ(TextAt(*office.Book(1), "A", 2, 1), "2");
    EXPECT_EQ(TextAt(*office.Book(1), "A", 3, 1), "3");
    EXPECT_EQ(dev.XlsRow, 4);
    EXPECT_EQ(dev.MwText, "+0003.0000");
    EXPECT_EQ(office.ActiveCell(), (std::pair<int, int>{3, 1}));
    EXPECT_FALSE(d.HandleValueMessage(0));  // the messages of the values taken along
}

TEST_F(XlsWriteTest, QueuedValuesGoPastTheUsersEntriesInsteadOfOverThem) {
    tDevice& dev = XlsGauge(d, "LU1", vorlage, "A", 1);
    Write(dev, "1.0");
    FakeSheet& sheet = *office.Book(1)->sheets.back();
    sheet.cells[{3, 1}].value = CellValue::Text("Notiz");
    dev.AppendValue("+0003.0000 mm");
    Write(dev, "2.0");
    EXPECT_EQ(TextAt(*office.Book(1), "A", 2, 1), "2");
    EXPECT_EQ(TextAt(*office.Book(1), "A", 3, 1), "Notiz");
    EXPECT_EQ(TextAt(*office.Book(1), "A", 4, 1), "3");
    EXPECT_EQ(dev.XlsRow, 5);
}

TEST_F(XlsWriteTest, TheDecimalSeparatorIsProbedOnceFromTheOffice) {
    office.SetSeparators({",", "."});
    tDevice& dev = XlsGauge(d, "LU1", vorlage, "A", 1);
    Write(dev, "+0012.500");
    EXPECT_EQ(d.DezTrenn, ',');
    EXPECT_FALSE(d.DezTrennProbe);
    const FakeCell* cell = CellAt(*office.Book(1), "A", 1, 1);
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(cell->value.kind, CellValue::Kind::Number);
    EXPECT_DOUBLE_EQ(cell->value.number, 12.5);
    EXPECT_EQ(TextAt(*office.Book(1), "A", 2, 256), "");

    // Not asked again within the run, whatever the office says now.
    const int writes = office.Counts().cellWrites;
    office.SetSeparators({".", ","});
    Write(dev, "1,5");
    EXPECT_EQ(d.DezTrenn, ',');
    EXPECT_EQ(office.Counts().cellWrites - writes, 2);  // marker and value
}

TEST_F(XlsWriteTest, AnAutomationErrorOnTheSheetReachesTheStatusWindowsHandler) {
    tDevice& dev = XlsGauge(d, "LU1", vorlage, "A", 0);  // a column no sheet has
    dev.AppendValue("+0001.0000 mm");
    EXPECT_THROW(Write(dev, "1.0"), AutomationError);
    EXPECT_EQ(d.XlsApp, nullptr);

    std::vector<std::pair<int, std::string>> reported;
    d.OnXlsError = [&](int index, const std::string& error) {
        reported.emplace_back(index, error);
    };
    EXPECT_TRUE(d.HandleValueMessage(0));
    ASSERT_EQ(reported.size(), 1u);
    EXPECT_EQ(reported[0].first, 0);
    EXPECT_FALSE(reported[0].second.empty());
    EXPECT_EQ(dev.ValueCount(), 0u);
    EXPECT_EQ(d.XlsApp, nullptr);
    // The workbook made from the template was marked at once: the failed calls share it.
    EXPECT_EQ(office.OpenBookCount(), 1);

    // The user closes the workbook while the office stays: the next value opens a new one.
    dev.MwXlsZielCol = 1;
    Write(dev, "1.0");
    office.CloseBook(office.OpenBookCount());
    EXPECT_TRUE(Write(dev, "2.0"));
    EXPECT_EQ(TextAt(*office.Book(office.OpenBookCount()), "A", 1, 1), "2");
}

// A sheet name the office will not take fails like a missing template, and neither
// the failed value nor the ones after it leave a workbook or a sheet behind.
TEST_F(XlsWriteTest, ASheetNameTheOfficeRefusesIsReportedAndLeavesNothingBehind) {
    tDevice& dev = XlsGauge(d, "LU1", vorlage, "a/b", 1);
    dev.AppendValue("+0003.0000 mm");
    for (int i = 0; i < 3; ++i) EXPECT_FALSE(Write(dev, "1.0"));
    EXPECT_EQ(dev.FtStatusText.get(), "~Excel-Tabelle?");
    EXPECT_EQ(Errors(), (std::vector<EngineMessage>(3, {MsgDeviceError, 100, 0})));
    ASSERT_EQ(office.OpenBookCount(), 1);
    EXPECT_EQ(office.Book(1)->sheets.size(), 1u);
    EXPECT_EQ(dev.ValueCount(), 1u);

    // A name that differs from a sheet's only in letter case is that sheet to the office.
    dev.MwXlsZielTable = "TABELLE1";
    EXPECT_TRUE(Write(dev, "2.0"));
    ASSERT_EQ(office.OpenBookCount(), 1);
    EXPECT_EQ(office.Book(1)->sheets.size(), 1u);
    EXPECT_EQ(TextAt(*office.Book(1), "Tabelle1", 1, 1), "2");
    EXPECT_EQ(TextAt(*office.Book(1), "Tabelle1", 2, 1), "3");

    // The user's own workbook gets no stray sheet either.
    const std::string file = prog.path("DAT/Werte.xls");
    AddFile(file, {FakeOffice::MakeSheet("Werte")});
    tDevice& other = XlsFileGauge(d, "LU2", file, "x*y", 2);
    for (int i = 0; i < 2; ++i) EXPECT_FALSE(Write(other, "4.0"));
    EXPECT_EQ(other.FtStatusText.get(), "~Excel-Tabelle?");
    ASSERT_EQ(office.OpenBookCount(), 2);
    EXPECT_EQ(office.Book(2)->sheets.size(), 1u);
    EXPECT_EQ(office.Counts().opens, 2);
}

}  // namespace
