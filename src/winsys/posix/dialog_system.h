// The Linux stand-in for the Windows dialog manager: a headless dialog model
// in the window-system library, so that the plug-in's dialog and the host
// that plays its user see the same controls.
//
// The plug-in describes its dialog with a template (the same controls, ids,
// texts, positions and styles as its Windows resource) and runs it modally.
// Running it calls the dialog's initialisation, then the user that the host
// has set, who ticks and clicks as a person would; whatever the user leaves
// open is cancelled, as if the close box were pressed. Everything runs on the
// one thread, as on Windows.
#ifndef VELMORA_WINSYS_POSIX_DIALOG_SYSTEM_H_
#define VELMORA_WINSYS_POSIX_DIALOG_SYSTEM_H_

#include <functional>
#include <string>
#include <vector>

#include "platform/dialog.h"

namespace dialog_system {

enum class ControlKind { kPushButton, kDefPushButton, kStatic, kAutoCheckBox };

struct ControlTemplate {
  int id;
  ControlKind kind;
  const char* text;
  int x, y, cx, cy;  // dialog units
  bool visible;      // false: created hidden (NOT WS_VISIBLE)
  bool sunken;       // SS_SUNKEN
};

struct DialogTemplate {
  int id;
  const char* caption;
  int cx, cy;  // dialog units
  const char* font;
  int pointSize;
  bool modalFrame;  // DS_MODALFRAME
  bool systemMenu;  // WS_SYSMENU
  std::vector<ControlTemplate> controls;
};

struct Control {
  ControlTemplate tpl;
  std::string text;
  bool visible;
  bool enabled;
  int check;     // 0 or 1
  int repaints;  // times painted on request
};

struct Dialog {
  const DialogTemplate* tpl;
  std::vector<Control> controls;
  platform::DialogEvents* events;
  bool ended;
  int result;

  Control* Find(int id);
};

// What the host plays: called once the dialog is initialised.
using DialogUser = std::function<void(Dialog& dialog)>;
void SetDialogUser(DialogUser user);

// Told each time a control is repainted on request (the status line of a
// long operation), with the dialog and the control.
using RepaintObserver = std::function<void(const Dialog& dialog, const Control& control)>;
void SetRepaintObserver(RepaintObserver observer);
void NotifyRepaint(const Dialog& dialog, const Control& control);

// Runs the dialog modally; the result given to EndModalDialog.
int RunDialog(const DialogTemplate& tpl, platform::DialogEvents& events);

// The user's click: nothing happens on a control that is hidden or disabled
// (false). An automatic check box toggles before the dialog hears of it.
bool Click(Dialog& dialog, int id);

}  // namespace dialog_system

#endif  // VELMORA_WINSYS_POSIX_DIALOG_SYSTEM_H_
