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

TEST(QuoteWindowTest, JsonHoldsWhatTheRecordDeclaresAndNullForTheRest) {
  RecentInfo r = Filled();
  nlohmann::ordered_json json = QuoteJson(r);
  EXPECT_EQ("BBCA", json["ticker"]);
  EXPECT_EQ(9600.0, json["last"]);
  EXPECT_EQ(104.5, json["ask"]);  // the float's own digits, not 104.500000001
  // 100 on a previous price of 9,500.
  EXPECT_DOUBLE_EQ(1.05, json["changePercent"].get<double>());
  EXPECT_TRUE(json["volume"].is_null());  // declared valid, but the record holds none
  EXPECT_EQ("2025-10-31 09:07:02", json["updated"]);
  EXPECT_EQ("2025-10-30 15:59:59", json["moved"]);

  r.ValidFields = 0x77D9;  // no open, no high and low
  r.TotalVolume = 12345;
  json = QuoteJson(r);
  EXPECT_TRUE(json["open"].is_null());
  EXPECT_TRUE(json["high"].is_null());
  EXPECT_TRUE(json["low"].is_null());
  EXPECT_EQ(12345, json["volume"]);

  RecentInfo fresh{};  // asked for, never refreshed
  std::strcpy(fresh.Name, "NEW");
  fresh.ValidFields = 0x77D9;
  json = QuoteJson(fresh);
  EXPECT_TRUE(json["last"].is_null());
  EXPECT_TRUE(json["changePercent"].is_null());
  EXPECT_TRUE(json["updated"].is_null());
}

TEST(QuoteWindowTest, ALineShowsValuesDashesAndTheMoveTime) {
  RecentInfo r = Filled();
  std::string line = QuoteLine(r);
  EXPECT_NE(std::string::npos, line.find("9600.00")) << line;
  EXPECT_NE(std::string::npos, line.find("+1.05%")) << line;
  EXPECT_NE(std::string::npos, line.find("2025-10-31 09:07:02  2025-10-30 15:59:59")) << line;
  r.MoveDate = r.StampDate;  // a move on the update's day shows as a time
  EXPECT_NE(std::string::npos, QuoteLine(r).find("09:07:02  15:59:59\n")) << QuoteLine(r);

  r.Last = r.Change;  // no previous price: no percentage
  EXPECT_EQ(std::string::npos, QuoteLine(r).find('%')) << QuoteLine(r);
  r.Status = 0;
  EXPECT_NE(std::string::npos, QuoteLine(r).find("no quote yet")) << QuoteLine(r);
}

TEST(QuoteWindowTest, TheHeaderNamesTheTimerAndWhyWhenNotConnected) {
  PluginStatus status{};
  std::strcpy(status.szShortMessage, "Conn");
  std::strcpy(status.szLongMessage, "Version 1.2.2\nUser = Demo");
  std::string header = QuoteWindowHeader(3, "12:00:00", status, 1620, 7);
  EXPECT_NE(std::string::npos, header.find("update 3")) << header;
  EXPECT_NE(std::string::npos, header.find("timer 1620 (end of day)")) << header;
  EXPECT_EQ(std::string::npos, header.find("Version")) << header;
  std::strcpy(status.szShortMessage, "Error");
  std::strcpy(status.szLongMessage, "Unable connect to server, \nconnection is already in use.");
  header = QuoteWindowHeader(0, "12:00:00", status, 0, 0);
  EXPECT_NE(std::string::npos, header.find("timer none yet")) << header;
  EXPECT_NE(std::string::npos, header.find("\n  Unable connect to server, \n")) << header;
}

}  // namespace
