#include "x11_keyboard_output.h"

#include <vector>

#include "keystroke_keysyms.h"
#include "keystroke_text.h"

// The X11 headers come last: they define macros (None, Status, Bool) that clash with C++.
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace {

// A key that types the keysym, plain or with Shift, in the layout group in use: with two
// layouts ("us,de", the second active) the key that gives "-" in the first gives another
// character in the second. Keys with fewer groups wrap, as the server does by default.
bool FindKey(_XkbDesc* keyboard, int group, unsigned long keysym, unsigned char& code,
             bool& shifted) {
    if (keyboard == nullptr || keyboard->map == nullptr || keyboard->map->types == nullptr) {
        return false;
    }
    for (int level = 0; level < 2; ++level) {
        for (int key = keyboard->min_key_code; key <= keyboard->max_key_code; ++key) {
            const int groups = XkbKeyNumGroups(keyboard, key);
            if (groups == 0) continue;
            const int effective = group % groups;
            if (level >= XkbKeyGroupWidth(keyboard, key, effective)) continue;
            if (XkbKeySymEntry(keyboard, key, level, effective) == keysym) {
                code = static_cast<unsigned char>(key);
                shifted = level == 1;
                return true;
            }
        }
    }
    return false;
}

}  // namespace

TX11KeyboardOutput::TX11KeyboardOutput() {
    Display_ = XOpenDisplay(nullptr);
    if (Display_ == nullptr) return;
    int eventBase = 0, errorBase = 0, major = 0, minor = 0;
    if (!XTestQueryExtension(Display_, &eventBase, &errorBase, &major, &minor)) {
        XCloseDisplay(Display_);
        Display_ = nullptr;
    }
}

TX11KeyboardOutput::~TX11KeyboardOutput() {
    if (Display_ != nullptr) XCloseDisplay(Display_);
}

void TX11KeyboardOutput::SendKeys(const std::string& keystrokeText, bool wait) {
    if (Display_ == nullptr) return;
    const std::vector<TKeystroke> keys = ParseKeystrokeText(keystrokeText);
    if (keys.empty()) {
        if (wait) XSync(Display_, False);
        return;
    }
    // The keyboard as it is now: its layouts, and the one the user has switched to.
    XkbDescPtr keyboard = XkbGetMap(Display_, XkbKeyTypesMask | XkbKeySymsMask, XkbUseCoreKbd);
    XkbStateRec state{};
    const int group = XkbGetState(Display_, XkbUseCoreKbd, &state) == Success ? state.group : 0;
    for (const TKeystroke& key : keys) TypeKeysym(KeysymForKeystroke(key), keyboard, group);
    if (keyboard != nullptr) XkbFreeKeyboard(keyboard, 0, True);
    if (wait) {
        XSync(Display_, False);
    } else {
        XFlush(Display_);
    }
}

void TX11KeyboardOutput::TypeKeysym(unsigned long keysym, _XkbDesc* keyboard, int group) {
    KeyCode code = 0;
    bool shifted = false;
    if (!FindKey(keyboard, group, keysym, code, shifted)) {
        // Not on the keyboard, or only through another level (AltGr ...): borrow a free key.
        TypeThroughSpareKeycode(keysym);
        return;
    }
    const KeyCode shift = XKeysymToKeycode(Display_, XK_Shift_L);
    if (shifted) XTestFakeKeyEvent(Display_, shift, True, CurrentTime);
    XTestFakeKeyEvent(Display_, code, True, CurrentTime);
    XTestFakeKeyEvent(Display_, code, False, CurrentTime);
    if (shifted) XTestFakeKeyEvent(Display_, shift, False, CurrentTime);
}

void TX11KeyboardOutput::TypeThroughSpareKeycode(unsigned long keysym) {
    int minCode = 0, maxCode = 0, perCode = 0;
    XDisplayKeycodes(Display_, &minCode, &maxCode);
    KeySym* map = XGetKeyboardMapping(Display_, KeyCode(minCode), maxCode - minCode + 1, &perCode);
    if (map == nullptr) return;
    int spare = 0;
    for (int code = maxCode; code >= minCode && spare == 0; --code) {
        bool empty = true;
        for (int i = 0; i < perCode; ++i) {
            if (map[(code - minCode) * perCode + i] != NoSymbol) empty = false;
        }
        if (empty) spare = code;
    }
    XFree(map);
    if (spare == 0) return;  // a full keymap: the character cannot be typed

    KeySym both[2] = {KeySym(keysym), KeySym(keysym)};
    XChangeKeyboardMapping(Display_, spare, 2, both, 1);
    XSync(Display_, False);
    XTestFakeKeyEvent(Display_, KeyCode(spare), True, CurrentTime);
    XTestFakeKeyEvent(Display_, KeyCode(spare), False, CurrentTime);
    XSync(Display_, False);
    KeySym none[2] = {NoSymbol, NoSymbol};
    XChangeKeyboardMapping(Display_, spare, 2, none, 1);
    XSync(Display_, False);
}
