#include <windows.h>

#include <map>
#include <utility>

#include "platform/window.h"
#include "ui/resource.h"

namespace platform {

namespace {

// Windows calls timers with its own calling convention, so every timer goes
// through the trampoline, which calls the call-back of that window's timer.
std::map<std::pair<HWND, UINT_PTR>, TimerCallback>& Callbacks() {
  static std::map<std::pair<HWND, UINT_PTR>, TimerCallback> callbacks;
  return callbacks;
}

VOID CALLBACK Trampoline(HWND window, UINT message, UINT_PTR id, DWORD time) {
  auto it = Callbacks().find({window, id});
  if (it == Callbacks().end() || it->second == nullptr) return;
  // The call-back may stop or restart its own timer.
  const TimerCallback callback = it->second;
  callback(window, message, id, time);
}

}  // namespace

uintptr_t StartTimer(WindowHandle window, uintptr_t id, unsigned milliseconds,
                     TimerCallback callback) {
  HWND hwnd = static_cast<HWND>(window);
  const UINT_PTR started = SetTimer(hwnd, id, milliseconds, Trampoline);
  if (started != 0) Callbacks()[{hwnd, id}] = callback;
  return started;
}

bool StopTimer(WindowHandle window, uintptr_t id) {
  HWND hwnd = static_cast<HWND>(window);
  Callbacks().erase({hwnd, id});
  return KillTimer(hwnd, id) != 0;
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
