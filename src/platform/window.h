// Window services: timers on a window with a call-back, posted messages, the
// cursor and the status-area popup menu.
//
// Windows: the real Win32 calls. Linux: src/winsys/, a small window system
// of our own that the host's message loop pumps, with a clock that tests
// drive. On both, a call naming an unknown window fails quietly.
#ifndef VELMORA_PLATFORM_WINDOW_H_
#define VELMORA_PLATFORM_WINDOW_H_

#include <cstdint>

#include "platform/platform.h"

namespace platform {

using TimerCallback = void (*)(WindowHandle window, unsigned message, uintptr_t id,
                               uint32_t time);

// Starts (or restarts) timer `id` on the window; 0 when it cannot.
uintptr_t StartTimer(WindowHandle window, uintptr_t id, unsigned milliseconds,
                     TimerCallback callback);
bool StopTimer(WindowHandle window, uintptr_t id);
bool PostToWindow(WindowHandle window, unsigned message);
void CursorPosition(int* x, int* y);

// Shows the first popup of menu 4001 at (x, y), right button, owned by the
// window, with its two commands enabled or grayed; the chosen command or 0.
int TrackStatusMenu(WindowHandle owner, int x, int y, bool connectEnabled,
                    bool disconnectEnabled);

}  // namespace platform

#endif  // VELMORA_PLATFORM_WINDOW_H_
