#pragma once

// A headless office of one test's own: a fresh profile with the chosen locale and a pipe no
// other office uses. It is ended by its process id when the test is done, never by name.

#include <sys/types.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/spreadsheet/uno_office.h"

namespace tavrix::spreadsheet::testing {

class TestOffice {
public:
    explicit TestOffice(const std::string& locale = "en-US");
    ~TestOffice();
    TestOffice(const TestOffice&) = delete;
    TestOffice& operator=(const TestOffice&) = delete;

    const OfficeOptions& Options() const { return options_; }
    const std::string& Dir() const { return dir_; }  // scratch folder for files of the test
    pid_t Pid() const { return pid_; }

    // Starts the office (or attaches if it runs) and remembers its process id.
    Attachment Start();
    void Stop();

    // Writes a spreadsheet file (.ods, .ots, .xlsx, .xltx) with the given sheets; each sheet's
    // texts go down column A from row 1.
    using SheetRows = std::pair<std::string, std::vector<std::string>>;
    void WriteSpreadsheet(const std::string& path, const std::vector<SheetRows>& sheets);
    // Closes an open document the way a user would, found by its title.
    void CloseDocument(const std::string& name);

    // What a user does meanwhile, through a connection of the test's own (not the program's):
    // the document found by its title, the sheet by its name, rows and columns from 1.
    enum class UserAction { Type, RenameSheet, RemoveSheet, MoveSheetFirst };
    // Type: `text` into the cell (the empty text clears it). RenameSheet: the sheet gets the
    // name `text`. RemoveSheet, MoveSheetFirst: the sheet goes, or moves to the front.
    void ActAsUser(UserAction action, const std::string& title, const std::string& sheet,
                   int row = 0, int col = 0, const std::string& text = {});
    // Opens a spreadsheet file the way a user would.
    void OpenDocument(const std::string& path);

private:
    void WriteSpreadsheetUno(const std::string& path, const std::vector<SheetRows>& sheets);
    void CloseDocumentUno(const std::string& name);
    void ActAsUserUno(UserAction action, const std::string& title, const std::string& sheet,
                      int row, int col, const std::string& text);

    OfficeOptions options_;
    std::string dir_;
    pid_t pid_ = 0;
};

}  // namespace tavrix::spreadsheet::testing
