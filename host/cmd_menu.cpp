// connect, disconnect, menu: the user's right click on the plug-in's field
// in the status area, and the choice made in the menu it brings up.
#include <cstdio>
#include <string>
#include <vector>

#include "host/commands.h"
#include "host/host_session.h"
#include "src/winsys/host_api.h"
#include "src/ui/resource.h"

namespace {

int ClickStatusArea(HostSession& session, int choice, const char* choiceName) {
  winsys::ScriptMenuChoice(choice);
  PluginNotification note{};
  note.nStructSize = sizeof note;
  note.nReason = REASON_STATUS_RMBCLICK;
  note.hMainWnd = session.mainWindow;
  note.pWorkspace = &session.workspace;
  const long long start = SteadyNs();
  session.api.Notify(&note);
  session.NoteBlock(MillisecondsSince(start), std::string("Notify (menu: ") + choiceName + ")");

  const winsys::MenuOffer offer = winsys::LastMenuOffer();
  if (!offer.shown) {
    std::printf("menu: not shown\n");
    return 1;
  }
  std::printf("menu: Connect %s, Disconnect %s\n", offer.connectEnabled ? "enabled" : "grayed",
              offer.disconnectEnabled ? "enabled" : "grayed");
  session.ShowStatusIfChanged();
  const bool chosen = choice == ID_CONNECT      ? offer.connectEnabled
                      : choice == ID_DISCONNECT ? offer.disconnectEnabled
                                                : true;
  if (!chosen) std::printf("%s: grayed in this state, nothing done\n", choiceName);
  std::fflush(stdout);
  return chosen ? 0 : 1;
}

int Connect(HostSession& session, const HostOptions&, const std::vector<std::string>&) {
  return ClickStatusArea(session, ID_CONNECT, "Connect");
}

int Disconnect(HostSession& session, const HostOptions&, const std::vector<std::string>&) {
  return ClickStatusArea(session, ID_DISCONNECT, "Disconnect");
}

int Menu(HostSession& session, const HostOptions&, const std::vector<std::string>&) {
  return ClickStatusArea(session, 0, "nothing");
}

const CommandRegistration kConnect("connect",
                                   "connect           the status-area menu's Connect", Connect);
const CommandRegistration kDisconnect("disconnect",
                                      "disconnect        the status-area menu's Disconnect",
                                      Disconnect);
const CommandRegistration kMenu("menu",
                                "menu              what the status-area menu offers now", Menu);

}  // namespace
