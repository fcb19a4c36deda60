#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XNamed.hpp>
#include <com/sun/star/frame/XController.hpp>
#include <com/sun/star/sheet/CellFlags.hpp>
#include <com/sun/star/sheet/FormulaResult.hpp>
#include <com/sun/star/sheet/XCellRangeData.hpp>
#include <com/sun/star/sheet/XSheetOperation.hpp>
#include <com/sun/star/sheet/XSpreadsheetView.hpp>
#include <com/sun/star/table/CellContentType.hpp>
#include <com/sun/star/table/XCell.hpp>
#include <com/sun/star/table/XCellRange.hpp>
#include <com/sun/star/text/XText.hpp>
#include <com/sun/star/view/XSelectionSupplier.hpp>

#include "platform/spreadsheet/uno_workbooks.h"

namespace tavrix::spreadsheet::uno {

namespace {

using css::uno::UNO_QUERY;
using css::uno::UNO_QUERY_THROW;

constexpr int kMaxRow = 1048576;

class UnoCell : public Cell {
public:
    UnoCell(std::shared_ptr<DocumentLink> doc, Ref<css::sheet::XSpreadsheet> sheet,
            Ref<css::table::XCell> cell)
        : doc_(std::move(doc)), sheet_(std::move(sheet)), cell_(std::move(cell)) {}

    CellValue value() override {
        doc_->CheckOpen();
        return doc_->session->Call("Cell.value", [&] {
            switch (cell_->getType()) {
                case css::table::CellContentType_EMPTY:
                    return CellValue{};
                case css::table::CellContentType_VALUE:
                    return CellValue::Number(cell_->getValue(), ToUtf8(TextOf()->getString()));
                case css::table::CellContentType_FORMULA: {
                    sal_Int32 result = 0;
                    Ref<css::beans::XPropertySet>(cell_, UNO_QUERY_THROW)
                        ->getPropertyValue("FormulaResultType2") >>= result;
                    if (result == css::sheet::FormulaResult::VALUE) {
                        return CellValue::Number(cell_->getValue(), ToUtf8(TextOf()->getString()));
                    }
                    return CellValue::Text(ToUtf8(TextOf()->getString()));
                }
                default:
                    return CellValue::Text(ToUtf8(TextOf()->getString()));
            }
        });
    }

    void SetValue(double number) override {
        doc_->CheckOpen();
        doc_->session->Call("Cell.value", [&] { cell_->setValue(number); });
    }

    void SetValue(const std::string& text) override {
        doc_->CheckOpen();
        if (auto number = ParseTypedNumber(text, doc_->Separators())) return SetValue(*number);
        doc_->session->Call("Cell.value", [&] {
            if (text.empty()) {
                using namespace css::sheet::CellFlags;
                Ref<css::sheet::XSheetOperation>(cell_, UNO_QUERY_THROW)
                    ->clearContents(VALUE | DATETIME | STRING | FORMULA);
            } else {
                // Put as the cell's text, which the office never reads as a formula.
                TextOf()->setString(FromUtf8(text));
            }
        });
    }

    std::int32_t FontColor() override {
        doc_->CheckOpen();
        return doc_->session->Call("Font.Color", [&] {
            sal_Int32 color = 0;
            Ref<css::beans::XPropertySet>(cell_, UNO_QUERY_THROW)->getPropertyValue("CharColor") >>=
                color;
            return SwapRedBlue(color);
        });
    }

    void SetFontColor(std::int32_t color) override {
        doc_->CheckOpen();
        doc_->session->Call("Font.Color", [&] {
            Ref<css::beans::XPropertySet>(cell_, UNO_QUERY_THROW)
                ->setPropertyValue("CharColor", css::uno::Any(sal_Int32(SwapRedBlue(color))));
        });
    }

    void Activate() override {
        doc_->CheckOpen();
        doc_->session->Call("Cell.Activate", [&] {
            auto& view = doc_->CurrentView();
            if (!view.sheets.is()) return;
            if (view.activeSheet != sheet_) {
                view.sheets->setActiveSheet(sheet_);
                view.activeSheet = sheet_;
            }
            if (view.selection.is()) view.selection->select(css::uno::Any(cell_));
        });
    }

private:
    Ref<css::text::XText> TextOf() { return Ref<css::text::XText>(cell_, UNO_QUERY_THROW); }

    std::shared_ptr<DocumentLink> doc_;
    Ref<css::sheet::XSpreadsheet> sheet_;
    Ref<css::table::XCell> cell_;
};

class UnoSheet : public Sheet {
public:
    UnoSheet(std::shared_ptr<DocumentLink> doc, Ref<css::sheet::XSpreadsheet> sheet)
        : doc_(std::move(doc)), sheet_(std::move(sheet)) {}

    std::string name() override {
        doc_->CheckOpen();
        return doc_->session->Call("Sheet.name", [&] {
            return ToUtf8(Ref<css::container::XNamed>(sheet_, UNO_QUERY_THROW)->getName());
        });
    }

    void SetName(const std::string& name) override {
        doc_->CheckOpen();
        doc_->session->Call("Sheet.name", [&] {
            Ref<css::container::XNamed> named(sheet_, UNO_QUERY_THROW);
            named->setName(FromUtf8(name));
            // The office ignores a name it cannot take (taken, or with forbidden characters).
            if (ToUtf8(named->getName()) != name) {
                throw AutomationError("the sheet cannot be named \"" + name + "\"");
            }
        });
    }

    std::unique_ptr<Cell> Cells(int row, int col) override {
        doc_->CheckOpen();
        CheckCell(row, col);
        auto cell = doc_->session->Call(
            "Cells(row, col)", [&] { return sheet_->getCellByPosition(col - 1, row - 1); });
        return std::make_unique<UnoCell>(doc_, sheet_, cell);
    }

    std::vector<CellValue> ColumnValues(int col, int firstRow, int lastRow) override {
        doc_->CheckOpen();
        CheckCell(firstRow, col);
        CheckCell(lastRow, col);
        if (firstRow > lastRow) throw AutomationError("invalid column range");
        const auto& seps = doc_->Separators();
        const auto data = doc_->session->Call("Range.value", [&] {
            auto range =
                sheet_->getCellRangeByPosition(col - 1, firstRow - 1, col - 1, lastRow - 1);
            return Ref<css::sheet::XCellRangeData>(range, UNO_QUERY_THROW)->getDataArray();
        });
        std::vector<CellValue> out;
        out.reserve(static_cast<std::size_t>(data.getLength()));
        for (const auto& row : data) {
            if (row.getLength() < 1) {
                out.emplace_back();
                continue;
            }
            double number = 0.0;
            OUString text;
            if (row[0] >>= number) {
                out.push_back(CellValue::Number(number, FormatGeneralNumber(number, seps)));
            } else if ((row[0] >>= text) && !text.isEmpty()) {
                out.push_back(CellValue::Text(ToUtf8(text)));
            } else {
                out.emplace_back();
            }
        }
        return out;
    }

    void Activate() override {
        doc_->CheckOpen();
        doc_->session->Call("Sheet.Activate", [&] {
            // Set every time: the user may have gone to another sheet, which the office does
            // not tell.
            auto& view = doc_->CurrentView();
            if (!view.sheets.is()) return;
            view.sheets->setActiveSheet(sheet_);
            view.activeSheet = sheet_;
        });
    }

private:
    static void CheckCell(int row, int col) {
        if (row < 1 || row > kMaxRow || col < 1) {
            throw AutomationError("cell (" + std::to_string(row) + ", " + std::to_string(col) +
                                  ") is outside the sheet");
        }
    }

    std::shared_ptr<DocumentLink> doc_;
    Ref<css::sheet::XSpreadsheet> sheet_;
};

}  // namespace

std::unique_ptr<Sheet> MakeSheet(std::shared_ptr<DocumentLink> doc,
                                 Ref<css::sheet::XSpreadsheet> sheet) {
    if (!sheet.is()) throw AutomationError("no such sheet");
    return std::make_unique<UnoSheet>(std::move(doc), std::move(sheet));
}

}  // namespace tavrix::spreadsheet::uno
