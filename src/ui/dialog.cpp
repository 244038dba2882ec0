#include "ui/dialog.h"

void CStatic::SetWindowText(const std::string& text) {
  platform::SetDialogItemText(m_hDialog, m_nID, text);
}

std::string CStatic::GetWindowText() const { return platform::DialogItemText(m_hDialog, m_nID); }

void CStatic::UpdateWindow() { platform::RepaintDialogItem(m_hDialog, m_nID); }

int CDialog::DoModal() {
  const int result = platform::RunModalDialog(m_nIDTemplate, *this);
  m_hWnd = nullptr;
  return result;
}

bool CDialog::UpdateData(bool saveAndValidate) {
  if (m_hWnd == nullptr) return false;
  CDataExchange dx(this, saveAndValidate);
  DoDataExchange(&dx);
  return true;
}

void CDialog::EndDialog(int result) { platform::EndModalDialog(m_hWnd, result); }

void CDialog::EnableDlgItem(int id, bool enable) { platform::EnableDialogItem(m_hWnd, id, enable); }

void CDialog::ShowDlgItem(int id, bool show) { platform::ShowDialogItem(m_hWnd, id, show); }

void CDialog::DoDataExchange(CDataExchange*) {}

int CDialog::OnInitDialog() {
  UpdateData(false);
  return 1;
}

void CDialog::OnOK() {
  UpdateData(true);
  EndDialog(kIdOk);
}

void CDialog::OnCancel() { EndDialog(kIdCancel); }

bool CDialog::OnDialogInit(platform::DialogWindow dialog) {
  m_hWnd = dialog;
  return OnInitDialog() != 0;
}

void CDialog::OnDialogCommand(platform::DialogWindow, int id) {
  if (id == kIdOk) {
    OnOK();
    return;
  }
  if (id == kIdCancel) {
    OnCancel();
    return;
  }
  for (const MessageMapEntry* entry = m_pMessageMap; entry != nullptr && entry->id != 0; ++entry)
    if (entry->id == id) {
      (this->*entry->handler)();
      return;
    }
}

void DDX_Control(CDataExchange* pDX, int id, CStatic& control) {
  control.m_hDialog = pDX->m_pDlgWnd->m_hWnd;
  control.m_nID = id;
}

void DDX_Check(CDataExchange* pDX, int id, int32_t& value) {
  if (pDX->m_bSaveAndValidate)
    value = platform::DialogItemCheck(pDX->m_pDlgWnd->m_hWnd, id);
  else
    platform::SetDialogItemCheck(pDX->m_pDlgWnd->m_hWnd, id, value);
}
