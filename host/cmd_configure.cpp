// configure: opens the plug-in's configuration dialog, sets "Auto Connect"
// as asked, presses OK or Cancel, and shows what the settings hold after.
#include <nlohmann/json.hpp>

#include <cstdio>
#include <string>
#include <vector>

#include "host/commands.h"
#include "host/config_dialog.h"
#include "host/host_session.h"
#include "host/plugin_settings.h"
#include "src/platform/registry.h"

namespace {

int Configure(HostSession& session, const HostOptions& options,
              const std::vector<std::string>& args) {
  int autoConnect = -1;  // leave it
  bool ok = false;
  for (size_t i = 1; i < args.size(); ++i) {
    if (args[i] == "--auto-connect" && i + 1 < args.size() &&
        (args[i + 1] == "on" || args[i + 1] == "off")) {
      autoConnect = args[++i] == "on" ? 1 : 0;
    } else if (args[i] == "--ok" || args[i] == "--cancel") {
      ok = args[i] == "--ok";
    } else {
      std::fprintf(stderr, "configure: unknown argument '%s'\n", args[i].c_str());
      return 2;
    }
  }
  std::vector<DialogStep> steps;
  if (autoConnect >= 0) steps.push_back(DialogStep{DialogStep::kTick, kAutoConnectBox, autoConnect});
  steps.push_back(DialogStep{DialogStep::kClick, ok ? kOkButton : kCancelButton, 0});
  const ConfigureResult result = RunConfigure(session, steps, nullptr);
  const DialogReport& dialog = result.dialog;

  uint32_t stored = 0;
  const bool haveAutoConnect =
      platform::RegistryReadNumber(kPluginSettingsKey, "AutoConnect", &stored);
  if (options.json) {
    nlohmann::json out;
    out["shown"] = dialog.shown;
    out["caption"] = dialog.caption;
    nlohmann::json controls = nlohmann::json::array();
    if (!dialog.before.empty())
      for (const ControlState& c : dialog.before.front())
        controls.push_back({{"id", c.id}, {"kind", c.kind}, {"text", c.text},
                            {"visible", c.visible}, {"enabled", c.enabled}, {"check", c.check},
                            {"sunken", c.sunken}});
    out["controls"] = controls;
    out["pressed"] = ok ? "OK" : "Cancel";
    out["refused"] = dialog.refused;
    out["configureReturned"] = result.returned;
    out["autoConnect"] = haveAutoConnect ? nlohmann::json(stored) : nlohmann::json(nullptr);
    std::printf("%s\n", out.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace).c_str());
    return dialog.shown && dialog.refused.empty() ? 0 : 1;
  }
  if (!dialog.shown) {
    std::printf("dialog: not shown\n");
    return 1;
  }
  std::printf("dialog: \"%s\"\n", dialog.caption.c_str());
  const std::vector<ControlState>& opened = dialog.before.front();
  for (const ControlState& c : opened) std::printf("  %s\n", DescribeControl(c).c_str());
  const ControlState* box = FindControl(opened, kAutoConnectBox);
  if (box != nullptr) {
    const bool change = autoConnect >= 0 && autoConnect != box->check;
    std::printf("Auto Connect: %s%s\n", box->check ? "ticked" : "unticked",
                change ? (autoConnect ? " -> ticked" : " -> unticked") : ", left as it was");
  }
  for (const std::string& id : dialog.refused)
    std::printf("control %s: hidden or disabled, not clicked\n", id.c_str());
  std::printf("pressed %s\n", ok ? "OK" : "Cancel");
  std::printf("Configure returned %d\n", result.returned);
  if (haveAutoConnect)
    std::printf("settings: AutoConnect=%u\n", static_cast<unsigned>(stored));
  else
    std::printf("settings: no AutoConnect value (is the settings key there?)\n");
  return dialog.refused.empty() ? 0 : 1;
}

const CommandRegistration kConfigure(
    "configure",
    "configure [--auto-connect on|off] [--ok|--cancel]\n"
    "                    the configuration dialog: set Auto Connect, press OK or Cancel\n"
    "                    (Cancel unless --ok), then what the settings hold",
    Configure);

}  // namespace
