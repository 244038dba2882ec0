#include <windows.h>

#include <algorithm>
#include <cstring>

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

namespace platform {

WindowHandle CreateHostWindow() {
  return CreateWindowExA(0, "STATIC", "velmora-host", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
                         nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
}

void DestroyHostWindow(WindowHandle window) { DestroyWindow(static_cast<HWND>(window)); }

namespace {
bool g_stopPumping = false;
}  // namespace

void StopPumping() { g_stopPumping = true; }

unsigned PumpMessages(unsigned milliseconds,
                      void (*onMessage)(unsigned message, uintptr_t wParam)) {
  const DWORD start = GetTickCount();
  DWORD longest = 0;
  g_stopPumping = false;
  for (;;) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      const DWORD before = GetTickCount();
      // Posted messages, and the ticks of timers set on a window (the
      // plug-in's); thread timers (hwnd null) are the host's own.
      const bool tick = msg.message == WM_TIMER && msg.hwnd != nullptr;
      if ((msg.message >= WM_USER || tick) && onMessage != nullptr)
        onMessage(msg.message, msg.wParam);
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
      longest = std::max(longest, GetTickCount() - before);
    }
    if (GetTickCount() - start >= milliseconds || g_stopPumping) break;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
  return longest;
}

namespace {

int g_menuChoice = 0;
MenuOffer g_lastOffer{};
UINT_PTR g_playTimer = 0;

BOOL CALLBACK FindMenuWindow(HWND window, LPARAM found) {
  char name[16] = {};
  GetClassNameA(window, name, sizeof name);
  if (std::strcmp(name, "#32768") != 0 || !IsWindowVisible(window)) return TRUE;
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;
}

// Runs inside the menu's modal loop, which dispatches timer messages: reads
// what the menu offers, then chooses as a user at the keyboard would (the
// items are in the resource's order, so the command's position is known).
VOID CALLBACK PlayUser(HWND, UINT, UINT_PTR id, DWORD) {
  HWND menuWindow = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), FindMenuWindow, reinterpret_cast<LPARAM>(&menuWindow));
  if (menuWindow == nullptr) return;  // not up yet
  KillTimer(nullptr, id);
  g_playTimer = 0;
  HMENU menu = reinterpret_cast<HMENU>(SendMessageA(menuWindow, MN_GETHMENU, 0, 0));
  auto enabled = [menu](UINT command) {
    return (GetMenuState(menu, command, MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED)) == 0;
  };
  g_lastOffer = MenuOffer{true, enabled(ID_CONNECT), enabled(ID_DISCONNECT)};
  const int position = g_menuChoice == ID_CONNECT ? 0 : g_menuChoice == ID_DISCONNECT ? 1 : -1;
  if (position < 0) {
    EndMenu();
    return;
  }
  for (int i = 0; i <= position; ++i) PostMessageA(menuWindow, WM_KEYDOWN, VK_DOWN, 0);
  PostMessageA(menuWindow, WM_KEYDOWN, VK_RETURN, 0);
}

}  // namespace

void ScriptMenuChoice(int command) {
  g_menuChoice = command;
  g_lastOffer = MenuOffer{};
  if (g_playTimer != 0) KillTimer(nullptr, g_playTimer);
  g_playTimer = SetTimer(nullptr, 0, 20, PlayUser);
}

MenuOffer LastMenuOffer() { return g_lastOffer; }

namespace {
MessageBoxObserver g_messageBoxObserver = nullptr;
}  // namespace

void ObserveMessageBoxes(MessageBoxObserver observer) { g_messageBoxObserver = observer; }

void NoteMessageBoxShown(const char* text) {
  if (g_messageBoxObserver != nullptr) g_messageBoxObserver(text);
}

}  // namespace platform
