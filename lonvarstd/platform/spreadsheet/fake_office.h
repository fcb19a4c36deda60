#pragma once

// An in-memory office for unit tests of the code that drives the automation interface:
// workbooks, sheets and cells held in memory, files "on disk" registered by the test, and the
// user's actions (closing a workbook, quitting the office) done by the test.

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/spreadsheet/automation.h"
#include "platform/spreadsheet/typed_number.h"

namespace tavrix::spreadsheet {

struct FakeCell {
    CellValue value;
    std::int32_t fontColor = 0;  // automation order
};

struct FakeSheet {
    std::string name;
    std::map<std::pair<int, int>, FakeCell> cells;  // (row, col)
};

struct FakeBook {
    std::string name;
    std::string path;  // empty for an untitled workbook
    std::vector<std::shared_ptr<FakeSheet>> sheets;
    bool closed = false;
};

struct FakeCallCounts {
    int cellReads = 0;
    int rangeReads = 0;
    int cellWrites = 0;
    int opens = 0;
    int attaches = 0;
};

class FakeOffice : public Office {
public:
    FakeOffice();

    // The world outside the program: whether an office runs, whether one can be started, and
    // the separators of its locale.
    void SetRunning(bool running);
    void SetStartable(bool startable);
    void SetSeparators(NumberSeparators separators);
    bool Running() const;

    // A file the office can open: its sheets, with cell (row, col) -> text or number.
    void AddFile(const std::string& path, std::vector<std::shared_ptr<FakeSheet>> sheets);
    static std::shared_ptr<FakeSheet> MakeSheet(const std::string& name);

    // What the user sees and does.
    int OpenBookCount() const;
    std::shared_ptr<FakeBook> Book(int index) const;  // 1-based among the open books
    void CloseBook(int index);                        // the user closes a workbook
    void Quit();                                      // the user quits the office
    bool visible() const;
    std::string ActiveBookName() const;
    std::string ActiveSheetName() const;
    std::pair<int, int> ActiveCell() const;
    const FakeCallCounts& Counts() const;

    Attachment AttachOrStart() override;

    struct State;

private:
    std::shared_ptr<State> state_;
};

}  // namespace tavrix::spreadsheet
