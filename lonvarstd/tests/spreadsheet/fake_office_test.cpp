#include <gtest/gtest.h>

#include "platform/spreadsheet/fake_office.h"

namespace tavrix::spreadsheet {
namespace {

std::shared_ptr<FakeSheet> SheetWith(const std::string& name, int rows) {
    auto sheet = FakeOffice::MakeSheet(name);
    for (int row = 1; row <= rows; ++row) {
        sheet->cells[{row, 2}].value = CellValue::Number(row, std::to_string(row));
    }
    return sheet;
}

class FakeOfficeTest : public ::testing::Test {
protected:
    void SetUp() override {
        office.AddFile("/t/Messung.xlt", {SheetWith("Tabelle1", 0)});
        office.AddFile("/d/Werte.xls", {SheetWith("Werte", 5), SheetWith("Leer", 0)});
    }
    Application& App() {
        if (!attachment.app) attachment = office.AttachOrStart();
        return *attachment.app;
    }

    FakeOffice office;
    Attachment attachment;
};

TEST_F(FakeOfficeTest, AttachesOrStartsAndFailsWhenItCannotStart) {
    EXPECT_FALSE(office.AttachOrStart().started);
    office.SetRunning(false);
    EXPECT_TRUE(office.AttachOrStart().started);
    EXPECT_FALSE(office.AttachOrStart().started);
    office.Quit();
    office.SetStartable(false);
    EXPECT_THROW(office.AttachOrStart(), AutomationError);
}

TEST_F(FakeOfficeTest, TemplatesGiveUntitledCopiesAndFilesOpenOnce) {
    auto& books = App().GetWorkbooks();
    auto first = books.open("/t/Messung.xlt");
    auto second = books.open("/t/Messung.xlt");
    EXPECT_EQ(first->Name(), "Untitled 1");
    EXPECT_EQ(second->Name(), "Untitled 2");
    first->GetSheets().Item(1)->Cells(1, 1)->SetValue("changed");
    EXPECT_TRUE(second->GetSheets().Item(1)->Cells(1, 1)->value().empty());

    auto file = books.open("/d/Werte.xls");
    EXPECT_EQ(file->Name(), "Werte.xls");
    EXPECT_EQ(file->GetSheets().Count(), 2);
    books.open("/d/Werte.xls");
    EXPECT_EQ(books.count(), 3);
    EXPECT_EQ(books.Item(3)->Name(), "Werte.xls");
    EXPECT_THROW(books.open("/d/missing.xls"), AutomationError);
    EXPECT_THROW(books.Item(4), AutomationError);
}

TEST_F(FakeOfficeTest, SheetsAreAddedAndNamedUnderTheOfficesRules) {
    auto book = App().GetWorkbooks().open("/d/Werte.xls");
    auto added = book->AddWorksheet();
    EXPECT_EQ(added->name(), "Sheet3");
    added->SetName("Messung 1");
    EXPECT_EQ(book->GetSheets().Item(3)->name(), "Messung 1");
    EXPECT_THROW(added->SetName("Werte"), AutomationError);
    EXPECT_THROW(added->SetName("a/b"), AutomationError);
    EXPECT_THROW(added->Cells(0, 1), AutomationError);
    EXPECT_THROW(added->Cells(1, 1025), AutomationError);
    EXPECT_NO_THROW(added->Cells(1, 256));
}

TEST_F(FakeOfficeTest, ValuesKeepNumbersAsNumbersAndNeverMakeFormulas) {
    auto sheet = App().GetWorkbooks().open("/t/Messung.xlt")->GetSheets().Item(1);
    sheet->Cells(1, 1)->SetValue("+0012.5");
    sheet->Cells(2, 1)->SetValue("=HYPERLINK(\"http://x\")");
    sheet->Cells(3, 1)->SetValue(7.25);
    auto probe = sheet->Cells(2, 256);
    probe->SetValue("x");
    probe->SetValue("");

    const auto a1 = sheet->Cells(1, 1)->value();
    EXPECT_EQ(a1.kind, CellValue::Kind::Number);
    EXPECT_EQ(a1.number, 12.5);
    EXPECT_EQ(a1.text, "12.5");
    EXPECT_EQ(sheet->Cells(2, 1)->value().kind, CellValue::Kind::Text);
    EXPECT_EQ(sheet->Cells(2, 1)->value().text, "=HYPERLINK(\"http://x\")");
    EXPECT_EQ(sheet->Cells(3, 1)->value().number, 7.25);
    EXPECT_TRUE(probe->value().empty());

    office.SetSeparators({",", "."});
    sheet->Cells(4, 1)->SetValue("1234,530000000");
    EXPECT_EQ(sheet->Cells(4, 1)->value().text, "1234,53");

    auto marker = sheet->Cells(1, 256);
    marker->SetFontColor(0xFFFFFF);
    EXPECT_EQ(marker->FontColor(), 0xFFFFFF);
    marker->Activate();
    EXPECT_EQ(office.ActiveCell(), std::make_pair(1, 256));
}

TEST_F(FakeOfficeTest, ColumnIsReadInOneCall) {
    auto sheet = App().GetWorkbooks().open("/d/Werte.xls")->GetSheets().Item(1);
    const auto before = office.Counts();
    const auto column = sheet->ColumnValues(2, 4, 8);
    EXPECT_EQ(office.Counts().rangeReads, before.rangeReads + 1);
    EXPECT_EQ(office.Counts().cellReads, before.cellReads);
    ASSERT_EQ(column.size(), 5u);
    EXPECT_EQ(column[0].number, 4.0);
    EXPECT_EQ(column[1].number, 5.0);
    EXPECT_TRUE(column[2].empty());
    EXPECT_THROW(sheet->ColumnValues(2, 8, 4), AutomationError);
}

TEST_F(FakeOfficeTest, ObjectsOfAClosedWorkbookFailInsteadOfWritingNowhere) {
    auto& books = App().GetWorkbooks();
    auto book = books.open("/t/Messung.xlt");
    auto sheet = book->GetSheets().Item(1);
    auto cell = sheet->Cells(3, 1);
    office.CloseBook(1);
    EXPECT_EQ(books.count(), 0);
    EXPECT_THROW(book->Name(), AutomationError);
    EXPECT_THROW(sheet->ColumnValues(1, 1, 3), AutomationError);
    EXPECT_THROW(cell->SetValue(1.0), AutomationError);

    books.open("/t/Messung.xlt");
    office.Quit();
    EXPECT_THROW(books.count(), AutomationError);
    EXPECT_THROW(App().SetVisible(true), AutomationError);
}

}  // namespace
}  // namespace tavrix::spreadsheet
