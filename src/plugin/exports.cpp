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

namespace {

// No exception may reach the host, whose own code would be unwound or
// ended by it. Database errors and failed allocations are answered where
// they happen; whatever escapes that gets the entry point's quiet answer.
template <typename Result, typename Call>
Result Guarded(Result quiet, Call call) {
  try {
    return call();
  } catch (...) {
    return quiet;
  }
}

}  // namespace

int GetPluginInfo(PluginInfo* info) {
  // The caller's size field is neither read nor honoured.
  if (info != nullptr) std::memcpy(info, &kPluginIdentity, sizeof(PluginInfo));
  return 1;
}

int Init() {
  return Guarded(1, [] {
    LoadSettings(g_global);
    return 1;
  });
}

int Release() {
  return Guarded(1, [] {
    DisconnectSession(g_global);
    return 1;
  });
}

int SetSiteInterface(InfoSite*) { return 1; }

int SetTimeBase(int timeBase) { return timeBase == 86400 ? 1 : 0; }

int GetSymbolLimit() { return CRealtimeTable::kMaxTickers; }

int GetQuotes(const char* ticker, int periodicity, int lastValid, int size, QuotationOld* quotes) {
  return Guarded(lastValid + 1, [&] {
    return GetQuotes(g_global, ticker, periodicity, lastValid, size, quotes);
  });
}

int GetQuotesEx(const char* ticker, int periodicity, int lastValid, int size, Quotation* quotes,
                void*) {
  return Guarded(lastValid + 1, [&] {
    return GetQuotesEx(g_global, ticker, periodicity, lastValid, size, quotes);
  });
}

RecentInfo* GetRecentInfo(const char* ticker) {
  return Guarded<RecentInfo*>(nullptr, [&] { return GetRecentInfoRecord(ticker); });
}

int GetStatus(PluginStatus* status) {
  return Guarded(1, [&] {
    if (status != nullptr) ReportStatus(g_global, status);
    return 1;
  });
}

int Notify(PluginNotification* notification) {
  return Guarded(1, [&] {
    if (notification != nullptr) HandleNotify(g_global, *notification);
    return 1;
  });
}

int Configure(const char*, InfoSite* site) {
  // The database folder is not used. Whatever the user did, the host hears 1.
  return Guarded(1, [&] {
    CConfigDlg dialog(g_global);
    dialog.m_pSite = site;
    dialog.DoModal();
    return 1;
  });
}

AmiVar GetExtraData(const char*, const char*, int, int, void* (*)(unsigned int)) {
  AmiVar result{};
  result.type = 0;
  result.val = 0.0f;
  return result;
}
