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

}  // namespace

bool PluginApi::Load(const std::string& path, std::string* error) {
  library = winsys::LoadLibraryAt(path);
  if (library == nullptr) {
    *error = "cannot load " + path + ": " + winsys::LibraryError();
    return false;
  }
  std::string missing;
  Resolve(library, "GetPluginInfo", &GetPluginInfo, &missing);
  Resolve(library, "Init", &Init, &missing);
  Resolve(library, "Release", &Release, &missing);
  Resolve(library, "SetSiteInterface", &SetSiteInterface, &missing);
  Resolve(library, "SetTimeBase", &SetTimeBase, &missing);
  Resolve(library, "GetSymbolLimit", &GetSymbolLimit, &missing);
  Resolve(library, "GetQuotes", &GetQuotes, &missing);
  Resolve(library, "GetQuotesEx", &GetQuotesEx, &missing);
  Resolve(library, "GetRecentInfo", &GetRecentInfo, &missing);
  Resolve(library, "GetStatus", &GetStatus, &missing);
  Resolve(library, "Notify", &Notify, &missing);
  Resolve(library, "Configure", &Configure, &missing);
  Resolve(library, "GetExtraData", &GetExtraData, &missing);
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
