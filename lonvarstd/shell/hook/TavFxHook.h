#ifndef TAVFXHOOK_H
#define TAVFXHOOK_H
/* The keyboard hook library (libTavFxHook.so), loaded by the program at run time.
   It watches the key presses of the whole X session without taking any away and
   reports only the keys that can be request keys: F1..F12, as the virtual key
   numbers 112..123. */

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* The key message: 5735 with the virtual key number in wParam. */
#define TAVFX_KEY_MESSAGE 5735u

/* How the library reaches the status window: it calls `post` from its own thread
   with `window`, the message, wParam and lParam (0), as a posted window message. */
typedef void (*TavFxPostMessage)(void* window, uint32_t msg, uintptr_t wParam, intptr_t lParam);

/* Starts watching the X display named by $DISPLAY. Nonzero on success; 0 when there is
   no X display, it lacks the input extension 2.2, or a hook is already installed. */
typedef int (*TavFxInstallHook)(TavFxPostMessage post, void* window);
/* Stops watching; once it returns, `post` is not called again. Does nothing when no
   hook is installed. */
typedef void (*TavFxUninstallHook)(void);

int InstallHook(TavFxPostMessage post, void* window);
void UninstallHook(void);

#ifdef __cplusplus
}
#endif

#endif
