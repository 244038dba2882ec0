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

}  // namespace window_system

// What the plug-in calls.
namespace platform {

using window_system::S;

uintptr_t StartTimer(WindowHandle window, uintptr_t id, unsigned milliseconds,
                     TimerCallback callback) {
  if (S().windows.count(window) == 0 || callback == nullptr) return 0;
  S().timers[{window, id}] = window_system::Timer{milliseconds, S().now + milliseconds, callback};
  return id;
}

bool StopTimer(WindowHandle window, uintptr_t id) { return S().timers.erase({window, id}) > 0; }

bool PostToWindow(WindowHandle window, unsigned message) {
  if (S().windows.count(window) == 0) return false;
  S().messages.emplace_back(window, message);
  return true;
}

void CursorPosition(int* x, int* y) {
  *x = 640;
  *y = 1000;
}

int TrackStatusMenu(WindowHandle owner, int x, int y, bool connectEnabled,
                    bool disconnectEnabled) {
  S().lastMenu = window_system::MenuShown{true, x - 5, y, connectEnabled, disconnectEnabled};
  if (S().windows.count(owner) == 0) return 0;
  int choice = S().menuChoice;
  S().menuChoice = 0;
  // A grayed command cannot be chosen.
  if ((choice == ID_CONNECT && !connectEnabled) || (choice == ID_DISCONNECT && !disconnectEnabled))
    return 0;
  return choice;
}

// Nobody is at a screen: the box is written to standard error and answered
// with its default button, at once or, when boxes are held, after the
// window system's clock has run their time as a modal loop would.
int ShowMessageBox(const std::string& text, unsigned /*style*/) {
  S().lastBox = text;
  std::fprintf(stderr, "[message box] %s\n", text.c_str());
  if (S().boxObserver != nullptr) S().boxObserver(text.c_str());
  if (S().boxHold > 0) window_system::Advance(S().boxHold);
  return 1;  // IDOK
}

// There is no cursor to change.
WaitCursor::WaitCursor() : m_previous(nullptr) {}

WaitCursor::~WaitCursor() = default;

}  // namespace platform

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
