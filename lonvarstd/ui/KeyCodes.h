#pragma once
// Keys as the engine counts them: the virtual key numbers of the old desktop
// (Enter 13, arrow up 38, arrow down 40, F1..F12 = 112..123).

#include <cstdint>

enum : std::uint16_t {
    VkReturn = 13,
    VkUp = 38,
    VkDown = 40,
    VkF1 = 112,
    VkF12 = 123,
};

// The virtual key number of a Qt key (Qt::Key), 0 for keys without one.
std::uint16_t VirtualKeyFromQt(int qtKey);
