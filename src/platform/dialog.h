// Modal dialogs from this library's dialog templates, and their controls.
//
// Windows: a real dialog from the template resource, through the dialog
// manager. Linux: the headless dialog model of the window-system library
// (src/winsys/posix/dialog_system.h), with the same controls and ids, that
// the host plays the user of.
#ifndef VELMORA_PLATFORM_DIALOG_H_
#define VELMORA_PLATFORM_DIALOG_H_

#include <string>

namespace platform {

// The open dialog (HWND on Windows).
using DialogWindow = void*;

class DialogEvents {
 public:
  virtual ~DialogEvents() = default;
  // The controls exist; true lets the system set the focus.
  virtual bool OnDialogInit(DialogWindow dialog) = 0;
  // A button was clicked: 1 and 2 are OK and Cancel, which the keyboard and
  // the close box send too.
  virtual void OnDialogCommand(DialogWindow dialog, int id) = 0;
};

// Shows template `templateId` modally, owned by no window, and returns the
// result given to EndModalDialog, or -1 when it cannot be shown.
int RunModalDialog(int templateId, DialogEvents& events);
void EndModalDialog(DialogWindow dialog, int result);

// A control of the open dialog; an unknown id does nothing (or gives ""/0).
void SetDialogItemText(DialogWindow dialog, int id, const std::string& text);
std::string DialogItemText(DialogWindow dialog, int id);
int DialogItemCheck(DialogWindow dialog, int id);  // 0 or 1
void SetDialogItemCheck(DialogWindow dialog, int id, int state);
void EnableDialogItem(DialogWindow dialog, int id, bool enable);
void ShowDialogItem(DialogWindow dialog, int id, bool show);
// Paints the control now, not when the message loop next runs.
void RepaintDialogItem(DialogWindow dialog, int id);

}  // namespace platform

#endif  // VELMORA_PLATFORM_DIALOG_H_
