#include "platform/spreadsheet/fake_office.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace tavrix::spreadsheet {

namespace {
constexpr int kMaxRow = 1048576;
constexpr int kMaxCol = 1024;
}  // namespace

struct FakeOffice::State {
    bool running = true;
    bool startable = true;
    bool visible = false;
    NumberSeparators separators;
    std::map<std::string, std::vector<std::shared_ptr<FakeSheet>>> files;
    std::vector<std::shared_ptr<FakeBook>> books;  // open ones, in opening order
    int untitledCount = 0;
    std::weak_ptr<FakeBook> activeBook;
    std::weak_ptr<FakeSheet> activeSheet;
    std::pair<int, int> activeCell{0, 0};
    FakeCallCounts counts;

    void CheckRunning() const {
        if (!running) throw AutomationError("the office is no longer running");
    }
};

namespace {

using StatePtr = std::shared_ptr<FakeOffice::State>;

// As the office does: no forbidden character, and no other sheet of the same name in any
// letter case.
void CheckSheetName(const FakeBook& book, const FakeSheet* renamed, const std::string& name) {
    if (name.empty() || name.find_first_of("[]*?:/\\") != std::string::npos) {
        throw AutomationError("invalid sheet name \"" + name + "\"");
    }
    const auto fold = [](std::string text) {
        std::transform(text.begin(), text.end(), text.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        return text;
    };
    for (const auto& other : book.sheets) {
        if (other.get() != renamed && fold(other->name) == fold(name)) {
            throw AutomationError("a sheet named \"" + name + "\" already exists");
        }
    }
}

void CheckOpen(const StatePtr& st, const std::shared_ptr<FakeBook>& book) {
    st->CheckRunning();
    if (book->closed) throw AutomationError("the workbook \"" + book->name + "\" was closed");
}

class FakeCellRef : public Cell {
public:
    FakeCellRef(StatePtr st, std::shared_ptr<FakeBook> book, std::shared_ptr<FakeSheet> sheet,
                int row, int col)
        : st_(std::move(st)),
          book_(std::move(book)),
          sheet_(std::move(sheet)),
          row_(row),
          col_(col) {}

    CellValue value() override {
        CheckOpen(st_, book_);
        ++st_->counts.cellReads;
        auto it = sheet_->cells.find({row_, col_});
        return it == sheet_->cells.end() ? CellValue{} : it->second.value;
    }
    void SetValue(double number) override {
        CheckOpen(st_, book_);
        ++st_->counts.cellWrites;
        sheet_->cells[{row_, col_}].value =
            CellValue::Number(number, FormatGeneralNumber(number, st_->separators));
    }
    void SetValue(const std::string& text) override {
        CheckOpen(st_, book_);
        if (auto number = ParseTypedNumber(text, st_->separators)) return SetValue(*number);
        ++st_->counts.cellWrites;
        sheet_->cells[{row_, col_}].value = CellValue::Text(text);
    }
    std::int32_t FontColor() override {
        CheckOpen(st_, book_);
        auto it = sheet_->cells.find({row_, col_});
        return it == sheet_->cells.end() ? 0 : it->second.fontColor;
    }
    void SetFontColor(std::int32_t color) override {
        CheckOpen(st_, book_);
        sheet_->cells[{row_, col_}].fontColor = color;
    }
    void Activate() override {
        CheckOpen(st_, book_);
        st_->activeBook = book_;
        st_->activeSheet = sheet_;
        st_->activeCell = {row_, col_};
    }

private:
    StatePtr st_;
    std::shared_ptr<FakeBook> book_;
    std::shared_ptr<FakeSheet> sheet_;
    int row_;
    int col_;
};

class FakeSheetRef : public Sheet {
public:
    FakeSheetRef(StatePtr st, std::shared_ptr<FakeBook> book, std::shared_ptr<FakeSheet> sheet)
        : st_(std::move(st)), book_(std::move(book)), sheet_(std::move(sheet)) {}

    std::string name() override {
        CheckOpen(st_, book_);
        return sheet_->name;
    }
    void SetName(const std::string& name) override {
        CheckOpen(st_, book_);
        CheckSheetName(*book_, sheet_.get(), name);
        sheet_->name = name;
    }
    std::unique_ptr<Cell> Cells(int row, int col) override {
        CheckOpen(st_, book_);
        if (row < 1 || row > kMaxRow || col < 1 || col > kMaxCol) {
            throw AutomationError("cell (" + std::to_string(row) + ", " + std::to_string(col) +
                                  ") is outside the sheet");
        }
        return std::make_unique<FakeCellRef>(st_, book_, sheet_, row, col);
    }
    std::vector<CellValue> ColumnValues(int col, int firstRow, int lastRow) override {
        CheckOpen(st_, book_);
        if (col < 1 || col > kMaxCol || firstRow < 1 || lastRow > kMaxRow || firstRow > lastRow) {
            throw AutomationError("invalid column range");
        }
        ++st_->counts.rangeReads;
        std::vector<CellValue> out;
        out.reserve(static_cast<std::size_t>(lastRow - firstRow + 1));
        for (int row = firstRow; row <= lastRow; ++row) {
            auto it = sheet_->cells.find({row, col});
            out.push_back(it == sheet_->cells.end() ? CellValue{} : it->second.value);
        }
        return out;
    }
    void Activate() override {
        CheckOpen(st_, book_);
        st_->activeBook = book_;
        st_->activeSheet = sheet_;
    }

private:
    StatePtr st_;
    std::shared_ptr<FakeBook> book_;
    std::shared_ptr<FakeSheet> sheet_;
};

class FakeSheetsRef : public Sheets {
public:
    FakeSheetsRef(StatePtr st, std::shared_ptr<FakeBook> book)
        : st_(std::move(st)), book_(std::move(book)) {}

    int Count() override {
        CheckOpen(st_, book_);
        return static_cast<int>(book_->sheets.size());
    }
    std::unique_ptr<Sheet> Item(int index) override {
        CheckOpen(st_, book_);
        if (index < 1 || index > static_cast<int>(book_->sheets.size())) {
            throw AutomationError("no sheet " + std::to_string(index));
        }
        return std::make_unique<FakeSheetRef>(st_, book_,
                                              book_->sheets[static_cast<std::size_t>(index - 1)]);
    }

private:
    StatePtr st_;
    std::shared_ptr<FakeBook> book_;
};

class FakeWorkbookRef : public Workbook {
public:
    FakeWorkbookRef(StatePtr st, std::shared_ptr<FakeBook> book)
        : st_(st), book_(book), sheets_(st, book) {}

    std::string Name() override {
        CheckOpen(st_, book_);
        return book_->name;
    }
    Sheets& GetSheets() override { return sheets_; }
    std::unique_ptr<Sheet> AddWorksheet() override {
        CheckOpen(st_, book_);
        std::string name;
        for (int n = static_cast<int>(book_->sheets.size()) + 1;; ++n) {
            name = "Sheet" + std::to_string(n);
            const bool taken = std::any_of(book_->sheets.begin(), book_->sheets.end(),
                                           [&](const auto& s) { return s->name == name; });
            if (!taken) break;
        }
        book_->sheets.push_back(FakeOffice::MakeSheet(name));
        return std::make_unique<FakeSheetRef>(st_, book_, book_->sheets.back());
    }
    std::unique_ptr<Sheet> AddWorksheet(const std::string& name) override {
        CheckOpen(st_, book_);
        CheckSheetName(*book_, nullptr, name);
        book_->sheets.push_back(FakeOffice::MakeSheet(name));
        return std::make_unique<FakeSheetRef>(st_, book_, book_->sheets.back());
    }
    void Activate() override {
        CheckOpen(st_, book_);
        st_->activeBook = book_;
    }

private:
    StatePtr st_;
    std::shared_ptr<FakeBook> book_;
    FakeSheetsRef sheets_;
};

class FakeWorkbooksRef : public Workbooks {
public:
    explicit FakeWorkbooksRef(StatePtr st) : st_(std::move(st)) {}

    int count() override {
        st_->CheckRunning();
        return static_cast<int>(st_->books.size());
    }
    std::unique_ptr<Workbook> Item(int index) override {
        st_->CheckRunning();
        if (index < 1 || index > static_cast<int>(st_->books.size())) {
            throw AutomationError("no workbook " + std::to_string(index));
        }
        return std::make_unique<FakeWorkbookRef>(st_,
                                                 st_->books[static_cast<std::size_t>(index - 1)]);
    }
    std::unique_ptr<Workbook> open(const std::string& path) override {
        st_->CheckRunning();
        ++st_->counts.opens;
        auto file = st_->files.find(path);
        if (file == st_->files.end()) throw AutomationError("file not found: " + path);
        const bool asTemplate = IsTemplateFile(path);
        if (!asTemplate) {
            for (const auto& book : st_->books) {
                if (book->path == path) return std::make_unique<FakeWorkbookRef>(st_, book);
            }
        }
        auto book = std::make_shared<FakeBook>();
        if (asTemplate) {
            book->name = "Untitled " + std::to_string(++st_->untitledCount);
        } else {
            book->name = std::filesystem::path(path).filename().string();
            book->path = path;
        }
        for (const auto& sheet : file->second) {
            book->sheets.push_back(std::make_shared<FakeSheet>(*sheet));
        }
        st_->books.push_back(book);
        st_->activeBook = book;
        return std::make_unique<FakeWorkbookRef>(st_, book);
    }

private:
    StatePtr st_;
};

class FakeApplication : public Application {
public:
    explicit FakeApplication(StatePtr st) : st_(st), books_(st) {}

    Workbooks& GetWorkbooks() override { return books_; }
    bool Visible() override {
        st_->CheckRunning();
        return st_->visible;
    }
    void SetVisible(bool visible) override {
        st_->CheckRunning();
        st_->visible = visible;
    }

private:
    StatePtr st_;
    FakeWorkbooksRef books_;
};

}  // namespace

FakeOffice::FakeOffice() : state_(std::make_shared<State>()) {}

void FakeOffice::SetRunning(bool running) {
    if (!running) return Quit();
    state_->running = true;
}
void FakeOffice::SetStartable(bool startable) {
    state_->startable = startable;
}
void FakeOffice::SetSeparators(NumberSeparators separators) {
    state_->separators = std::move(separators);
}
bool FakeOffice::Running() const {
    return state_->running;
}

void FakeOffice::AddFile(const std::string& path, std::vector<std::shared_ptr<FakeSheet>> sheets) {
    state_->files[path] = std::move(sheets);
}

std::shared_ptr<FakeSheet> FakeOffice::MakeSheet(const std::string& name) {
    auto sheet = std::make_shared<FakeSheet>();
    sheet->name = name;
    return sheet;
}

int FakeOffice::OpenBookCount() const {
    return static_cast<int>(state_->books.size());
}

std::shared_ptr<FakeBook> FakeOffice::Book(int index) const {
    if (index < 1 || index > OpenBookCount()) return nullptr;
    return state_->books[static_cast<std::size_t>(index - 1)];
}

void FakeOffice::CloseBook(int index) {
    auto book = Book(index);
    if (!book) return;
    book->closed = true;
    state_->books.erase(state_->books.begin() + (index - 1));
}

void FakeOffice::Quit() {
    for (auto& book : state_->books) book->closed = true;
    state_->books.clear();
    state_->running = false;
    state_->visible = false;
}

bool FakeOffice::visible() const {
    return state_->visible;
}

std::string FakeOffice::ActiveBookName() const {
    auto book = state_->activeBook.lock();
    return book && !book->closed ? book->name : std::string();
}

std::string FakeOffice::ActiveSheetName() const {
    auto sheet = state_->activeSheet.lock();
    return sheet ? sheet->name : std::string();
}

std::pair<int, int> FakeOffice::ActiveCell() const {
    return state_->activeCell;
}

const FakeCallCounts& FakeOffice::Counts() const {
    return state_->counts;
}

Attachment FakeOffice::AttachOrStart() {
    ++state_->counts.attaches;
    Attachment result;
    if (!state_->running) {
        if (!state_->startable)
            throw AutomationError("no office is running and none can be started");
        state_->running = true;
        result.started = true;
    }
    result.app = std::make_unique<FakeApplication>(state_);
    return result;
}

}  // namespace tavrix::spreadsheet
