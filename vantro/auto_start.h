#pragma once
// Starting the wedge at log-on: a freedesktop autostart entry "<valueName>.desktop" in the
// user's autostart folder ($XDG_CONFIG_HOME/autostart, else ~/.config/autostart), or the
// system one for all users.

#include <string>

// set: write the entry with the command; otherwise remove it. runKey chooses between a
// lasting and a one-time entry on other systems; an autostart entry always lasts, and the
// wedge rewrites it at every regular exit. Returns whether the entry could be written; a
// removal always succeeds.
bool SetAutoStart(bool set, const std::string& valueName, const std::string& command,
                  bool currentUser, bool runKey);

std::string AutoStartFolder(bool currentUser);

// The Exec= value for a program path, quoted as desktop entries require.
std::string DesktopExecValue(const std::string& programPath);
