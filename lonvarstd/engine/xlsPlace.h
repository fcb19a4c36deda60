#pragma once
// What the walk to a device's cell found (workbook, sheet, column and what it holds, the
// next row, the marker written), kept between values while the office tells nothing that
// would make it untrue. A value then costs the cell write and the activation steps only.

#include <cstdint>
#include <memory>
#include <string>

#include "engine/xlsFreeRow.h"
#include "platform/spreadsheet/automation.h"

class TD;
class tDevice;

namespace tavrix {

// Where a device's values go: template or workbook file.
struct XlsTarget {
    bool vorlageSlct = false;
    std::string vorlage;
    std::string file;
};

// The global target when it is chosen, else the device's own.
XlsTarget XlsTargetOf(const TD& d, const tDevice& dev);

struct XlsPlace {
    XlsPlace(std::shared_ptr<spreadsheet::Workbook> book, std::shared_ptr<spreadsheet::Sheet> sheet,
             const tDevice& dev, const XlsTarget& target);

    // True while a value of `dev` would go where the walk would put it: nothing the walk
    // depends on changed, in the settings or, by the office's word, in the document.
    bool StillTrue(const TD& d, const tDevice& dev) const;
    // The same sheet of the same document, by the office's word (its sheet objects are
    // made anew for every ask, so they cannot be compared).
    bool SameSheet(const XlsPlace& other) const;
    // Trusts the office's notices from the reading `seen` of `watch` on.
    void Watched(std::shared_ptr<const spreadsheet::DocumentWatch> watch, std::uint64_t seen);

    std::shared_ptr<spreadsheet::Workbook> book;
    std::shared_ptr<spreadsheet::Sheet> sheet;
    std::shared_ptr<const spreadsheet::DocumentWatch> watch;
    std::uint64_t changesSeen = 0;
    XlsColumnReader column;
    int nextRow = 0;  // XlsRow after the last write; another value there means a reset
    // The marker is in the sheet (the walk wrote it).
    void Marked(const std::string& marker) {
        marker_ = marker;
        marked_ = true;
    }

private:
    // The settings the walk went by.
    XlsTarget target_;
    std::string table_;
    std::string marker_;
    bool marked_ = false;
    int col_;
    int startRow_;
};

}  // namespace tavrix
