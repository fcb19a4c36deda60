#pragma once
// Start-up probe of the keystroke outputs: tries the routes in the order given and keeps
// the first that works, with every reason why the ones before it did not.

#include <memory>
#include <optional>
#include <vector>

#include "key_routes.h"
#include "keyboard_output.h"

class TPortalKeyboardOutput;

struct TChosenKeyboard {
    std::unique_ptr<TKeyboardOutput> Output;  // never null: one that types nothing at worst
    TPortalKeyboardOutput* Portal = nullptr;  // the output, when it is the portal's: to start
    std::optional<TKeyRoute> Route;
    std::vector<TKeyRouteProbe> Probes;
};

TChosenKeyboard ChooseKeyboardOutput(const std::vector<TKeyRoute>& order);
