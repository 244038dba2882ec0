// Reading bars from real rows on the private server.
#include "bars/bar_fetch.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "abi/bar_time.h"
#include "db/database.h"
#include "db/statements.h"
#include "testing/bar_rows.h"
#include "testing/failing_new.h"
#include "testing/message_boxes.h"

namespace {

using bar_test::BarServerTest;
using bar_test::Held;
using bar_test::LoadRows;
using Bars = std::vector<std::string>;

// A bar as "yyyymmdd hh:mm:ss open/high/low/close volume" (an end-of-day
// stamp as "yyyymmdd eod"), then " oi/aux1/aux2" when any of them is set.
std::string Show(const Quotation& q) {
  const BarTime t = UnpackBarTime(q.DateTime);
  char text[200];
  int n = IsEodMarker(q.DateTime)
              ? std::snprintf(text, sizeof text, "%04d%02d%02d eod", t.year, t.month, t.day)
              : std::snprintf(text, sizeof text, "%04d%02d%02d %02d:%02d:%02d", t.year, t.month,
                              t.day, t.hour, t.minute, t.second);
  n += std::snprintf(text + n, sizeof text - n, " %g/%g/%g/%g %g", q.Open, q.High, q.Low, q.Close,
                     q.Volume);
  if (q.OpenInterest != 0 || q.Aux1 != 0 || q.Aux2 != 0)
    std::snprintf(text + n, sizeof text - n, " %g/%g/%g", q.OpenInterest, q.Aux1, q.Aux2);
  return text;
}

Bars Show(const Quotation* bars, size_t count) {
  Bars shown;
  for (size_t i = 0; i < count; ++i) shown.push_back(Show(bars[i]));
  return shown;
}

// A held bar of 2024-03-`day` 00:00; the bars FetchBars gives from `date`
// 00:00, after it returned `result`.
Quotation Day(int day, float close, float volume) {
  return Held(PackBarTime(2024, 3, day, 0, 0, 0), close, volume);
}

Bars Fetch(CGlobal& g, const std::string& ticker, int periodicity, const char* date,
           int lastValid = -1, Quotation* held = nullptr, int result = 1) {
  std::vector<Quotation> fetched;
  EXPECT_EQ(result, FetchBars(g, fetched, ticker, periodicity, lastValid, date, "00:00", held))
      << ticker << " from " << date;
  return Show(fetched.data(), fetched.size());
}

TEST_F(BarServerTest, CarriesTheHostsValuesIntoTheFirstBarOnly) {
  LoadRows("NVEod", "ZZCARRY",
           "('2024-03-04',1,1,1,1,0,0),('2024-03-05',2,2,2,2,5,0),('2024-03-06',3,3,3,3,6,0)");
  Quotation held[3] = {Day(1, 9, 9), Day(2, 9, 9)};
  held[0].OpenInterest = 11;
  held[1].OpenInterest = 21, held[1].Aux1 = 22, held[1].Aux2 = 23;
  EXPECT_EQ((Bars{"20240304 eod 1/1/1/1 0 21/22/23", "20240305 eod 2/2/2/2 5",
                  "20240306 eod 3/3/3/3 6"}),
            Fetch(g, "ZZCARRY", 86400, "2024-03-04", 1, held))
      << "a bar with zero volume is a bar like any other";
  // With one held bar nothing is carried.
  EXPECT_EQ("20240304 eod 1/1/1/1 0", Fetch(g, "ZZCARRY", 86400, "2024-03-04", 0, held + 1)[0]);
}

TEST_F(BarServerTest, NullValuesSkipTheRowOrReadAsZero) {
  LoadRows("NVEod", "ZZNULL",
           "('2024-03-04',1,1,1,NULL,5,5),('2024-03-05',NULL,2,2,2,5,5),"
           "('2024-03-06',3,3,3,3,NULL,NULL),('2024-03-07',4,4,4,4,-7,NULL)");
  EXPECT_EQ((Bars{"20240306 eod 3/3/3/3 0", "20240307 eod 4/4/4/4 -7"}),
            Fetch(g, "ZZNULL", 86400, "2024-03-01"))
      << "a NULL price drops the row; a NULL adjusted close adjusts nothing";
  LoadRows("NVEod", "ZZNULL", "('2024-03-04',1,1,1,NULL,5,5)");
  EXPECT_EQ(Bars{}, Fetch(g, "ZZNULL", 86400, "2024-03-01", -1, nullptr, 0));
}

// The server holds doubles; 1e39 arrives as an infinity once fetched as a
// float. A price beyond the range drops its row as a NULL price would; a
// volume or adjusted close beyond it reads as 0. In the second case each
// value is a float, but the adjusted close over the close is not.
TEST_F(BarServerTest, NumbersBeyondAFloatSkipTheRowOrAdjustNothing) {
  bar_test::LoadRowsPastChecks(
      "NVEod", "ZZHUGE",
      "('2024-03-04',10,11,9,10,100,5),('2024-03-05',20,21,19,20,1e39,20),"
      "('2024-03-06',30,31,29,30,300,-1e39),('2024-03-07',40,41,39,40,400,1e39),"
      "('2024-03-08',1,1e39,1,1,5,1),('2024-03-11',1e39,1e39,1e39,1e39,7,1e39)");
  Quotation held[3] = {Day(1, 8, 80), Day(2, 9, 90)};
  EXPECT_EQ((Bars{"20240304 eod 5/5.5/4.5/5 200", "20240305 eod 20/21/19/20 0",
                  "20240306 eod 30/31/29/30 300", "20240307 eod 40/41/39/40 400"}),
            Fetch(g, "ZZHUGE", 86400, "2024-03-04", 1, held))
      << "only the first row adjusts (by 0.5); a price beyond a float makes no bar";
  EXPECT_EQ((Bars{"20240301 00:00:00 4/4/4/4 160", "20240302 00:00:00 9/9/9/9 90"}),
            Show(held, 2))
      << "the held bars are rescaled by the first row alone, the host's last bar never";

  LoadRows("NVEod", "ZZFACTOR",
           "('2024-03-04',2,2,2,2,100,2),('2024-03-05',1e-30,1e-30,1e-30,1e-30,50,1e30),"
           "('2024-03-06',3e38,3e38,3e38,3e38,1e30,1e-10)");
  held[0] = Day(1, 8, 80);
  EXPECT_EQ((Bars{"20240304 eod 2/2/2/2 100", "20240305 eod 1e-30/1e-30/1e-30/1e-30 50",
                  "20240306 eod 3e+38/3e+38/3e+38/3e+38 1e+30"}),
            Fetch(g, "ZZFACTOR", 86400, "2024-03-04", 1, held));
  EXPECT_EQ("20240301 00:00:00 8/8/8/8 80", Show(held[0]))
      << "no held bar is rescaled by a factor beyond a float";
}

TEST_F(BarServerTest, FailuresLeaveTheHostsBarsAndShowNoBox) {
  LoadRows("NVEod", "ZZFAIL", "('2024-03-04',1,1,1,1,5,2)");
  Quotation held[3] = {Day(1, 8, 8), Day(2, 9, 9)};
  Quotation before[3];
  std::memcpy(before, held, sizeof held);
  // A column missing from the select list: its box is the tick-in-box test's.
  const std::string list = g.m_strEodColumns;
  g.m_strEodColumns = list + ",NoSuchColumn";  // the server rejects it
  const Bars shown = testing_boxes::MessagesDuring([&] {
    EXPECT_EQ(Bars{}, Fetch(g, "ZZFAIL", 86400, "2024-03-01", 1, held, 0));
    // An empty statement, for a periodicity without one.
    EXPECT_EQ(Bars{}, Fetch(g, "ZZFAIL", 300, "2024-03-01", 1, held, 0));
    g.m_strEodColumns = list;
    // An empty result.
    EXPECT_EQ(Bars{}, Fetch(g, "ZZFAIL", 86400, "2030-01-01", 1, held, 0));
  });
  EXPECT_EQ(Bars{}, shown);
  std::vector<Quotation> fetched;
  int result;
  {  // Out of memory: a failed fetch, not an exception.
    FailingAllocations none(0);
    result = FetchBars(g, fetched, "ZZFAIL", 86400, 1, "2024-03-01", "00:00", held);
  }
  EXPECT_EQ(0, result);
  EXPECT_TRUE(fetched.empty());
  EXPECT_EQ(0, std::memcmp(before, held, sizeof held));
  delete g.m_pDatabase;
  g.m_pDatabase = nullptr;
  EXPECT_EQ(Bars{}, Fetch(g, "ZZFAIL", 86400, "2024-03-01", 1, held, 0));
}

// A ticker reaches the statement unchanged (a quote or a % in it too): the
// statements test; the plug-in's account can write nothing whatever the
// statement says: server/test_server.sh.

// Each row with an adjusted close rescales every bar fetched so far and the
// held bars before the host's last one, in turn; a factor of 1 only sets a
// volume below 0 to 0, in every bar no rescale has reached yet. With
// AvgPrice as the close's name the open interest is a price too.
TEST_F(BarServerTest, AdjustmentsRescaleEveryEarlierBarInTurn) {
  g.m_strColCloseBidAsk = "AvgPrice";
  LoadRows("NVEod", "ZZADJ",
           "('2024-03-04',10,10,10,10,-5,10),('2024-03-05',20,20,20,20,100,10),"
           "('2024-03-06',8,8,8,8,-7,0),('2024-03-07',4,4,4,4,9,16),('2024-03-08',0,0,0,0,-1,5)");
  Quotation held[3] = {Day(1, 8, -3), Day(2, 6, 40), Day(3, 9, 9)};
  held[0].OpenInterest = held[1].OpenInterest = 2;
  held[2].OpenInterest = 1;
  // By 1, 0.5 (volumes by 2), nothing, 4 (volumes by 0.25), 1 (a close of 0).
  EXPECT_EQ((Bars{"20240304 eod 20/20/20/20 0 2/0/0", "20240305 eod 40/40/40/40 50",
                  "20240306 eod 32/32/32/32 0", "20240307 eod 16/16/16/16 2.25",
                  "20240308 eod 0/0/0/0 0"}),
            Fetch(g, "ZZADJ", 86400, "2024-03-04", 2, held));
  EXPECT_EQ((Bars{"20240301 00:00:00 16/16/16/16 0 4/0/0", "20240302 00:00:00 12/12/12/12 20 4/0/0",
                  "20240303 00:00:00 9/9/9/9 9 1/0/0"}),
            Show(held, 3));

  // The host's last bar of the first row's date, whose close has the whole
  // part of that row's adjusted close: that row leaves the held bars alone.
  Quotation same[2] = {Day(1, 8, 80), Held(EodMarker(PackBarTime(2024, 3, 5, 0, 0, 0)), 10.5f, 1)};
  Fetch(g, "ZZADJ", 86400, "2024-03-05", 1, same);
  EXPECT_EQ("20240301 00:00:00 32/32/32/32 20", Show(same[0]));
  // Rows of a factor of 1 only: the held volumes below 0 still become 0.
  Quotation below[2] = {Day(1, 8, -3), Day(2, 9, -9)};
  Fetch(g, "ZZADJ", 86400, "2024-03-08", 1, below);
  EXPECT_EQ((Bars{"20240301 00:00:00 8/8/8/8 0", "20240302 00:00:00 9/9/9/9 -9"}), Show(below, 2));

  // A later row of the same minute replaces the bar with its own values,
  // which the next row's factor of 1 still reaches.
  LoadRows("NVIntraday", "ZZADJ",
           "('2024-03-05','09:30:10',1,1,1,1,5,1),('2024-03-05','09:30:40',2,2,2,2,-4,2),"
           "('2024-03-05','09:31:00',3,3,3,3,3,3)");
  BuildIntradayColumnList(g);  // seconds dropped, so that rows of one minute fold
  g.m_strIntradayColumns.replace(g.m_strIntradayColumns.find("TrTime"), 6,
                                 "TIME_FORMAT(TrTime,'%H:%i:00')");
  EXPECT_EQ((Bars{"20240305 09:30:00 2/2/2/2 0", "20240305 09:31:00 3/3/3/3 3"}),
            Fetch(g, "ZZADJ", 60, "2024-03-05"));
}

#if defined(__linux__) && !defined(__SANITIZE_ADDRESS__)
long ResidentKb() {
  std::ifstream in("/proc/self/status");
  std::string line;
  while (std::getline(in, line))
    if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
  return -1;
}

// Each request's memory is given back: nothing per row outlives it, in the
// plug-in or in the driver (which keeps a copy of every date-time text it is
// asked to convert).
TEST_F(BarServerTest, RequestsKeepNoMemoryPerRow) {
  const int rows = 20000;
  std::string values;
  char row[96];
  for (int n = 0; n < rows; ++n) {
    std::snprintf(row, sizeof row, "%s('2024-01-%02d','%02d:%02d:00',1,2,0.5,1.5,%d,1.5)",
                  n ? "," : "", 1 + n / 1440, n / 60 % 24, n % 60, n);
    values += row;
  }
  LoadRows("NVIntraday", "ZZMEM", values);
  auto requests = [&](int count) {
    for (std::vector<Quotation> fetched; count-- > 0; fetched.clear()) {
      ASSERT_EQ(1, FetchBars(g, fetched, "ZZMEM", 60, -1, "2024-01-01", "00:00", nullptr));
      ASSERT_EQ(static_cast<size_t>(rows), fetched.size());
    }
  };
  requests(2);  // the first requests settle the allocator's pools
  const long before = ResidentKb();
  ASSERT_GT(before, 0);
  requests(4);
  // 32 bytes a row kept would be 2,500 KiB over these four requests.
  EXPECT_LT(ResidentKb() - before, 400) << "KiB kept by four requests of " << rows << " rows";
  LoadRows("NVIntraday", "ZZMEM", "");
}
#endif

}  // namespace
