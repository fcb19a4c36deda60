#pragma once
// The settings menu's "Desktop shortcuts": sets up the desktop's own shortcuts for the
// request keys in use, each calling `LonvarStd --request <key>`. On GNOME it writes them
// (after asking) and, called again, removes them; elsewhere it shows the lines for the
// compositor's configuration, ready to copy.

#include <QString>
#include <cstdint>
#include <string>
#include <vector>

class QWidget;
class TD;

// The sway and Hyprland lines for the keys, and the plain commands for other desktops.
QString CompositorLines(const std::vector<std::uint16_t>& keys, const std::string& program);

// The lines in a dialog with a button that copies them.
void ShowCompositorLines(QWidget* parent, const QString& lines);

// Runs the command for the keys in use of `d`; `program` is the path the shortcuts call.
// Returns whether GNOME's shortcuts of ours now cover every key in use.
bool RunDesktopShortcutsCommand(QWidget* parent, const TD& d, const std::string& program);
