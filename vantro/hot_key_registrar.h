#pragma once
// System-wide hot keys: registration by id; a press of a registered key is handed to the
// callback with its id.

#include <functional>

class THotKeyRegistrar {
public:
    virtual ~THotKeyRegistrar() = default;
    // keyCode: Windows-style virtual key code (F1 = 112 ... F12 = 123, digits, letters);
    // modifierBits: 1 Shift, 2 Control, 4 Alt. False when the key cannot be taken.
    virtual bool Register(int id, int keyCode, int modifierBits) = 0;
    virtual void Unregister(int id) = 0;

    std::function<void(int id)> OnHotKey;
};
