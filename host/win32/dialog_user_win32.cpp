#include <windows.h>

#include <cstdio>

#include "host/dialog_user.h"

namespace {

constexpr char kMessageBoxCaption[] = "Velmora";
constexpr UINT kTickMs = 30;
constexpr DWORD kGiveUpMs = 30000;

struct User {
  std::vector<DialogStep> steps;
  size_t next = 0;
  int statusId = 0;
  std::function<void(const std::string&)> onStatus;
  std::string lastStatus;
  DialogReport report;
  UINT_PTR timer = 0;
  HHOOK before = nullptr;
  HHOOK after = nullptr;
  HWND dialog = nullptr;
  DWORD start = 0;
  bool closing = false;
};

User g_user;

std::string TextOf(HWND window) {
  char text[512] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

std::string ClassOf(HWND window) {
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

struct Found {
  const char* caption;
  HWND window;
};

// A visible dialog-class window of this thread with the given caption.
BOOL CALLBACK FindByCaption(HWND window, LPARAM lParam) {
  auto* found = reinterpret_cast<Found*>(lParam);
  if (ClassOf(window) != "#32770" || !IsWindowVisible(window) || TextOf(window) != found->caption)
    return TRUE;
  found->window = window;
  return FALSE;
}

HWND FindThreadDialog(const char* caption) {
  Found found{caption, nullptr};
  EnumThreadWindows(GetCurrentThreadId(), FindByCaption, reinterpret_cast<LPARAM>(&found));
  return found.window;
}

BOOL CALLBACK AddControl(HWND window, LPARAM lParam) {
  auto* states = reinterpret_cast<std::vector<ControlState>*>(lParam);
  const LONG style = GetWindowLongA(window, GWL_STYLE);
  const std::string cls = ClassOf(window);
  const char* kind = "static";
  int check = 0;
  if (cls == "Button") {
    const LONG type = style & BS_TYPEMASK;
    const bool box = type == BS_AUTOCHECKBOX || type == BS_CHECKBOX;
    kind = box ? "check box" : type == BS_DEFPUSHBUTTON ? "default push button" : "push button";
    if (box) check = SendMessageA(window, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
  }
  states->push_back(ControlState{GetDlgCtrlID(window), kind,
                                 cls == "Static" && (style & SS_SUNKEN) != 0, TextOf(window),
                                 (style & WS_VISIBLE) != 0, IsWindowEnabled(window) != FALSE,
                                 check});
  return TRUE;
}

std::vector<ControlState> Snapshot(HWND dialog) {
  std::vector<ControlState> states;
  EnumChildWindows(dialog, AddControl, reinterpret_cast<LPARAM>(&states));
  return states;
}

bool IsStatusLine(HWND window) {
  return g_user.dialog != nullptr && GetParent(window) == g_user.dialog &&
         GetDlgCtrlID(window) == g_user.statusId;
}

// Before the status line takes a new text: was the text before it painted
// already? Nothing but a repaint on request paints it while the import
// holds the thread, so this counts the texts that were repainted at once.
LRESULT CALLBACK BeforeStatusText(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION) {
    const auto* message = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (message->message == WM_SETTEXT && IsStatusLine(message->hwnd) &&
        !GetUpdateRect(message->hwnd, nullptr, FALSE))
      ++g_user.report.statusPaints;
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

// After it took the text: read it back from the control.
LRESULT CALLBACK AfterStatusText(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION) {
    const auto* message = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    if (message->message == WM_SETTEXT && IsStatusLine(message->hwnd)) {
      const std::string text = TextOf(message->hwnd);
      if (text != g_user.lastStatus) {
        g_user.lastStatus = text;
        if (g_user.onStatus) g_user.onStatus(text);
      }
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Runs inside whichever modal loop is up: the dialog's, or a message box's
// that the dialog opened. Does at most one thing a tick; clicks are posted,
// so the tick never waits for what they start.
VOID CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
  if (HWND box = FindThreadDialog(kMessageBoxCaption)) {
    const std::string text = TextOf(GetDlgItem(box, 0xFFFF));
    g_user.report.messageBoxes.push_back(text);
    std::fprintf(stderr, "[message box] %s\n", text.c_str());
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    return;
  }
  HWND dialog = FindThreadDialog("Velmora Configure");
  if (dialog == nullptr) {
    if (GetTickCount() - g_user.start > kGiveUpMs && g_user.timer != 0) {
      KillTimer(nullptr, g_user.timer);
      g_user.timer = 0;
    }
    return;
  }
  DialogReport& report = g_user.report;
  if (!report.shown) {
    report.shown = true;
    report.caption = TextOf(dialog);
    g_user.dialog = dialog;
  }
  if (g_user.next >= g_user.steps.size()) {
    // The steps are done and the dialog is still up: the user closes it.
    if (!g_user.closing) report.before.push_back(Snapshot(dialog));
    g_user.closing = true;
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    return;
  }
  const DialogStep& step = g_user.steps[g_user.next++];
  std::vector<ControlState> now = Snapshot(dialog);
  report.before.push_back(now);
  HWND control = GetDlgItem(dialog, step.id);
  if (step.kind == DialogStep::kTick && control != nullptr &&
      (SendMessageA(control, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0) == step.state)
    return;
  if (control == nullptr || !IsWindowVisible(control) || !IsWindowEnabled(control)) {
    report.refused.push_back(std::to_string(step.id));
    return;
  }
  PostMessageA(control, BM_CLICK, 0, 0);
}

}  // namespace

void BeginDialogUser(std::vector<DialogStep> steps, int statusId,
                     std::function<void(const std::string&)> onStatus) {
  g_user.steps = std::move(steps);
  g_user.next = 0;
  g_user.statusId = statusId;
  g_user.onStatus = std::move(onStatus);
  g_user.lastStatus.clear();
  g_user.report = DialogReport{};
  g_user.dialog = nullptr;
  g_user.closing = false;
  g_user.start = GetTickCount();
  g_user.before =
      SetWindowsHookExA(WH_CALLWNDPROC, BeforeStatusText, nullptr, GetCurrentThreadId());
  g_user.after =
      SetWindowsHookExA(WH_CALLWNDPROCRET, AfterStatusText, nullptr, GetCurrentThreadId());
  g_user.timer = SetTimer(nullptr, 0, kTickMs, Tick);
}

DialogReport EndDialogUser() {
  if (g_user.timer != 0) KillTimer(nullptr, g_user.timer);
  if (g_user.before != nullptr) UnhookWindowsHookEx(g_user.before);
  if (g_user.after != nullptr) UnhookWindowsHookEx(g_user.after);
  g_user.timer = 0;
  g_user.before = g_user.after = nullptr;
  g_user.dialog = nullptr;
  DialogReport report = std::move(g_user.report);
  g_user.report = DialogReport{};
  return report;
}
