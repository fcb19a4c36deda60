#pragma once
// An end signal (SIGTERM at log-out, SIGINT, SIGHUP) closes the wedge as the user would:
// the window's exit runs, so the port is let go of (its lock file, its exclusive use) and
// the settings are stored, as a desktop's log-off does.

#include <functional>

// Installs the handlers; `close` then runs on the event loop of the calling thread.
void CloseOnEndSignals(std::function<void()> close);
