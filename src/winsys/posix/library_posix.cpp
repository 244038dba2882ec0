#include <dlfcn.h>
#include <unistd.h>

#include "winsys/host_api.h"

namespace winsys {

void* LoadLibraryAt(const std::string& path) { return dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL); }

void* FindSymbol(void* library, const char* name) { return dlsym(library, name); }

void FreeLibraryHandle(void* library) {
  if (library != nullptr) dlclose(library);
}

std::string LibraryError() {
  const char* error = dlerror();
  return error != nullptr ? error : "unknown error";
}

std::string ExecutableDirectory() {
  char path[4096];
  ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return "./";
  std::string text(path, static_cast<size_t>(n));
  return text.substr(0, text.rfind('/') + 1);
}

}  // namespace winsys
