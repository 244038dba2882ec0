// The exports only dispatch: each subsystem does its own work.
//
// There is no framework module state to switch here: resources are found
// through the library's own module handle (platform::ModuleHandle), so every
// export behaves the same whether or not it would have switched.
#include "plugin/exports.h"

#include <cstring>

#include "bars/bar_request.h"
#include "db/session.h"
#include "db/settings.h"
#include "lifecycle/lifecycle.h"
#include "plugin/app.h"
#include "plugin/identity.h"
#include "realtime/realtime_table.h"
#include "ui/config_dlg.h"

int GetPluginInfo(PluginInfo* info) {
  // The caller's size field is neither read nor honoured.
  if (info != nullptr) std::memcpy(info, &kPluginIdentity, sizeof(PluginInfo));
  return 1;
}

int Init() {
  LoadSettings(g_global);
  return 1;
}

int Release() {
  DisconnectSession(g_global);
  return 1;
}

int SetSiteInterface(InfoSite*) { return 1; }

int SetTimeBase(int timeBase) { return timeBase == 86400 ? 1 : 0; }

int GetSymbolLimit() { return CRealtimeTable::kMaxTickers; }

int GetQuotes(const char* ticker, int periodicity, int lastValid, int size, QuotationOld* quotes) {
  return GetQuotes(g_global, ticker, periodicity, lastValid, size, quotes);
}

int GetQuotesEx(const char* ticker, int periodicity, int lastValid, int size, Quotation* quotes,
                void*) {
  return GetQuotesEx(g_global, ticker, periodicity, lastValid, size, quotes);
}

RecentInfo* GetRecentInfo(const char* ticker) { return GetRecentInfoRecord(ticker); }

int GetStatus(PluginStatus* status) {
  if (status != nullptr) ReportStatus(g_global, status);
  return 1;
}

int Notify(PluginNotification* notification) {
  if (notification != nullptr) HandleNotify(g_global, *notification);
  return 1;
}

int Configure(const char*, InfoSite* site) {
  // The database folder is not used. Whatever the user did, the host hears 1.
  CConfigDlg dialog(g_global);
  dialog.m_pSite = site;
  dialog.DoModal();
  return 1;
}

AmiVar GetExtraData(const char*, const char*, int, int, void* (*)(unsigned int)) {
  AmiVar result{};
  result.type = 0;
  result.val = 0.0f;
  return result;
}
