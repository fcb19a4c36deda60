#pragma once

// Office objects behind the automation interface: the application, its open spreadsheet
// documents and their sheets and cells.

#include <com/sun/star/awt/XTopWindow.hpp>
#include <com/sun/star/awt/XWindow.hpp>
#include <com/sun/star/frame/XFrame.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/sheet/XSpreadsheetView.hpp>
#include <com/sun/star/view/XSelectionSupplier.hpp>

#include <memory>
#include <optional>

#include "platform/spreadsheet/automation.h"
#include "platform/spreadsheet/typed_number.h"
#include "platform/spreadsheet/uno_runtime.h"
#include "platform/spreadsheet/uno_watch.h"

namespace tavrix::spreadsheet::uno {

// One open document as seen through one session; shared by the objects taken from it.
struct DocumentLink {
    // The document's current view and its window, asked for once while nothing changed.
    struct View {
        Ref<css::frame::XFrame> frame;
        Ref<css::awt::XWindow> window;
        Ref<css::awt::XTopWindow> top;
        Ref<css::sheet::XSpreadsheetView> sheets;
        Ref<css::view::XSelectionSupplier> selection;
        Ref<css::sheet::XSpreadsheet> activeSheet;  // as last set through this link
    };

    std::shared_ptr<Session> session;
    Ref<css::frame::XModel> model;
    std::optional<NumberSeparators> separators;
    std::shared_ptr<DocumentWatchState> watch;  // once asked for
    std::uint64_t watchedChanges = 0;
    std::optional<View> view;
    std::uint64_t viewChanges = 0;

    // Objects of a closed document ignore calls without a word; the document itself refuses
    // them. Throws AutomationError when the document is gone. While the watch saw nothing
    // since it was set, the office is not asked.
    void CheckOpen();
    // How the document's locale writes numbers, asked once.
    const NumberSeparators& Separators();
    // Inside a call into the office.
    View& CurrentView();
};

// A headless office keeps its documents hidden; Visible is then only remembered.
std::unique_ptr<Application> MakeApplication(std::shared_ptr<Session> session, bool headless);
std::unique_ptr<Sheet> MakeSheet(std::shared_ptr<DocumentLink> doc,
                                 Ref<css::sheet::XSpreadsheet> sheet);

}  // namespace tavrix::spreadsheet::uno
