#include <windows.h>

#include "platform/window.h"
#include "ui/resource.h"

namespace platform {

namespace {
// Windows calls timers with its own calling convention.
TimerCallback g_callback = nullptr;
VOID CALLBACK Trampoline(HWND window, UINT message, UINT_PTR id, DWORD time) {
  if (g_callback != nullptr) g_callback(window, message, id, time);
}
}  // namespace

uintptr_t StartTimer(WindowHandle window, uintptr_t id, unsigned milliseconds,
                     TimerCallback callback) {
  g_callback = callback;
  return SetTimer(static_cast<HWND>(window), id, milliseconds, Trampoline);
}

bool StopTimer(WindowHandle window, uintptr_t id) {
  return KillTimer(static_cast<HWND>(window), id) != 0;
}

bool PostToWindow(WindowHandle window, unsigned message) {
  return PostMessageA(static_cast<HWND>(window), message, 0, 0) != 0;
}

void CursorPosition(int* x, int* y) {
  POINT point{};
  GetCursorPos(&point);
  *x = point.x;
  *y = point.y;
}

int TrackStatusMenu(WindowHandle owner, int x, int y, bool connectEnabled,
                    bool disconnectEnabled) {
  HMENU menu = LoadMenuA(static_cast<HINSTANCE>(ModuleHandle()), MAKEINTRESOURCEA(IDR_STATUS_MENU));
  if (menu == nullptr) return 0;
  HMENU popup = GetSubMenu(menu, 0);
  const UINT grayed = MF_BYCOMMAND | MF_GRAYED | MF_DISABLED;
  EnableMenuItem(popup, ID_CONNECT, connectEnabled ? MF_BYCOMMAND | MF_ENABLED : grayed);
  EnableMenuItem(popup, ID_DISCONNECT, disconnectEnabled ? MF_BYCOMMAND | MF_ENABLED : grayed);
  int command = TrackPopupMenu(popup, TPM_RIGHTBUTTON | TPM_RETURNCMD | TPM_NONOTIFY, x - 5, y, 0,
                               static_cast<HWND>(owner), nullptr);
  DestroyMenu(menu);
  return command;
}

}  // namespace platform
