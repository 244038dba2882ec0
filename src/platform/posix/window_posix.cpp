// The window services over the window-system library, as the Windows side
// has them over user32.
#include "platform/window.h"
#include "winsys/posix/window_system.h"

namespace platform {

uintptr_t StartTimer(WindowHandle window, uintptr_t id, unsigned milliseconds,
                     TimerCallback callback) {
  return window_system::SetTimer(window, id, milliseconds, callback) ? id : 0;
}

bool StopTimer(WindowHandle window, uintptr_t id) { return window_system::KillTimer(window, id); }

bool PostToWindow(WindowHandle window, unsigned message) {
  return window_system::PostMessage(window, message);
}

void CursorPosition(int* x, int* y) { window_system::CursorPosition(x, y); }

int TrackStatusMenu(WindowHandle owner, int x, int y, bool connectEnabled,
                    bool disconnectEnabled) {
  return window_system::TrackPopupMenu(owner, x - 5, y, connectEnabled, disconnectEnabled);
}

}  // namespace platform
