#include "host/host_session.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "host/report.h"
#include "src/abi/host_records.h"
#include "src/winsys/host_api.h"

long long SteadyNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

unsigned MillisecondsSince(long long startNs) {
  return static_cast<unsigned>((SteadyNs() - startNs) / 1000000);
}

namespace {
// The message loop's call-back has no context; one session runs at a time.
HostSession* g_pumping = nullptr;
}  // namespace

bool HostSession::Start(const std::string& pluginPath, std::string* error) {
  if (!api.Load(pluginPath, error)) return false;
  m_started = true;
  api.GetPluginInfo(&info);
  api.Init();
  directory.Attach(&site);
  api.SetSiteInterface(&site);
  mainWindow = winsys::CreateHostWindow();
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
  const long long start = SteadyNs();
  api.Notify(&note);
  NoteBlock(MillisecondsSince(start), "Notify (database loaded)");
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
  winsys::DestroyHostWindow(mainWindow);
  mainWindow = nullptr;
  m_started = false;
}

PluginStatus HostSession::Status() {
  PluginStatus status{};
  status.nStructSize = sizeof status;
  api.GetStatus(&status);
  return status;
}

void HostSession::NoteBlock(unsigned milliseconds, const std::string& what) {
  if (milliseconds < longestBlockMs) return;
  longestBlockMs = milliseconds;
  longestBlockWhat = what;
}

void HostSession::ShowStatusIfChanged() {
  const long long start = SteadyNs();
  const PluginStatus status = Status();
  NoteBlock(MillisecondsSince(start), "GetStatus");
  if (onStatus) onStatus(status);
  const std::string text = StatusText(status, false);
  if (!showStatusChanges || text == m_shownStatus) return;
  m_shownStatus = text;
  std::printf("%s", text.c_str());
  std::fflush(stdout);
}

void HostSession::StopPump() {
  m_stopped = true;
  winsys::StopPumping();
}

void HostSession::Pump(unsigned milliseconds) {
  // Slices of a second: the host's status area asks for the status about
  // that often.
  g_pumping = this;
  for (unsigned done = 0; done < milliseconds;) {
    const unsigned slice = std::min(milliseconds - done, 1000u);
    const long long start = SteadyNs();
    m_stopped = false;
    NoteBlock(winsys::PumpMessages(slice,
                                     [](unsigned message, uintptr_t wParam) {
                                       HostSession* session = g_pumping;
                                       if (session == nullptr) return;
                                       if (message == winsys::kTimerMessage) {
                                         ++session->timerTicks;
                                         session->lastTimer = wParam;
                                       } else if (message == WM_STREAMING_UPDATE) {
                                         ++session->streamingUpdates;
                                         if (session->onStreamingUpdate)
                                           session->onStreamingUpdate();
                                       }
                                     }),
              "a timer");
    done += std::max(slice, MillisecondsSince(start));
    if (m_stopped) break;
    ShowStatusIfChanged();
  }
  g_pumping = nullptr;
}
