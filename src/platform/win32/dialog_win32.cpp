// The dialog services over the Windows dialog manager: the template is a
// resource of this library, found through its module handle.
#include <windows.h>

#include "platform/dialog.h"
#include "platform/platform.h"

namespace platform {

namespace {

HWND Dialog(DialogWindow dialog) { return static_cast<HWND>(dialog); }

INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrA(window, DWLP_USER, lParam);
    auto* events = reinterpret_cast<DialogEvents*>(lParam);
    return events->OnDialogInit(window) ? TRUE : FALSE;
  }
  auto* events = reinterpret_cast<DialogEvents*>(GetWindowLongPtrA(window, DWLP_USER));
  if (events == nullptr) return FALSE;
  if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
    events->OnDialogCommand(window, LOWORD(wParam));
    return TRUE;
  }
  return FALSE;
}

}  // namespace

int RunModalDialog(int templateId, DialogEvents& events) {
  return static_cast<int>(DialogBoxParamA(static_cast<HINSTANCE>(ModuleHandle()),
                                          MAKEINTRESOURCEA(templateId), nullptr, DialogProc,
                                          reinterpret_cast<LPARAM>(&events)));
}

void EndModalDialog(DialogWindow dialog, int result) { EndDialog(Dialog(dialog), result); }

void SetDialogItemText(DialogWindow dialog, int id, const std::string& text) {
  SetDlgItemTextA(Dialog(dialog), id, text.c_str());
}

std::string DialogItemText(DialogWindow dialog, int id) {
  HWND item = GetDlgItem(Dialog(dialog), id);
  if (item == nullptr) return std::string();
  std::string text(static_cast<size_t>(GetWindowTextLengthA(item)) + 1, '\0');
  text.resize(static_cast<size_t>(GetWindowTextA(item, text.data(), static_cast<int>(text.size()))));
  return text;
}

int DialogItemCheck(DialogWindow dialog, int id) {
  return IsDlgButtonChecked(Dialog(dialog), id) == BST_CHECKED ? 1 : 0;
}

void SetDialogItemCheck(DialogWindow dialog, int id, int state) {
  CheckDlgButton(Dialog(dialog), id, state != 0 ? BST_CHECKED : BST_UNCHECKED);
}

void EnableDialogItem(DialogWindow dialog, int id, bool enable) {
  if (HWND item = GetDlgItem(Dialog(dialog), id)) EnableWindow(item, enable ? TRUE : FALSE);
}

void ShowDialogItem(DialogWindow dialog, int id, bool show) {
  if (HWND item = GetDlgItem(Dialog(dialog), id)) ShowWindow(item, show ? SW_SHOW : SW_HIDE);
}

void RepaintDialogItem(DialogWindow dialog, int id) {
  if (HWND item = GetDlgItem(Dialog(dialog), id)) UpdateWindow(item);
}

}  // namespace platform
