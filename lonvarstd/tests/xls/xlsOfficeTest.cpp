// The spreadsheet output against a real headless office: what ends up in the
// documents the user sees. One office serves the cases that can share it; the
// start and locale cases bring their own.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>

#include <filesystem>
#include <stdexcept>

#include "platform/spreadsheet/office_process.h"
#include "tests/spreadsheet/test_office.h"
#include "tests/xls/xlsTestSupport.h"

namespace {

using namespace tavrix::spreadsheet;
using tavrix::EngineMessage;
using tavrix::spreadsheet::testing::TestOffice;
using Action = TestOffice::UserAction;
using tavrix::test::TempProgDir;
using tavrix::test::XlsFileGauge;
using tavrix::test::XlsGauge;

// The open document that carries `marker` in cell (1, 256) of one of its sheets.
std::unique_ptr<Workbook> MarkedBook(Application& app, const std::string& marker) {
    auto& books = app.GetWorkbooks();
    for (int i = 1; i <= books.count(); ++i) {
        auto book = books.Item(i);
        for (int k = 1; k <= book->GetSheets().Count(); ++k) {
            if (book->GetSheets().Item(k)->Cells(1, 256)->value().text == marker) return book;
        }
    }
    return nullptr;
}

// Throws when the book has no such sheet: the test fails instead of the program crashing.
std::unique_ptr<Sheet> SheetNamed(Workbook& book, const std::string& name) {
    for (int k = 1; k <= book.GetSheets().Count(); ++k) {
        auto sheet = book.GetSheets().Item(k);
        if (sheet->name() == name) return sheet;
    }
    throw std::runtime_error("no sheet named " + name);
}

// Ends an office that the output started by itself, by its process id.
struct StartedOfficeStopper {
    pid_t pid = 0;
    ~StartedOfficeStopper() {
        if (pid > 0) StopProcessGroup(pid, 15000);
    }
};

class XlsOfficeTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        shared_ = new TestOffice("en-US");
        shared_->Start();
        vorlage_ = shared_->Dir() + "/Messung.ots";
        shared_->WriteSpreadsheet(vorlage_, {{"Tabelle1", {}}});
    }
    static void TearDownTestSuite() {
        delete shared_;
        shared_ = nullptr;
    }

    void SetUp() override {
        d.SetMessageSink(&sink);
        d.SetXlsOffice(&uno);
        d.XlsGlobSlct = false;
        app = uno.Attach();
        ASSERT_TRUE(app);
    }
    void TearDown() override { d.ResetDevices(); }

    bool Write(tDevice& dev, const std::string& value) {
        dev.MwText = value;
        return d.XlsWriteValue(dev.DevIdx);
    }
    std::vector<EngineMessage> Errors() const {
        std::vector<EngineMessage> out;
        for (const auto& m : sink.messages()) {
            if (m.msg == MsgDeviceError) out.push_back(m);
        }
        return out;
    }

    static TestOffice* shared_;
    static std::string vorlage_;

    TempProgDir prog;
    TD d;
    UnoOffice uno{shared_->Options()};
    std::unique_ptr<Application> app;
    tavrix::RecordingMessageSink sink;
};

TestOffice* XlsOfficeTest::shared_ = nullptr;
std::string XlsOfficeTest::vorlage_;

TEST_F(XlsOfficeTest, TemplateModeMakesOneMarkedDocumentThatTwoInstrumentsShare) {
    const int booksBefore = app->GetWorkbooks().count();
    tDevice& left = XlsGauge(d, "LU1", vorlage_, "Links", 2, 3);
    tDevice& right = XlsGauge(d, "LU2", vorlage_, "Rechts", 4, 1);
    EXPECT_TRUE(Write(left, "+0012.500"));
    EXPECT_TRUE(Write(right, "+0001.1111"));
    EXPECT_TRUE(Write(left, "-0000.0520"));
    EXPECT_TRUE(Write(left, "12.5 mm"));
    // A gauge line that looks like a formula goes in as plain text.
    EXPECT_TRUE(Write(left, "=HYPERLINK(\"http://example.invalid\";\"x\")"));
    EXPECT_TRUE(Write(right, "+cmd|' /C calc'!A0"));
    EXPECT_EQ(Errors(), (std::vector<EngineMessage>{{MsgDeviceError, 0, 0},
                                                    {MsgDeviceError, 0, 1},
                                                    {MsgDeviceError, 0, 0},
                                                    {MsgDeviceError, 0, 0},
                                                    {MsgDeviceError, 0, 0},
                                                    {MsgDeviceError, 0, 1}}));

    EXPECT_EQ(app->GetWorkbooks().count(), booksBefore + 1);
    EXPECT_EQ(right.XlsWbName, left.XlsWbName);
    auto book = MarkedBook(*app, left.XlsWbName);
    ASSERT_TRUE(book);
    EXPECT_NE(book->Name(), "Messung.ots");
    auto links = SheetNamed(*book, "Links");
    auto rechts = SheetNamed(*book, "Rechts");
    ASSERT_TRUE(links && rechts);

    auto marker = links->Cells(1, 256);
    EXPECT_EQ(marker->value().text, left.XlsWbName);
    EXPECT_EQ(marker->FontColor(), 0xFFFFFF);
    EXPECT_EQ(rechts->Cells(1, 256)->FontColor(), 0xFFFFFF);
    EXPECT_TRUE(links->Cells(2, 256)->value().empty());  // the probe leaves nothing behind

    const auto column = links->ColumnValues(2, 1, 8);
    EXPECT_TRUE(column[0].empty() && column[1].empty());
    EXPECT_EQ(column[2].kind, CellValue::Kind::Number);
    EXPECT_DOUBLE_EQ(column[2].number, 12.5);
    EXPECT_DOUBLE_EQ(column[3].number, -0.052);
    EXPECT_EQ(column[4].kind, CellValue::Kind::Text);
    EXPECT_EQ(column[4].text, "12.5 mm");
    EXPECT_EQ(column[5].kind, CellValue::Kind::Text);
    EXPECT_EQ(column[5].text, "=HYPERLINK(\"http://example.invalid\";\"x\")");
    EXPECT_TRUE(column[6].empty() && column[7].empty());

    EXPECT_DOUBLE_EQ(rechts->Cells(1, 4)->value().number, 1.1111);
    EXPECT_EQ(rechts->Cells(2, 4)->value().kind, CellValue::Kind::Text);
    EXPECT_EQ(rechts->Cells(2, 4)->value().text, "+cmd|' /C calc'!A0");
    EXPECT_EQ(d.DezTrenn, '.');
    EXPECT_EQ(d.XlsApp, nullptr);
}

// The template the program ships: a gauge left at its defaults gets a new document with
// one sheet, the default target's, holding its values.
TEST_F(XlsOfficeTest, TheShippedTemplateMakesADocumentWithTheDefaultSheetOnly) {
    const std::string shipped = prog.path("Default.xlt");
    std::filesystem::copy_file(TAVRIX_SHIPPED_TEMPLATE, shipped);
    tDevice& dev = tavrix::test::AddUsbDevice(d, 0, "LU1", "Lumo");
    d.LoadConfig(false);  // no file: every default
    ASSERT_EQ(d.XlsGlobVorlage, shipped);
    ASSERT_TRUE(d.XlsGlobSlct && d.XlsGlobVorlageSlct);
    EXPECT_TRUE(Write(dev, "1.5"));
    EXPECT_TRUE(Write(dev, "2.5"));

    auto book = MarkedBook(*app, dev.XlsWbName);
    ASSERT_TRUE(book);
    ASSERT_EQ(book->GetSheets().Count(), 1);
    auto sheet = book->GetSheets().Item(1);
    EXPECT_EQ(sheet->name(), dev.MwXlsZielTable);
    EXPECT_DOUBLE_EQ(sheet->Cells(1, dev.MwXlsZielCol)->value().number, 1.5);
    EXPECT_DOUBLE_EQ(sheet->Cells(2, dev.MwXlsZielCol)->value().number, 2.5);
}

TEST_F(XlsOfficeTest, AClosedDocumentIsReplacedByANewOneFromTheTemplate) {
    tDevice& left = XlsGauge(d, "LU1", vorlage_, "Links", 1, 2);
    tDevice& right = XlsGauge(d, "LU2", vorlage_, "Rechts", 1, 5);
    Write(left, "1.0");
    Write(left, "2.0");
    Write(right, "3.0");
    const std::string oldMarker = left.XlsWbName;
    auto old = MarkedBook(*app, oldMarker);
    ASSERT_TRUE(old);
    shared_->CloseDocument(old->Name());
    old.reset();

    EXPECT_TRUE(Write(left, "4.0"));
    EXPECT_NE(left.XlsWbName, oldMarker);
    EXPECT_EQ(right.XlsWbName, "");
    EXPECT_TRUE(Write(right, "5.0"));
    EXPECT_EQ(right.XlsWbName, left.XlsWbName);
    auto fresh = MarkedBook(*app, left.XlsWbName);
    ASSERT_TRUE(fresh);
    EXPECT_DOUBLE_EQ(SheetNamed(*fresh, "Links")->Cells(2, 1)->value().number, 4.0);
    EXPECT_TRUE(SheetNamed(*fresh, "Links")->Cells(3, 1)->value().empty());
    EXPECT_DOUBLE_EQ(SheetNamed(*fresh, "Rechts")->Cells(5, 1)->value().number, 5.0);
    EXPECT_FALSE(MarkedBook(*app, oldMarker));
}

TEST_F(XlsOfficeTest, TheFreeRowFollowsTheColumnButStaysAtOrBelowTheStartRow) {
    const std::string file = prog.path("Werte.ods");
    shared_->WriteSpreadsheet(
        file, {{"Eins", {"1", "2", "3", "4", "5"}}, {"Zwei", {"1", "2", "3", "4", "5"}}});
    tDevice& fromOne = XlsFileGauge(d, "LU1", file, "Eins", 1, 1);
    tDevice& fromTen = XlsFileGauge(d, "LU2", file, "Zwei", 1, 10);
    EXPECT_TRUE(Write(fromOne, "7.5"));
    EXPECT_TRUE(Write(fromTen, "8.5"));
    EXPECT_EQ(fromTen.XlsWbName, fromOne.XlsWbName);  // the marker found in the open file
    auto book = MarkedBook(*app, fromOne.XlsWbName);
    ASSERT_TRUE(book);
    EXPECT_EQ(book->Name(), "Werte.ods");
    auto eins = SheetNamed(*book, "Eins");
    auto zwei = SheetNamed(*book, "Zwei");
    EXPECT_DOUBLE_EQ(eins->Cells(6, 1)->value().number, 7.5);
    EXPECT_DOUBLE_EQ(zwei->Cells(10, 1)->value().number, 8.5);

    // The user deletes those entries; the devices had reached row 20 meanwhile.
    eins->Cells(6, 1)->SetValue(std::string());
    zwei->Cells(10, 1)->SetValue(std::string());
    fromOne.XlsRow = fromTen.XlsRow = 20;
    EXPECT_TRUE(Write(fromOne, "6.5"));
    EXPECT_TRUE(Write(fromTen, "9.5"));
    EXPECT_EQ(fromOne.XlsRow, 7);
    EXPECT_EQ(fromTen.XlsRow, 11);

    const auto one = eins->ColumnValues(1, 1, 8);
    EXPECT_EQ(one[4].text, "5");  // the file's own entries
    EXPECT_DOUBLE_EQ(one[5].number, 6.5);
    EXPECT_TRUE(one[6].empty() && one[7].empty());
    const auto two = zwei->ColumnValues(1, 1, 21);
    for (int row = 6; row <= 9; ++row) EXPECT_TRUE(two[row - 1].empty()) << row;
    EXPECT_DOUBLE_EQ(two[9].number, 9.5);
    for (int row = 11; row <= 21; ++row) EXPECT_TRUE(two[row - 1].empty()) << row;
}

TEST_F(XlsOfficeTest, AMissingWorkbookFileOrOfficeIsReportedAndNothingIsWritten) {
    const int booksBefore = app->GetWorkbooks().count();
    tDevice& dev = XlsFileGauge(d, "LU1", prog.path("DAT/Fehlt.xls"), "A", 1);
    dev.AppendValue("+0001.0000 mm");
    EXPECT_FALSE(Write(dev, "1.0"));
    EXPECT_EQ(dev.FtStatusText.get(), "~Excel-Datei?");
    dev.MwXlsZielVorlageSlct = true;
    dev.MwXlsZielVorlage = prog.path("Fehlt.ots");
    EXPECT_FALSE(Write(dev, "1.0"));
    EXPECT_EQ(dev.FtStatusText.get(), "~Excel-Vorlage?");

    // No office listens and none can be started.
    auto options = shared_->Options();
    options.pipeName += "_none";
    options.sofficePath = prog.path("no-office");
    UnoOffice none(options);
    d.SetXlsOffice(&none);
    EXPECT_FALSE(Write(dev, "1.0"));
    EXPECT_EQ(dev.FtStatusText.get(), "~Excel?");

    EXPECT_EQ(Errors(), (std::vector<EngineMessage>(3, {MsgDeviceError, 100, 0})));
    EXPECT_EQ(dev.ValueCount(), 1u);
    EXPECT_FALSE(std::filesystem::exists(prog.path("DAT/Fehlt.xls")));
    EXPECT_EQ(app->GetWorkbooks().count(), booksBefore);
}

// The real office refuses a sheet name with a slash or one it already has in other letter
// case: the value is reported as not written, and no document or sheet piles up.
TEST_F(XlsOfficeTest, ASheetNameTheOfficeRefusesLeavesNoStrayDocumentOrSheet) {
    const int booksBefore = app->GetWorkbooks().count();
    tDevice& dev = XlsGauge(d, "LU1", vorlage_, "a/b", 1);
    for (int i = 0; i < 2; ++i) EXPECT_FALSE(Write(dev, "1.0"));
    EXPECT_EQ(dev.FtStatusText.get(), "~Excel-Tabelle?");
    EXPECT_EQ(Errors(), (std::vector<EngineMessage>(2, {MsgDeviceError, 100, 0})));
    EXPECT_EQ(app->GetWorkbooks().count(), booksBefore + 1);
    auto book = MarkedBook(*app, dev.XlsWbName);
    ASSERT_TRUE(book);
    EXPECT_EQ(book->GetSheets().Count(), 1);

    dev.MwXlsZielTable = "TABELLE1";
    EXPECT_TRUE(Write(dev, "2.5"));
    EXPECT_EQ(book->GetSheets().Count(), 1);
    EXPECT_EQ(SheetNamed(*book, "Tabelle1")->Cells(1, 1)->value().text, "2.5");

    const std::string file = prog.path("DAT/Werte.ods");
    shared_->WriteSpreadsheet(file, {{"Werte", {}}});
    tDevice& other = XlsFileGauge(d, "LU2", file, "x*y", 1);
    for (int i = 0; i < 2; ++i) EXPECT_FALSE(Write(other, "4.0"));
    EXPECT_EQ(other.FtStatusText.get(), "~Excel-Tabelle?");
    EXPECT_EQ(app->GetWorkbooks().count(), booksBefore + 2);
    for (int i = 1; i <= app->GetWorkbooks().count(); ++i) {
        auto open = app->GetWorkbooks().Item(i);
        if (open->Name() == "Werte.ods") {
            EXPECT_EQ(open->GetSheets().Count(), 1);
        }
    }
}

// An office of its own that is not running yet: the first value starts it.
TEST_F(XlsOfficeTest, QueuedValuesWaitForTheOfficeToStartAndFollowInOrder) {
    TestOffice own("en-US");
    UnoOffice starting(own.Options());
    StartedOfficeStopper stopper;
    ASSERT_EQ(starting.Attach(), nullptr);
    d.SetXlsOffice(&starting);
    tDevice& dev = XlsGauge(d, "LU1", vorlage_, "A", 1);
    dev.AppendValue("+0001.0000 mm");
    dev.AppendValue("+0002.0000 mm");
    dev.AppendValue("+0003.0000 mm");

    EXPECT_TRUE(d.HandleValueMessage(0));
    stopper.pid = starting.StartedPid();
    ASSERT_GT(stopper.pid, 0);
    EXPECT_EQ(dev.ValueCount(), 2u);
    EXPECT_EQ(dev.XlsRow, 2);

    EXPECT_TRUE(d.HandleValueMessage(0));
    EXPECT_EQ(starting.StartedPid(), 0);  // attached this time
    EXPECT_EQ(dev.ValueCount(), 0u);
    auto ownApp = starting.Attach();
    ASSERT_TRUE(ownApp);
    auto book = MarkedBook(*ownApp, dev.XlsWbName);
    ASSERT_TRUE(book);
    const auto column = SheetNamed(*book, "A")->ColumnValues(1, 1, 4);
    EXPECT_DOUBLE_EQ(column[0].number, 1.0);
    EXPECT_DOUBLE_EQ(column[1].number, 2.0);
    EXPECT_DOUBLE_EQ(column[2].number, 3.0);
    EXPECT_TRUE(column[3].empty());
    EXPECT_EQ(Errors(), (std::vector<EngineMessage>(2, {MsgDeviceError, 0, 0})));
}

// The bridge to the office is kept between values; when the user quits the office
// the next value notices, starts it again and writes into a new workbook.
TEST_F(XlsOfficeTest, AnOfficeQuitByHandIsNoticedAndTheNextValueStartsItAgain) {
    TestOffice own("en-US");
    own.Start();
    UnoOffice office(own.Options());
    StartedOfficeStopper stopper;
    d.SetXlsOffice(&office);
    tDevice& dev = XlsGauge(d, "LU1", vorlage_, "A", 1);
    EXPECT_TRUE(Write(dev, "+0001.0000"));
    EXPECT_TRUE(Write(dev, "+0002.0000"));
    EXPECT_EQ(office.Connections(), 1);
    EXPECT_EQ(office.StartedPid(), 0);

    own.Stop();
    EXPECT_TRUE(Write(dev, "+0003.0000"));
    stopper.pid = office.StartedPid();
    ASSERT_GT(stopper.pid, 0);
    EXPECT_EQ(office.Connections(), 2);
    auto app = office.Attach();
    ASSERT_TRUE(app);
    auto book = MarkedBook(*app, dev.XlsWbName);
    ASSERT_TRUE(book);
    const auto column = SheetNamed(*book, "A")->ColumnValues(1, 1, 2);
    EXPECT_DOUBLE_EQ(column[0].number, 3.0);
    EXPECT_TRUE(column[1].empty());
    EXPECT_EQ(office.Connections(), 2);
    EXPECT_EQ(Errors(), (std::vector<EngineMessage>(3, {MsgDeviceError, 0, 0})));
}

// Under a German locale the office reads "," as the decimal separator: the probe
// finds it and the values still arrive as numbers.
TEST_F(XlsOfficeTest, TheDecimalSeparatorProbeFollowsTheOfficeLocale) {
    TestOffice german("de-DE");
    german.Start();
    UnoOffice deUno(german.Options());
    d.SetXlsOffice(&deUno);
    tDevice& dev = XlsGauge(d, "LU1", vorlage_, "Werte", 1);
    EXPECT_TRUE(Write(dev, "+0012.500"));
    EXPECT_EQ(d.DezTrenn, ',');
    EXPECT_TRUE(Write(dev, "-0000.0520"));
    auto deApp = deUno.Attach();
    ASSERT_TRUE(deApp);
    auto book = MarkedBook(*deApp, dev.XlsWbName);
    ASSERT_TRUE(book);
    auto sheet = SheetNamed(*book, "Werte");
    EXPECT_EQ(sheet->Cells(1, 1)->value().kind, CellValue::Kind::Number);
    EXPECT_DOUBLE_EQ(sheet->Cells(1, 1)->value().number, 12.5);
    EXPECT_EQ(sheet->Cells(1, 1)->value().text, "12,5");
    EXPECT_DOUBLE_EQ(sheet->Cells(2, 1)->value().number, -0.052);
    EXPECT_TRUE(sheet->Cells(2, 256)->value().empty());

    // The English office: "." again, for a new run's probe.
    d.DezTrennProbe = true;
    d.SetXlsOffice(&uno);
    tDevice& enDev = XlsGauge(d, "LU2", vorlage_, "Werte", 1);
    EXPECT_TRUE(Write(enDev, "+0012.500"));
    EXPECT_EQ(d.DezTrenn, '.');
    auto enBook = MarkedBook(*app, enDev.XlsWbName);
    ASSERT_TRUE(enBook);
    EXPECT_EQ(SheetNamed(*enBook, "Werte")->Cells(1, 1)->value().text, "12.5");
}

// Between two values the user changes the workbook through a connection of their own; the
// next value goes where the full walk puts it, never where the last one left off.
TEST_F(XlsOfficeTest, AfterTheUsersChangeTheValueGoesWhereTheWalkPutsIt) {
    enum class Change { None, Act, Open, Close };
    struct Case {
        const char* what;
        Change change;
        Action action;
        int row;  // of the cell the user types into
        const char* text;
        const char* sheet;  // where the value must be
        int valueRow;
        bool newBook;
    };
    const std::string second = prog.path("Zweite.ods");
    shared_->WriteSpreadsheet(second, {{"Werte", {"a", "b", "c", "d", "e"}}});
    const Case cases[] = {
        {"nothing", Change::None, Action::Type, 0, "", "Werte", 4, false},
        {"last entries deleted", Change::Act, Action::Type, 2, "", "Werte", 2, false},
        {"typed below", Change::Act, Action::Type, 4, "x", "Werte", 5, false},
        {"typed far below", Change::Act, Action::Type, 9, "x", "Werte", 4, false},
        {"sheet renamed", Change::Act, Action::RenameSheet, 0, "Alt", "Werte", 1, false},
        {"sheet removed", Change::Act, Action::RemoveSheet, 0, "", "Werte", 1, false},
        {"sheet moved", Change::Act, Action::MoveSheetFirst, 0, "", "Werte", 4, false},
        {"second workbook opened", Change::Open, Action::Type, 0, "", "Werte", 4, false},
        {"workbook closed", Change::Close, Action::Type, 0, "", "Werte", 1, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        d.ResetDevices();
        tDevice& dev = XlsGauge(d, "LU1", vorlage_, "Werte", 1);
        ASSERT_TRUE(Write(dev, "1.0") && Write(dev, "2.0"));
        const auto callsBefore = UnoOffice::CallsMade();
        ASSERT_TRUE(Write(dev, "3.0"));
        // Nothing changed: the cell write and the activation, no walk.
        EXPECT_LT(UnoOffice::CallsMade() - callsBefore, 10u);
        const std::string marker = dev.XlsWbName;
        auto marked = MarkedBook(*app, marker);
        ASSERT_TRUE(marked);
        const std::string title = marked->Name();

        if (c.change == Change::Act) {
            if (c.action == Action::Type && c.text[0] == '\0') {
                // Deleting: the entries from that row down.
                for (int row = c.row; row <= 3; ++row) {
                    shared_->ActAsUser(Action::Type, title, "Werte", row, 1, "");
                }
            } else {
                shared_->ActAsUser(c.action, title, "Werte", c.row, 1, c.text);
            }
        } else if (c.change == Change::Open) {
            shared_->OpenDocument(second);
        } else if (c.change == Change::Close) {
            shared_->CloseDocument(title);
        }

        ASSERT_TRUE(Write(dev, "4.5"));
        EXPECT_EQ(dev.XlsWbName != marker, c.newBook);
        auto book = MarkedBook(*app, dev.XlsWbName);
        ASSERT_TRUE(book);
        auto sheet = SheetNamed(*book, c.sheet);
        ASSERT_TRUE(sheet);
        EXPECT_DOUBLE_EQ(sheet->Cells(c.valueRow, 1)->value().number, 4.5);
        EXPECT_EQ(dev.XlsRow, c.valueRow + 1);
        if (!c.newBook && c.valueRow > 1) {
            EXPECT_DOUBLE_EQ(sheet->Cells(1, 1)->value().number, 1.0);  // nothing overwritten
        }
        if (c.change == Change::Act && c.action == Action::RenameSheet) {
            EXPECT_DOUBLE_EQ(SheetNamed(*book, "Alt")->Cells(3, 1)->value().number, 3.0);
        }
        if (c.change == Change::Act && c.row > 1 && c.text[0] != '\0') {
            EXPECT_EQ(sheet->Cells(c.row, 1)->value().text, "x");  // the user's entry stays
        }
        if (c.change == Change::Open) {
            for (int i = 1; i <= app->GetWorkbooks().count(); ++i) {
                auto open = app->GetWorkbooks().Item(i);
                if (open->Name() == "Zweite.ods") {
                    EXPECT_EQ(SheetNamed(*open, "Werte")->Cells(6, 1)->value().kind,
                              CellValue::Kind::Empty);
                    shared_->CloseDocument("Zweite.ods");
                    break;
                }
            }
        }
        shared_->CloseDocument(book->Name());
    }
}

// Two gauges on one template share its workbook while values go straight into their
// cells, even on one sheet and column: neither writes over the other's values.
TEST_F(XlsOfficeTest, InstrumentsOnOneTemplateKeepSharingItsWorkbookAndColumn) {
    tDevice& left = XlsGauge(d, "LU1", vorlage_, "Beide", 1);
    tDevice& right = XlsGauge(d, "LU2", vorlage_, "Beide", 1);
    tDevice& apart = XlsGauge(d, "LU3", vorlage_, "Extra", 2);
    for (int i = 1; i <= 6; ++i) {
        ASSERT_TRUE(Write(i % 2 ? left : right, std::to_string(i) + ".0"));
        ASSERT_TRUE(Write(apart, std::to_string(i) + ".5"));
    }
    EXPECT_EQ(right.XlsWbName, left.XlsWbName);
    EXPECT_EQ(apart.XlsWbName, left.XlsWbName);
    auto book = MarkedBook(*app, left.XlsWbName);
    ASSERT_TRUE(book);
    const auto both = SheetNamed(*book, "Beide")->ColumnValues(1, 1, 7);
    const auto extra = SheetNamed(*book, "Extra")->ColumnValues(2, 1, 7);
    for (int i = 1; i <= 6; ++i) {
        EXPECT_DOUBLE_EQ(both[i - 1].number, i) << i;
        EXPECT_DOUBLE_EQ(extra[i - 1].number, i + 0.5) << i;
    }
    EXPECT_TRUE(both[6].empty() && extra[6].empty());
}

// A stopped office: the output gives up within its limit as for an office that is not
// there, starts no second one, and writes again once the office goes on.
TEST_F(XlsOfficeTest, AnOfficeThatDoesNotAnswerIsGivenUpAndUsedAgainWhenItAnswers) {
    TestOffice own("en-US");
    own.Start();
    UnoOffice office(own.Options());
    d.SetXlsOffice(&office);
    tDevice& dev = XlsGauge(d, "LU1", vorlage_, "A", 1);
    ASSERT_TRUE(Write(dev, "1.0"));

    ASSERT_EQ(kill(-own.Pid(), SIGSTOP), 0);
    dev.AppendValue("+0009.0000 mm");
    for (int i = 0; i < 2; ++i) {
        const auto start = std::chrono::steady_clock::now();
        EXPECT_FALSE(Write(dev, "2.0"));
        // One call's limit (3 s) and the bridge's end, with room for a loaded machine.
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
        EXPECT_EQ(dev.FtStatusText.get(), "~Excel?");
        EXPECT_EQ(office.StartedPid(), 0);
    }
    EXPECT_EQ(dev.ValueCount(), 1u);  // the queue stays; the values of those calls are lost
    ASSERT_EQ(kill(-own.Pid(), SIGCONT), 0);

    EXPECT_TRUE(Write(dev, "3.0"));
    EXPECT_EQ(office.StartedPid(), 0);
    auto ownApp = office.Attach();
    ASSERT_TRUE(ownApp);
    auto book = MarkedBook(*ownApp, dev.XlsWbName);
    ASSERT_TRUE(book);
    const auto column = SheetNamed(*book, "A")->ColumnValues(1, 1, 4);
    EXPECT_DOUBLE_EQ(column[0].number, 1.0);
    EXPECT_DOUBLE_EQ(column[1].number, 3.0);
    EXPECT_DOUBLE_EQ(column[2].number, 9.0);
    EXPECT_TRUE(column[3].empty());
    EXPECT_EQ(Errors(), (std::vector<EngineMessage>{{MsgDeviceError, 0, 0},
                                                    {MsgDeviceError, 100, 0},
                                                    {MsgDeviceError, 100, 0},
                                                    {MsgDeviceError, 0, 0}}));
}

}  // namespace
