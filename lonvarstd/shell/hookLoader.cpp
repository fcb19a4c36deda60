#include "shell/hookLoader.h"

#include <dlfcn.h>

#include <QCoreApplication>

#include "shell/engineEvent.h"

namespace {

// The hook's thread posts through this; QCoreApplication::postEvent is safe from any thread.
void PostHookMessage(void* window, std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam) {
    QCoreApplication::postEvent(
        static_cast<QObject*>(window),
        new tEngineEvent(msg, static_cast<std::int64_t>(wParam), lParam, 0));
}

}  // namespace

bool tHookLibrary::Load(const std::string& path, QObject* window) {
    HookLib = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (HookLib == nullptr) return false;
    InstallHookProc = reinterpret_cast<TavFxInstallHook>(dlsym(HookLib, "InstallHook"));
    UninstallHookProc = reinterpret_cast<TavFxUninstallHook>(dlsym(HookLib, "UninstallHook"));
    if (InstallHookProc != nullptr && UninstallHookProc != nullptr &&
        InstallHookProc(&PostHookMessage, window) != 0) {
        return true;
    }
    Unload(false, window);
    return false;
}

void tHookLibrary::Unload(bool installed, QObject* window) {
    if (installed && UninstallHookProc != nullptr) UninstallHookProc();
    QCoreApplication::removePostedEvents(window, tEngineEvent::KeyPressed);
    if (HookLib != nullptr) dlclose(HookLib);
    HookLib = nullptr;
    InstallHookProc = nullptr;
    UninstallHookProc = nullptr;
}
