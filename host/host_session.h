// One host session around the plug-in: load the library, call the entry
// points in the host's order, and undo it all at the end.
#ifndef VELMORA_HOST_HOST_SESSION_H_
#define VELMORA_HOST_HOST_SESSION_H_

#include <cstdint>
#include <functional>
#include <string>

#include "host/host_directory.h"
#include "host/plugin_api.h"

class HostSession {
 public:
  // Loads the library and runs GetPluginInfo, Init and SetSiteInterface.
  bool Start(const std::string& pluginPath, std::string* error);
  // Notify with database loaded, as the host does when it opens a database.
  void LoadDatabase();
  bool DatabaseLoaded() const { return m_loaded; }
  // Notify with database unloaded, then Release and unload the library.
  void Stop();

  // Runs the message loop for a while, as the host does between user
  // actions: the plug-in's timers fire, its streaming updates are counted,
  // and the status field is shown whenever it changes.
  void Pump(unsigned milliseconds);
  // Called from a message handler: the current Pump returns once that
  // message has been handled.
  void StopPump();
  // The plug-in's status field, as the host's status area asks for it.
  PluginStatus Status();
  // Asks the plug-in for its status, as the host's status area does, and
  // prints it when short text, colour, code or long text changed.
  void ShowStatusIfChanged();
  // Notes how long a call into the plug-in held the host's thread.
  void NoteBlock(unsigned milliseconds, const std::string& what);

  PluginApi api;
  PluginInfo info{};
  Workspace workspace{};
  InfoSite site{};
  // What the host keeps of the plug-in's symbol directory, through `site`.
  HostDirectory directory;
  WindowHandle mainWindow = nullptr;

  // Printing status changes is for sessions that follow the connection.
  bool showStatusChanges = false;
  unsigned longestBlockMs = 0;
  std::string longestBlockWhat;
  int streamingUpdates = 0;
  // The plug-in's timer ticks seen by the message loop, and the id of the
  // last one: the timer that paces its polling now (0 before any tick).
  int timerTicks = 0;
  uintptr_t lastTimer = 0;
  // Called when the loop takes a streaming-update message, after it has
  // been counted; it may end the loop early with winsys::StopPumping.
  std::function<void()> onStreamingUpdate;
  // Called with the status each time the loop has asked for it (about once
  // a second), as the host's status area does.
  std::function<void(const PluginStatus&)> onStatus;

 private:
  bool m_loaded = false;
  bool m_started = false;
  bool m_stopped = false;
  std::string m_shownStatus;
};

// A steady clock in nanoseconds, and the milliseconds since a reading of it.
long long SteadyNs();
unsigned MillisecondsSince(long long startNs);

#endif  // VELMORA_HOST_HOST_SESSION_H_
