#include "platform/posix/window_system.h"

#include <vector>

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
    callback(window, platform::kTimerMessage, id, static_cast<uint32_t>(S().now));
  }
  S().now = end;
}

const std::map<std::pair<WindowHandle, uintptr_t>, Timer>& Timers() { return S().timers; }

std::deque<std::pair<WindowHandle, unsigned>>& Messages() { return S().messages; }

const MenuShown& LastMenu() { return S().lastMenu; }

}  // namespace window_system

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
  if ((choice == 32771 && !connectEnabled) || (choice == 32772 && !disconnectEnabled)) return 0;
  return choice;
}

void ScriptMenuChoice(int command) {
  S().menuChoice = command;
  S().lastMenu = window_system::MenuShown{};
}

MenuOffer LastMenuOffer() {
  const window_system::MenuShown& menu = S().lastMenu;
  return MenuOffer{menu.shown, menu.connectEnabled, menu.disconnectEnabled};
}

namespace {
MessageBoxObserver g_messageBoxObserver = nullptr;
}  // namespace

void ObserveMessageBoxes(MessageBoxObserver observer) { g_messageBoxObserver = observer; }

void NoteMessageBoxShown(const char* text) {
  if (g_messageBoxObserver != nullptr) g_messageBoxObserver(text);
}

}  // namespace platform

#include <algorithm>
#include <chrono>
#include <thread>

namespace platform {

WindowHandle CreateHostWindow() { return window_system::CreateWindow(); }

void DestroyHostWindow(WindowHandle window) { window_system::DestroyWindow(window); }

namespace {
bool g_stopPumping = false;
void (*g_onMessage)(unsigned, uintptr_t) = nullptr;
}  // namespace

void StopPumping() { g_stopPumping = true; }

unsigned PumpMessages(unsigned milliseconds,
                      void (*onMessage)(unsigned message, uintptr_t wParam)) {
  // Real time for the host: the clock moves as the wall clock does.
  using Clock = std::chrono::steady_clock;
  auto since = [](Clock::time_point from) {
    return static_cast<uint64_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - from).count());
  };
  const auto start = Clock::now();
  uint64_t done = 0, longest = 0;
  g_stopPumping = false;
  g_onMessage = onMessage;
  for (;;) {
    while (!S().messages.empty()) {
      unsigned message = S().messages.front().second;
      S().messages.pop_front();
      if (onMessage != nullptr) onMessage(message, 0);
    }
    if (done >= milliseconds || g_stopPumping) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    uint64_t elapsed = std::min<uint64_t>(since(start), milliseconds);
    const auto before = Clock::now();
    window_system::Advance(elapsed - done, [](uintptr_t id) {
      if (g_onMessage != nullptr) g_onMessage(kTimerMessage, id);
    });
    longest = std::max(longest, since(before));
    // The clock does not move on by the time a call-back took: the loop
    // waited for it, as the host's thread would.
    done = std::min<uint64_t>(since(start), milliseconds);
  }
  return static_cast<unsigned>(longest);
}

}  // namespace platform
