// A small dialog framework in the manner of MFC's CDialog, over the
// platform's modal dialogs: a dialog class names its template, exchanges its
// controls' values in DoDataExchange, and maps button clicks to handlers.
#ifndef VELMORA_UI_DIALOG_H_
#define VELMORA_UI_DIALOG_H_

#include <cstdint>
#include <string>

#include "platform/dialog.h"

constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;

class CDialog;

// The direction of one data exchange: from the controls into the members
// (saving) or from the members into the controls.
class CDataExchange {
 public:
  CDataExchange(CDialog* dialog, bool saveAndValidate)
      : m_bSaveAndValidate(saveAndValidate), m_pDlgWnd(dialog) {}
  bool m_bSaveAndValidate;
  CDialog* m_pDlgWnd;
};

// A static control of an open dialog.
class CStatic {
 public:
  void SetWindowText(const std::string& text);
  std::string GetWindowText() const;
  // Paints at once, for a dialog that is not processing messages.
  void UpdateWindow();

  platform::DialogWindow m_hDialog = nullptr;
  int m_nID = 0;
};

class CDialog : private platform::DialogEvents {
 public:
  // A button-click handler of the derived class, and its message map: the
  // control ids whose clicks it handles, ended by a zero id.
  using Handler = void (CDialog::*)();
  struct MessageMapEntry {
    int id;
    Handler handler;
  };

  explicit CDialog(int templateId) : m_nIDTemplate(templateId) {}
  virtual ~CDialog() = default;

  CDialog(const CDialog&) = delete;
  CDialog& operator=(const CDialog&) = delete;

  // Shows the dialog modally, owned by no window; the result it ended with.
  int DoModal();
  // Runs DoDataExchange in the given direction.
  bool UpdateData(bool saveAndValidate = true);
  void EndDialog(int result);

  // Controls of the open dialog.
  void EnableDlgItem(int id, bool enable);
  void ShowDlgItem(int id, bool show);

  platform::DialogWindow m_hWnd = nullptr;

 protected:
  virtual void DoDataExchange(CDataExchange* pDX);
  // Loads the controls from the members; true lets the system set the focus.
  virtual int OnInitDialog();
  // Saves the controls into the members and ends the dialog with OK.
  virtual void OnOK();
  // Ends the dialog with Cancel, taking nothing from the controls.
  virtual void OnCancel();

  const MessageMapEntry* m_pMessageMap = nullptr;

 private:
  bool OnDialogInit(platform::DialogWindow dialog) override;
  void OnDialogCommand(platform::DialogWindow dialog, int id) override;

  int m_nIDTemplate;
};

// Binds a static control to its id in the open dialog.
void DDX_Control(CDataExchange* pDX, int id, CStatic& control);
// A check box's state, 0 or 1, to or from a member.
void DDX_Check(CDataExchange* pDX, int id, int32_t& value);

#endif  // VELMORA_UI_DIALOG_H_
