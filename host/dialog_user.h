// The stand-in host plays the user of the plug-in's configuration dialog:
// before it calls Configure it says what the user will do, and the user does
// it once the dialog is up, through the dialog's controls.
//
// Windows: the real dialog, found among the thread's windows from a timer
// that the dialog's own modal loop runs; buttons are clicked with BM_CLICK,
// message boxes read and closed with their OK button, and the status line is
// read whenever its text is set (a hook on the thread's window messages). Linux: the headless dialog model of the
// window-system library, played in the same way.
#ifndef VELMORA_HOST_DIALOG_USER_H_
#define VELMORA_HOST_DIALOG_USER_H_

#include <functional>
#include <string>
#include <vector>

struct DialogStep {
  enum Kind { kClick, kTick } kind;
  int id;
  int state;  // kTick: the check state wanted; clicked only when it differs
};

struct ControlState {
  int id;
  std::string kind;  // "push button", "default push button", "check box", "static"
  bool sunken;
  std::string text;
  bool visible;
  bool enabled;
  int check;
};

struct DialogReport {
  bool shown = false;
  std::string caption;
  // The controls before each step, and as the last step left them (a
  // dialog that has ended has none).
  std::vector<std::vector<ControlState>> before;
  // Steps that could not be done: the control was hidden or disabled.
  std::vector<std::string> refused;
  std::vector<std::string> messageBoxes;
  // Texts of the status line painted at once, before anything else ran.
  int statusPaints = 0;
};

// Arms the user for the next dialog. `onStatus` hears each new text of the
// status line (control `statusId`) as soon as it is set.
void BeginDialogUser(std::vector<DialogStep> steps, int statusId,
                     std::function<void(const std::string&)> onStatus);
// After Configure has returned: disarms the user and says what it saw.
DialogReport EndDialogUser();

#endif  // VELMORA_HOST_DIALOG_USER_H_
