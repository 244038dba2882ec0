// The Linux stand-in for the Windows window services: windows the host
// creates, timers keyed by window and id with a call-back, a posted-message
// queue, a popup menu whose choice the host scripts, and a millisecond clock
// that only moves when the host (in real time) or a test (by hand) moves it.
// Everything runs on the one thread that pumps it.
//
// It implements the window services of src/platform/window.h and the
// message box of src/platform/platform.h for the plug-in, and
// src/winsys/host_api.h for the host; this header adds what the tests
// need to drive its clock and look inside.
#ifndef VELMORA_WINSYS_POSIX_WINDOW_SYSTEM_H_
#define VELMORA_WINSYS_POSIX_WINDOW_SYSTEM_H_

#include <cstdint>
#include <deque>
#include <map>
#include <set>
#include <utility>

#include "platform/window.h"

namespace window_system {

struct Timer {
  unsigned interval;
  uint64_t due;
  platform::TimerCallback callback;
};

struct MenuShown {
  bool shown;
  int x, y;
  bool connectEnabled, disconnectEnabled;
};

WindowHandle CreateWindow();
void DestroyWindow(WindowHandle window);

uint64_t Now();
// Moves the clock and runs every timer that falls due, in time order;
// `onTick`, when given, learns of each tick before its call-back runs.
void Advance(uint64_t milliseconds, void (*onTick)(uintptr_t id) = nullptr);

const std::map<std::pair<WindowHandle, uintptr_t>, Timer>& Timers();
// Posted messages not yet taken, oldest first.
std::deque<std::pair<WindowHandle, unsigned>>& Messages();

// What the last popup menu showed; winsys::ScriptMenuChoice sets the
// command the next one returns and forgets the last.
const MenuShown& LastMenu();

}  // namespace window_system

#endif  // VELMORA_WINSYS_POSIX_WINDOW_SYSTEM_H_
