#pragma once
// Keystroke synthesis through the XTest extension of the X server named by $DISPLAY.

#include <string>

#include "keyboard_output.h"

struct _XDisplay;
struct _XkbDesc;

class TX11KeyboardOutput : public TKeyboardOutput {
public:
    // Opens its own connection to the display; without one, nothing is typed.
    TX11KeyboardOutput();
    ~TX11KeyboardOutput() override;
    TX11KeyboardOutput(const TX11KeyboardOutput&) = delete;
    TX11KeyboardOutput& operator=(const TX11KeyboardOutput&) = delete;

    bool Available() const { return Display_ != nullptr; }
    void SendKeys(const std::string& keystrokeText, bool wait) override;

private:
    void TypeKeysym(unsigned long keysym, _XkbDesc* keyboard, int group);
    void TypeThroughSpareKeycode(unsigned long keysym);

    _XDisplay* Display_ = nullptr;
};
