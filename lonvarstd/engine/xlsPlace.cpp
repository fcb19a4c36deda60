#include "engine/xlsPlace.h"

#include "engine/dataModule.h"

namespace tavrix {

XlsTarget XlsTargetOf(const TD& d, const tDevice& dev) {
    if (d.XlsGlobSlct) return {d.XlsGlobVorlageSlct, d.XlsGlobVorlage, d.XlsGlobFile};
    return {dev.MwXlsZielVorlageSlct, dev.MwXlsZielVorlage, dev.MwXlsZielFile};
}

XlsPlace::XlsPlace(std::shared_ptr<spreadsheet::Workbook> wb,
                   std::shared_ptr<spreadsheet::Sheet> sh, const tDevice& dev,
                   const XlsTarget& target)
    : book(std::move(wb)),
      sheet(std::move(sh)),
      column(*sheet, dev.MwXlsZielCol),
      target_(target),
      table_(dev.MwXlsZielTable),
      col_(dev.MwXlsZielCol),
      startRow_(dev.MwXlsZielStartRow) {}

void XlsPlace::Watched(std::shared_ptr<const spreadsheet::DocumentWatch> w, std::uint64_t seen) {
    watch = std::move(w);
    changesSeen = seen;
}

bool XlsPlace::SameSheet(const XlsPlace& other) const {
    // The office takes sheet names that differ in letter case for the same.
    const auto fold = [](std::string name) {
        for (char& c : name) {
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        }
        return name;
    };
    return watch && watch == other.watch && fold(table_) == fold(other.table_);
}

bool XlsPlace::StillTrue(const TD& d, const tDevice& dev) const {
    if (!watch || watch->Changes() != changesSeen || !marked_) return false;
    // The probe runs on a walk only.
    if (d.DezTrennProbe) return false;
    const XlsTarget now = XlsTargetOf(d, dev);
    return now.vorlageSlct == target_.vorlageSlct && now.vorlage == target_.vorlage &&
           now.file == target_.file && dev.MwXlsZielTable == table_ && dev.MwXlsZielCol == col_ &&
           dev.MwXlsZielStartRow == startRow_ && dev.XlsWbName == marker_ && dev.XlsRow == nextRow;
}

}  // namespace tavrix
