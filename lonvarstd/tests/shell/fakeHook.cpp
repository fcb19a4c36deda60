// A stand-in for the keyboard hook library, loaded by the status window like the real
// one: the test presses keys through it and sees when it is removed.

#include <atomic>
#include <cstdint>

#include "shell/hook/TavFxHook.h"

#define FAKE_EXPORT extern "C" __attribute__((visibility("default")))

namespace {
std::atomic<TavFxPostMessage> post{nullptr};
std::atomic<void*> window{nullptr};
std::atomic<int> installs{0};
void (*onUninstall)() = nullptr;
}  // namespace

FAKE_EXPORT int InstallHook(TavFxPostMessage p, void* w) {
    window = w;
    post = p;
    ++installs;
    return 1;
}

FAKE_EXPORT void UninstallHook(void) {
    if (onUninstall != nullptr) onUninstall();
    post = nullptr;
}

// --- for the test ---
FAKE_EXPORT int FakeHookInstalls(void) {
    return installs;
}
FAKE_EXPORT void FakeHookOnUninstall(void (*observer)()) {
    onUninstall = observer;
}
// A key press as the real library reports it; false when no hook is installed.
FAKE_EXPORT bool FakeHookPress(std::uint16_t vk) {
    const TavFxPostMessage p = post;
    if (p == nullptr) return false;
    p(window, TAVFX_KEY_MESSAGE, vk, 0);
    return true;
}
