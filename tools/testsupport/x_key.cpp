// Presses and releases keys on $DISPLAY through XTest, as a user at the keyboard would:
// x_key F2 [more key names]. The run command drives the program's request key with it.

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include <cstdio>

int main(int argc, char* argv[]) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: x_key KEY...   (X key names, e.g. F2 Return a)\n");
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "x_key: no X display\n");
        return 1;
    }
    int result = 0;
    for (int i = 1; i < argc; ++i) {
        const KeySym sym = XStringToKeysym(argv[i]);
        const KeyCode code = sym == NoSymbol ? 0 : XKeysymToKeycode(display, sym);
        if (code == 0) {
            std::fprintf(stderr, "x_key: no key %s\n", argv[i]);
            result = 1;
            continue;
        }
        XTestFakeKeyEvent(display, code, True, CurrentTime);
        XTestFakeKeyEvent(display, code, False, CurrentTime);
    }
    XSync(display, False);
    XCloseDisplay(display);
    return result;
}
