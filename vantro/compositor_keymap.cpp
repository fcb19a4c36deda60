#include "compositor_keymap.h"

#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

#include <cstring>

namespace {

struct TKeymapProbe {
    wl_seat* Seat = nullptr;
    wl_keyboard* Keyboard = nullptr;
    bool HasKeyboard = false;
    std::optional<std::string> Text;
};

void OnKeymap(void* data, wl_keyboard*, uint32_t format, int32_t fd, uint32_t size) {
    auto* probe = static_cast<TKeymapProbe*>(data);
    if (format == WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1 && size > 0) {
        void* mapped = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
        if (mapped != MAP_FAILED) {
            const char* text = static_cast<const char*>(mapped);
            probe->Text = std::string(text, strnlen(text, size));
            munmap(mapped, size);
        }
    }
    close(fd);
}
void OnEnter(void*, wl_keyboard*, uint32_t, wl_surface*, wl_array*) {}
void OnLeave(void*, wl_keyboard*, uint32_t, wl_surface*) {}
void OnKey(void*, wl_keyboard*, uint32_t, uint32_t, uint32_t, uint32_t) {}
void OnModifiers(void*, wl_keyboard*, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t) {}
void OnRepeat(void*, wl_keyboard*, int32_t, int32_t) {}
const wl_keyboard_listener kKeyboardListener = {OnKeymap, OnEnter,     OnLeave,
                                                OnKey,    OnModifiers, OnRepeat};

void OnCapabilities(void* data, wl_seat*, uint32_t capabilities) {
    static_cast<TKeymapProbe*>(data)->HasKeyboard = capabilities & WL_SEAT_CAPABILITY_KEYBOARD;
}
void OnSeatName(void*, wl_seat*, const char*) {}
const wl_seat_listener kSeatListener = {OnCapabilities, OnSeatName};

void OnGlobal(void* data, wl_registry* registry, uint32_t name, const char* interface,
              uint32_t version) {
    auto* probe = static_cast<TKeymapProbe*>(data);
    if (std::strcmp(interface, wl_seat_interface.name) != 0 || probe->Seat != nullptr) return;
    probe->Seat = static_cast<wl_seat*>(
        wl_registry_bind(registry, name, &wl_seat_interface, version < 4 ? version : 4));
    wl_seat_add_listener(probe->Seat, &kSeatListener, probe);
}
void OnGlobalRemove(void*, wl_registry*, uint32_t) {}
const wl_registry_listener kRegistryListener = {OnGlobal, OnGlobalRemove};

}  // namespace

std::optional<std::string> CompositorKeymapText() {
    wl_display* display = wl_display_connect(nullptr);
    if (display == nullptr) return std::nullopt;
    TKeymapProbe probe;
    wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &kRegistryListener, &probe);
    wl_display_roundtrip(display);  // the seat
    wl_display_roundtrip(display);  // its capabilities
    if (probe.Seat != nullptr && probe.HasKeyboard) {
        probe.Keyboard = wl_seat_get_keyboard(probe.Seat);
        wl_keyboard_add_listener(probe.Keyboard, &kKeyboardListener, &probe);
        wl_display_roundtrip(display);  // the keymap comes with the keyboard
        wl_keyboard_destroy(probe.Keyboard);
    }
    if (probe.Seat != nullptr) wl_seat_destroy(probe.Seat);
    wl_registry_destroy(registry);
    wl_display_disconnect(display);
    return probe.Text;
}
