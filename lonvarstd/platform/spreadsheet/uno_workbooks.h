#pragma once

// Office objects behind the automation interface: the application, its open spreadsheet
// documents and their sheets and cells.

#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/sheet/XSpreadsheet.hpp>

#include <memory>
#include <optional>

#include "platform/spreadsheet/automation.h"
#include "platform/spreadsheet/typed_number.h"
#include "platform/spreadsheet/uno_runtime.h"

namespace tavrix::spreadsheet::uno {

// One open document as seen through one session; shared by the objects taken from it.
struct DocumentLink {
    std::shared_ptr<Session> session;
    Ref<css::frame::XModel> model;
    std::optional<NumberSeparators> separators;

    // Objects of a closed document ignore calls without a word; the document itself refuses
    // them. Throws AutomationError when the document is gone.
    void CheckOpen() const;
    // How the document's locale writes numbers, asked once.
    const NumberSeparators& Separators();
};

// A headless office keeps its documents hidden; Visible is then only remembered.
std::unique_ptr<Application> MakeApplication(std::shared_ptr<Session> session, bool headless);
std::unique_ptr<Sheet> MakeSheet(std::shared_ptr<DocumentLink> doc,
                                 Ref<css::sheet::XSpreadsheet> sheet);

}  // namespace tavrix::spreadsheet::uno
