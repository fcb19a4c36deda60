// Writing a value into its spreadsheet: attach to the office (or start it), find
// the device's workbook by its marker or open it, find or add the sheet, find the
// next free row of the column and write the value there. What that walk found is
// kept while the office tells of no change that would lead it elsewhere; a value
// then goes straight into its cell.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "engine/dataModule.h"
#include "engine/xlsFreeRow.h"
#include "engine/xlsMarker.h"
#include "engine/xlsPlace.h"
#include "engine/xlsValueText.h"
#include "platform/spreadsheet/uno_office.h"

namespace {

using tavrix::XlsTarget;
using tavrix::XlsTargetOf;
using tavrix::spreadsheet::AutomationError;
using tavrix::spreadsheet::OfficeNotAnswering;
using tavrix::spreadsheet::Sheet;
using tavrix::spreadsheet::Workbook;

constexpr int kMarkerRow = 1;
constexpr int kProbeRow = 2;
constexpr int kMarkerCol = 256;
constexpr std::int32_t kWhite = 0xFFFFFF;

bool SameIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (fold(a[i]) != fold(b[i])) return false;
    }
    return true;
}

std::string CellText(Sheet& sheet, int row, int col) {
    return sheet.Cells(row, col)->value().text;
}

// A new target forgets the workbook and starts again at the start row.
void NoticeTargetChange(tDevice& dev, const XlsTarget& target) {
    const bool changed = target.vorlageSlct != dev.XlsLastVorlageSlct ||
                         (!target.vorlageSlct && target.file != dev.XlsLastFile) ||
                         (target.vorlageSlct && target.vorlage != dev.XlsLastVorlage);
    if (!changed) return;
    dev.XlsWbName.clear();
    dev.XlsLastVorlageSlct = target.vorlageSlct;
    dev.XlsLastFile = target.file;
    dev.XlsLastVorlage = target.vorlage;
    dev.XlsRow = dev.MwXlsZielStartRow;
}

// Instruments on the same template write into one workbook: take the marker of
// another one that has it (the last one found wins).
void ShareTemplateWorkbook(const TD& d, tDevice& dev, const XlsTarget& target) {
    for (const auto& other : d.Devices) {
        if (other.get() == &dev || !other->IsInstrument()) continue;
        const XlsTarget theirs = XlsTargetOf(d, *other);
        if (theirs.vorlageSlct && SameIgnoringCase(theirs.vorlage, target.vorlage) &&
            !other->XlsWbName.empty()) {
            dev.XlsWbName = other->XlsWbName;
            dev.XlsLastVorlage = other->XlsLastVorlage;
            dev.XlsLastVorlageSlct = true;
        }
    }
}

// The open workbook that carries the marker in cell (1, 256) of any of its sheets.
std::unique_ptr<Workbook> FindMarkedWorkbook(tavrix::spreadsheet::Workbooks& books,
                                             const std::string& marker) {
    const int bookCount = books.count();
    for (int i = 1; i <= bookCount; ++i) {
        auto book = books.Item(i);
        auto& sheets = book->GetSheets();
        const int sheetCount = sheets.Count();
        for (int k = 1; k <= sheetCount; ++k) {
            if (CellText(*sheets.Item(k), kMarkerRow, kMarkerCol) == marker) return book;
        }
    }
    return nullptr;
}

std::unique_ptr<Workbook> FindOpenWorkbookNamed(tavrix::spreadsheet::Workbooks& books,
                                                const std::string& name) {
    const int bookCount = books.count();
    for (int i = 1; i <= bookCount; ++i) {
        auto book = books.Item(i);
        if (book->Name() == name) return book;
    }
    return nullptr;
}

bool FileExists(const std::string& path) {
    std::error_code ec;
    return !path.empty() && std::filesystem::is_regular_file(path, ec);
}

std::unique_ptr<Workbook> OpenIfThere(tavrix::spreadsheet::Workbooks& books,
                                      const std::string& path) {
    if (!FileExists(path)) return nullptr;
    try {
        return books.open(path);
    } catch (const OfficeNotAnswering&) {
        throw;
    } catch (const AutomationError&) {
        return nullptr;
    }
}

// The sheet of that name; failing that, the one whose name differs only in letter case,
// which the office takes for the same name and would not let a new sheet have.
std::unique_ptr<Sheet> FindSheetNamed(Workbook& book, const std::string& name) {
    auto& sheets = book.GetSheets();
    const int sheetCount = sheets.Count();
    std::unique_ptr<Sheet> otherCase;
    for (int k = 1; k <= sheetCount; ++k) {
        auto sheet = sheets.Item(k);
        const std::string sheetName = sheet->name();
        if (sheetName == name) return sheet;
        if (!otherCase && SameIgnoringCase(sheetName, name)) otherCase = std::move(sheet);
    }
    return otherCase;
}

// The marker in white in cell (1, 256). Errors are ignored: the value matters, and a
// marker that did not take is written again next time.
void WriteMarker(Sheet& sheet, const std::string& marker) {
    try {
        auto cell = sheet.Cells(kMarkerRow, kMarkerCol);
        cell->SetValue(marker);
        cell->SetFontColor(kWhite);
    } catch (const OfficeNotAnswering&) {
        throw;
    } catch (const AutomationError&) {
    }
}

// Writes a number text into a free cell and reads it back: a text the office took
// as a decimal number shows as "1234.53" or "1234,53", whose sixth character is 5.
bool TakenAsDecimal(tavrix::spreadsheet::Cell& cell, const std::string& probe) {
    cell.SetValue(probe);
    const std::string shown = cell.value().text;
    return shown.size() >= 6 && shown[5] == '5';
}

// Holds the application while a call runs; the field is empty again whatever way
// the call ends.
class XlsAppScope {
public:
    XlsAppScope(TD& d, tavrix::spreadsheet::Application& app) : d_(d) { d_.XlsApp = &app; }
    ~XlsAppScope() { d_.XlsApp = nullptr; }
    XlsAppScope(const XlsAppScope&) = delete;
    XlsAppScope& operator=(const XlsAppScope&) = delete;

private:
    TD& d_;
};

}  // namespace

std::string TD::XlsValueText(const std::string& text) const {
    return tavrix::XlsValueText(text, DezTrenn);
}

tavrix::spreadsheet::Office& TD::XlsOffice() {
    if (xlsOffice_ != nullptr) return *xlsOffice_;
    if (!ownXlsOffice_) ownXlsOffice_ = std::make_unique<tavrix::spreadsheet::UnoOffice>();
    return *ownXlsOffice_;
}

void TD::ReportXlsError(int index, const std::string& error) const {
    if (OnXlsError) {
        OnXlsError(index, error);
    } else {
        std::fprintf(stderr, "Tavrix: spreadsheet output of device %d: %s\n", index, error.c_str());
    }
}

bool TD::XlsWriteValue(int index) {
    tDevice* dev = DeviceAt(index);
    if (dev == nullptr) return false;

    // The office that runs, or a new one; remember which.
    tavrix::spreadsheet::Attachment office;
    try {
        office = XlsOffice().AttachOrStart();
    } catch (const AutomationError&) {
    }
    if (!office.app) {
        dev->XlsKnown.reset();
        dev->FtStatusText = Captions.XlsQuestion;
        PostMsg(MsgDeviceError, 100, dev->DevIdx);
        return false;
    }
    const XlsAppScope appScope(*this, *office.app);

    const XlsTarget target = XlsTargetOf(*this, *dev);
    NoticeTargetChange(*dev, target);
    if (target.vorlageSlct) ShareTemplateWorkbook(*this, *dev, target);

    try {
        if (dev->XlsKnown && dev->XlsKnown->StillTrue(*this, *dev)) {
            return XlsWriteKnown(*dev, office.started);
        }
        dev->XlsKnown.reset();
        return XlsWalk(*dev, office.started);
    } catch (const OfficeNotAnswering&) {
        // Like an office that cannot be reached; where the calls got to is unknown.
        dev->XlsKnown.reset();
        dev->FtStatusText = Captions.XlsQuestion;
        PostMsg(MsgDeviceError, 100, dev->DevIdx);
        return false;
    } catch (...) {
        dev->XlsKnown.reset();
        throw;
    }
}

bool TD::XlsWriteKnown(tDevice& dev, bool officeStarted) {
    tavrix::XlsPlace& place = *dev.XlsKnown;
    dev.XlsRow = tavrix::XlsFreeRow(place.column, std::max(1, dev.XlsRow), dev.MwXlsZielStartRow);
    place.book->Activate();
    place.sheet->Activate();
    XlsWriteIntoColumn(dev, place, officeStarted);
    place.book->Show();
    // A change the office told meanwhile may have been the workbook closing, whose
    // objects take writes without a word: asking the workbook tells.
    if (place.watch->Changes() != place.changesSeen) place.book->GetSheets().Count();
    PostOutputRecovered(dev);
    return true;
}

void TD::XlsNoteOwnWrite(tavrix::XlsPlace& writer, int row, int col, bool empty) {
    if (writer.column.Col() == col) writer.column.Set(row, empty);
    for (auto& other : Devices) {
        tavrix::XlsPlace* place = other->XlsKnown.get();
        if (place && place != &writer && place->column.Col() == col && place->SameSheet(writer)) {
            place->column.Set(row, empty);
        }
    }
}

void TD::XlsWriteIntoColumn(tDevice& dev, tavrix::XlsPlace& place, bool officeStarted) {
    Sheet& sh = *place.sheet;
    const int col = dev.MwXlsZielCol;
    const auto write = [&](tavrix::spreadsheet::Cell& cell, int row) {
        const std::string text = XlsValueText(dev.MwText);
        cell.SetValue(text);
        XlsNoteOwnWrite(place, row, col, text.empty());
    };
    {
        auto cell = sh.Cells(dev.XlsRow, col);
        cell->Activate();
        write(*cell, dev.XlsRow);
        cell->Activate();
        dev.LastValueRow = dev.XlsRow;
        ++dev.XlsRow;
    }

    // Values that queued up meanwhile follow in order; when this call had to start
    // the office they wait for the next one.
    if (!officeStarted) {
        const int index = dev.DevIdx;
        bool more = false;
        while (dev.ValueCount() > 0) {
            EvaluateValue(index);
            DropValue(index);
            // A filled cell below is the user's: go past it rather than over it.
            dev.XlsRow = tavrix::XlsNextEmptyRow(place.column, dev.XlsRow);
            write(*sh.Cells(dev.XlsRow, col), dev.XlsRow);
            ++dev.XlsRow;
            more = true;
        }
        if (more) sh.Cells(dev.XlsRow - 1, col)->Activate();
    }
    place.nextRow = dev.XlsRow;
}

bool TD::XlsWalk(tDevice& dev, bool officeStarted) {
    const auto fail = [&](const std::string& reason) {
        dev.FtStatusText = reason;
        PostMsg(MsgDeviceError, 100, dev.DevIdx);
        return false;
    };
    auto& books = XlsApp->GetWorkbooks();
    const XlsTarget target = XlsTargetOf(*this, dev);

    std::unique_ptr<Workbook> wb;
    if (!dev.XlsWbName.empty()) {
        try {
            wb = FindMarkedWorkbook(books, dev.XlsWbName);
        } catch (const OfficeNotAnswering&) {
            throw;
        } catch (const AutomationError&) {
            wb.reset();
            dev.XlsWbName.clear();
        }
    }

    if (!wb) {
        // The marked workbook is gone for every device that shared it.
        if (!dev.XlsWbName.empty()) {
            for (auto& other : Devices) {
                if (other.get() != &dev && other->IsInstrument() &&
                    other->XlsWbName == dev.XlsWbName) {
                    other->XlsWbName.clear();
                }
            }
        }
        dev.XlsWbName = tavrix::NewXlsMarker();
        dev.XlsRow = dev.MwXlsZielStartRow;
        if (target.vorlageSlct) {
            wb = OpenIfThere(books, target.vorlage);
            if (!wb) return fail(Captions.XlsVorlageQuestion);
            // Marked at once, so that if a later step fails the next value finds this
            // workbook instead of making one more from the template.
            try {
                if (wb->GetSheets().Count() >= 1)
                    WriteMarker(*wb->GetSheets().Item(1), dev.XlsWbName);
            } catch (const OfficeNotAnswering&) {
                throw;
            } catch (const AutomationError&) {
            }
        } else {
            // The workbook may be open already; its marker then stays in force.
            const std::string name = std::filesystem::path(target.file).filename().string();
            wb = FindOpenWorkbookNamed(books, name);
            if (wb) {
                auto& sheets = wb->GetSheets();
                if (sheets.Count() >= 1) {
                    const std::string found = CellText(*sheets.Item(1), kMarkerRow, kMarkerCol);
                    if (!found.empty()) {
                        dev.XlsWbName = tavrix::CutToChars(found, tavrix::kXlsMarkerMaxChars);
                    }
                }
            } else {
                // The program never creates a workbook file.
                wb = OpenIfThere(books, target.file);
                if (!wb) return fail(Captions.XlsFileQuestion);
            }
        }
    }
    std::shared_ptr<Workbook> book = std::move(wb);
    // Notices count from here: a change while the walk reads is seen by the next value.
    const auto watch = book->Watch();
    const std::uint64_t changesSeen = watch ? watch->Changes() : 0;

    // From here on an automation error (the user closed the workbook meanwhile ...)
    // ends the call and goes to the caller.
    std::unique_ptr<Sheet> found = FindSheetNamed(*book, dev.MwXlsZielTable);
    if (!found) {
        dev.XlsRow = dev.MwXlsZielStartRow;
        try {
            found = book->AddWorksheet(dev.MwXlsZielTable);
        } catch (const OfficeNotAnswering&) {
            throw;
        } catch (const AutomationError&) {
            // A name the office refuses: reported like a missing template, no sheet added.
            return fail(Captions.XlsTableQuestion);
        }
    }

    dev.XlsKnown = std::make_shared<tavrix::XlsPlace>(book, std::move(found), dev, target);
    tavrix::XlsPlace& place = *dev.XlsKnown;
    if (watch) place.Watched(watch, changesSeen);
    Sheet& sh = *place.sheet;
    // Rows count from 1, whatever a settings file holds.
    dev.XlsRow = tavrix::XlsFreeRow(place.column, std::max(1, dev.XlsRow), dev.MwXlsZielStartRow);

    book->Activate();
    sh.Activate();

    if (DezTrennProbe) {
        auto probe = sh.Cells(kProbeRow, kMarkerCol);
        if (TakenAsDecimal(*probe, "1234.530000000")) DezTrenn = '.';
        if (TakenAsDecimal(*probe, "1234,530000000")) DezTrenn = ',';
        DezTrennProbe = false;
        probe->SetValue(std::string());
        XlsNoteOwnWrite(place, kProbeRow, kMarkerCol, true);
    }

    WriteMarker(sh, dev.XlsWbName);
    XlsNoteOwnWrite(place, kMarkerRow, kMarkerCol, dev.XlsWbName.empty());
    place.Marked(dev.XlsWbName);

    XlsWriteIntoColumn(dev, place, officeStarted);

    XlsApp->SetVisible(true);
    PostOutputRecovered(dev);
    return true;
}
