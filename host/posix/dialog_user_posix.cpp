#include "host/dialog_user.h"
#include "src/winsys/posix/dialog_system.h"

namespace {

struct User {
  std::vector<DialogStep> steps;
  int statusId = 0;
  std::function<void(const std::string&)> onStatus;
  std::string lastStatus;
  DialogReport report;
};

User g_user;

std::vector<ControlState> Snapshot(const dialog_system::Dialog& dialog) {
  std::vector<ControlState> states;
  for (const dialog_system::Control& c : dialog.controls) {
    const char* kind = "static";
    switch (c.tpl.kind) {
      case dialog_system::ControlKind::kPushButton: kind = "push button"; break;
      case dialog_system::ControlKind::kDefPushButton: kind = "default push button"; break;
      case dialog_system::ControlKind::kAutoCheckBox: kind = "check box"; break;
      case dialog_system::ControlKind::kStatic: break;
    }
    states.push_back(ControlState{c.tpl.id, kind, c.tpl.sunken, c.text, c.visible, c.enabled,
                                  c.check});
  }
  return states;
}

void Play(dialog_system::Dialog& dialog) {
  DialogReport& report = g_user.report;
  report.shown = true;
  report.caption = dialog.tpl->caption;
  for (const DialogStep& step : g_user.steps) {
    report.before.push_back(Snapshot(dialog));
    const dialog_system::Control* control = dialog.Find(step.id);
    if (step.kind == DialogStep::kTick && control != nullptr && control->check == step.state)
      continue;
    if (!dialog_system::Click(dialog, step.id))
      report.refused.push_back(std::to_string(step.id));
  }
  if (!dialog.ended) report.before.push_back(Snapshot(dialog));
}

}  // namespace

void BeginDialogUser(std::vector<DialogStep> steps, int statusId,
                     std::function<void(const std::string&)> onStatus) {
  g_user = User{std::move(steps), statusId, std::move(onStatus), "", {}};
  dialog_system::SetDialogUser(Play);
  dialog_system::SetRepaintObserver(
      [](const dialog_system::Dialog&, const dialog_system::Control& control) {
        if (control.tpl.id != g_user.statusId) return;
        ++g_user.report.statusPaints;
        if (control.text == g_user.lastStatus) return;
        g_user.lastStatus = control.text;
        if (g_user.onStatus) g_user.onStatus(control.text);
      });
}

DialogReport EndDialogUser() {
  dialog_system::SetDialogUser(nullptr);
  dialog_system::SetRepaintObserver(nullptr);
  DialogReport report = std::move(g_user.report);
  g_user = User{};
  return report;
}
