#include "wayland_keyboard_output.h"

#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

#include <chrono>
#include <cstring>

#include "keystroke_keysyms.h"
#include "reading_keymap.h"
#include "virtual-keyboard-unstable-v1-client-protocol.h"

namespace {

void OnGlobal(void* data, wl_registry* registry, uint32_t name, const char* interface,
              uint32_t version) {
    static_cast<TWaylandKeyboardOutput*>(data)->Announce(registry, name, interface, version);
}

void OnGlobalRemove(void*, wl_registry*, uint32_t) {}

const wl_registry_listener kRegistryListener = {OnGlobal, OnGlobalRemove};

// The keymap travels as a file the compositor maps; memfd needs no folder.
int KeymapFile(const std::string& text) {
    const int fd = memfd_create("vantro-keymap", MFD_CLOEXEC);
    if (fd < 0) return -1;
    const std::size_t size = text.size() + 1;  // the compositor reads the final NUL too
    if (write(fd, text.c_str(), size) != ssize_t(size)) {
        close(fd);
        return -1;
    }
    return fd;
}

unsigned NowMs() {
    using namespace std::chrono;
    return unsigned(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

}  // namespace

TWaylandKeyboardOutput::TWaylandKeyboardOutput() {
    Display_ = wl_display_connect(nullptr);
    if (Display_ == nullptr) {
        Problem_ = TStatusText::NoCompositor;
        return;
    }
    Registry_ = wl_display_get_registry(Display_);
    wl_registry_add_listener(Registry_, &kRegistryListener, this);
    wl_display_roundtrip(Display_);
    if (Manager_ == nullptr || Seat_ == nullptr) {
        Problem_ = TStatusText::NoVirtualKeyboard;
        return;
    }
    const std::string keymap = ReadingKeymapText();
    const int fd = KeymapFile(keymap);
    if (fd < 0) {
        Problem_ = {TStatusText::NoKeymapFile, {std::strerror(errno)}};
        return;
    }
    Keyboard_ = zwp_virtual_keyboard_manager_v1_create_virtual_keyboard(Manager_, Seat_);
    zwp_virtual_keyboard_v1_keymap(Keyboard_, WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1, fd,
                                   unsigned(keymap.size() + 1));
    close(fd);
    zwp_virtual_keyboard_v1_modifiers(Keyboard_, 0, 0, 0, 0);
    // A compositor that refuses the keyboard ends the connection with a protocol error.
    if (wl_display_roundtrip(Display_) < 0) {
        Problem_ = TStatusText::CompositorRefused;
        zwp_virtual_keyboard_v1_destroy(Keyboard_);
        Keyboard_ = nullptr;
    }
}

TWaylandKeyboardOutput::~TWaylandKeyboardOutput() {
    if (Keyboard_ != nullptr) zwp_virtual_keyboard_v1_destroy(Keyboard_);
    if (Manager_ != nullptr) zwp_virtual_keyboard_manager_v1_destroy(Manager_);
    if (Seat_ != nullptr) wl_seat_destroy(Seat_);
    if (Registry_ != nullptr) wl_registry_destroy(Registry_);
    if (Display_ != nullptr) {
        wl_display_flush(Display_);
        wl_display_disconnect(Display_);
    }
}

void TWaylandKeyboardOutput::Announce(wl_registry* registry, unsigned name, const char* interface,
                                      unsigned version) {
    if (std::strcmp(interface, wl_seat_interface.name) == 0 && Seat_ == nullptr) {
        Seat_ = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
    } else if (std::strcmp(interface, zwp_virtual_keyboard_manager_v1_interface.name) == 0) {
        Manager_ = static_cast<zwp_virtual_keyboard_manager_v1*>(
            wl_registry_bind(registry, name, &zwp_virtual_keyboard_manager_v1_interface, 1));
    }
    (void)version;
}

void TWaylandKeyboardOutput::Key(unsigned code, unsigned state) {
    zwp_virtual_keyboard_v1_key(Keyboard_, NowMs(), code, state);
}

void TWaylandKeyboardOutput::SendKeys(const std::string& keystrokeText, bool wait) {
    if (Keyboard_ == nullptr) return;
    for (const TKeystroke& key : ParseKeystrokeText(keystrokeText)) {
        const std::optional<std::uint32_t> code = ReadingKeyCode(KeysymForKeystroke(key));
        if (!code) continue;
        Key(*code, WL_KEYBOARD_KEY_STATE_PRESSED);
        Key(*code, WL_KEYBOARD_KEY_STATE_RELEASED);
    }
    if (wait) {
        wl_display_roundtrip(Display_);
    } else {
        wl_display_flush(Display_);
    }
}
