#pragma once
// The keymap a Wayland compositor hands its clients for the seat's keyboard (XKB text
// form): the layout the user has set there.

#include <optional>
#include <string>

// nullopt without a compositor, or when its seat has no keyboard.
std::optional<std::string> CompositorKeymapText();
