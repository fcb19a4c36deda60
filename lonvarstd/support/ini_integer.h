#pragma once
// Integer text as settings files hold it.

#include <cstdint>
#include <optional>
#include <string_view>

namespace tavrix {

// Decimal with leading blanks and one sign, or hexadecimal after "$" (a leading
// "0x"/"0X" counts as "$" when more follows). The whole text must convert and fit
// 32 bits (hexadecimal as a 32-bit pattern, so "$FFFFFFFF" is -1); otherwise nullopt.
std::optional<std::int32_t> IniTextToInt(std::string_view text);

}  // namespace tavrix
