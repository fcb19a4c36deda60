// Writing a value into its spreadsheet: attach to the office (or start it), find
// the device's workbook by its marker or open it, find or add the sheet, find the
// next free row of the column and write the value there. No connection is kept
// between two values.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "engine/dataModule.h"
#include "engine/xlsFreeRow.h"
#include "engine/xlsMarker.h"
#include "engine/xlsValueText.h"
#include "platform/spreadsheet/uno_office.h"

namespace {

using tavrix::spreadsheet::AutomationError;
using tavrix::spreadsheet::Sheet;
using tavrix::spreadsheet::Workbook;

constexpr int kMarkerRow = 1;
constexpr int kProbeRow = 2;
constexpr int kMarkerCol = 256;
constexpr std::int32_t kWhite = 0xFFFFFF;

struct XlsTarget {
    bool vorlageSlct = false;
    std::string vorlage;
    std::string file;
};

// The global target when it is chosen, else the device's own.
XlsTarget TargetOf(const TD& d, const tDevice& dev) {
    if (d.XlsGlobSlct) return {d.XlsGlobVorlageSlct, d.XlsGlobVorlage, d.XlsGlobFile};
    return {dev.MwXlsZielVorlageSlct, dev.MwXlsZielVorlage, dev.MwXlsZielFile};
}

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
        const XlsTarget theirs = TargetOf(d, *other);
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
    const auto fail = [&](const std::string& reason) {
        dev->FtStatusText = reason;
        PostMsg(MsgDeviceError, 100, dev->DevIdx);
        return false;
    };

    // The office that runs, or a new one; remember which.
    tavrix::spreadsheet::Attachment office;
    try {
        office = XlsOffice().AttachOrStart();
    } catch (const AutomationError&) {
        return fail(Captions.XlsQuestion);
    }
    if (!office.app) return fail(Captions.XlsQuestion);
    const XlsAppScope appScope(*this, *office.app);
    auto& books = office.app->GetWorkbooks();

    const XlsTarget target = TargetOf(*this, *dev);
    NoticeTargetChange(*dev, target);
    if (target.vorlageSlct) ShareTemplateWorkbook(*this, *dev, target);

    std::unique_ptr<Workbook> wb;
    if (!dev->XlsWbName.empty()) {
        try {
            wb = FindMarkedWorkbook(books, dev->XlsWbName);
        } catch (const AutomationError&) {
            wb.reset();
            dev->XlsWbName.clear();
        }
    }

    if (!wb) {
        // The marked workbook is gone for every device that shared it.
        if (!dev->XlsWbName.empty()) {
            for (auto& other : Devices) {
                if (other.get() != dev && other->IsInstrument() &&
                    other->XlsWbName == dev->XlsWbName) {
                    other->XlsWbName.clear();
                }
            }
        }
        dev->XlsWbName = tavrix::NewXlsMarker();
        dev->XlsRow = dev->MwXlsZielStartRow;
        if (target.vorlageSlct) {
            wb = OpenIfThere(books, target.vorlage);
            if (!wb) return fail(Captions.XlsVorlageQuestion);
            // Marked at once, so that if a later step fails the next value finds this
            // workbook instead of making one more from the template.
            try {
                if (wb->GetSheets().Count() >= 1)
                    WriteMarker(*wb->GetSheets().Item(1), dev->XlsWbName);
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
                        dev->XlsWbName = tavrix::CutToChars(found, tavrix::kXlsMarkerMaxChars);
                    }
                }
            } else {
                // The program never creates a workbook file.
                wb = OpenIfThere(books, target.file);
                if (!wb) return fail(Captions.XlsFileQuestion);
            }
        }
    }

    // From here on an automation error (the user closed the workbook meanwhile ...)
    // ends the call and goes to the caller.
    std::unique_ptr<Sheet> sh = FindSheetNamed(*wb, dev->MwXlsZielTable);
    if (!sh) {
        dev->XlsRow = dev->MwXlsZielStartRow;
        try {
            sh = wb->AddWorksheet(dev->MwXlsZielTable);
        } catch (const AutomationError&) {
            // A name the office refuses: reported like a missing template, no sheet added.
            return fail(Captions.XlsTableQuestion);
        }
    }

    const int col = dev->MwXlsZielCol;
    tavrix::XlsColumnReader column(*sh, col);
    // Rows count from 1, whatever a settings file holds.
    dev->XlsRow = tavrix::XlsFreeRow(column, std::max(1, dev->XlsRow), dev->MwXlsZielStartRow);

    wb->Activate();
    sh->Activate();

    if (DezTrennProbe) {
        auto probe = sh->Cells(kProbeRow, kMarkerCol);
        if (TakenAsDecimal(*probe, "1234.530000000")) DezTrenn = '.';
        if (TakenAsDecimal(*probe, "1234,530000000")) DezTrenn = ',';
        DezTrennProbe = false;
        probe->SetValue(std::string());
    }

    WriteMarker(*sh, dev->XlsWbName);

    {
        auto cell = sh->Cells(dev->XlsRow, col);
        cell->Activate();
        cell->SetValue(XlsValueText(dev->MwText));
        cell->Activate();
        dev->LastValueRow = dev->XlsRow;
        ++dev->XlsRow;
    }

    // Values that queued up meanwhile follow in order; when this call had to start
    // the office they wait for the next one.
    if (!office.started) {
        while (dev->ValueCount() > 0) {
            EvaluateValue(index);
            DropValue(index);
            // A filled cell below is the user's: go past it rather than over it.
            dev->XlsRow = tavrix::XlsNextEmptyRow(column, dev->XlsRow);
            sh->Cells(dev->XlsRow, col)->SetValue(XlsValueText(dev->MwText));
            ++dev->XlsRow;
        }
        sh->Cells(dev->XlsRow - 1, col)->Activate();
    }

    office.app->SetVisible(true);
    PostOutputRecovered(*dev);
    return true;
}
