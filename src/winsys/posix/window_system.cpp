#include "winsys/posix/window_system.h"

#include <cstdio>
#include <string>

#include "ui/resource.h"
#include "winsys/host_api.h"

namespace window_system {

namespace {

struct State {
  std::set<WindowHandle> windows;
  std::map<std::pair<WindowHandle, uintptr_t>, Timer> timers;
  std::deque<std::pair<WindowHandle, unsigned>> messages;
  uint64_t now = 0;
  uintptr_t nextWindow = 0x1000;
  int menuChoice = 0;
  MenuShown lastMenu{};
  winsys::MessageBoxObserver boxObserver = nullptr;
  std::string lastBox;
  unsigned boxHold = 0;
};

State& S() {
  static State state;
  return state;
}

}  // namespace

WindowHandle CreateWindow() {
  WindowHandle window = reinterpret_cast<WindowHandle>(S().nextWindow);
  S().nextWindow += 0x10;
  S().windows.insert(window);
  return window;
}

void DestroyWindow(WindowHandle window) {
  S().windows.erase(window);
  for (auto it = S().timers.begin(); it != S().timers.end();)
    it = it->first.first == window ? S().timers.erase(it) : std::next(it);
}

uint64_t Now() { return S().now; }

void Advance(uint64_t milliseconds, void (*onTick)(uintptr_t id)) {
  const uint64_t end = S().now + milliseconds;
  for (;;) {
    // The earliest timer due by the end; a call-back may start or stop any.
    auto next = S().timers.end();
    for (auto it = S().timers.begin(); it != S().timers.end(); ++it)
      if (it->second.due <= end && (next == S().timers.end() || it->second.due < next->second.due))
        next = it;
    if (next == S().timers.end()) break;
    S().now = next->second.due;
    next->second.due += next->second.interval > 0 ? next->second.interval : 1;
    auto [window, id] = next->first;
    platform::TimerCallback callback = next->second.callback;
    if (onTick != nullptr) onTick(id);
    callback(window, winsys::kTimerMessage, id, static_cast<uint32_t>(S().now));
  }
  S().now = end;
}

const std::map<std::pair<WindowHandle, uintptr_t>, Timer>& Timers() { return S().timers; }

std::deque<std::pair<WindowHandle, unsigned>>& Messages() { return S().messages; }

const MenuShown& LastMenu() { return S().lastMenu; }

bool SetTimer(WindowHandle window, uintptr_t id, unsigned milliseconds,
              platform::TimerCallback callback) {
  if (S().windows.count(window) == 0 || callback == nullptr) return false;
  S().timers[{window, id}] = Timer{milliseconds, S().now + milliseconds, callback};
  return true;
}

bool KillTimer(WindowHandle window, uintptr_t id) { return S().timers.erase({window, id}) > 0; }

bool PostMessage(WindowHandle window, unsigned message) {
  if (S().windows.count(window) == 0) return false;
  S().messages.emplace_back(window, message);
  return true;
}

void CursorPosition(int* x, int* y) {
  *x = 640;
  *y = 1000;
}

int TrackPopupMenu(WindowHandle owner, int x, int y, bool connectEnabled,
                   bool disconnectEnabled) {
  S().lastMenu = MenuShown{true, x, y, connectEnabled, disconnectEnabled};
  if (S().windows.count(owner) == 0) return 0;
  int choice = S().menuChoice;
  S().menuChoice = 0;
  if ((choice == ID_CONNECT && !connectEnabled) || (choice == ID_DISCONNECT && !disconnectEnabled))
    return 0;
  return choice;
}

// Nobody is at a screen: the box is answered at once or, when boxes are
// held, after the clock has run their time as a modal loop would.
int MessageBox(const std::string& text) {
  S().lastBox = text;
  std::fprintf(stderr, "[message box] %s\n", text.c_str());
  if (S().boxObserver != nullptr) S().boxObserver(text.c_str());
  if (S().boxHold > 0) Advance(S().boxHold);
  return 1;  // IDOK
}

}  // namespace window_system

// What the host and the tests call.
namespace winsys {

using window_system::S;

void ScriptMenuChoice(int command) {
  S().menuChoice = command;
  S().lastMenu = window_system::MenuShown{};
}

MenuOffer LastMenuOffer() {
  const window_system::MenuShown& menu = S().lastMenu;
  return MenuOffer{menu.shown, menu.connectEnabled, menu.disconnectEnabled};
}

void ObserveMessageBoxes(MessageBoxObserver observer, bool /*answer*/) {
  S().boxObserver = observer;
}

const std::string& LastMessageBoxText() { return S().lastBox; }

void HoldMessageBoxes(unsigned milliseconds) { S().boxHold = milliseconds; }

}  // namespace winsys
