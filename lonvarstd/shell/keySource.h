#pragma once
// Where a request key came from: the lParam of a 5735 key message. The hook posts 0, as
// its interface prescribes; the other sources tag their keys so that the terminal can
// say which way a key came in.

enum tKeySource : int {
    KeyFromHook = 0,
    KeyFromCommandLine = 1,  // `LonvarStd --request <key>`, called by a desktop shortcut
    KeyFromPortal = 2,       // the desktop's global-shortcuts portal
};

// "command line", "portal", "keyboard hook".
const char* KeySourceName(int source);
