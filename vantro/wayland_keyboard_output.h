#pragma once
// Keystrokes through the virtual keyboard that wlroots compositors offer
// (zwp_virtual_keyboard_v1): a keyboard of the wedge's own with the reading keymap, so that
// the layout the user has set cannot change what arrives. Its own connection to the
// compositor named by $WAYLAND_DISPLAY.

#include <string>

#include "keyboard_output.h"
#include "language_table.h"

struct wl_display;
struct wl_registry;
struct wl_seat;
struct zwp_virtual_keyboard_manager_v1;
struct zwp_virtual_keyboard_v1;

class TWaylandKeyboardOutput : public TKeyboardOutput {
public:
    // Connects and makes the keyboard; without a compositor that offers the protocol,
    // nothing is typed and Available() is false.
    TWaylandKeyboardOutput();
    ~TWaylandKeyboardOutput() override;
    TWaylandKeyboardOutput(const TWaylandKeyboardOutput&) = delete;
    TWaylandKeyboardOutput& operator=(const TWaylandKeyboardOutput&) = delete;

    bool Available() const { return Keyboard_ != nullptr; }
    // Why the route cannot be used ("no Wayland compositor", "... not offered").
    std::string Problem() const { return StatusText(LangEnglish, Problem_); }
    const TStatusMessage& ProblemText() const { return Problem_; }
    // Keys a reading never contains are left out; wait makes it a round trip, so that the
    // compositor has handed every key on when this returns.
    void SendKeys(const std::string& keystrokeText, bool wait) override;

    // Registry callback: keeps the seat and the manager.
    void Announce(wl_registry* registry, unsigned name, const char* interface, unsigned version);

private:
    void Key(unsigned code, unsigned state);

    wl_display* Display_ = nullptr;
    wl_registry* Registry_ = nullptr;
    wl_seat* Seat_ = nullptr;
    zwp_virtual_keyboard_manager_v1* Manager_ = nullptr;
    zwp_virtual_keyboard_v1* Keyboard_ = nullptr;
    TStatusMessage Problem_;
};
