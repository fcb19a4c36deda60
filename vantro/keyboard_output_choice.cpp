#include "keyboard_output_choice.h"

#include "compositor_keymap.h"
#include "portal_keyboard_output.h"
#include "uinput_keyboard_output.h"
#include "wayland_keyboard_output.h"
#include "x11_keyboard_output.h"

namespace {

class TNoKeyboardOutput : public TKeyboardOutput {
public:
    void SendKeys(const std::string&, bool) override {}
};

// The output of one route, or null with the reason.
std::unique_ptr<TKeyboardOutput> Open(TKeyRoute route, TStatusMessage& problem) {
    switch (route) {
        case TKeyRoute::X11: {
            auto output = std::make_unique<TX11KeyboardOutput>();
            if (output->Available()) return output;
            problem = TStatusText::NoXTest;
            return nullptr;
        }
        case TKeyRoute::VirtualKeyboard: {
            auto output = std::make_unique<TWaylandKeyboardOutput>();
            if (output->Available()) return output;
            problem = output->ProblemText();
            return nullptr;
        }
        case TKeyRoute::Uinput: {
            std::optional<TLayoutKeyMap> layout;
            if (auto text = CompositorKeymapText()) layout = TLayoutKeyMap::FromKeymapText(*text);
            if (!layout) layout = ActiveLayout();
            if (!layout) {
                problem = TStatusText::NoLayout;
                return nullptr;
            }
            auto output =
                std::make_unique<TUinputKeyboardOutput>("/dev/uinput", std::move(*layout));
            if (output->Available()) return output;
            problem = output->ProblemText();
            return nullptr;
        }
        case TKeyRoute::Portal: {
            auto output = std::make_unique<TPortalKeyboardOutput>();
            if (output->Available()) return output;
            problem = output->ProblemText();
            return nullptr;
        }
    }
    return nullptr;
}

}  // namespace

TChosenKeyboard ChooseKeyboardOutput(const std::vector<TKeyRoute>& order) {
    TChosenKeyboard chosen;
    for (TKeyRoute route : order) {
        TKeyRouteProbe probe{route, false, {}};
        chosen.Output = Open(route, probe.Problem);
        probe.Usable = chosen.Output != nullptr;
        chosen.Probes.push_back(probe);
        if (probe.Usable) {
            chosen.Route = route;
            if (route == TKeyRoute::Portal) {
                chosen.Portal = static_cast<TPortalKeyboardOutput*>(chosen.Output.get());
            }
            return chosen;
        }
    }
    chosen.Output = std::make_unique<TNoKeyboardOutput>();
    return chosen;
}
