#include "shell/keyWays.h"

#include <cstdlib>

bool WaylandSessionFromEnvironment() {
    const char* display = std::getenv("WAYLAND_DISPLAY");
    return display != nullptr && *display != '\0';
}

bool KeysFromEveryProgram(const tKeyWays& ways) {
    if (ways.Portal == tPortalState::Bound || ways.DesktopShortcuts) return true;
    return ways.Hook && !ways.WaylandSession;
}

std::vector<tKeyWay> KeyWaysOf(const tKeyWays& ways) {
    std::vector<tKeyWay> found;
    if (ways.Hook) found.push_back(ways.WaylandSession ? tKeyWay::HookXOnly : tKeyWay::Hook);
    if (ways.Portal == tPortalState::Bound) found.push_back(tKeyWay::Portal);
    if (ways.Portal == tPortalState::Asking) found.push_back(tKeyWay::PortalAsking);
    if (ways.DesktopShortcuts) found.push_back(tKeyWay::DesktopShortcuts);
    found.push_back(tKeyWay::CommandLine);
    return found;
}

const char* KeyWayName(tKeyWay way) {
    switch (way) {
        case tKeyWay::Hook:
            return "keyboard hook";
        case tKeyWay::HookXOnly:
            return "keyboard hook (X programs only)";
        case tKeyWay::Portal:
            return "desktop portal";
        case tKeyWay::PortalAsking:
            return "desktop portal (asking)";
        case tKeyWay::DesktopShortcuts:
            return "desktop shortcuts";
        default:
            return "command line (LonvarStd --request <key>)";
    }
}

const char* KeyWayTextKey(tKeyWay way) {
    switch (way) {
        case tKeyWay::Hook:
            return "~Tastatur-Hook";
        case tKeyWay::HookXOnly:
            return "~Tastatur-Hook (nur X-Programme)";
        case tKeyWay::Portal:
            return "~Desktop-Portal";
        case tKeyWay::PortalAsking:
            return "~Desktop-Portal (fragt)";
        case tKeyWay::DesktopShortcuts:
            return "~Tastenkürzel des Desktops";
        default:
            return "~Befehlszeile (LonvarStd --request <Taste>)";
    }
}

std::string KeyWaysLine(const tKeyWays& ways) {
    std::string line;
    for (tKeyWay way : KeyWaysOf(ways)) {
        if (!line.empty()) line += ", ";
        line += KeyWayName(way);
    }
    return line;
}
