#include "ui/config_dlg.h"

#include "db/settings.h"
#include "plugin/global.h"

namespace {

const CDialog::MessageMapEntry kMessageMap[] = {
    {IDC_RETRIEVE_ALL, static_cast<void (CDialog::*)()>(&CConfigDlg::RetrieveAllSymbols)},
    {0, nullptr},
};

}  // namespace

CConfigDlg::CConfigDlg(CGlobal& global) : CDialog(IDD), m_global(global) {
  m_pMessageMap = kMessageMap;
}

CConfigDlg::~CConfigDlg() = default;

void CConfigDlg::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  DDX_Control(pDX, IDC_STATUS, m_status);
  DDX_Check(pDX, IDC_AUTO_CONNECT, m_global.m_bAutoConnect);
  // Bound but read nowhere else: the box is never shown.
  DDX_Check(pDX, IDC_REMOVE_ZERO_VOLUME, m_global.m_bRemoveZeroVolume);
}

int CConfigDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  ShowDlgItem(IDC_RETRIEVE_ALL, true);
  ShowDlgItem(IDC_STATUS, true);
  EnableDlgItem(IDC_RETRIEVE_ALL, true);
  return 1;
}

void CConfigDlg::OnOK() {
  UpdateData(true);
  CDialog::OnOK();
  // An open connection stays as it is; the switch acts at the next
  // database load.
  SaveSettings(m_global);
}

void CConfigDlg::RetrieveAllSymbols() { ::RetrieveAllSymbols(m_global, m_pSite, *this); }

void CConfigDlg::RetrieveCategories() { ::RetrieveCategories(m_global, m_pSite); }

void CConfigDlg::DisableImportButton() { EnableDlgItem(IDC_RETRIEVE_ALL, false); }

void CConfigDlg::ShowImportStatus(const std::string& text) {
  m_status.SetWindowText(text);
  m_status.UpdateWindow();
}
