#include <windows.h>

#include "winsys/host_api.h"

namespace winsys {

void* LoadLibraryAt(const std::string& path) {
  return reinterpret_cast<void*>(LoadLibraryA(path.c_str()));
}

void* FindSymbol(void* library, const char* name) {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}

void FreeLibraryHandle(void* library) {
  if (library != nullptr) FreeLibrary(static_cast<HMODULE>(library));
}

std::string LibraryError() { return "Windows error " + std::to_string(GetLastError()); }

std::string ExecutableDirectory() {
  char path[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string text(path, n);
  size_t slash = text.find_last_of("\\/");
  return slash == std::string::npos ? ".\\" : text.substr(0, slash + 1);
}

}  // namespace winsys
