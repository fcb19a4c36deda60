#include "engine/xlsFreeRow.h"

#include <algorithm>

namespace tavrix {

namespace {
// The last row of a sheet; beyond it the office answers with an error.
constexpr int kLastRow = 1048576;
constexpr int kMaxBlock = 65536;
}  // namespace

XlsColumnReader::XlsColumnReader(spreadsheet::Sheet& sheet, int col) : sheet_(sheet), col_(col) {}

bool XlsColumnReader::Empty(int row) {
    const int last = first_ + static_cast<int>(empty_.size()) - 1;
    if (empty_.empty() || row < first_ || row > last) Fetch(row);
    return empty_[static_cast<std::size_t>(row - first_)];
}

void XlsColumnReader::Set(int row, bool empty) {
    if (row >= first_ && row < first_ + static_cast<int>(empty_.size())) {
        empty_[static_cast<std::size_t>(row - first_)] = empty;
    }
}

void XlsColumnReader::Fetch(int row) {
    if (row < 1 || row > kLastRow) {
        // Outside the sheet: let the office give its error for that cell.
        sheet_.Cells(row, col_)->value();
        throw spreadsheet::AutomationError("row " + std::to_string(row) + " is outside the sheet");
    }
    int from = 0;
    int to = 0;
    const int last = first_ + static_cast<int>(empty_.size()) - 1;
    if (empty_.empty() || row < first_ - 1 || row > last + 1) {
        // A fresh window around the row.
        from = std::max(1, row - block_ / 2);
        to = std::min(kLastRow, row + block_ / 2);
    } else if (row < first_) {
        from = std::max(1, first_ - block_);
        to = first_ - 1;
    } else {
        from = last + 1;
        to = std::min(kLastRow, last + block_);
    }
    const auto values = sheet_.ColumnValues(col_, from, to);
    if (values.size() != static_cast<std::size_t>(to - from + 1)) {
        throw spreadsheet::AutomationError("the office returned a short column range");
    }
    std::vector<bool> fetched(values.size());
    for (std::size_t i = 0; i < values.size(); ++i) fetched[i] = values[i].empty();

    if (empty_.empty() || row < first_ - 1 || row > last + 1) {
        empty_ = std::move(fetched);
        first_ = from;
    } else if (row < first_) {
        fetched.insert(fetched.end(), empty_.begin(), empty_.end());
        empty_ = std::move(fetched);
        first_ = from;
    } else {
        empty_.insert(empty_.end(), fetched.begin(), fetched.end());
    }
    // A walk that needed more reads the next block twice as wide.
    block_ = std::min(kMaxBlock, block_ * 2);
}

int XlsFreeRow(XlsColumnReader& column, int row, int startRow) {
    while (row > 1 && row >= startRow && column.Empty(row)) --row;
    while (row < startRow || !column.Empty(row)) ++row;
    return row;
}

int XlsNextEmptyRow(XlsColumnReader& column, int row) {
    while (!column.Empty(row)) ++row;
    return row;
}

}  // namespace tavrix
