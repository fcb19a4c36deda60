#include "shell/displayLoss.h"

#include <unistd.h>

#include <QGuiApplication>
#include <cstdio>
#include <cstdlib>

#include "shell/TavrixMain.h"

// Last: Xlib's macros would break Qt's headers.
#include <X11/Xlib.h>

namespace {

TFrmTavrixMain* statusWindow = nullptr;

void CloseAtExit() {
    TFrmTavrixMain* status = statusWindow;
    if (status == nullptr || status->IsClosed()) return;
    statusWindow = nullptr;
    std::fprintf(stderr, "LonvarStd: the display went away; ending as on an end signal\n");
    status->AskOnClose = false;
    status->EndWithoutDisplay();
    std::fflush(stdout);
    std::fflush(stderr);
    // What is left to run at exit belongs to the lost display (and the hook's thread
    // object would end the process by terminate).
    ::_exit(0);
}

// Xlib ends the process at once on a lost server, from whichever thread noticed it
// (the hook's too); the window system's own connection goes through exit(), whose
// handlers close the program on the main thread.
void KeepXlibFromExiting(Display*, void*) {}
int QuietXlibIoError(Display*) {
    return 0;
}

void TakeOverXlibExit() {
    XSetIOErrorHandler(QuietXlibIoError);
    auto* x11 = qGuiApp != nullptr ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>()
                                   : nullptr;
    if (x11 != nullptr && x11->display() != nullptr) {
        XSetIOErrorExitHandler(x11->display(), KeepXlibFromExiting, nullptr);
    }
}

}  // namespace

void EndLikeASignalWhenTheDisplayGoes(TFrmTavrixMain* status) {
    static const bool registered = [] {
        TakeOverXlibExit();
        return std::atexit(CloseAtExit) == 0;
    }();
    (void)registered;
    statusWindow = status;
}
