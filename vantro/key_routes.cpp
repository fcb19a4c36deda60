#include "key_routes.h"

std::vector<TKeyRoute> KeyRouteOrder(const TSessionKind& session,
                                     const TKeyRouteSettings& settings) {
    if (settings.KeyOutput >= 1 && settings.KeyOutput <= 4) {
        return {TKeyRoute(settings.KeyOutput - 1)};
    }
    std::vector<TKeyRoute> order;
    if (session.Wayland) {
        order.push_back(TKeyRoute::VirtualKeyboard);
        order.push_back(TKeyRoute::Portal);
    }
    if (settings.UinputAllowed) order.push_back(TKeyRoute::Uinput);
    if (session.X11 || order.empty()) order.push_back(TKeyRoute::X11);
    return order;
}

TStatusMessage KeyRouteText(TKeyRoute route) {
    switch (route) {
        case TKeyRoute::X11:
            return "X11 (XTest)";
        case TKeyRoute::VirtualKeyboard:
            return TStatusText::RouteVirtualKeyboard;
        case TKeyRoute::Portal:
            return TStatusText::RoutePortal;
        case TKeyRoute::Uinput:
            return "uinput";
    }
    return "?";
}

std::string KeyRouteName(TKeyRoute route) {
    return StatusText(LangEnglish, KeyRouteText(route));
}

std::string DescribeKeyRoutes(const std::vector<TKeyRouteProbe>& probes) {
    std::string chosen;
    std::string tried;
    for (const TKeyRouteProbe& probe : probes) {
        if (probe.Usable) {
            chosen = KeyRouteName(probe.Route);
            break;
        }
        if (!tried.empty()) tried += ", ";
        tried += KeyRouteName(probe.Route) + " (" + StatusText(LangEnglish, probe.Problem) + ")";
    }
    std::string text = chosen.empty() ? "nothing can be typed" : "typing through " + chosen;
    if (!tried.empty()) text += "; tried: " + tried;
    return text;
}
