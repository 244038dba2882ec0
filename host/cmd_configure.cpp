// configure: opens the plug-in's configuration dialog, sets "Auto Connect"
// as asked, presses OK or Cancel, and shows what the settings hold after.
#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "host/commands.h"
#include "host/config_dialog.h"
#include "host/host_session.h"
#include "host/plugin_settings.h"
#include "src/platform/registry.h"

namespace {

struct ConfigureArgs {
  std::string autoConnect;  // "on", "off", or empty to leave it
  bool ok = false;
  bool cancel = false;
};

int Configure(HostSession& session, const HostOptions& options, const ConfigureArgs& args) {
  const int autoConnect = args.autoConnect.empty() ? -1 : args.autoConnect == "on" ? 1 : 0;
  const bool ok = args.ok;
  std::vector<DialogStep> steps;
  if (autoConnect >= 0)
    steps.push_back(DialogStep{DialogStep::kTick, IDC_AUTO_CONNECT, autoConnect});
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
    return dialog.shown && dialog.refused.empty() ? kExitOk : kExitFailed;
  }
  if (!dialog.shown) {
    std::printf("dialog: not shown\n");
    return kExitFailed;
  }
  std::printf("dialog: \"%s\"\n", dialog.caption.c_str());
  const std::vector<ControlState>& opened = dialog.before.front();
  for (const ControlState& c : opened) std::printf("  %s\n", DescribeControl(c).c_str());
  const ControlState* box = FindControl(opened, IDC_AUTO_CONNECT);
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
  return dialog.refused.empty() ? kExitOk : kExitFailed;
}

const CommandRegistration kConfigure({
    .name = "configure",
    .synopsis = "configure [--auto-connect on|off] [--ok|--cancel]",
    .summary = "the configuration dialog: set Auto Connect, press OK or Cancel, then what the "
               "settings hold",
    .exits = "0 done, 1 the dialog did not show or refused a step, 2 usage error.",
    .define = [](CLI::App& parser) -> CommandAction {
      auto args = std::make_shared<ConfigureArgs>();
      parser.add_option("--auto-connect", args->autoConnect, "tick or untick \"Auto Connect\"")
          ->check(CLI::IsMember({"on", "off"}))
          ->type_name("on|off");
      CLI::Option* ok = parser.add_flag("--ok", args->ok, "press OK, which stores the settings");
      parser.add_flag("--cancel", args->cancel, "press Cancel (the default)")->excludes(ok);
      return [args](HostSession& session, const HostOptions& options) {
        return Configure(session, options, *args);
      };
    },
    .json = true,
});

}  // namespace
