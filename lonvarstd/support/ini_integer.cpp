#include "support/ini_integer.h"

namespace tavrix {
namespace {

int digitValue(char c, bool hex) {
    if (c >= '0' && c <= '9') return c - '0';
    if (!hex) return -1;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::optional<std::int32_t> IniTextToInt(std::string_view text) {
    bool negative = false;
    bool hex = false;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        // "0x" stands for "$": no blanks or sign may follow it.
        hex = true;
        text.remove_prefix(2);
    } else {
        while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
        if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
            negative = text.front() == '-';
            text.remove_prefix(1);
        }
        hex = !text.empty() && text.front() == '$';
        if (hex) text.remove_prefix(1);
    }
    if (text.empty()) return std::nullopt;

    // Decimal allows up to 2^31 so that the most negative value converts; hexadecimal
    // covers the full 32-bit pattern.
    const std::uint64_t limit = hex ? 0xFFFFFFFFull : 0x80000000ull;
    const std::uint64_t base = hex ? 16 : 10;
    std::uint64_t magnitude = 0;
    for (char c : text) {
        const int digit = digitValue(c, hex);
        if (digit < 0) return std::nullopt;
        magnitude = magnitude * base + static_cast<std::uint64_t>(digit);
        if (magnitude > limit) return std::nullopt;
    }
    if (hex) {
        const auto pattern = static_cast<std::uint32_t>(magnitude);
        const auto value = static_cast<std::int32_t>(pattern);
        return negative ? static_cast<std::int32_t>(0u - pattern) : value;
    }
    if (!negative && magnitude == 0x80000000ull) return std::nullopt;
    const auto signedMagnitude = static_cast<std::int64_t>(magnitude);
    return static_cast<std::int32_t>(negative ? -signedMagnitude : signedMagnitude);
}

}  // namespace tavrix
