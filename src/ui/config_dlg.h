// The configuration dialog that Configure shows: the auto-connect switch,
// the directory import and OK or Cancel.
#ifndef VELMORA_UI_CONFIG_DLG_H_
#define VELMORA_UI_CONFIG_DLG_H_

#include "abi/host_records.h"
#include "directory/symbol_import.h"
#include "ui/dialog.h"
#include "ui/resource.h"

class CGlobal;

class CConfigDlg : public CDialog, private CImportView {
 public:
  enum { IDD = IDD_CONFIG };

  // Exchanges its values with `global`, the plug-in's global state.
  explicit CConfigDlg(CGlobal& global);
  ~CConfigDlg() override;

  InfoSite* m_pSite = nullptr;  // the host's call-backs, for the import
  CStatic m_status;             // the status line

  // The "Retrieve all symbols" button's handler, and its first step.
  void RetrieveAllSymbols();
  void RetrieveCategories();

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  int OnInitDialog() override;
  void OnOK() override;

 private:
  void DisableImportButton() override;
  void ShowImportStatus(const std::string& text) override;

  CGlobal& m_global;
};

#endif  // VELMORA_UI_CONFIG_DLG_H_
