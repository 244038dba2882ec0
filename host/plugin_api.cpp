#include "host/plugin_api.h"

#include "src/winsys/host_api.h"

namespace {

template <typename F>
bool Resolve(void* library, const char* name, F* slot, std::string* missing) {
  *slot = reinterpret_cast<F>(winsys::FindSymbol(library, name));
  if (*slot == nullptr) {
    if (!missing->empty()) *missing += ", ";
    *missing += name;
  }
  return *slot != nullptr;
}

// A slot for each entry point of the list (a listed name without one does not
// compile), and none besides them and the library.
#define VELMORA_ENTRY_POINT(name) +1
static_assert(sizeof(PluginApi) == sizeof(void*) * (1
#include "src/abi/entry_points.inc"
                                                    ));
#undef VELMORA_ENTRY_POINT

}  // namespace

bool PluginApi::Load(const std::string& path, std::string* error) {
  library = winsys::LoadLibraryAt(path);
  if (library == nullptr) {
    *error = "cannot load " + path + ": " + winsys::LibraryError();
    return false;
  }
  std::string missing;
#define VELMORA_ENTRY_POINT(name) Resolve(library, #name, &name, &missing);
#include "src/abi/entry_points.inc"
#undef VELMORA_ENTRY_POINT
  if (!missing.empty()) {
    *error = path + " lacks the entry points " + missing;
    Unload();
    return false;
  }
  return true;
}

void PluginApi::Unload() {
  winsys::FreeLibraryHandle(library);
  library = nullptr;
}

std::string DefaultPluginPath() {
#if defined(_WIN32)
  return winsys::ExecutableDirectory() + (sizeof(void*) == 4 ? "velmora.dll" : "velmora64.dll");
#else
  return winsys::ExecutableDirectory() + "libvelmora.so";
#endif
}
