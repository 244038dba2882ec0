// The thirteen functions the host looks up by name (abi/entry_points.inc).
// Plain C names, the C calling convention, and nothing else exported (the
// module definition file on Windows, the version script on Linux, both
// written from that list).
#ifndef VELMORA_PLUGIN_EXPORTS_H_
#define VELMORA_PLUGIN_EXPORTS_H_

#include "abi/host_records.h"

#if defined(_WIN32)
#define VELMORA_EXPORT extern "C"
#else
#define VELMORA_EXPORT extern "C" __attribute__((visibility("default")))
#endif

VELMORA_EXPORT int GetPluginInfo(PluginInfo* info);
VELMORA_EXPORT int Init();
VELMORA_EXPORT int Release();
VELMORA_EXPORT int SetSiteInterface(InfoSite* site);
VELMORA_EXPORT int SetTimeBase(int timeBase);
VELMORA_EXPORT int GetSymbolLimit();
VELMORA_EXPORT int GetQuotes(const char* ticker, int periodicity, int lastValid, int size,
                             QuotationOld* quotes);
VELMORA_EXPORT int GetQuotesEx(const char* ticker, int periodicity, int lastValid, int size,
                               Quotation* quotes, void* context);
VELMORA_EXPORT RecentInfo* GetRecentInfo(const char* ticker);
VELMORA_EXPORT int GetStatus(PluginStatus* status);
VELMORA_EXPORT int Notify(PluginNotification* notification);
VELMORA_EXPORT int Configure(const char* databasePath, InfoSite* site);
VELMORA_EXPORT AmiVar GetExtraData(const char* ticker, const char* name, int arraySize,
                                   int periodicity, void* (*allocator)(unsigned int size));

#endif  // VELMORA_PLUGIN_EXPORTS_H_
