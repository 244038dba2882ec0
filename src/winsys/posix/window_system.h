// The Linux stand-in for the Windows window services: windows the host
// creates, timers keyed by window and id with a call-back, a posted-message
// queue, a popup menu whose choice the host scripts, message boxes that
// nobody answers but the host, and a millisecond clock that only moves when
// the host (in real time) or a test (by hand) moves it. Everything runs on
// the one thread that pumps it.
//
// The plug-in's side of the seam (src/platform/posix/) calls it as the
// Windows side calls user32; the host calls it through src/winsys/host_api.h;
// the tests drive its clock and look inside through the rest of this header.
#ifndef VELMORA_WINSYS_POSIX_WINDOW_SYSTEM_H_
#define VELMORA_WINSYS_POSIX_WINDOW_SYSTEM_H_

#include <cstdint>
#include <deque>
#include <map>
#include <set>
#include <string>
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

// As their Win32 namesakes; a call naming a window the system does not know
// fails quietly (false, or no command chosen).
bool SetTimer(WindowHandle window, uintptr_t id, unsigned milliseconds,
              platform::TimerCallback callback);
bool KillTimer(WindowHandle window, uintptr_t id);
bool PostMessage(WindowHandle window, unsigned message);
void CursorPosition(int* x, int* y);
// The status menu at (x, y), its two commands enabled or grayed: the
// command the host scripted, or 0 (a grayed command cannot be chosen).
int TrackPopupMenu(WindowHandle owner, int x, int y, bool connectEnabled,
                   bool disconnectEnabled);
// The box is written to standard error and answered with its default
// button (IDOK, 1).
int MessageBox(const std::string& text);

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
