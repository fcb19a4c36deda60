#pragma once
// Where typed readings go: keystroke text sent to the window that has the keyboard focus.

#include <string>

class TKeyboardOutput {
public:
    virtual ~TKeyboardOutput() = default;
    // Sends keystroke text (see keystroke_text.h). With wait, returns only once the
    // keystrokes have been processed by the display server.
    virtual void SendKeys(const std::string& keystrokeText, bool wait) = 0;
};
