#include <gtest/gtest.h>

#include "platform/spreadsheet/office_process.h"
#include "tests/spreadsheet/test_office.h"

namespace tavrix::spreadsheet {
namespace {

using testing::TestOffice;

Sheet& FirstSheetOf(Workbook& book, std::unique_ptr<Sheet>& holder) {
    holder = book.GetSheets().Item(1);
    return *holder;
}

TEST(UnoOffice, StartsAnOfficeWhenNoneListensAndAttachesLater) {
    TestOffice office;
    UnoOffice uno(office.Options());
    EXPECT_EQ(uno.Attach(), nullptr);

    auto first = office.Start();
    ASSERT_TRUE(first.app);
    EXPECT_TRUE(first.started);
    EXPECT_TRUE(ProcessAlive(office.Pid()));
    EXPECT_EQ(first.app->GetWorkbooks().count(), 0);

    auto second = uno.AttachOrStart();
    ASSERT_TRUE(second.app);
    EXPECT_FALSE(second.started);
    EXPECT_EQ(uno.StartedPid(), 0);

    const pid_t pid = office.Pid();
    office.Stop();
    EXPECT_FALSE(ProcessAlive(pid));
    // The office went away under held objects: errors, not a crash.
    EXPECT_THROW(first.app->GetWorkbooks().count(), AutomationError);
    EXPECT_EQ(uno.Attach(), nullptr);
}

// A program on a display attaching to an office that was started without one must not ask it
// for windows: such an office fails when asked.
TEST(UnoOffice, AnOfficeStartedHeadlessIsNeverAskedToShowWindows) {
    TestOffice office;
    office.Start();
    const std::string ots = office.Dir() + "/Vorlage.ots";
    office.WriteSpreadsheet(ots, {{"Tabelle1", {}}});
    auto onDisplay = office.Options();
    onDisplay.headless = false;
    auto app = UnoOffice(onDisplay).Attach();
    ASSERT_TRUE(app);

    auto book = app->GetWorkbooks().open(ots);
    app->SetVisible(true);
    EXPECT_TRUE(app->Visible());
    book->Activate();
    book->GetSheets().Item(1)->Cells(3, 2)->Activate();
    EXPECT_EQ(app->GetWorkbooks().count(), 1);
    EXPECT_TRUE(ProcessAlive(office.Pid()));
}

TEST(UnoOffice, StartFailsClearlyWithoutAnOfficeProgram) {
    TestOffice office;
    auto options = office.Options();
    options.sofficePath = office.Dir() + "/no-such-office";
    EXPECT_THROW(UnoOffice(options).AttachOrStart(), AutomationError);
    // A program that ends at once without ever listening: an error after a short grace.
    options.sofficePath = "/bin/true";
    EXPECT_THROW(UnoOffice(options).AttachOrStart(), AutomationError);
}

TEST(UnoOffice, OpensTemplatesAsNewDocumentsAndFilesAsThemselves) {
    TestOffice office;
    auto app = office.Start().app;
    const std::string ots = office.Dir() + "/Messung.ots";
    const std::string xltx = office.Dir() + "/Messung.xltx";
    const std::string ods = office.Dir() + "/Werte mit Blank.ods";
    office.WriteSpreadsheet(ots, {{"Vorlage", {"Kopf"}}});
    office.WriteSpreadsheet(xltx, {{"Vorlage", {"Kopf"}}});
    office.WriteSpreadsheet(ods, {{"Werte", {"1", "2"}}, {"Zweite", {}}});
    auto& books = app->GetWorkbooks();
    ASSERT_EQ(books.count(), 0);

    auto fromOts = books.open(ots);
    auto fromXltx = books.open(xltx);
    EXPECT_NE(fromOts->Name(), "Messung.ots");
    EXPECT_NE(fromXltx->Name(), "Messung.xltx");
    EXPECT_NE(fromOts->Name(), fromXltx->Name());
    std::unique_ptr<Sheet> sheet;
    EXPECT_EQ(FirstSheetOf(*fromOts, sheet).name(), "Vorlage");
    EXPECT_EQ(sheet->Cells(1, 1)->value().text, "Kopf");

    auto file = books.open(ods);
    EXPECT_EQ(file->Name(), "Werte mit Blank.ods");
    EXPECT_EQ(file->GetSheets().Count(), 2);
    EXPECT_EQ(FirstSheetOf(*file, sheet).Cells(2, 1)->value().text, "2");

    // The workbooks in a stable order, found again by name as the output does.
    ASSERT_EQ(books.count(), 3);
    EXPECT_EQ(books.Item(1)->Name(), fromOts->Name());
    EXPECT_EQ(books.Item(3)->Name(), "Werte mit Blank.ods");
    books.Item(1)->Activate();
    EXPECT_EQ(books.count(), 3);
    EXPECT_EQ(books.Item(1)->Name(), fromOts->Name());
    EXPECT_EQ(books.Item(2)->Name(), fromXltx->Name());

    EXPECT_THROW(books.open(office.Dir() + "/missing.ods"), AutomationError);
    EXPECT_THROW(books.open(office.Dir()), AutomationError);
    EXPECT_THROW(books.Item(4), AutomationError);
    EXPECT_EQ(books.count(), 3);
}

TEST(UnoOffice, SheetsAreCountedAddedAndNamed) {
    TestOffice office;
    auto app = office.Start().app;
    const std::string ots = office.Dir() + "/Vorlage.ots";
    office.WriteSpreadsheet(ots, {{"Tabelle1", {}}});
    auto book = app->GetWorkbooks().open(ots);
    auto& sheets = book->GetSheets();
    EXPECT_EQ(sheets.Count(), 1);

    auto added = book->AddWorksheet();
    EXPECT_EQ(sheets.Count(), 2);
    added->SetName("Messung 1");
    EXPECT_EQ(sheets.Item(2)->name(), "Messung 1");
    EXPECT_THROW(added->SetName("Tabelle1"), AutomationError);
    EXPECT_THROW(added->SetName("a:b"), AutomationError);
    EXPECT_EQ(added->name(), "Messung 1");
    auto another = book->AddWorksheet();
    EXPECT_NE(another->name(), added->name());
    EXPECT_THROW(sheets.Item(4), AutomationError);
    EXPECT_NO_THROW(added->Activate());
    EXPECT_NO_THROW(book->Activate());
}

TEST(UnoOffice, CellsKeepNumbersAsNumbersAndTextsAsPlainText) {
    TestOffice office;
    auto app = office.Start().app;
    const std::string ots = office.Dir() + "/Vorlage.ots";
    office.WriteSpreadsheet(ots, {{"Tabelle1", {}}});
    auto book = app->GetWorkbooks().open(ots);
    std::unique_ptr<Sheet> holder;
    Sheet& sheet = FirstSheetOf(*book, holder);

    sheet.Cells(1, 2)->SetValue("+0001.1111");
    sheet.Cells(2, 2)->SetValue(12.5);
    sheet.Cells(3, 2)->SetValue("=HYPERLINK(\"http://example.invalid\";\"x\")");
    sheet.Cells(4, 2)->SetValue("+cmd|' /C calc'!A0");
    sheet.Cells(5, 2)->SetValue("12.5 mm");
    sheet.Cells(6, 2)->SetValue("x");
    sheet.Cells(6, 2)->SetValue("");

    const auto number = sheet.Cells(1, 2)->value();
    EXPECT_EQ(number.kind, CellValue::Kind::Number);
    EXPECT_DOUBLE_EQ(number.number, 1.1111);
    EXPECT_EQ(number.text, "1.1111");
    EXPECT_EQ(sheet.Cells(2, 2)->value().number, 12.5);
    const auto formulaLike = sheet.Cells(3, 2)->value();
    EXPECT_EQ(formulaLike.kind, CellValue::Kind::Text);
    EXPECT_EQ(formulaLike.text, "=HYPERLINK(\"http://example.invalid\";\"x\")");
    EXPECT_EQ(sheet.Cells(4, 2)->value().text, "+cmd|' /C calc'!A0");
    EXPECT_EQ(sheet.Cells(5, 2)->value().kind, CellValue::Kind::Text);
    EXPECT_TRUE(sheet.Cells(6, 2)->value().empty());

    // The marker cell far right, in white; colours keep the automation byte order.
    auto marker = sheet.Cells(1, 256);
    marker->SetValue("Lonvar1234567890123");
    marker->SetFontColor(0xFFFFFF);
    EXPECT_EQ(marker->FontColor(), 0xFFFFFF);
    sheet.Cells(2, 256)->SetFontColor(0x0000FF);
    EXPECT_EQ(sheet.Cells(2, 256)->FontColor(), 0x0000FF);
    EXPECT_EQ(marker->value().text, "Lonvar1234567890123");
    EXPECT_NO_THROW(sheet.Cells(7, 2)->Activate());
    EXPECT_THROW(sheet.Cells(0, 1), AutomationError);

    // The column in one read: numbers, texts and the empty rows below.
    const auto column = sheet.ColumnValues(2, 1, 8);
    ASSERT_EQ(column.size(), 8u);
    EXPECT_EQ(column[0].kind, CellValue::Kind::Number);
    EXPECT_DOUBLE_EQ(column[0].number, 1.1111);
    EXPECT_EQ(column[1].text, "12.5");
    EXPECT_EQ(column[2].kind, CellValue::Kind::Text);
    EXPECT_EQ(column[4].text, "12.5 mm");
    EXPECT_TRUE(column[5].empty());
    EXPECT_TRUE(column[7].empty());
    EXPECT_THROW(sheet.ColumnValues(2, 5, 4), AutomationError);
}

// What the output's decimal separator probe sees under an English and a German office.
TEST(UnoOffice, TypedNumbersFollowTheOfficeLocale) {
    for (const auto& [locale, decimal] : {std::pair{"en-US", "1234.53"}, {"de-DE", "1234,53"}}) {
        TestOffice office(locale);
        auto app = office.Start().app;
        const std::string ots = office.Dir() + "/Vorlage.ots";
        office.WriteSpreadsheet(ots, {{"Tabelle1", {}}});
        auto book = app->GetWorkbooks().open(ots);
        std::unique_ptr<Sheet> holder;
        auto probe = FirstSheetOf(*book, holder).Cells(2, 256);

        const bool english = std::string(locale) == "en-US";
        probe->SetValue("1234.530000000");
        EXPECT_EQ(probe->value().text, english ? decimal : "1234530000000") << locale;
        probe->SetValue("1234,530000000");
        EXPECT_EQ(probe->value().text, english ? "1234530000000" : decimal) << locale;
        probe->SetValue("");
        EXPECT_TRUE(probe->value().empty()) << locale;
    }
}

TEST(UnoOffice, ADocumentClosedBehindOurBackGivesErrors) {
    TestOffice office;
    auto app = office.Start().app;
    const std::string ots = office.Dir() + "/Vorlage.ots";
    office.WriteSpreadsheet(ots, {{"Tabelle1", {}}});
    auto& books = app->GetWorkbooks();
    auto kept = books.open(ots);
    auto closed = books.open(ots);
    const std::string keptName = kept->Name();
    std::unique_ptr<Sheet> sheet;
    FirstSheetOf(*closed, sheet);
    auto cell = sheet->Cells(1, 1);

    office.CloseDocument(closed->Name());
    EXPECT_THROW(cell->SetValue(1.0), AutomationError);
    EXPECT_THROW(sheet->ColumnValues(1, 1, 10), AutomationError);
    EXPECT_THROW(closed->Name(), AutomationError);
    ASSERT_EQ(books.count(), 1);
    EXPECT_EQ(books.Item(1)->Name(), keptName);
    EXPECT_NO_THROW(app->SetVisible(true));
}

}  // namespace
}  // namespace tavrix::spreadsheet
