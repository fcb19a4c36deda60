// The keyboard hook library: its own X connection and thread, XInput2 raw key presses
// on the root window. Raw events reach every client that asks for them whichever window
// has the focus, and asking takes nothing away from the focused application. Only the
// function keys leave the library, so no other keystroke of the desktop (passwords
// included) ever reaches the program.

#include "TavFxHook.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>
#include <X11/keysym.h>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <mutex>
#include <thread>

#define TAVFX_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

constexpr std::uint16_t kVkF1 = 112;

struct tHook {
    Display* display = nullptr;
    int xiOpcode = 0;
    int wakeRead = -1;
    int wakeWrite = -1;
    bool connectionLost = false;  // set on the hook's thread only
    TavFxPostMessage post = nullptr;
    void* window = nullptr;
    std::thread thread;

    ~tHook() {
        if (wakeRead >= 0) close(wakeRead);
        if (wakeWrite >= 0) close(wakeWrite);
        // A connection that died in an input/output error must not be touched again.
        if (display != nullptr && !connectionLost) XCloseDisplay(display);
    }
};

std::mutex installMutex;
// No static destructor: a process that ends by exit() with the hook installed (the
// window system does on a lost display) must not meet a thread still joinable.
tHook* installed = nullptr;

// A lost X server must not end the program (Xlib's default is to exit).
void OnConnectionLost(Display*, void* hook) {
    static_cast<tHook*>(hook)->connectionLost = true;
}

std::uint16_t VirtualKey(Display* display, int keycode) {
    const KeySym sym = XkbKeycodeToKeysym(display, static_cast<KeyCode>(keycode), 0, 0);
    if (sym >= XK_F1 && sym <= XK_F12) return static_cast<std::uint16_t>(kVkF1 + (sym - XK_F1));
    return 0;
}

void HandleEvent(tHook& hook, XEvent& event) {
    if (event.type == MappingNotify) {
        XRefreshKeyboardMapping(&event.xmapping);
        return;
    }
    XGenericEventCookie& cookie = event.xcookie;
    if (cookie.type != GenericEvent || cookie.extension != hook.xiOpcode) return;
    if (!XGetEventData(hook.display, &cookie)) return;
    if (cookie.evtype == XI_RawKeyPress) {
        const auto* raw = static_cast<const XIRawEvent*>(cookie.data);
        // A held key asks once.
        const std::uint16_t vk =
            (raw->flags & XIKeyRepeat) ? 0 : VirtualKey(hook.display, raw->detail);
        if (vk != 0) hook.post(hook.window, TAVFX_KEY_MESSAGE, vk, 0);
    }
    XFreeEventData(hook.display, &cookie);
}

// Runs until UninstallHook writes to the wake pipe or the X server goes away.
void Watch(tHook& hook) {
    const int xfd = ConnectionNumber(hook.display);
    while (!hook.connectionLost) {
        while (!hook.connectionLost && XPending(hook.display) > 0) {
            XEvent event;
            XNextEvent(hook.display, &event);
            HandleEvent(hook, event);
        }
        if (hook.connectionLost) break;
        pollfd fds[2] = {{xfd, POLLIN, 0}, {hook.wakeRead, POLLIN, 0}};
        if (poll(fds, 2, -1) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        if (fds[1].revents != 0) break;
        if ((fds[0].revents & (POLLERR | POLLNVAL)) != 0) break;
    }
}

std::unique_ptr<tHook> OpenHook(TavFxPostMessage post, void* window) {
    auto hook = std::make_unique<tHook>();
    hook->post = post;
    hook->window = window;
    hook->display = XOpenDisplay(nullptr);
    if (hook->display == nullptr) return nullptr;
    XSetIOErrorExitHandler(hook->display, OnConnectionLost, hook.get());

    int event = 0;
    int error = 0;
    if (!XQueryExtension(hook->display, "XInputExtension", &hook->xiOpcode, &event, &error)) {
        return nullptr;
    }
    // Raw events reach a client whatever grabs are active from version 2.1 on.
    int major = 2;
    int minor = 2;
    if (XIQueryVersion(hook->display, &major, &minor) != Success || (major == 2 && minor < 1)) {
        return nullptr;
    }
    unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
    XISetMask(bits, XI_RawKeyPress);
    XIEventMask mask{XIAllMasterDevices, static_cast<int>(sizeof bits), bits};
    XISelectEvents(hook->display, DefaultRootWindow(hook->display), &mask, 1);
    XSync(hook->display, False);

    int wake[2];
    if (pipe2(wake, O_CLOEXEC | O_NONBLOCK) != 0) return nullptr;
    hook->wakeRead = wake[0];
    hook->wakeWrite = wake[1];
    return hook;
}

}  // namespace

TAVFX_EXPORT int InstallHook(TavFxPostMessage post, void* window) {
    if (post == nullptr) return 0;
    std::lock_guard lock(installMutex);
    if (installed) return 0;
    try {
        auto hook = OpenHook(post, window);
        if (!hook) return 0;
        tHook& watched = *hook;
        hook->thread = std::thread([&watched] { Watch(watched); });
        installed = hook.release();
        return 1;
    } catch (...) {
        return 0;
    }
}

TAVFX_EXPORT void UninstallHook(void) {
    std::lock_guard lock(installMutex);
    if (!installed) return;
    const char wake = 1;
    while (write(installed->wakeWrite, &wake, 1) < 0 && errno == EINTR) {
    }
    // Once joined, no key can be posted any more.
    if (installed->thread.joinable()) installed->thread.join();
    delete installed;
    installed = nullptr;
}
