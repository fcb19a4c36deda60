#pragma once
// A keymap of the wedge's own for outputs that bring their own keyboard (the Wayland
// virtual keyboard): one key per character a reading can contain and per postamble key,
// each on level one, so that the user's layout (German, French, Swiss) cannot change
// what arrives.

#include <cstdint>
#include <optional>
#include <string>

// The keymap in the XKB text form (xkb_keymap, format v1), complete without includes.
std::string ReadingKeymapText();

// The evdev key code (XKB code - 8) of the key that gives the keysym in that keymap;
// nullopt for a keysym a reading never contains.
std::optional<std::uint32_t> ReadingKeyCode(std::uint32_t keysym);
