#pragma once

// The spreadsheet automation interface the value output drives: application, workbooks, sheets
// and cells with the members of the classic spreadsheet automation model. Rows and columns count
// from 1, as in that model (cell (1, 256) is row 1, column 256). Every failure, including a
// document the user closed meanwhile or an office that went away, is thrown as AutomationError.

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace tavrix::spreadsheet {

class AutomationError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The office is there but did not answer within its time limit (hung, stopped, busy with a
// dialog nobody sees). Reported like an office that cannot be reached.
class OfficeNotAnswering : public AutomationError {
public:
    using AutomationError::AutomationError;
};

// What a cell holds. For a number, `text` is the office's display text of it ("1234.53" or
// "1234,53" depending on the office locale); for a text, the text itself.
struct CellValue {
    enum class Kind { Empty, Number, Text };
    Kind kind = Kind::Empty;
    double number = 0.0;
    std::string text;

    bool empty() const { return kind == Kind::Empty; }
    static CellValue Number(double v, std::string shown);
    static CellValue Text(std::string t);
};

// What the office tells about one open document between two calls.
class DocumentWatch {
public:
    virtual ~DocumentWatch() = default;
    // Grows whenever the document changes other than through this program's own calls (an
    // edit, a sheet renamed, moved or removed), a view of it or the document itself closes, or
    // the office goes away. Two equal readings: none of that happened in between.
    virtual std::uint64_t Changes() const = 0;
};

class Cell {
public:
    virtual ~Cell() = default;
    virtual CellValue value() = 0;
    // A number is stored as a number.
    virtual void SetValue(double number) = 0;
    // A typed entry: a plain number in the office's locale ("12.5", "+0001.1111", "-3",
    // "1,234.5" in English; "12,5" in German) becomes a number, the empty text empties the cell,
    // anything else is stored as plain text. Never a formula: "=HYPERLINK(..)" stays text.
    virtual void SetValue(const std::string& text) = 0;
    // Colours in automation order: red in the low byte (0xFFFFFF is white).
    virtual std::int32_t FontColor() = 0;
    virtual void SetFontColor(std::int32_t color) = 0;
    virtual void Activate() = 0;
};

class Sheet {
public:
    virtual ~Sheet() = default;
    virtual std::string name() = 0;
    virtual void SetName(const std::string& name) = 0;
    virtual std::unique_ptr<Cell> Cells(int row, int col) = 0;
    // Rows firstRow..lastRow of one column, fetched in a single round trip.
    virtual std::vector<CellValue> ColumnValues(int col, int firstRow, int lastRow) = 0;
    virtual void Activate() = 0;
};

class Sheets {
public:
    virtual ~Sheets() = default;
    virtual int Count() = 0;
    virtual std::unique_ptr<Sheet> Item(int index) = 0;  // 1-based
};

class Workbook {
public:
    virtual ~Workbook() = default;
    // The file name without folder, or the title of an untitled document.
    virtual std::string Name() = 0;
    virtual Sheets& GetSheets() = 0;
    // WorkSheets.Add: a new worksheet with a free default name; the caller renames it.
    virtual std::unique_ptr<Sheet> AddWorksheet() = 0;
    // WorkSheets.Add with the name in one step: a name the office refuses (with a character
    // no sheet name may have, or one a sheet has already in any letter case) throws and
    // leaves no new sheet behind.
    virtual std::unique_ptr<Sheet> AddWorksheet(const std::string& name) = 0;
    virtual void Activate() = 0;
    // Shows this workbook's windows: what Application.Visible does for the one written to.
    virtual void Show() {}
    // The office's notices about this document from now on; nullptr when it gives none, and
    // then nothing found in it may be taken as still true later.
    virtual std::shared_ptr<const DocumentWatch> Watch() { return nullptr; }
};

class Workbooks {
public:
    virtual ~Workbooks() = default;
    virtual int count() = 0;
    virtual std::unique_ptr<Workbook> Item(int index) = 0;  // 1-based
    // A template (.xlt, .xltx, .ots ...) gives a new untitled workbook made from it; any other
    // file is opened as it is. A missing or unreadable file throws.
    virtual std::unique_ptr<Workbook> open(const std::string& path) = 0;
};

class Application {
public:
    virtual ~Application() = default;
    virtual Workbooks& GetWorkbooks() = 0;
    virtual bool Visible() = 0;
    virtual void SetVisible(bool visible) = 0;
};

struct Attachment {
    std::unique_ptr<Application> app;
    bool started = false;  // true when this attach had to start the office
};

// Where applications come from: attach to the running office or start one. Throws
// AutomationError when there is none and none can be started.
class Office {
public:
    virtual ~Office() = default;
    virtual Attachment AttachOrStart() = 0;
};

// True for file names the office opens as templates (new untitled document from the file).
bool IsTemplateFile(const std::string& path);

// Automation colours keep red in the low byte; the office keeps it in the high byte.
std::int32_t SwapRedBlue(std::int32_t color);

}  // namespace tavrix::spreadsheet
