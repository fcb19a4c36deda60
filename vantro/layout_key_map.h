#pragma once
// Characters to evdev key presses for a keyboard layout (libxkbcommon): which key gives
// the keysym in the layout's first group, and which modifier keys must be held for its
// level (Shift, AltGr). For outputs that press keys by code (uinput), where the
// compositor or console maps them through the user's active layout.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct xkb_keymap;

struct TKeyPress {
    std::uint32_t Code = 0;                // evdev key code
    std::vector<std::uint32_t> Modifiers;  // evdev codes held around it

    bool operator==(const TKeyPress&) const = default;
};

class TLayoutKeyMap {
public:
    // The layout from rules names ("us", "de", variant ""); nullopt when xkbcommon has no
    // such layout. Empty names take the system's default (XKB_DEFAULT_LAYOUT ...).
    static std::optional<TLayoutKeyMap> FromNames(const std::string& layout,
                                                  const std::string& variant);
    // The layout of a keymap in XKB text form, as a compositor hands it to its clients.
    static std::optional<TLayoutKeyMap> FromKeymapText(const std::string& text);

    ~TLayoutKeyMap();
    TLayoutKeyMap(TLayoutKeyMap&& other) noexcept;
    TLayoutKeyMap& operator=(TLayoutKeyMap&& other) noexcept;
    TLayoutKeyMap(const TLayoutKeyMap&) = delete;

    // The press that types the keysym: the lowest level first; nullopt when no key of the
    // layout gives it with Shift and AltGr alone.
    std::optional<TKeyPress> PressFor(std::uint32_t keysym) const;
    // How many layouts (groups) the keymap holds; PressFor uses the first.
    int LayoutCount() const;
    // Name of the layout ("English (US)", "German").
    std::string Name() const;

private:
    explicit TLayoutKeyMap(xkb_keymap* keymap) : Keymap_(keymap) {}
    xkb_keymap* Keymap_;
};
