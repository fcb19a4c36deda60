#include "platform/spreadsheet/uno_workbooks.h"

#include <com/sun/star/awt/XTopWindow.hpp>
#include <com/sun/star/awt/XWindow2.hpp>
#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/frame/Desktop.hpp>
#include <com/sun/star/frame/XController.hpp>
#include <com/sun/star/frame/XFrame.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/frame/XTitle.hpp>
#include <com/sun/star/i18n/LocaleData2.hpp>
#include <com/sun/star/lang/Locale.hpp>
#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>
#include <com/sun/star/sheet/XSpreadsheets.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <com/sun/star/util/XNumberFormats.hpp>
#include <com/sun/star/util/XNumberFormatsSupplier.hpp>
#include <osl/file.hxx>

#include <algorithm>
#include <filesystem>
#include <vector>

namespace tavrix::spreadsheet::uno {

namespace {

using css::uno::UNO_QUERY;
using css::uno::UNO_QUERY_THROW;

Ref<css::awt::XWindow> WindowOf(const Ref<css::frame::XModel>& model) {
    auto controller = model->getCurrentController();
    if (!controller.is()) return {};
    auto frame = controller->getFrame();
    return frame.is() ? frame->getContainerWindow() : Ref<css::awt::XWindow>();
}

class UnoSheets : public Sheets {
public:
    explicit UnoSheets(std::shared_ptr<DocumentLink> doc) : doc_(std::move(doc)) {}

    int Count() override {
        doc_->CheckOpen();
        return doc_->session->Call("Sheets.Count",
                                   [&] { return static_cast<int>(Access()->getCount()); });
    }
    std::unique_ptr<Sheet> Item(int index) override {
        doc_->CheckOpen();
        auto sheet = doc_->session->Call("Sheets(index)", [&] {
            Ref<css::sheet::XSpreadsheet> s;
            Access()->getByIndex(index - 1) >>= s;
            return s;
        });
        if (!sheet.is()) throw AutomationError("no sheet " + std::to_string(index));
        return MakeSheet(doc_, sheet);
    }

private:
    Ref<css::container::XIndexAccess> Access() {
        Ref<css::sheet::XSpreadsheetDocument> book(doc_->model, UNO_QUERY_THROW);
        return Ref<css::container::XIndexAccess>(book->getSheets(), UNO_QUERY_THROW);
    }

    std::shared_ptr<DocumentLink> doc_;
};

class UnoWorkbook : public Workbook {
public:
    UnoWorkbook(std::shared_ptr<DocumentLink> doc, bool headless)
        : doc_(doc), sheets_(doc), headless_(headless) {}

    std::string Name() override {
        return doc_->session->Call("Workbook.Name", [&] {
            Ref<css::frame::XStorable> storable(doc_->model, UNO_QUERY);
            if (storable.is() && storable->hasLocation()) {
                OUString path;
                const OUString url = storable->getLocation();
                if (osl::FileBase::getSystemPathFromFileURL(url, path) != osl::FileBase::E_None) {
                    path = url;
                }
                return std::filesystem::path(ToUtf8(path)).filename().string();
            }
            return ToUtf8(Ref<css::frame::XTitle>(doc_->model, UNO_QUERY_THROW)->getTitle());
        });
    }

    Sheets& GetSheets() override { return sheets_; }

    std::unique_ptr<Sheet> AddWorksheet() override {
        auto sheet = doc_->session->Call("WorkSheets.Add", [&] {
            Ref<css::sheet::XSpreadsheetDocument> book(doc_->model, UNO_QUERY_THROW);
            auto sheets = book->getSheets();
            Ref<css::container::XIndexAccess> access(sheets, UNO_QUERY_THROW);
            const sal_Int32 count = access->getCount();
            OUString name;
            for (sal_Int32 n = count + 1;; ++n) {
                name = "Sheet" + OUString::number(n);
                if (!sheets->hasByName(name)) break;
            }
            sheets->insertNewByName(name, static_cast<sal_Int16>(count));
            Ref<css::sheet::XSpreadsheet> added;
            sheets->getByName(name) >>= added;
            return added;
        });
        return MakeSheet(doc_, sheet);
    }

    std::unique_ptr<Sheet> AddWorksheet(const std::string& name) override {
        auto sheet = doc_->session->Call("WorkSheets.Add", [&] {
            Ref<css::sheet::XSpreadsheetDocument> book(doc_->model, UNO_QUERY_THROW);
            auto sheets = book->getSheets();
            Ref<css::container::XIndexAccess> access(sheets, UNO_QUERY_THROW);
            const sal_Int16 count = static_cast<sal_Int16>(access->getCount());
            // The office checks the name itself and inserts nothing when it refuses it.
            const OUString wanted = FromUtf8(name);
            sheets->insertNewByName(wanted, count);
            Ref<css::sheet::XSpreadsheet> added;
            sheets->getByName(wanted) >>= added;
            return added;
        });
        return MakeSheet(doc_, sheet);
    }

    void Activate() override {
        doc_->session->Call("Workbook.Activate", [&] {
            auto& view = doc_->CurrentView();
            if (!view.frame.is()) return;
            view.frame->activate();
            if (view.top.is()) view.top->toFront();
        });
    }

    void Show() override {
        if (headless_) return;
        doc_->CheckOpen();
        doc_->session->Call("Application.Visible", [&] {
            auto& view = doc_->CurrentView();
            if (view.window.is()) view.window->setVisible(true);
        });
    }

    std::shared_ptr<const DocumentWatch> Watch() override {
        if (!doc_->watch) {
            doc_->watch = WatchDocument(*doc_->session, doc_->model);
            doc_->watchedChanges = doc_->watch->Changes();
        }
        return doc_->watch;
    }

private:
    std::shared_ptr<DocumentLink> doc_;
    UnoSheets sheets_;
    bool headless_;
};

class UnoWorkbooks : public Workbooks {
public:
    UnoWorkbooks(std::shared_ptr<Session> session, bool headless)
        : session_(std::move(session)), headless_(headless) {}

    // The open spreadsheet documents in the office's own order (the order they were opened).
    // Counting takes a fresh look; indexing uses the last look.
    int count() override {
        Refresh();
        return static_cast<int>(books_.size());
    }

    std::unique_ptr<Workbook> Item(int index) override {
        if (books_.empty()) Refresh();
        if (index < 1 || index > static_cast<int>(books_.size())) {
            throw AutomationError("no workbook " + std::to_string(index));
        }
        return Wrap(books_[static_cast<std::size_t>(index - 1)]);
    }

    std::unique_ptr<Workbook> open(const std::string& path) override {
        std::error_code ec;
        const auto file = std::filesystem::absolute(path, ec);
        if (ec || !std::filesystem::is_regular_file(file, ec)) {
            throw AutomationError("file not found: " + path);
        }
        auto model = session_->Call(
            "Workbooks.open",
            [&] {
                OUString url;
                if (osl::FileBase::getFileURLFromSystemPath(FromUtf8(file.string()), url) !=
                    osl::FileBase::E_None) {
                    throw AutomationError("not a usable file name: " + path);
                }
                css::uno::Sequence<css::beans::PropertyValue> props(3);
                props.getArray()[0].Name = "AsTemplate";
                props.getArray()[0].Value <<= IsTemplateFile(path);
                // Documents we open run none of their macros.
                props.getArray()[1].Name = "MacroExecutionMode";
                props.getArray()[1].Value <<= sal_Int16(0);
                // A headless office cannot show a window (it fails when asked to).
                props.getArray()[2].Name = "Hidden";
                props.getArray()[2].Value <<= headless_;
                auto component = Desktop()->loadComponentFromURL(url, "_blank", 0, props);
                if (!component.is()) throw AutomationError("the office could not open " + path);
                Ref<css::sheet::XSpreadsheetDocument> book(component, UNO_QUERY);
                if (!book.is()) {
                    Ref<css::util::XCloseable> closeable(component, UNO_QUERY);
                    if (closeable.is()) closeable->close(true);
                    throw AutomationError("not a spreadsheet: " + path);
                }
                return Ref<css::frame::XModel>(component, UNO_QUERY_THROW);
            },
            kOpenLimit);
        books_.clear();
        return Wrap(model);
    }

    const Ref<css::frame::XDesktop2>& Desktop() {
        if (!desktop_.is()) desktop_ = css::frame::Desktop::create(session_->RemoteContext());
        return desktop_;
    }

    Session& OfficeSession() { return *session_; }

    std::vector<Ref<css::frame::XModel>> Documents() {
        Refresh();
        return books_;
    }

private:
    void Refresh() {
        books_ = session_->Call("Workbooks", [&] {
            std::vector<Ref<css::frame::XModel>> found;
            auto all = Desktop()->getComponents()->createEnumeration();
            while (all->hasMoreElements()) {
                Ref<css::sheet::XSpreadsheetDocument> book(all->nextElement(), UNO_QUERY);
                if (book.is()) found.emplace_back(book, UNO_QUERY);
            }
            // The office lists the newest document first.
            std::reverse(found.begin(), found.end());
            return found;
        });
    }

    std::unique_ptr<Workbook> Wrap(const Ref<css::frame::XModel>& model) {
        auto doc = std::make_shared<DocumentLink>();
        doc->session = session_;
        doc->model = model;
        return std::make_unique<UnoWorkbook>(doc, headless_);
    }

    std::shared_ptr<Session> session_;
    bool headless_;
    Ref<css::frame::XDesktop2> desktop_;
    std::vector<Ref<css::frame::XModel>> books_;
};

class UnoApplication : public Application {
public:
    UnoApplication(std::shared_ptr<Session> session, bool headless)
        : books_(std::move(session), headless), headless_(headless) {}

    Workbooks& GetWorkbooks() override { return books_; }

    // The application shows when one of its spreadsheet windows does.
    bool Visible() override {
        if (headless_) return visibleFlag_;
        auto docs = books_.Documents();
        return books_.OfficeSession().Call("Application.Visible", [&] {
            for (const auto& model : docs) {
                Ref<css::awt::XWindow2> window(WindowOf(model), UNO_QUERY);
                if (window.is() && window->isVisible()) return true;
            }
            return false;
        });
    }

    void SetVisible(bool visible) override {
        books_.count();  // a gone office fails here, as it would on a display
        if (headless_) {
            visibleFlag_ = visible;
            return;
        }
        auto docs = books_.Documents();
        books_.OfficeSession().Call("Application.Visible", [&] {
            for (const auto& model : docs) {
                auto window = WindowOf(model);
                if (window.is()) window->setVisible(visible);
            }
        });
    }

private:
    UnoWorkbooks books_;
    bool headless_;
    bool visibleFlag_ = false;
};

}  // namespace

void DocumentLink::CheckOpen() {
    if (watch && watch->Changes() == watchedChanges) return;
    session->Call("reaching the workbook", [&] { model->getCurrentController(); });
}

DocumentLink::View& DocumentLink::CurrentView() {
    const std::uint64_t changes = watch ? watch->Changes() : 0;
    if (view && changes == viewChanges) return *view;
    View fresh;
    auto controller = model->getCurrentController();
    if (controller.is()) {
        fresh.frame = controller->getFrame();
        fresh.sheets.set(controller, UNO_QUERY);
        fresh.selection.set(controller, UNO_QUERY);
    }
    if (fresh.frame.is()) fresh.window = fresh.frame->getContainerWindow();
    if (fresh.window.is()) fresh.top.set(fresh.window, UNO_QUERY);
    view = std::move(fresh);
    viewChanges = changes;
    return *view;
}

const NumberSeparators& DocumentLink::Separators() {
    if (!separators) {
        const Ref<css::uno::XInterface> identity(model, UNO_QUERY);
        if (const NumberSeparators* known = session->KnownSeparators(identity)) {
            separators = *known;
            return *separators;
        }
        separators = session->Call("reading the document's number format", [&] {
            Ref<css::util::XNumberFormatsSupplier> supplier(model, UNO_QUERY_THROW);
            Ref<css::beans::XPropertySet> standard(supplier->getNumberFormats()->getByKey(0),
                                                   UNO_QUERY_THROW);
            css::lang::Locale locale;
            standard->getPropertyValue("Locale") >>= locale;
            const auto item =
                css::i18n::LocaleData2::create(session->RemoteContext())->getLocaleItem(locale);
            NumberSeparators seps;
            seps.decimal = ToUtf8(item.decimalSeparator);
            seps.group = ToUtf8(item.thousandSeparator);
            if (seps.decimal.empty()) seps.decimal = ".";
            return seps;
        });
        session->RememberSeparators(identity, *separators);
    }
    return *separators;
}

std::unique_ptr<Application> MakeApplication(std::shared_ptr<Session> session, bool headless) {
    return std::make_unique<UnoApplication>(std::move(session), headless);
}

}  // namespace tavrix::spreadsheet::uno
