#include "host/host_session.h"

#include "src/platform/window.h"

bool HostSession::Start(const std::string& pluginPath, std::string* error) {
  if (!api.Load(pluginPath, error)) return false;
  m_started = true;
  api.GetPluginInfo(&info);
  api.Init();
  site.nStructSize = sizeof site;
  api.SetSiteInterface(&site);
  mainWindow = platform::CreateHostWindow();
  return true;
}

void HostSession::LoadDatabase() {
  workspace.nStructSize = sizeof workspace;
  workspace.nTimeBase = 86400;
  PluginNotification note{};
  note.nStructSize = sizeof note;
  note.nReason = REASON_DATABASE_LOADED;
  note.pszDatabasePath = "velmora-host";
  note.hMainWnd = mainWindow;
  note.pWorkspace = &workspace;
  api.Notify(&note);
  m_loaded = true;
}

void HostSession::Stop() {
  if (!m_started) return;
  if (m_loaded) {
    PluginNotification note{};
    note.nStructSize = sizeof note;
    note.nReason = REASON_DATABASE_UNLOADED;
    note.hMainWnd = mainWindow;
    note.pWorkspace = &workspace;
    api.Notify(&note);
    m_loaded = false;
  }
  api.Release();
  api.Unload();
  platform::DestroyHostWindow(mainWindow);
  mainWindow = nullptr;
  m_started = false;
}
