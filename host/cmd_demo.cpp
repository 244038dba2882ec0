// The plug-in's day through the stand-in host.
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "host/commands.h"
#include "host/host_session.h"
#include "host/quote_window.h"
#include "host/report.h"

namespace {

int Demo(HostSession& session, const HostOptions& options) {
  std::printf("== The plug-in\n");
  PrintInfo(session, false);
  std::printf("\n== Real-time records\n");
  // The host keeps the record it is handed; the same ticker in another
  // letter case gets the same one.
  std::map<const RecentInfo*, std::string> firstAskedAs;
  for (const char* ticker : {"BBCA", "TLKM", "ASII", "BBRI", "UNVR", "bbca"}) {
    const RecentInfo* record = session.api.GetRecentInfo(ticker);
    if (record == nullptr) {
      std::printf("GetRecentInfo(%s) -> refused\n", ticker);
      continue;
    }
    auto [first, added] = firstAskedAs.emplace(record, ticker);
    std::printf("GetRecentInfo(%s) -> the record of '%s'%s\n", ticker, record->Name,
                added ? "" : (", the same one as for " + first->second).c_str());
  }
  const int limit = session.api.GetSymbolLimit();
  for (int i = 0; i < limit + 1; ++i) {
    const std::string ticker = "DEMO" + std::to_string(i);
    if (session.api.GetRecentInfo(ticker.c_str()) == nullptr) {
      std::printf("GetRecentInfo(%s) -> refused: the table is full at %d tickers\n",
                  ticker.c_str(), limit);
      break;
    }
  }
  const bool kept = firstAskedAs.count(session.api.GetRecentInfo("BBCA")) == 1;
  std::printf("GetRecentInfo(BBCA) again -> %s\n",
              kept ? "the same record as at first: it never moves"
                   : "another record than at first (the host would read freed memory)");

  std::printf("\n== Connection (the database was loaded at start)\n");
  PrintStatus(session, false);
  std::printf("\n== Polling: the host's message loop runs for 12 seconds\n");
  session.Pump(12000);
  std::printf("streaming updates posted to the host: %d\n", session.streamingUpdates);
  const bool connected = IsConnected(session.Status());
  std::printf("%s", QuoteTableHeading().c_str());
  for (const char* ticker : {"BBCA", "TLKM", "ASII", "BBRI", "UNVR"})
    std::printf("%s", QuoteLine(*session.api.GetRecentInfo(ticker), connected).c_str());

  std::printf("\n== The status-area menu: the user disconnects, then connects again\n");
  session.showStatusChanges = true;
  RunInSession(session, options, {"disconnect"});
  RunInSession(session, options, {"connect"});
  session.showStatusChanges = false;

  std::printf("\n== Daily bars of BBCA\n");
  std::vector<Quotation> bars(5000);
  const int count = session.api.GetQuotesEx("BBCA", 86400, -1, static_cast<int>(bars.size()),
                                            bars.data(), nullptr);
  std::printf("GetQuotesEx(BBCA, daily) -> %d bars", count);
  if (count > 0)
    std::printf(", %s .. %s, last close %s", FormatBarTime(bars[0].DateTime).c_str(),
                FormatBarTime(bars[count - 1].DateTime).c_str(),
                FormatPrice(bars[count - 1].Close).c_str());
  std::printf("\n");
  return kExitOk;
}

const CommandRegistration kDemo({
    .name = "demo",
    .synopsis = "demo",
    .summary = "the plug-in's day, start to end, as scripts/demo shows it",
    .exits = "0 shown, 2 usage error.",
    .define = WithoutArguments(Demo),
});

}  // namespace
