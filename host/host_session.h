// One host session around the plug-in: load the library, call the entry
// points in the host's order, and undo it all at the end.
#ifndef VELMORA_HOST_HOST_SESSION_H_
#define VELMORA_HOST_HOST_SESSION_H_

#include <string>

#include "host/plugin_api.h"

class HostSession {
 public:
  // Loads the library and runs GetPluginInfo, Init and SetSiteInterface.
  bool Start(const std::string& pluginPath, std::string* error);
  // Notify with database loaded, as the host does when it opens a database.
  void LoadDatabase();
  // Notify with database unloaded, then Release and unload the library.
  void Stop();

  PluginApi api;
  PluginInfo info{};
  Workspace workspace{};
  InfoSite site{};
  WindowHandle mainWindow = nullptr;

 private:
  bool m_loaded = false;
  bool m_started = false;
};

#endif  // VELMORA_HOST_HOST_SESSION_H_
