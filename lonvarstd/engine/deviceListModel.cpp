#include "engine/deviceListModel.h"

#include <charconv>

int tDeviceListRow::DevIdx() const {
    const std::string& text = SubItems[SubItemDevIdx];
    int value = -1;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || text.empty()) return -1;
    return value;
}

int tDeviceListModel::Add(tDeviceListRow row) {
    rows_.push_back(std::move(row));
    return static_cast<int>(rows_.size()) - 1;
}

int tDeviceListModel::FindCaptionContaining(const std::string& text) const {
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        if (rows_[i].Caption.find(text) != std::string::npos) return static_cast<int>(i);
    }
    return -1;
}

int tDeviceListModel::FindByDevIdx(int devIdx) const {
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        if (rows_[i].DevIdx() == devIdx) return static_cast<int>(i);
    }
    return -1;
}

void tDeviceListModel::Clear() {
    rows_.clear();
}

void tDeviceListModel::NotifyChanged() {
    if (OnChanged) OnChanged();
}
