#pragma once
// Test doubles for the display-server side of the wedge: a keyboard that records the
// keystroke text it is asked to type, and hot keys that record registrations.

#include <map>
#include <string>

#include "hot_key_registrar.h"
#include "keyboard_output.h"

class TRecordingKeyboard : public TKeyboardOutput {
public:
    void SendKeys(const std::string& keystrokeText, bool wait) override {
        Typed += keystrokeText;
        if (wait) ++WaitedSends;
    }
    std::string Typed;
    int WaitedSends = 0;
};

class TRecordingHotKeys : public THotKeyRegistrar {
public:
    bool Register(int id, int keyCode, int modifierBits) override {
        Registered[id] = keyCode | (modifierBits << 8);
        return true;
    }
    void Unregister(int id) override { Registered.erase(id); }
    std::map<int, int> Registered;  // id -> key code with modifier bits in the high byte
};
