// The plug-in as the host sees it: a library loaded by path and its thirteen
// entry points looked up by name.
#ifndef VELMORA_HOST_PLUGIN_API_H_
#define VELMORA_HOST_PLUGIN_API_H_

#include <string>

#include "src/abi/host_records.h"

struct PluginApi {
  int (*GetPluginInfo)(PluginInfo*) = nullptr;
  int (*Init)() = nullptr;
  int (*Release)() = nullptr;
  int (*SetSiteInterface)(InfoSite*) = nullptr;
  int (*SetTimeBase)(int) = nullptr;
  int (*GetSymbolLimit)() = nullptr;
  int (*GetQuotes)(const char*, int, int, int, QuotationOld*) = nullptr;
  int (*GetQuotesEx)(const char*, int, int, int, Quotation*, void*) = nullptr;
  RecentInfo* (*GetRecentInfo)(const char*) = nullptr;
  int (*GetStatus)(PluginStatus*) = nullptr;
  int (*Notify)(PluginNotification*) = nullptr;
  int (*Configure)(const char*, InfoSite*) = nullptr;
  AmiVar (*GetExtraData)(const char*, const char*, int, int, void* (*)(unsigned int)) = nullptr;

  void* library = nullptr;

  // Loads the library and resolves every entry point; false with a reason
  // in *error when the library or any entry point is missing.
  bool Load(const std::string& path, std::string* error);
  void Unload();
};

// The plug-in library of this build, next to the running executable.
std::string DefaultPluginPath();

#endif  // VELMORA_HOST_PLUGIN_API_H_
