#pragma once
// Another application on the test's X server: a window of its own that holds the
// keyboard focus and is typed into through XTest, as a user would type.

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

class tOtherXApplication {
public:
    tOtherXApplication() : display_(XOpenDisplay(nullptr)) {
        if (display_ == nullptr) return;
        window_ =
            XCreateSimpleWindow(display_, DefaultRootWindow(display_), 10, 10, 200, 100, 0, 0, 0);
        XSelectInput(display_, window_, KeyPressMask | KeyReleaseMask);
        XMapRaised(display_, window_);
        XSync(display_, False);
        XSetInputFocus(display_, window_, RevertToParent, CurrentTime);
        XSync(display_, False);
    }
    ~tOtherXApplication() {
        if (display_ != nullptr) XCloseDisplay(display_);
    }
    tOtherXApplication(const tOtherXApplication&) = delete;
    tOtherXApplication& operator=(const tOtherXApplication&) = delete;

    bool Open() const { return display_ != nullptr; }

    // Presses and releases the key; false when the keyboard map has no such key.
    bool Type(KeySym sym) {
        const KeyCode code = XKeysymToKeycode(display_, sym);
        if (code == 0) return false;
        XTestFakeKeyEvent(display_, code, True, CurrentTime);
        XTestFakeKeyEvent(display_, code, False, CurrentTime);
        XSync(display_, False);
        return true;
    }
    // The key presses the window itself received: the hook took none away.
    int KeyPressesReceived() {
        XSync(display_, False);
        int count = 0;
        XEvent event;
        while (XCheckWindowEvent(display_, window_, KeyPressMask | KeyReleaseMask, &event)) {
            if (event.type == KeyPress) ++count;
        }
        return count;
    }

private:
    Display* display_;
    Window window_ = 0;
};
