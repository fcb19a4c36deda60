#pragma once
// Keystrokes through a kernel virtual keyboard (/dev/uinput), for desktops that offer
// neither a virtual-keyboard protocol nor the portal; only when the user turns it on. The
// device is made once, at start; each character becomes the key presses of the active
// layout (TLayoutKeyMap), as the desktop maps them back through that layout.

#include <memory>
#include <string>

#include "keyboard_output.h"
#include "language_table.h"
#include "layout_key_map.h"

class TUinputKeyboardOutput : public TKeyboardOutput {
public:
    TUinputKeyboardOutput(const std::string& devicePath, TLayoutKeyMap layout);
    ~TUinputKeyboardOutput() override;
    TUinputKeyboardOutput(const TUinputKeyboardOutput&) = delete;
    TUinputKeyboardOutput& operator=(const TUinputKeyboardOutput&) = delete;

    bool Available() const { return Fd_ >= 0; }
    // Why the device could not be made, with what the user can do about it.
    std::string Problem() const { return StatusText(LangEnglish, Problem_); }
    const TStatusMessage& ProblemText() const { return Problem_; }
    // Characters the layout cannot type are left out. Every press ends with a report, so
    // the keys are delivered as written; wait has nothing more to wait for.
    void SendKeys(const std::string& keystrokeText, bool wait) override;

    static constexpr const char* kDeviceName = "Vantro keyboard";

private:
    bool Create();
    void Emit(unsigned type, unsigned code, int value);
    void Press(const TKeyPress& press);

    int Fd_ = -1;
    TLayoutKeyMap Layout_;
    TStatusMessage Problem_;
};

// The layout the session types with: the compositor's keymap when a Wayland compositor
// hands one out, else the system's keyboard setting (/etc/default/keyboard), else the
// xkbcommon default.
std::optional<TLayoutKeyMap> ActiveLayout();
