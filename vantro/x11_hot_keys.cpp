#include "x11_hot_keys.h"

#include <QGuiApplication>
#include <cstdlib>

// The X11 headers come last: they define macros (None, Status, Bool) that clash with Qt.
#include <X11/Xlib.h>
#include <X11/keysym.h>
#include <xcb/xcb.h>

namespace {

// NumLock is Mod2 on every common keymap.
constexpr unsigned kLockCombinations[] = {0, XCB_MOD_MASK_LOCK, XCB_MOD_MASK_2,
                                          XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2};
constexpr unsigned kIgnoredModifiers = XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2;

QNativeInterface::QX11Application* X11() {
    auto* app = qGuiApp;
    return app ? app->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
}

xcb_window_t RootOf(xcb_connection_t* connection) {
    return xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
}

}  // namespace

unsigned long KeysymForVirtualKey(int keyCode) {
    if (keyCode >= 112 && keyCode <= 123) return XK_F1 + (keyCode - 112);
    if ((keyCode >= '0' && keyCode <= '9') || (keyCode >= 'A' && keyCode <= 'Z')) {
        return keyCode >= 'A' ? XK_a + (keyCode - 'A') : XK_0 + (keyCode - '0');
    }
    return 0;
}

TX11HotKeys::TX11HotKeys() {
    if (X11() != nullptr) QCoreApplication::instance()->installNativeEventFilter(this);
}

TX11HotKeys::~TX11HotKeys() {
    for (const auto& [id, grab] : Grabs_) Ungrab(grab);
    if (X11() != nullptr) QCoreApplication::instance()->removeNativeEventFilter(this);
}

bool TX11HotKeys::Register(int id, int keyCode, int modifierBits) {
    auto* x11 = X11();
    if (x11 == nullptr || x11->connection() == nullptr || x11->display() == nullptr) return false;
    Unregister(id);
    const unsigned long keysym = KeysymForVirtualKey(keyCode);
    const unsigned code = keysym ? XKeysymToKeycode(x11->display(), keysym) : 0;
    if (code == 0) return false;
    unsigned modifiers = 0;
    if (modifierBits & 1) modifiers |= XCB_MOD_MASK_SHIFT;
    if (modifierBits & 2) modifiers |= XCB_MOD_MASK_CONTROL;
    if (modifierBits & 4) modifiers |= XCB_MOD_MASK_1;

    xcb_connection_t* connection = x11->connection();
    const xcb_window_t root = RootOf(connection);
    bool taken = true;
    for (unsigned locks : kLockCombinations) {
        const xcb_void_cookie_t cookie =
            xcb_grab_key_checked(connection, 1, root, uint16_t(modifiers | locks),
                                 xcb_keycode_t(code), XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
        // Checked one by one: another client holding the key answers with BadAccess.
        if (xcb_generic_error_t* error = xcb_request_check(connection, cookie)) {
            std::free(error);
            taken = false;
        }
    }
    const TGrab grab{code, modifiers};
    if (!taken) {
        Ungrab(grab);
        return false;
    }
    Grabs_[id] = grab;
    return true;
}

void TX11HotKeys::Unregister(int id) {
    const auto found = Grabs_.find(id);
    if (found == Grabs_.end()) return;
    Ungrab(found->second);
    Grabs_.erase(found);
}

void TX11HotKeys::Ungrab(const TGrab& grab) {
    auto* x11 = X11();
    if (x11 == nullptr || x11->connection() == nullptr) return;
    xcb_connection_t* connection = x11->connection();
    const xcb_window_t root = RootOf(connection);
    // Checked, so that the server has let the key go before the port counts as closed.
    for (unsigned locks : kLockCombinations) {
        const xcb_void_cookie_t cookie = xcb_ungrab_key_checked(
            connection, xcb_keycode_t(grab.KeyCode), root, uint16_t(grab.Modifiers | locks));
        if (xcb_generic_error_t* error = xcb_request_check(connection, cookie)) std::free(error);
    }
}

bool TX11HotKeys::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "xcb_generic_event_t") return false;
    auto* event = static_cast<xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7f) != XCB_KEY_PRESS) return false;
    auto* press = reinterpret_cast<xcb_key_press_event_t*>(event);
    const unsigned modifiers = press->state & ~kIgnoredModifiers &
                               (XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1);
    for (const auto& [id, grab] : Grabs_) {
        if (grab.KeyCode == press->detail && grab.Modifiers == modifiers) {
            if (OnHotKey) OnHotKey(id);
            return true;
        }
    }
    return false;
}
