// What the stand-in host and the tests take from the window system beyond
// what the plug-in calls (src/platform/): the host's main window and message
// loop, the user it plays at the status-area menu, the message boxes it
// records, and loading a plug-in library by path.
//
// Windows: Win32 calls, linked into the host and the tests only, never into
// the plug-in DLL. Linux: the window-system library that the plug-in and the
// host share (libvelmora-window.so), so the host sees the plug-in's timers,
// messages, menu and boxes. Everything runs on the one thread that pumps.
#ifndef VELMORA_WINSYS_HOST_API_H_
#define VELMORA_WINSYS_HOST_API_H_

#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace winsys {

constexpr unsigned kTimerMessage = 0x0113;  // WM_TIMER

// The host's main window, which the plug-in's timers and messages go to.
WindowHandle CreateHostWindow();
void DestroyHostWindow(WindowHandle window);

// Runs the message loop for a while: timers fire, posted messages are
// taken; each posted message, and each tick of a window's timer as
// kTimerMessage with the timer's id, is passed to `onMessage` before it is
// handled. Returns the longest time, in milliseconds, that one timer
// call-back or message held the loop. StopPumping, called from `onMessage`,
// ends the loop early.
unsigned PumpMessages(unsigned milliseconds,
                      void (*onMessage)(unsigned message, uintptr_t wParam));
void StopPumping();

// The status-area menu, played as a user: the command the next menu shown
// will choose (0 dismisses it), and what the last menu offered.
struct MenuOffer {
  bool shown;
  bool connectEnabled;
  bool disconnectEnabled;
};
void ScriptMenuChoice(int command);
MenuOffer LastMenuOffer();

// Each message box shown on this thread from now on is handed to `observer`
// (null: to none), and its text kept as the last one. On Linux every box is
// seen and answered at once with its default button; on Windows a box is
// seen when it appears on a display, and answered only if `answer` is set
// (as the user would, with its default button).
using MessageBoxObserver = void (*)(const char* text);
void ObserveMessageBoxes(MessageBoxObserver observer, bool answer = false);
const std::string& LastMessageBoxText();
// A box that is answered stays up this long first (0, the default: it is
// answered at once), its modal loop running the thread's timers meanwhile,
// as for a user slow to read it. On Linux the window system's clock moves on
// by that time inside the box.
void HoldMessageBoxes(unsigned milliseconds);

// Loading a plug-in library by path. Null on failure; LibraryError() then
// says why.
void* LoadLibraryAt(const std::string& path);
void* FindSymbol(void* library, const char* name);
void FreeLibraryHandle(void* library);
std::string LibraryError();

// The folder of the running executable, with a trailing separator.
std::string ExecutableDirectory();

}  // namespace winsys

#endif  // VELMORA_WINSYS_HOST_API_H_
