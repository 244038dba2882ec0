#include "host/config_dialog.h"

#include "host/host_session.h"

ConfigureResult RunConfigure(HostSession& session, std::vector<DialogStep> steps,
                             std::function<void(const std::string&)> onStatus) {
  ConfigureResult result;
  BeginDialogUser(std::move(steps), IDC_STATUS, std::move(onStatus));
  const long long start = SteadyNs();
  result.returned = session.api.Configure("velmora-host", &session.site);
  session.NoteBlock(MillisecondsSince(start), "Configure");
  result.dialog = EndDialogUser();
  return result;
}

const ControlState* FindControl(const std::vector<ControlState>& controls, int id) {
  for (const ControlState& control : controls)
    if (control.id == id) return &control;
  return nullptr;
}

std::string DescribeControl(const ControlState& c) {
  std::string text = std::to_string(c.id) + " " + c.kind + (c.sunken ? " sunken" : "") + " \"" +
                     c.text + "\" " + (c.visible ? "visible" : "hidden") + " " +
                     (c.enabled ? "enabled" : "disabled");
  if (c.kind == "check box") text += c.check ? " ticked" : " unticked";
  return text;
}
