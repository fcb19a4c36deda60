#pragma once
// `Vantro --hotkey F9`: hands a hot key to the running instance through its single-instance
// socket, for desktops where the wedge cannot take keys itself (a custom shortcut of the
// desktop runs the command). The instance acts as if the key had been pressed.

#include <string>
#include <vector>

// The key code of a hot-key name, F9, F10 or F11 in either case; 0 for any other.
int HotKeyCodeOf(const std::string& name);
// "F9, F10, F11".
std::string HotKeyNames();

// Whether the command line (without the program's name) asks for a hot key; `name` is the
// text after "--hotkey" ("" when it is missing).
bool IsHotKeyCommand(const std::vector<std::string>& parameters, std::string& name);

enum THotKeyExit : int {
    HotKeyTaken = 0,
    HotKeyNoInstance = 1,  // no wedge is running
    HotKeyBadKey = 2,      // not a hot key; the message lists the valid ones
    HotKeyNotTaken = 3,    // the wedge answered with a reason, or did not answer in time
};

// Sends the key to the instance on `socketPath` and waits for its answer; `message` is
// what the user is told (empty when the key was taken).
THotKeyExit SendHotKey(const std::string& socketPath, const std::string& name,
                       std::string& message);

// The line the instance reads, and its answer: "ok" or a reason.
std::string HotKeyRequestLine(const std::string& name);
bool ParseHotKeyRequestLine(const std::string& line, std::string& name);
