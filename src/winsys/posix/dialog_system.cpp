#include "winsys/posix/dialog_system.h"

namespace dialog_system {

namespace {

struct State {
  DialogUser user;
  RepaintObserver observer;
};

State& S() {
  static State state;
  return state;
}

}  // namespace

Control* Dialog::Find(int id) {
  for (Control& control : controls)
    if (control.tpl.id == id) return &control;
  return nullptr;
}

void SetDialogUser(DialogUser user) { S().user = std::move(user); }

void SetRepaintObserver(RepaintObserver observer) { S().observer = std::move(observer); }

void NotifyRepaint(const Dialog& dialog, const Control& control) {
  if (S().observer) S().observer(dialog, control);
}

int RunDialog(const DialogTemplate& tpl, platform::DialogEvents& events) {
  Dialog dialog{&tpl, {}, &events, false, 0};
  for (const ControlTemplate& control : tpl.controls)
    dialog.controls.push_back(Control{control, control.text, control.visible, true, 0, 0});
  events.OnDialogInit(&dialog);
  // The user may end it; a dialog still open when the user is done is
  // closed with the close box, which means Cancel.
  if (!dialog.ended && S().user) S().user(dialog);
  if (!dialog.ended) events.OnDialogCommand(&dialog, 2);
  if (!dialog.ended) {
    dialog.ended = true;
    dialog.result = 2;
  }
  return dialog.result;
}

bool Click(Dialog& dialog, int id) {
  Control* control = dialog.Find(id);
  if (dialog.ended || control == nullptr || !control->visible || !control->enabled) return false;
  if (control->tpl.kind == ControlKind::kStatic) return false;
  if (control->tpl.kind == ControlKind::kAutoCheckBox) control->check = control->check ? 0 : 1;
  dialog.events->OnDialogCommand(&dialog, id);
  return true;
}

}  // namespace dialog_system
