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

private:
    void WriteSpreadsheetUno(const std::string& path, const std::vector<SheetRows>& sheets);
    void CloseDocumentUno(const std::string& name);

    OfficeOptions options_;
    std::string dir_;
    pid_t pid_ = 0;
};

}  // namespace tavrix::spreadsheet::testing
