// What the quote window makes of a record: values shown only where the
// record declares them, the change percent taken from the previous price,
// and dates that read as dates.
#include "host/quote_window.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

RecentInfo Filled() {
  RecentInfo r{};
  std::strcpy(r.Name, "BBCA");
  r.Status = 15;
  r.ValidFields = 0x77D9 + 2 + 4;
  r.Open = 9525, r.High = 9650, r.Low = 9450, r.Last = 9600, r.Change = 100;
  r.Bid = 9575, r.Ask = 104.5f;
  r.StampDate = 20251031, r.StampTime = 90702;
  r.MoveDate = 20251030, r.MoveTime = 155959;
  return r;
}

// The ask as the float's own digits (104.5, not 104.500000001); the change
// percent of 100 on a previous price of 9,500; a volume declared valid that
// the record does not hold is none.
TEST(QuoteWindowTest, JsonHoldsWhatTheRecordDeclaresAndNullForTheRest) {
  RecentInfo r = Filled();
  const std::string stamps = R"("stampDate":20251031,"stampTime":90702,"moveDate":20251030,)"
                             R"("moveTime":155959,"updated":"2025-10-31 09:07:02",)"
                             R"("moved":"2025-10-30 15:59:59"})";
  EXPECT_EQ(R"({"ticker":"BBCA","stale":false,"status":15,"validFields":30687,"last":9600.0,)"
            R"("change":100.0,"changePercent":1.05,"bid":9575.0,"ask":104.5,"open":9525.0,)"
            R"("high":9650.0,"low":9450.0,"volume":null,)" + stamps,
            QuoteJson(r, true).dump());
  r.ValidFields = 0x77D9;  // no open, no high and low
  r.TotalVolume = 12345;
  // Not connected: what the record holds is no longer refreshed.
  EXPECT_EQ(R"({"ticker":"BBCA","stale":true,"status":15,"validFields":30681,"last":9600.0,)"
            R"("change":100.0,"changePercent":1.05,"bid":9575.0,"ask":104.5,"open":null,)"
            R"("high":null,"low":null,"volume":12345,)" + stamps,
            QuoteJson(r, false).dump());

  RecentInfo fresh{};  // asked for, never refreshed
  std::strcpy(fresh.Name, "NEW");
  fresh.ValidFields = 0x77D9;
  EXPECT_EQ(R"({"ticker":"NEW","stale":false,"status":0,"validFields":30681,"last":null,"change":null,)"
            R"("changePercent":null,"bid":null,"ask":null,"open":null,"high":null,"low":null,)"
            R"("volume":null,"stampDate":0,"stampTime":0,"moveDate":0,"moveTime":0,)"
            R"("updated":null,"moved":null})",
            QuoteJson(fresh, true).dump());
}

// Not connected, the values are marked stale (host/outages_test.sh), and a
// record without a quote does not promise one (host/scenarios_test.sh).
TEST(QuoteWindowTest, ALineShowsValuesDashesAndTheMoveTime) {
  RecentInfo r = Filled();
  const std::string prices = "   9575.00    104.50   9525.00   9650.00   9450.00            -  ";
  EXPECT_EQ("BBCA         9600.00    +100.00   +1.05%" + prices +
                "2025-10-31 09:07:02  2025-10-30 15:59:59\n",
            QuoteLine(r, true));
  r.MoveDate = r.StampDate;  // a move on the update's day shows as a time
  r.Last = r.Change;         // no previous price: no percentage
  EXPECT_EQ("BBCA          100.00    +100.00       -" + prices + "2025-10-31 09:07:02  15:59:59\n",
            QuoteLine(r, true));
  r.Status = 0;
  EXPECT_EQ("BBCA        (no quote yet: waits for the next refresh)\n", QuoteLine(r, true));
}

TEST(QuoteWindowTest, TheHeaderNamesTheTimerAndWhyWhenNotConnected) {
  PluginStatus status{};
  std::strcpy(status.szShortMessage, "Conn");
  std::strcpy(status.szLongMessage, "Version 1.2.2\nUser = Demo");
  EXPECT_EQ("velmora-host watch  12:00:00  update 3  status Conn  last tick: timer 1620 (end of "
            "day)  ticks 7\n",
            QuoteWindowHeader(3, "12:00:00", status, 1620, 7));
  // Error leaves the code as the host gave it, Conn's: the text tells. A line
  // break after a word (no blank before it): host/scenarios_test.sh.
  std::strcpy(status.szShortMessage, "Error");
  std::strcpy(status.szLongMessage, "Unable connect to server, \nconnection is already in use.");
  EXPECT_EQ("velmora-host watch  12:00:00  update 0  status Error  last tick: timer none yet  "
            "ticks 0\n  not connected: Error: Unable connect to server, connection is already in "
            "use.\n",
            QuoteWindowHeader(0, "12:00:00", status, 0, 0));
}

}  // namespace
