#include "platform/posix/resources_posix.h"

#include "ui/resource.h"

namespace platform {

namespace {

using dialog_system::ControlKind;

const dialog_system::DialogTemplate kConfigDialog{
    IDD_CONFIG,
    "Velmora Configure",
    255,
    144,
    "MS Shell Dlg",
    8,
    true,
    true,
    {
        {1, ControlKind::kPushButton, "OK", 125, 120, 50, 14, true, false},
        {2, ControlKind::kPushButton, "Cancel", 178, 120, 50, 14, true, false},
        {IDC_RETRIEVE_ALL, ControlKind::kPushButton, "Retrieve all symbols", 14, 87, 73, 14, true,
         false},
        {IDC_STATUS, ControlKind::kStatic, "", 90, 88, 136, 12, true, true},
        {IDC_AUTO_CONNECT, ControlKind::kAutoCheckBox, "Auto Connect", 155, 58, 60, 10, true, false},
        {IDC_REMOVE_ZERO_VOLUME, ControlKind::kAutoCheckBox,
         "Remove Quotation If Volume=0 (Intraday)", 70, 73, 153, 10, false, false},
    }};

}  // namespace

const dialog_system::DialogTemplate* FindDialogTemplate(int id) {
  return id == IDD_CONFIG ? &kConfigDialog : nullptr;
}

}  // namespace platform
