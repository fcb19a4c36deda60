// The pieces of the spreadsheet output that need no office: the cell text of a
// value, the workbook marker, and the free-row search over an in-memory sheet.
#include <gtest/gtest.h>

#include <random>
#include <set>

#include "engine/xlsFreeRow.h"
#include "engine/xlsMarker.h"
#include "engine/xlsValueText.h"
#include "platform/spreadsheet/fake_office.h"

namespace {

using tavrix::XlsValueText;
using namespace tavrix::spreadsheet;

TEST(XlsValueText, NumbersLoseSignZerosAndTakeTheOfficeSeparator) {
    // A whole number keeps its zeros, so does a separator at the end; a minus sign after the
    // digits, as some gauges send it, goes in front; blanks and control characters around
    // the value are trimmed, also around a text.
    const struct {
        const char *value, separator, *cell;
    } cases[] = {{"+0012.500", '.', "12.5"},
                 {"-0.50", '.', "-0.5"},
                 {"12,000", '.', "12.0"},
                 {"+0012.500", ',', "12,5"},
                 {"-0000.0520", ',', "-0,052"},
                 {"00.5", '.', "0.5"},
                 {"-000.000", '.', "-0.0"},
                 {"+0012", '.', "0012"},
                 {"0012.", '.', "12."},
                 {"12.50-", '.', "-12.5"},
                 {" \t+0001.1111\r\n", '.', "1.1111"},
                 {"", '.', ""},
                 {"+", '.', ""},
                 {"  12.5 mm ", '.', "12.5 mm"}};
    for (const auto& c : cases) {
        EXPECT_EQ(XlsValueText(c.value, c.separator), c.cell) << c.value << c.separator;
    }
}

TEST(XlsValueText, AnythingButANumberStaysAsItIs) {
    // A sign is one only in front or behind: between digits it makes a text, never a
    // number with the sign moved to the front.
    for (const char* text : {"12.5 mm", "=HYPERLINK(\"http://x\")", "+cmd|' /C calc'!A0", "1e5",
                             "12-05", "2024-05-06", "1+2", "-12-", "+-5", "1.5-+"}) {
        EXPECT_EQ(XlsValueText(text, '.'), text);
    }
}

TEST(XlsMarker, LonvarAndTheClockDigitsCutToThirtyAndNeverTwiceTheSame) {
    EXPECT_EQ(tavrix::XlsMarkerFor(3974112345678), "Lonvar3974112345678");
    std::set<std::string> seen;
    for (int i = 0; i < 50; ++i) {
        const std::string marker = tavrix::NewXlsMarker();
        ASSERT_EQ(marker.rfind("Lonvar", 0), 0u) << marker;
        EXPECT_EQ(marker.size(), 19u) << marker;
        EXPECT_TRUE(seen.insert(marker).second) << "repeated " << marker;
    }
    EXPECT_EQ(tavrix::CutToChars(std::string(40, 'x'), 30), std::string(30, 'x'));
    // Cut by characters: "ä" is two bytes and stays whole.
    EXPECT_EQ(tavrix::CutToChars("äbc", 2), "äb");
    EXPECT_EQ(tavrix::CutToChars("ab", 30), "ab");
}

// An in-memory sheet whose column 3 holds the given rows, for the free-row search.
class FreeRowTest : public ::testing::Test {
protected:
    static constexpr int kCol = 3;
    void SetUp() override {
        office.AddFile("/t/book.xls", {FakeOffice::MakeSheet("S")});
        app = office.AttachOrStart().app;
        book = app->GetWorkbooks().open("/t/book.xls");
        sheet = book->GetSheets().Item(1);
        raw = office.Book(1)->sheets[0];
    }
    void Fill(int row) { raw->cells[{row, kCol}].value = CellValue::Text("x"); }
    void FillRows(int first, int last) {
        for (int row = first; row <= last; ++row) Fill(row);
    }
    int FreeRow(int xlsRow, int startRow) {
        tavrix::XlsColumnReader column(*sheet, kCol);
        return tavrix::XlsFreeRow(column, xlsRow, startRow);
    }
    // The walk one cell at a time, the way a user would look.
    int WalkedFreeRow(int row, int startRow) {
        const auto empty = [&](int r) { return sheet->Cells(r, kCol)->value().empty(); };
        while (empty(row) && row > 1 && row >= startRow) --row;
        while (!empty(row) || row < startRow) ++row;
        return row;
    }

    FakeOffice office;
    std::unique_ptr<Application> app;
    std::unique_ptr<Workbook> book;
    std::unique_ptr<Sheet> sheet;
    std::shared_ptr<FakeSheet> raw;
};

TEST_F(FreeRowTest, FollowsTheColumnButNeverGoesAboveTheStartRow) {
    FillRows(1, 5);
    EXPECT_EQ(FreeRow(20, 1), 6);    // entries deleted: on right below the last one
    EXPECT_EQ(FreeRow(20, 10), 10);  // never above the start row
    EXPECT_EQ(FreeRow(3, 1), 6);     // filled elsewhere: continued below
    EXPECT_EQ(FreeRow(1, 1), 6);
    FillRows(12, 14);
    EXPECT_EQ(FreeRow(10, 10), 10);
    EXPECT_EQ(FreeRow(13, 10), 15);
    EXPECT_EQ(FreeRow(11, 1), 6);  // the gap above row 12 is taken
    FillRows(6, 11);
    EXPECT_EQ(FreeRow(30, 1), 15);
    raw->cells.clear();
    EXPECT_EQ(FreeRow(500, 1), 1);
    EXPECT_EQ(FreeRow(500, 7), 7);
    EXPECT_EQ(FreeRow(2, 7), 7);
}

TEST_F(FreeRowTest, GivesTheSameRowAsTheCellByCellWalkOnAnyColumn) {
    std::mt19937 random(4711);
    for (int round = 0; round < 300; ++round) {
        raw->cells.clear();
        // Runs of entries with gaps, some short, some far longer than a read window.
        int row = 1 + static_cast<int>(random() % 5);
        const int runs = static_cast<int>(random() % 6);
        for (int r = 0; r < runs; ++r) {
            const int len = static_cast<int>(random() % (random() % 4 == 0 ? 700 : 20)) + 1;
            FillRows(row, row + len - 1);
            row += len + 1 + static_cast<int>(random() % 40);
        }
        const int startRow = 1 + static_cast<int>(random() % 60);
        const int xlsRow = 1 + static_cast<int>(random() % (row + 100));
        ASSERT_EQ(FreeRow(xlsRow, startRow), WalkedFreeRow(xlsRow, startRow))
            << "round " << round << ", XlsRow " << xlsRow << ", start row " << startRow;
    }
}

TEST_F(FreeRowTest, ReadsTheColumnInFewRangesAndNoSingleCells) {
    FillRows(1, 10000);
    const FakeCallCounts before = office.Counts();
    EXPECT_EQ(FreeRow(10001, 1), 10001);
    EXPECT_EQ(office.Counts().rangeReads - before.rangeReads, 1);
    EXPECT_EQ(office.Counts().cellReads, before.cellReads);

    // The user emptied the column: the walk up to row 1 widens its reads as it goes.
    raw->cells.clear();
    const int rangesBefore = office.Counts().rangeReads;
    EXPECT_EQ(FreeRow(10001, 1), 1);
    EXPECT_LE(office.Counts().rangeReads - rangesBefore, 10);

    // Filled to the last row of the sheet: the office's error, as a cell walk would get.
    raw->cells.clear();
    FillRows(1048570, 1048576);
    EXPECT_THROW(FreeRow(1048570, 1), AutomationError);
}

TEST_F(FreeRowTest, NextEmptyRowGoesPastFilledCells) {
    FillRows(3, 4);
    Fill(6);
    tavrix::XlsColumnReader column(*sheet, kCol);
    EXPECT_EQ(tavrix::XlsNextEmptyRow(column, 1), 1);
    EXPECT_EQ(tavrix::XlsNextEmptyRow(column, 3), 5);
    EXPECT_EQ(tavrix::XlsNextEmptyRow(column, 6), 7);
}

}  // namespace
