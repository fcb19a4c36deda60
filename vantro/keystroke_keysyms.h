#pragma once
// The keysym each keystroke stands for, the same on every output: X11, the Wayland
// virtual keyboard, the desktop portal and uinput all type by keysym.

#include <cstdint>

#include "keystroke_text.h"

// Latin-1 characters are their own keysym, other characters use the Unicode keysym range;
// named keys have theirs (Return, Tab, the arrows).
std::uint32_t KeysymForKeystroke(const TKeystroke& key);
