// The platform seam: everything the plug-in needs from the operating system.
//
// The plug-in's own code never includes <windows.h>; it calls these functions,
// which win32/ implements with the real Win32 API and posix/ implements with a
// small window-system library of our own (src/winsys/), the Linux stand-in
// for the Windows window services. What the stand-in host and the tests take
// from the window system beyond this is in src/winsys/host_api.h.
#ifndef VELMORA_PLATFORM_PLATFORM_H_
#define VELMORA_PLATFORM_PLATFORM_H_

#include <string>

// A window of the host (HWND on Windows).
using WindowHandle = void*;

namespace platform {

// The plug-in library's own module, through which its resources are found.
// Windows takes it when the DLL is attached to the process.
void SetModuleHandle(void* module);
void* ModuleHandle();

// The word size of this build, as text: "32" or "64".
const char* PlatformBits();

// A modal message box owned by no window; style as Windows' MB_* bits
// (0x30: exclamation icon, OK button). Returns the button chosen.
int ShowMessageBox(const std::string& text, unsigned style);

// The wait cursor, shown for the life of the object.
class WaitCursor {
 public:
  WaitCursor();
  ~WaitCursor();
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;

 private:
  // Unused on Linux, whose window system shows no cursor.
  [[maybe_unused]] void* m_previous;
};

}  // namespace platform

#endif  // VELMORA_PLATFORM_PLATFORM_H_
