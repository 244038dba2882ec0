// Opening the plug-in's configuration dialog as the host does (Configure
// with the host's InfoSite), with the user's steps played in it.
#ifndef VELMORA_HOST_CONFIG_DIALOG_H_
#define VELMORA_HOST_CONFIG_DIALOG_H_

#include <functional>
#include <string>
#include <vector>

#include "host/dialog_user.h"
#include "src/ui/resource.h"

class HostSession;

// The dialog's OK and Cancel buttons (Windows' IDOK and IDCANCEL); its own
// controls go by their ids in src/ui/resource.h.
enum : int {
  kOkButton = 1,
  kCancelButton = 2,
};

struct ConfigureResult {
  int returned = 0;  // what Configure answered
  DialogReport dialog;
};

ConfigureResult RunConfigure(HostSession& session, std::vector<DialogStep> steps,
                             std::function<void(const std::string&)> onStatus);

// One control of a snapshot, or null.
const ControlState* FindControl(const std::vector<ControlState>& controls, int id);
// "4011 check box "Auto Connect" visible enabled ticked".
std::string DescribeControl(const ControlState& control);

#endif  // VELMORA_HOST_CONFIG_DIALOG_H_
