#pragma once
// The next free row of a sheet's column: the row follows the column's contents, so
// writing goes on right below the last entry above the row it would have taken,
// never above the start row. The column is read in ranges, a window around the
// row first and wider ones only when the entries reach beyond it: one automation
// call per cell would cost far too much on a long column.

#include <vector>

#include "platform/spreadsheet/automation.h"

namespace tavrix {

// Reads one column of a sheet on demand in blocks and keeps what it has read.
// Cells written through other means after a read are not seen, unless told by Set.
class XlsColumnReader {
public:
    XlsColumnReader(spreadsheet::Sheet& sheet, int col);

    bool Empty(int row);
    // A cell of the column was written: keeps what was read true.
    void Set(int row, bool empty);
    int Col() const { return col_; }

private:
    void Fetch(int row);

    spreadsheet::Sheet& sheet_;
    int col_;
    int first_ = 0;  // rows first_ .. first_ + size - 1 are cached
    std::vector<bool> empty_;
    int block_ = 64;
};

// Rows count from 1. From `row`: up while the cell is empty, above row 1 and not
// below `startRow`; then down while the cell is filled or above `startRow`.
int XlsFreeRow(XlsColumnReader& column, int row, int startRow);

// From `row` down past every filled cell: the first empty one.
int XlsNextEmptyRow(XlsColumnReader& column, int row);

}  // namespace tavrix
