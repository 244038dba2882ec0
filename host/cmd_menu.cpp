// connect, disconnect, menu: the user's right click on the plug-in's field
// in the status area, and the choice made in the menu it brings up.
#include <cstdio>
#include <string>

#include "host/commands.h"
#include "host/host_session.h"
#include "host/quote_window.h"
#include "host/report.h"
#include "src/winsys/host_api.h"
#include "src/ui/resource.h"

namespace {

int ClickStatusArea(HostSession& session, const HostOptions& options, int choice,
                    const char* choiceName) {
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
  const bool chosen = offer.shown && (choice == ID_CONNECT      ? offer.connectEnabled
                                      : choice == ID_DISCONNECT ? offer.disconnectEnabled
                                                                : true);
  const char* connect = offer.connectEnabled ? "enabled" : "grayed";
  const char* disconnect = offer.disconnectEnabled ? "enabled" : "grayed";
  if (options.json) {
    nlohmann::ordered_json out;
    out["shown"] = offer.shown;
    out["connect"] = connect;
    out["disconnect"] = disconnect;
    out["chose"] = choice == 0 ? nlohmann::ordered_json() : nlohmann::ordered_json(choiceName);
    out["done"] = chosen;
    out["status"] = StatusJson(session.Status());
    std::printf("%s\n", JsonText(out).c_str());
  } else if (!offer.shown) {
    std::printf("menu: not shown\n");
  } else {
    std::printf("menu: Connect %s, Disconnect %s\n", connect, disconnect);
    session.ShowStatusIfChanged();
    if (!chosen) std::printf("%s: grayed in this state, nothing done\n", choiceName);
  }
  std::fflush(stdout);
  return chosen ? kExitOk : kExitFailed;
}

// The user's right click, and then `choiceName` chosen in the menu.
CommandSpec MenuCommand(const char* name, const char* summary, int choice,
                        const char* choiceName) {
  return {
      .name = name,
      .synopsis = name,
      .summary = summary,
      .exits = choice == 0 ? "0 shown, 1 the plug-in showed no menu, 2 usage error."
                           : "0 chosen, 1 grayed in this state (nothing done), 2 usage error.",
      .define = WithoutArguments([=](HostSession& session, const HostOptions& options) {
        return ClickStatusArea(session, options, choice, choiceName);
      }),
      .json = true,
  };
}

const CommandRegistration kConnect(
    MenuCommand("connect", "the status-area menu's Connect", ID_CONNECT, "Connect"));
const CommandRegistration kDisconnect(
    MenuCommand("disconnect", "the status-area menu's Disconnect", ID_DISCONNECT, "Disconnect"));
const CommandRegistration kMenu(
    MenuCommand("menu", "what the status-area menu offers now", 0, "nothing"));

}  // namespace
