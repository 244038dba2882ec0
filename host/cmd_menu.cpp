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

CommandDefinition Choosing(int choice, const char* choiceName) {
  return WithoutArguments([choice, choiceName](HostSession& session, const HostOptions& options) {
    return ClickStatusArea(session, options, choice, choiceName);
  });
}

const CommandRegistration kConnect({
    .name = "connect",
    .synopsis = "connect",
    .summary = "the status-area menu's Connect",
    .exits = "0 chosen, 1 grayed in this state (nothing done), 2 usage error.",
    .define = Choosing(ID_CONNECT, "Connect"),
    .json = true,
});
const CommandRegistration kDisconnect({
    .name = "disconnect",
    .synopsis = "disconnect",
    .summary = "the status-area menu's Disconnect",
    .exits = "0 chosen, 1 grayed in this state (nothing done), 2 usage error.",
    .define = Choosing(ID_DISCONNECT, "Disconnect"),
    .json = true,
});
const CommandRegistration kMenu({
    .name = "menu",
    .synopsis = "menu",
    .summary = "what the status-area menu offers now",
    .exits = "0 shown, 1 the plug-in showed no menu, 2 usage error.",
    .define = Choosing(0, "nothing"),
    .json = true,
});

}  // namespace
