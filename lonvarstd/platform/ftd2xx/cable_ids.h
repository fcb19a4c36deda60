#pragma once
// Which USB devices count as gauge cables: every device of FTDI's vendor id,
// and the vendor:product pairs the program INI file names in section "USB",
// key "CableIds" (hex, separated by commas or spaces: "0403:fa33, 1a2b:0001").

#include <cstdint>
#include <string>
#include <vector>

namespace tavrix::ftd2xx {

constexpr std::uint16_t kFtdiVendor = 0x0403;

struct UsbId {
    std::uint16_t vendor = 0;
    std::uint16_t product = 0;
    bool operator==(const UsbId&) const = default;
};

// The pairs of `text`; words that are no pair are left out.
std::vector<UsbId> parseCableIds(const std::string& text);

// The pairs the program INI file names; none when it does not exist.
std::vector<UsbId> extraCableIds();

}  // namespace tavrix::ftd2xx
