#include "key_recorder.h"

#include <thread>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace {

// Windows of other clients come and go while the tree is walked (a splash closing, say);
// Xlib's default handler would end the whole test program on such a BadWindow.
int IgnoreXError(Display*, XErrorEvent*) {
    return 0;
}

std::string NameOf(KeySym keysym) {
    switch (keysym) {
        case XK_Return:
            return "{ENTER}";
        case XK_Tab:
            return "{TAB}";
        case XK_Up:
            return "{UP}";
        case XK_Down:
            return "{DOWN}";
        case XK_Left:
            return "{LEFT}";
        case XK_Right:
            return "{RIGHT}";
        default:
            break;
    }
    if (keysym >= XK_F1 && keysym <= XK_F12) return "{F" + std::to_string(keysym - XK_F1 + 1) + "}";
    return {};
}

std::string TitleOf(Display* display, Window window) {
    const Atom netName = XInternAtom(display, "_NET_WM_NAME", False);
    const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::string title;
    if (XGetWindowProperty(display, window, netName, 0, 1024, False, utf8, &type, &format, &count,
                           &after, &data) == Success &&
        data != nullptr) {
        title.assign(reinterpret_cast<char*>(data), count);
        XFree(data);
    }
    if (title.empty()) {
        char* name = nullptr;
        if (XFetchName(display, window, &name) && name != nullptr) {
            title = name;
            XFree(name);
        }
    }
    return title;
}

}  // namespace

TKeyRecorder::TKeyRecorder(const std::string& display) {
    XSetErrorHandler(IgnoreXError);
    Display_ = XOpenDisplay(display.c_str());
    if (Display_ == nullptr) return;
    const int screen = DefaultScreen(Display_);
    Window_ = XCreateSimpleWindow(Display_, RootWindow(Display_, screen), 560, 420, 400, 240, 1,
                                  BlackPixel(Display_, screen), WhitePixel(Display_, screen));
    XStoreName(Display_, Window_, "Key recorder");
    XSelectInput(Display_, Window_, KeyPressMask | FocusChangeMask | StructureNotifyMask);
    XMapWindow(Display_, Window_);
    XEvent event;
    do {
        XWindowEvent(Display_, Window_, StructureNotifyMask, &event);
    } while (event.type != MapNotify);
}

TKeyRecorder::~TKeyRecorder() {
    if (Display_ == nullptr) return;
    if (Window_ != 0) XDestroyWindow(Display_, Window_);
    XCloseDisplay(Display_);
}

bool TKeyRecorder::TakeFocus(std::chrono::milliseconds timeout, const std::function<void()>& pump) {
    if (Display_ == nullptr) return false;
    XSetInputFocus(Display_, Window_, RevertToParent, CurrentTime);
    XSync(Display_, False);
    return WaitFor([this] { return Focused; }, timeout, pump);
}

void TKeyRecorder::FocusWindow(unsigned long window) {
    XSetInputFocus(Display_, window, RevertToParent, CurrentTime);
    XSync(Display_, False);
}

void TKeyRecorder::Pump() {
    if (Display_ == nullptr) return;
    while (XPending(Display_) > 0) {
        XEvent event;
        XNextEvent(Display_, &event);
        if (event.type == FocusIn && event.xfocus.window == Window_) Focused = true;
        if (event.type == FocusOut && event.xfocus.window == Window_) Focused = false;
        if (event.type != KeyPress) continue;
        char buffer[32];
        KeySym keysym = 0;
        const int length = XLookupString(&event.xkey, buffer, sizeof buffer, &keysym, nullptr);
        const std::string name = NameOf(keysym);
        if (!name.empty()) {
            Text += name;
        } else if (length > 0) {
            Text.append(buffer, size_t(length));
        } else {
            continue;  // modifiers
        }
        LastKeyAt = std::chrono::steady_clock::now();
    }
}

bool TKeyRecorder::WaitFor(const std::function<bool()>& condition,
                           std::chrono::milliseconds timeout, const std::function<void()>& pump) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (true) {
        Pump();
        if (condition()) return true;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        if (pump) {
            pump();
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
}

void TKeyRecorder::PressKey(const char* keysymName) {
    const KeyCode code = XKeysymToKeycode(Display_, XStringToKeysym(keysymName));
    XTestFakeKeyEvent(Display_, code, True, CurrentTime);
    XTestFakeKeyEvent(Display_, code, False, CurrentTime);
    XSync(Display_, False);
}

unsigned long TKeyRecorder::FindWindowByTitle(const std::string& title) {
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    unsigned long found = 0;
    if (XQueryTree(Display_, DefaultRootWindow(Display_), &root, &parent, &children, &count)) {
        for (unsigned i = 0; i < count && found == 0; ++i) {
            XWindowAttributes attributes;
            if (TitleOf(Display_, children[i]) == title &&
                XGetWindowAttributes(Display_, children[i], &attributes) &&
                attributes.map_state == IsViewable) {
                found = children[i];
            }
        }
        if (children) XFree(children);
    }
    return found;
}

void TKeyRecorder::RequestClose(unsigned long window) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(Display_, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = long(XInternAtom(Display_, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(Display_, window, False, NoEventMask, &event);
    XSync(Display_, False);
}
