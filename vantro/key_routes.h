#pragma once
// Which way the wedge types and takes its hot keys, chosen at start-up from what the
// session offers (not from the desktop's name), with an override in the settings.

#include <string>
#include <vector>

#include "language_table.h"

enum class TKeyRoute {
    X11,              // XTest typing, XGrabKey hot keys
    VirtualKeyboard,  // wlroots compositors: zwp_virtual_keyboard_v1
    Portal,           // GNOME, KDE: the RemoteDesktop portal
    Uinput,           // kernel virtual keyboard, only when the user turns it on
};

// What the session is, as the environment tells it.
struct TSessionKind {
    bool Wayland = false;  // WAYLAND_DISPLAY names a compositor
    bool X11 = false;      // DISPLAY names an X server (XWayland too)
};

// Stored settings that steer the choice: "KeyOutput" 0 = probe, 1..4 = the route of that
// number in the enum order + 1, used alone; "Uinput" 1 lets the probe try uinput.
struct TKeyRouteSettings {
    int KeyOutput = 0;
    bool UinputAllowed = false;
};

// The routes to try, best first. A Wayland session tries its own routes before X11, which
// there reaches only X programs; uinput comes only when allowed or asked for.
std::vector<TKeyRoute> KeyRouteOrder(const TSessionKind& session,
                                     const TKeyRouteSettings& settings);

// Short name for the status line, and in English for the terminal ("Wayland virtual
// keyboard").
TStatusMessage KeyRouteText(TKeyRoute route);
std::string KeyRouteName(TKeyRoute route);

// One probed route: usable, or why not.
struct TKeyRouteProbe {
    TKeyRoute Route;
    bool Usable = false;
    TStatusMessage Problem;
};

// "typing through X; tried: A (why), B (why)": the first usable route of the list, or
// "nothing can be typed" with every reason.
std::string DescribeKeyRoutes(const std::vector<TKeyRouteProbe>& probes);
