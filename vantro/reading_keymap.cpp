#include "reading_keymap.h"

#include <array>
#include <cstdio>

namespace {

struct TReadingKey {
    std::uint32_t Keysym;
    const char* Name;  // the keysym's name in the keymap text
};

// Digits, sign, both decimal separators, then the postamble keys. Date and time fields of
// a postamble are digits too.
constexpr std::array<TReadingKey, 20> kKeys{{
    {'0', "0"},      {'1', "1"},       {'2', "2"},        {'3', "3"},       {'4', "4"},
    {'5', "5"},      {'6', "6"},       {'7', "7"},        {'8', "8"},       {'9', "9"},
    {'-', "minus"},  {'+', "plus"},    {'.', "period"},   {',', "comma"},   {0xff0d, "Return"},
    {0xff09, "Tab"}, {0xff54, "Down"}, {0xff53, "Right"}, {0xff51, "Left"}, {0xff52, "Up"},
}};

// Key i has XKB code kFirstCode + i (evdev code + 8); evdev 1 (Esc) onward are plain keys
// that no client treats specially by code.
constexpr std::uint32_t kFirstCode = 9;

}  // namespace

std::string ReadingKeymapText() {
    std::string text =
        "xkb_keymap {\n"
        "xkb_keycodes \"vantro\" {\n"
        "  minimum = 8;\n";
    char line[96];
    std::snprintf(line, sizeof line, "  maximum = %u;\n", unsigned(kFirstCode + kKeys.size() - 1));
    text += line;
    for (std::size_t i = 0; i < kKeys.size(); ++i) {
        std::snprintf(line, sizeof line, "  <K%zu> = %u;\n", i, unsigned(kFirstCode + i));
        text += line;
    }
    text +=
        "};\n"
        "xkb_types \"vantro\" {\n"
        "  type \"ONE_LEVEL\" { modifiers = none; level_name[Level1] = \"Any\"; };\n"
        "};\n"
        "xkb_compatibility \"vantro\" {\n"
        "};\n"
        "xkb_symbols \"vantro\" {\n";
    for (std::size_t i = 0; i < kKeys.size(); ++i) {
        std::snprintf(line, sizeof line, "  key <K%zu> { [ %s ] };\n", i, kKeys[i].Name);
        text += line;
    }
    text += "};\n};\n";
    return text;
}

std::optional<std::uint32_t> ReadingKeyCode(std::uint32_t keysym) {
    for (std::size_t i = 0; i < kKeys.size(); ++i) {
        if (kKeys[i].Keysym == keysym) return std::uint32_t(kFirstCode + i - 8);
    }
    return std::nullopt;
}
