// Process attach: remember the DLL's own module handle, which stands in for the
// framework's module state when the menu and dialog resources are loaded.
// Unload: give back the C++ runtime's emergency exception pool, which the
// runtime linked into the DLL takes at every load and never frees itself, so
// that a host that loads the plug-in again does not lose it each time.
#include <windows.h>

#include "platform/platform.h"

namespace __gnu_cxx {
void __freeres() noexcept;
}  // namespace __gnu_cxx

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  if (reason == DLL_PROCESS_ATTACH) {
    platform::SetModuleHandle(instance);
    DisableThreadLibraryCalls(instance);
  } else if (reason == DLL_PROCESS_DETACH && reserved == nullptr) {
    // FreeLibrary, not the end of the process (which frees everything).
    __gnu_cxx::__freeres();
  }
  return TRUE;
}
