// Window services: timers on a window with a call-back, posted messages, the
// cursor and the status-area popup menu.
//
// Windows: the real Win32 calls. Linux: posix/window_system.h, a small
// window system of our own that the host's message loop pumps, with a clock
// that tests drive. On both, a call naming an unknown window fails quietly.
#ifndef VELMORA_PLATFORM_WINDOW_H_
#define VELMORA_PLATFORM_WINDOW_H_

#include <cstdint>

#include "platform/platform.h"

namespace platform {

using TimerCallback = void (*)(WindowHandle window, unsigned message, uintptr_t id,
                               uint32_t time);

// Starts (or restarts) timer `id` on the window; 0 when it cannot.
uintptr_t StartTimer(WindowHandle window, uintptr_t id, unsigned milliseconds,
                     TimerCallback callback);
bool StopTimer(WindowHandle window, uintptr_t id);
bool PostToWindow(WindowHandle window, unsigned message);
void CursorPosition(int* x, int* y);

// Shows the first popup of menu 4001 at (x, y), right button, owned by the
// window, with its two commands enabled or grayed; the chosen command or 0.
int TrackStatusMenu(WindowHandle owner, int x, int y, bool connectEnabled,
                    bool disconnectEnabled);

// For the stand-in host: its main window, and its message loop run for a
// while (timers fire, posted messages are taken; each posted message, and
// each tick of a window's timer as WM_TIMER with the timer's id, is passed
// to `onMessage` before it is handled). Returns the longest time, in
// milliseconds, that one timer call-back or message held the loop.
// StopPumping, called from `onMessage`, ends the loop early.
constexpr unsigned kTimerMessage = 0x0113;  // WM_TIMER
WindowHandle CreateHostWindow();
void DestroyHostWindow(WindowHandle window);
unsigned PumpMessages(unsigned milliseconds,
                      void (*onMessage)(unsigned message, uintptr_t wParam));
void StopPumping();

// For the stand-in host, which plays the user at the status-area menu: the
// command the next menu shown will choose (0 dismisses it), and what the
// last menu offered.
struct MenuOffer {
  bool shown;
  bool connectEnabled;
  bool disconnectEnabled;
};
void ScriptMenuChoice(int command);
MenuOffer LastMenuOffer();

// For the stand-in host, which records the plug-in's message boxes: each
// message box shown from now on is handed to `observer` (null: to none).
// On Linux the plug-in and the host share one window system, so the host
// sees the plug-in's boxes; on Windows each module sees only its own.
using MessageBoxObserver = void (*)(const char* text);
void ObserveMessageBoxes(MessageBoxObserver observer);
void NoteMessageBoxShown(const char* text);

}  // namespace platform

#endif  // VELMORA_PLATFORM_WINDOW_H_
