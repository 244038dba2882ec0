// The host's window, message loop, menu user and message-box watch on
// Windows: linked into the stand-in host and the tests, never the plug-in.
#include <windows.h>

#include <algorithm>
#include <cstring>

#include "ui/resource.h"
#include "winsys/host_api.h"

namespace winsys {

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

struct BoxWatch {
  MessageBoxObserver observer = nullptr;
  bool answer = false;
  unsigned hold = 0;
  HHOOK hook = nullptr;
  std::string last;
};
BoxWatch g_boxes;

// The box's own modal loop dispatches this timer, and meanwhile every other
// timer of the thread.
VOID CALLBACK AnswerHeldBox(HWND box, UINT, UINT_PTR id, DWORD) {
  KillTimer(box, id);
  PostMessageA(box, WM_COMMAND, IDOK, 0);
}

// A box is read when it becomes active: by then its text is in the static
// control that message boxes give the id 0xFFFF.
LRESULT CALLBACK WatchBoxes(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_ACTIVATE) {
    HWND window = reinterpret_cast<HWND>(wParam);
    char name[16] = {};
    GetClassNameA(window, name, sizeof name);
    HWND textControl = GetDlgItem(window, 0xFFFF);
    if (std::strcmp(name, "#32770") == 0 && textControl != nullptr) {
      char text[1024] = {};
      GetWindowTextA(textControl, text, sizeof text);
      g_boxes.last = text;
      if (g_boxes.observer != nullptr) g_boxes.observer(text);
      if (g_boxes.answer && g_boxes.hold == 0) PostMessageA(window, WM_COMMAND, IDOK, 0);
      if (g_boxes.answer && g_boxes.hold > 0) SetTimer(window, 1, g_boxes.hold, AnswerHeldBox);
    }
  }
  return CallNextHookEx(g_boxes.hook, code, wParam, lParam);
}

}  // namespace

void ObserveMessageBoxes(MessageBoxObserver observer, bool answer) {
  g_boxes.observer = observer;
  g_boxes.answer = answer;
  if (g_boxes.hook == nullptr)
    g_boxes.hook = SetWindowsHookExA(WH_CBT, WatchBoxes, nullptr, GetCurrentThreadId());
}

const std::string& LastMessageBoxText() { return g_boxes.last; }

void HoldMessageBoxes(unsigned milliseconds) { g_boxes.hold = milliseconds; }

}  // namespace winsys
