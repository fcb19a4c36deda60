#pragma once
// The rows of the device list as the search leaves them. The engine keeps them;
// the main window shows them (caption, image, state image, five sub-items with
// their images) and may write into sub-item 2 (the last value).

#include <array>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

// Sub-item columns of a row.
enum : int {
    SubItemDescription = 0,  // the cable's description text
    SubItemSerialNo = 1,     // the cable's serial number
    SubItemValue = 2,        // written by the user interface, cleared by every search
    SubItemState = 3,        // carries the state image (3 after a search)
    SubItemDevIdx = 4,       // the device's DevIdx as text; empty while the device is missing
};

inline constexpr int NoImage = -1;

struct tDeviceListRow {
    std::string Caption;
    int ImageIndex = 0;        // 0 found in the last search, -1 missing
    int StateIndex = NoImage;  // a missing row's last image is parked here
    std::array<std::string, 5> SubItems;
    std::array<int, 5> SubItemImages{NoImage, NoImage, NoImage, NoImage, NoImage};

    // The DevIdx written into sub-item 4, or -1 when the row has no device.
    int DevIdx() const;
};

class tDeviceListModel {
public:
    std::size_t Count() const { return rows_.size(); }
    tDeviceListRow& Row(std::size_t index) { return rows_.at(index); }
    const tDeviceListRow& Row(std::size_t index) const { return rows_.at(index); }
    const std::vector<tDeviceListRow>& Rows() const { return rows_; }

    // Appends a row and returns its index.
    int Add(tDeviceListRow row);
    // Index of the first row whose caption contains `text`, -1 if none.
    int FindCaptionContaining(const std::string& text) const;
    // Row that shows device `devIdx`, -1 if none.
    int FindByDevIdx(int devIdx) const;
    void Clear();

    // Tells the view that the rows changed (called at the end of every search).
    void NotifyChanged();
    std::function<void()> OnChanged;

private:
    std::vector<tDeviceListRow> rows_;
};
