#include "tests/spreadsheet/test_office.h"

#include <stdlib.h>
#include <unistd.h>
#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNamed.hpp>
#include <com/sun/star/frame/Desktop.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/frame/XTitle.hpp>
#include <com/sun/star/sheet/CellFlags.hpp>
#include <com/sun/star/sheet/XSheetOperation.hpp>
#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>
#include <com/sun/star/sheet/XSpreadsheets.hpp>
#include <com/sun/star/table/XCell.hpp>
#include <com/sun/star/text/XText.hpp>
#include <com/sun/star/util/XCloseable.hpp>

#include <atomic>
#include <filesystem>

#include "platform/spreadsheet/office_process.h"
#include "platform/spreadsheet/uno_runtime.h"

namespace tavrix::spreadsheet::testing {

namespace {

using namespace tavrix::spreadsheet::uno;
using css::uno::UNO_QUERY;
using css::uno::UNO_QUERY_THROW;

css::beans::PropertyValue Prop(const char* name, const css::uno::Any& value) {
    css::beans::PropertyValue p;
    p.Name = OUString::createFromAscii(name);
    p.Value = value;
    return p;
}

const char* FilterFor(const std::string& path) {
    const auto ext = std::filesystem::path(path).extension().string();
    if (ext == ".ots") return "calc8_template";
    if (ext == ".xlsx") return "Calc MS Excel 2007 XML";
    if (ext == ".xltx") return "Calc MS Excel 2007 XML Template";
    if (ext == ".xls") return "MS Excel 97";
    if (ext == ".xlt") return "MS Excel 97 Vorlage/Template";
    return "calc8";
}

}  // namespace

TestOffice::TestOffice(const std::string& locale) {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "tavrix-office-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw AutomationError("cannot make a scratch folder");
    dir_ = pattern;
    static std::atomic<int> serial{0};
    options_ = OfficeOptions::FromEnvironment();
    options_.pipeName = "tavrix_test_" + std::to_string(getpid()) + "_" + std::to_string(++serial);
    options_.profileDir = dir_ + "/profile";
    options_.locale = locale;
    options_.headless = true;
}

TestOffice::~TestOffice() {
    Stop();
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
}

Attachment TestOffice::Start() {
    UnoOffice office(options_);
    try {
        auto attachment = office.AttachOrStart();
        if (office.StartedPid() > 0) pid_ = office.StartedPid();
        return attachment;
    } catch (...) {
        // A start that failed half-way still leaves a process to end.
        if (office.StartedPid() > 0) pid_ = office.StartedPid();
        throw;
    }
}

void TestOffice::Stop() {
    if (pid_ > 0) StopProcessGroup(pid_, 15000);
    pid_ = 0;
}

void TestOffice::WriteSpreadsheet(const std::string& path, const std::vector<SheetRows>& sheets) {
    Guarded("writing a test spreadsheet", [&] { WriteSpreadsheetUno(path, sheets); });
}

void TestOffice::WriteSpreadsheetUno(const std::string& path,
                                     const std::vector<SheetRows>& sheets) {
    auto session = Connect(options_.programDir, options_.pipeName);
    if (!session) throw AutomationError("test office not running");
    auto desktop = css::frame::Desktop::create(session->RemoteContext());
    const auto hiddenProp = Prop("Hidden", css::uno::Any(true));
    const css::uno::Sequence<css::beans::PropertyValue> hidden(&hiddenProp, 1);
    auto doc = desktop->loadComponentFromURL("private:factory/scalc", "_blank", 0, hidden);
    Ref<css::sheet::XSpreadsheetDocument> book(doc, UNO_QUERY_THROW);
    auto all = book->getSheets();
    for (std::size_t i = 0; i < sheets.size(); ++i) {
        const OUString name = FromUtf8(sheets[i].first);
        if (i == 0) {
            Ref<css::container::XIndexAccess> access(all, UNO_QUERY_THROW);
            Ref<css::container::XNamed>(access->getByIndex(0), UNO_QUERY_THROW)->setName(name);
        } else {
            all->insertNewByName(name, static_cast<sal_Int16>(i));
        }
        Ref<css::sheet::XSpreadsheet> sheet(all->getByName(name), UNO_QUERY_THROW);
        for (std::size_t row = 0; row < sheets[i].second.size(); ++row) {
            auto cell = sheet->getCellByPosition(0, static_cast<sal_Int32>(row));
            Ref<css::text::XText>(cell, UNO_QUERY_THROW)
                ->setString(FromUtf8(sheets[i].second[row]));
        }
    }
    const std::string url = FileUrlOf(std::filesystem::absolute(path).string());
    const auto filter =
        Prop("FilterName", css::uno::Any(OUString::createFromAscii(FilterFor(path))));
    const css::uno::Sequence<css::beans::PropertyValue> store(&filter, 1);
    Ref<css::frame::XStorable>(doc, UNO_QUERY_THROW)->storeToURL(FromUtf8(url), store);
    Ref<css::util::XCloseable>(doc, UNO_QUERY_THROW)->close(true);
}

void TestOffice::CloseDocument(const std::string& name) {
    Guarded("closing a test document", [&] { CloseDocumentUno(name); });
}

void TestOffice::CloseDocumentUno(const std::string& name) {
    auto session = Connect(options_.programDir, options_.pipeName);
    if (!session) throw AutomationError("test office not running");
    auto desktop = css::frame::Desktop::create(session->RemoteContext());
    auto all = desktop->getComponents()->createEnumeration();
    while (all->hasMoreElements()) {
        Ref<css::frame::XTitle> title(all->nextElement(), UNO_QUERY);
        if (title.is() && ToUtf8(title->getTitle()) == name) {
            Ref<css::util::XCloseable>(title, UNO_QUERY_THROW)->close(true);
            return;
        }
    }
    throw AutomationError("no open document " + name);
}

void TestOffice::ActAsUser(UserAction action, const std::string& title, const std::string& sheet,
                           int row, int col, const std::string& text) {
    Guarded("acting as the user", [&] { ActAsUserUno(action, title, sheet, row, col, text); });
}

void TestOffice::ActAsUserUno(UserAction action, const std::string& title,
                              const std::string& sheetName, int row, int col,
                              const std::string& text) {
    auto session = Connect(options_.programDir, options_.pipeName);
    if (!session) throw AutomationError("test office not running");
    auto desktop = css::frame::Desktop::create(session->RemoteContext());
    auto all = desktop->getComponents()->createEnumeration();
    Ref<css::sheet::XSpreadsheetDocument> book;
    while (all->hasMoreElements() && !book.is()) {
        Ref<css::frame::XTitle> candidate(all->nextElement(), UNO_QUERY);
        if (candidate.is() && ToUtf8(candidate->getTitle()) == title)
            book.set(candidate, UNO_QUERY);
    }
    if (!book.is()) throw AutomationError("no open document " + title);
    auto sheets = book->getSheets();
    const OUString name = FromUtf8(sheetName);
    switch (action) {
        case UserAction::Type: {
            Ref<css::sheet::XSpreadsheet> sheet(sheets->getByName(name), UNO_QUERY_THROW);
            auto cell = sheet->getCellByPosition(col - 1, row - 1);
            if (text.empty()) {
                using namespace css::sheet::CellFlags;
                Ref<css::sheet::XSheetOperation>(cell, UNO_QUERY_THROW)
                    ->clearContents(VALUE | DATETIME | STRING | FORMULA);
            } else {
                Ref<css::text::XText>(cell, UNO_QUERY_THROW)->setString(FromUtf8(text));
            }
            break;
        }
        case UserAction::RenameSheet:
            Ref<css::container::XNamed>(sheets->getByName(name), UNO_QUERY_THROW)
                ->setName(FromUtf8(text));
            break;
        case UserAction::RemoveSheet:
            sheets->removeByName(name);
            break;
        case UserAction::MoveSheetFirst:
            sheets->moveByName(name, 0);
            break;
    }
}

void TestOffice::OpenDocument(const std::string& path) {
    Guarded("opening a test document", [&] {
        auto session = Connect(options_.programDir, options_.pipeName);
        if (!session) throw AutomationError("test office not running");
        auto desktop = css::frame::Desktop::create(session->RemoteContext());
        const auto hiddenProp = Prop("Hidden", css::uno::Any(true));
        const css::uno::Sequence<css::beans::PropertyValue> hidden(&hiddenProp, 1);
        const std::string url = FileUrlOf(std::filesystem::absolute(path).string());
        desktop->loadComponentFromURL(FromUtf8(url), "_blank", 0, hidden);
    });
}

}  // namespace tavrix::spreadsheet::testing

// Office tests run under LeakSanitizer too. The UNO runtime keeps its type descriptions and
// bridge buffers until the process ends; those allocations, made in its own libraries, are not
// leaks of ours. (The same list is in lsan.supp for a run that names it.)
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libuno_cppu.so\nleak:libuno_sal.so\nleak:libbinaryurplo.so\n";
}
