#pragma once
// System-wide hot keys as passive key grabs on the root window of the application's own
// X11 connection. The grabs are taken with every combination of NumLock and CapsLock, so
// that the keys work whatever the lock state. Without an X11 connection nothing registers.

#include <QAbstractNativeEventFilter>
#include <map>

#include "hot_key_registrar.h"

class TX11HotKeys : public THotKeyRegistrar, public QAbstractNativeEventFilter {
public:
    TX11HotKeys();
    ~TX11HotKeys() override;
    TX11HotKeys(const TX11HotKeys&) = delete;
    TX11HotKeys& operator=(const TX11HotKeys&) = delete;

    bool Register(int id, int keyCode, int modifierBits) override;
    void Unregister(int id) override;

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    struct TGrab {
        unsigned KeyCode;
        unsigned Modifiers;
    };
    void Ungrab(const TGrab& grab);

    std::map<int, TGrab> Grabs_;
};

// X keysym of a Windows-style virtual key code, or 0 for codes without one here.
unsigned long KeysymForVirtualKey(int keyCode);
