// The plug-in's day through the stand-in host.
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "host/commands.h"
#include "host/host_session.h"
#include "host/report.h"

namespace {

int Demo(HostSession& session, const HostOptions&, const std::vector<std::string>&) {
  std::printf("== The plug-in\n");
  PrintInfo(session, false);
  std::printf("\n== Real-time records\n");
  const char* tickers[] = {"BBCA", "TLKM", "ASII", "BBRI", "UNVR", "bbca"};
  std::map<std::string, const RecentInfo*> first;
  for (const char* ticker : tickers) {
    const RecentInfo* record = session.api.GetRecentInfo(ticker);
    std::printf("GetRecentInfo(%-5s) -> record '%s' at %p\n", ticker, record ? record->Name : "",
                static_cast<const void*>(record));
  }
  int limit = session.api.GetSymbolLimit();
  for (int i = 0; i < limit + 1; ++i) {
    std::string ticker = "DEMO" + std::to_string(i);
    const RecentInfo* record = session.api.GetRecentInfo(ticker.c_str());
    if (record == nullptr) {
      std::printf("GetRecentInfo(%s) -> refused: the table is full at %d tickers\n",
                  ticker.c_str(), limit);
      break;
    }
  }
  const RecentInfo* again = session.api.GetRecentInfo("BBCA");
  std::printf("GetRecentInfo(BBCA) again -> %p (same record, never moved)\n",
              static_cast<const void*>(again));
  return 0;
}

const CommandRegistration kDemo("demo", "demo              the plug-in's day, start to end", Demo);

}  // namespace
