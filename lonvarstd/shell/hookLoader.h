#pragma once
// The keyboard hook library, loaded at run time: once installed it posts key presses
// (message 5735 with the key code) to the window it was given, from its own thread.

#include <QObject>
#include <string>

#include "shell/hook/TavFxHook.h"

struct tHookLibrary {
    void* HookLib = nullptr;
    TavFxInstallHook InstallHookProc = nullptr;
    TavFxUninstallHook UninstallHookProc = nullptr;

    // Loads the library at `path` and installs the hook for `window`. False, with
    // nothing kept loaded, when the library or an entry point is missing or the
    // installation fails (no X session): key requests are then unavailable.
    bool Load(const std::string& path, QObject* window);
    // Uninstalls the hook when `installed` (its thread has ended on return, so nothing
    // arrives after), drops the keys it posted to `window` and unloads the library.
    void Unload(bool installed, QObject* window);
};
