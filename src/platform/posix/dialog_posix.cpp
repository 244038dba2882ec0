// The dialog services over the headless dialog model of the window system.
#include "platform/dialog.h"
#include "winsys/posix/dialog_system.h"
#include "platform/posix/resources_posix.h"

namespace platform {

namespace {

dialog_system::Control* Item(DialogWindow dialog, int id) {
  return dialog == nullptr ? nullptr : static_cast<dialog_system::Dialog*>(dialog)->Find(id);
}

}  // namespace

int RunModalDialog(int templateId, DialogEvents& events) {
  const dialog_system::DialogTemplate* tpl = FindDialogTemplate(templateId);
  return tpl == nullptr ? -1 : dialog_system::RunDialog(*tpl, events);
}

void EndModalDialog(DialogWindow dialog, int result) {
  if (dialog == nullptr) return;
  auto* model = static_cast<dialog_system::Dialog*>(dialog);
  model->ended = true;
  model->result = result;
}

void SetDialogItemText(DialogWindow dialog, int id, const std::string& text) {
  if (dialog_system::Control* control = Item(dialog, id)) control->text = text;
}

std::string DialogItemText(DialogWindow dialog, int id) {
  dialog_system::Control* control = Item(dialog, id);
  return control != nullptr ? control->text : std::string();
}

int DialogItemCheck(DialogWindow dialog, int id) {
  dialog_system::Control* control = Item(dialog, id);
  return control != nullptr ? control->check : 0;
}

void SetDialogItemCheck(DialogWindow dialog, int id, int state) {
  if (dialog_system::Control* control = Item(dialog, id)) control->check = state != 0 ? 1 : 0;
}

void EnableDialogItem(DialogWindow dialog, int id, bool enable) {
  if (dialog_system::Control* control = Item(dialog, id)) control->enabled = enable;
}

void ShowDialogItem(DialogWindow dialog, int id, bool show) {
  if (dialog_system::Control* control = Item(dialog, id)) control->visible = show;
}

void RepaintDialogItem(DialogWindow dialog, int id) {
  dialog_system::Control* control = Item(dialog, id);
  if (control == nullptr) return;
  ++control->repaints;
  dialog_system::NotifyRepaint(*static_cast<dialog_system::Dialog*>(dialog), *control);
}

}  // namespace platform
