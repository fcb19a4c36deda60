#pragma once
// Which ways request keys pressed in other programs reach the program on this session.
// On X the keyboard hook sees every key. On Wayland it sees only the keys typed into X
// programs (through XWayland); the keys of native Wayland programs come only through the
// desktop: its global-shortcuts portal, or a desktop shortcut that calls
// `LonvarStd --request <key>`.

#include <string>
#include <vector>

enum class tPortalState {
    Absent,   // no portal, or one without global shortcuts
    Asking,   // the portal is binding the keys (its dialog may be open)
    Bound,    // the portal delivers the keys
    Refused,  // the user refused, or the portal bound nothing
};

struct tKeyWays {
    bool WaylandSession = false;
    bool Hook = false;  // the keyboard hook is installed
    tPortalState Portal = tPortalState::Absent;
    bool DesktopShortcuts = false;  // the desktop's own shortcuts call the command, set up by us
};

// WAYLAND_DISPLAY is set.
bool WaylandSessionFromEnvironment();

// Whether a request key pressed in any program reaches the program without the user's
// own set-up (the command line needs a desktop shortcut the program does not know of).
bool KeysFromEveryProgram(const tKeyWays& ways);

enum class tKeyWay { Hook, HookXOnly, Portal, PortalAsking, DesktopShortcuts, CommandLine };

// The ways keys come in now, the command line always last.
std::vector<tKeyWay> KeyWaysOf(const tKeyWays& ways);
// "keyboard hook (X programs only)": for the terminal.
const char* KeyWayName(tKeyWay way);
// The translation key of the way, for the status window's hint.
const char* KeyWayTextKey(tKeyWay way);
// "keyboard hook, command line (LonvarStd --request <key>)"
std::string KeyWaysLine(const tKeyWays& ways);
