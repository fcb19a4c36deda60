#pragma once
// GNOME's own shortcuts for the request keys: custom keybindings of
// org.gnome.settings-daemon.plugins.media-keys, written through `gsettings` only when the
// user asks. Each entry is the program's own (its path names it), binds one key and calls
// `LonvarStd --request <key>`; the user's other shortcuts are never touched.

#include <cstdint>
#include <string>
#include <vector>

// A GNOME desktop whose shortcut settings gsettings can write.
bool GnomeShortcutsAvailable();

// The request keys that have an entry of the program's, in key order.
std::vector<std::uint16_t> GnomeShortcutsOfOurs();

// Gives each key an entry that calls `program --request <key>`; entries of ours for other
// keys go. False, with `error`, when gsettings fails.
bool SetGnomeShortcuts(const std::vector<std::uint16_t>& keys, const std::string& program,
                       std::string& error);

// Removes every entry of ours.
bool RemoveGnomeShortcuts(std::string& error);

// The command an entry runs: the program path quoted for the desktop's command parser.
std::string RequestCommandLine(const std::string& program, std::uint16_t key);
