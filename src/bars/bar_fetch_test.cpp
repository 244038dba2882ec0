// Reading bars from real rows on the private server.
#include "bars/bar_fetch.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>
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

// The bars FetchBars gives from `date` 00:00, after it returned `result`.
Bars Fetch(CGlobal& g, const std::string& ticker, int periodicity, const char* date,
           int lastValid = -1, Quotation* held = nullptr, int result = 1) {
  std::vector<Quotation> fetched;
  EXPECT_EQ(result, FetchBars(g, fetched, ticker, periodicity, lastValid, date, "00:00", held))
      << ticker << " from " << date;
  return Show(fetched.data(), fetched.size());
}

// Drops the seconds in the statement, so that rows of one minute fold.
void DropSeconds(CGlobal& g) {
  g.m_strIntradayColumns.replace(g.m_strIntradayColumns.find("TrTime"), 6,
                                 "TIME_FORMAT(TrTime,'%H:%i:00')");
}

// How rows of one minute fold and stamps are packed: the adjustment test
// below, bit for bit; a row at 23:59:59 closing the day: the request test.
TEST_F(BarServerTest, CarriesTheHostsValuesIntoTheFirstBarOnly) {
  LoadRows("NVEod", "ZZCARRY",
           "('2024-03-04',1,1,1,1,0,0),('2024-03-05',2,2,2,2,5,0),('2024-03-06',3,3,3,3,6,0)");
  Quotation held[3] = {Held(PackBarTime(2024, 3, 1, 0, 0, 0), 9, 9),
                       Held(PackBarTime(2024, 3, 2, 0, 0, 0), 9, 9)};
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
  Quotation held[3] = {Held(PackBarTime(2024, 3, 1, 0, 0, 0), 8, 80),
                       Held(PackBarTime(2024, 3, 2, 0, 0, 0), 9, 90)};
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
  held[0] = Held(PackBarTime(2024, 3, 1, 0, 0, 0), 8, 80);
  EXPECT_EQ((Bars{"20240304 eod 2/2/2/2 100", "20240305 eod 1e-30/1e-30/1e-30/1e-30 50",
                  "20240306 eod 3e+38/3e+38/3e+38/3e+38 1e+30"}),
            Fetch(g, "ZZFACTOR", 86400, "2024-03-04", 1, held));
  EXPECT_EQ("20240301 00:00:00 8/8/8/8 80", Show(held[0]))
      << "no held bar is rescaled by a factor beyond a float";
}

TEST_F(BarServerTest, FailuresLeaveTheHostsBarsAndOnlyAMissingColumnIsTold) {
  LoadRows("NVEod", "ZZFAIL", "('2024-03-04',1,1,1,1,5,2)");
  Quotation held[3] = {Held(PackBarTime(2024, 3, 1, 0, 0, 0), 8, 8),
                       Held(PackBarTime(2024, 3, 2, 0, 0, 0), 9, 9)};
  Quotation before[3];
  std::memcpy(before, held, sizeof held);
  const std::string list = g.m_strEodColumns;
  g.m_strEodColumns = list.substr(0, list.rfind(",AdjClose"));
  Bars shown = testing_boxes::MessagesDuring(
      [&] { EXPECT_EQ(Bars{}, Fetch(g, "ZZFAIL", 86400, "2024-03-01", 1, held, 0)); });
  EXPECT_EQ(Bars{"Field 'AdjClose' is not found in the plugin."}, shown);
  g.m_strEodColumns = list + ",NoSuchColumn";  // the server rejects it
  shown = testing_boxes::MessagesDuring([&] {
    EXPECT_EQ(Bars{}, Fetch(g, "ZZFAIL", 86400, "2024-03-01", 1, held, 0));
    // An empty statement, for a periodicity without one.
    EXPECT_EQ(Bars{}, Fetch(g, "ZZFAIL", 300, "2024-03-01", 1, held, 0));
    g.m_strEodColumns = list;
    // An empty result.
    EXPECT_EQ(Bars{}, Fetch(g, "ZZFAIL", 86400, "2030-01-01", 1, held, 0));
  });
  EXPECT_EQ(Bars{}, shown);
  EXPECT_EQ(0, std::memcmp(before, held, sizeof held));
  {  // Out of memory: a failed fetch, not an exception.
    std::vector<Quotation> fetched;
    const std::string ticker = "ZZFAIL", date = "2024-03-01", time = "00:00";
    int result;
    {
      FailingAllocations none(0);
      result = FetchBars(g, fetched, ticker, 86400, 1, date, time, held);
    }
    EXPECT_EQ(0, result);
    EXPECT_TRUE(fetched.empty());
    EXPECT_EQ(0, std::memcmp(before, held, sizeof held));
  }
  delete g.m_pDatabase;
  g.m_pDatabase = nullptr;
  EXPECT_EQ(Bars{}, Fetch(g, "ZZFAIL", 86400, "2024-03-01", 1, held, 0));
}

TEST_F(BarServerTest, TickersReachTheServerUnchangedAndHarmNothing) {
  const char* const odd[] = {"A%s", "A%n%n", "C\"D", "E`F"};
  for (std::string ticker : odd) LoadRows("NVEod", ticker, "('2024-03-04',1,1,1,1,5,0)");
  // A quote ends the ticker's text early: the statement reads more rows or
  // is rejected, but the plug-in's account writes nothing.
  for (std::string ticker : {"X' OR '1'='1", "X'; DELETE FROM NVEod; -- ", "\\", "B\\'"}) {
    std::vector<Quotation> fetched;
    FetchBars(g, fetched, ticker, 86400, -1, "2024-01-01", "00:00", nullptr);
  }
  for (std::string ticker : odd) EXPECT_EQ(1u, Fetch(g, ticker, 86400, "2024-01-01").size());
}

// The adjustment exactly as written: every row with an adjusted close
// rescales every bar so far, one by one, in float.
struct RefRow {
  uint64_t stamp;
  float open, high, low, close, volume, adjClose;
};

std::vector<Quotation> Reference(const std::vector<RefRow>& rows, bool daily, Quotation* held,
                                 int lastValid, bool avgPrice) {
  std::vector<Quotation> out;
  float oi = 0, a1 = 0, a2 = 0;
  if (lastValid > 0) oi = held[lastValid].OpenInterest, a1 = held[lastValid].Aux1, a2 = held[lastValid].Aux2;
  uint64_t lastAdded = 0;
  for (const RefRow& r : rows) {
    Quotation q{};
    q.Open = r.open, q.High = r.high, q.Low = r.low, q.Close = r.close, q.Volume = r.volume;
    q.OpenInterest = oi, q.Aux1 = a1, q.Aux2 = a2;
    if (!daily && !out.empty() && r.stamp <= lastAdded) {
      q.DateTime = out.back().DateTime;
      out.back() = q;
    } else {
      q.DateTime = daily ? EodMarker(r.stamp) : r.stamp;
      out.push_back(q);
      lastAdded = r.stamp;
      if (r.adjClose > 0) {
        float pf = r.close > 0 ? r.adjClose / r.close : 1.0f;
        float vf = r.close > 0 ? r.close / r.adjClose : 1.0f;
        auto rescale = [&](Quotation& b) {
          b.Volume = b.Volume > 0 ? b.Volume * vf : 0.0f;
          b.Open *= pf, b.High *= pf, b.Low *= pf, b.Close *= pf;
          if (avgPrice) b.OpenInterest *= pf;
        };
        if (lastValid > 0 &&
            (held[lastValid].DateTime < q.DateTime ||
             (held[lastValid].DateTime == q.DateTime &&
              std::floor(held[lastValid].Close) != std::floor(r.adjClose))))
          for (int i = 0; i < lastValid; ++i) rescale(held[i]);
        for (Quotation& b : out) rescale(b);
      }
    }
    oi = a1 = a2 = 0;
  }
  return out;
}

TEST_F(BarServerTest, AdjustmentEqualsSequentialRescalingBitForBit) {
  std::mt19937 random(20240305);
  auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); };
  // Multiples of 1/64: the same float whether read as text, double or float.
  auto price = [&] { return static_cast<float>(64 + pick(320000)) / 64; };

  for (int round = 0; round < 4; ++round) {
    const bool daily = round % 2 == 0;
    const bool avgPrice = round >= 2;
    g.m_strColCloseBidAsk = avgPrice ? "avgprice" : "CloseBidAsk";
    std::vector<RefRow> rows;
    std::string values;
    for (int i = 0; i < 400; ++i) {
      // Intraday rows come in pairs within one minute; the statement below
      // drops the seconds, so the second row of a pair replaces the first
      // (nothing is added up).
      int second = i % 2 == 0 ? pick(30) : 30 + pick(30);
      RefRow r{};
      r.stamp = daily ? PackBarTime(2020 + i / 336, 1 + i / 28 % 12, 1 + i % 28, 0, 0, 0)
                      : PackBarTime(2024, 4, 1 + i / 60, 9 + i % 60 / 10, i % 10 / 2 * 5, 0);
      r.open = price(), r.high = price(), r.low = price(), r.close = price();
      r.volume = static_cast<float>(pick(8) == 0 ? -pick(50) : pick(100000));
      int kind = pick(60);
      r.adjClose = kind == 0 ? price() : kind == 1 ? 0.0f : kind == 2 ? -1.0f : r.close;
      if (i == 7) r.close = 0, r.adjClose = 5;
      if (round == 2 && i == 0) r.adjClose = r.close + 0.5f;
      const BarTime t = UnpackBarTime(r.stamp);
      char text[200], time[16] = "";
      if (!daily) std::snprintf(time, sizeof time, ",'%02d:%02d:%02d'", t.hour, t.minute, second);
      std::snprintf(text, sizeof text, "%s('%d-%02d-%02d'%s,%.6f,%.6f,%.6f,%.6f,%.6f,%.6f)",
                    values.empty() ? "" : ",", t.year, t.month, t.day, time, r.open, r.high,
                    r.low, r.close, r.volume, r.adjClose);
      values += text;
      rows.push_back(r);
    }
    LoadRows(daily ? "NVEod" : "NVIntraday", "ZZADJ", values);
    BuildIntradayColumnList(g);
    DropSeconds(g);

    // Held bars before the first row; in round 2 the host's last bar has
    // the first row's stamp and a close whose whole part equals the first
    // row's adjusted close, so that row leaves the held bars alone.
    Quotation held[12], expectedHeld[12];
    for (int i = 0; i < 12; ++i) {
      held[i] = Held(PackBarTime(2019, 1, 1 + i, 10, 0, 0), price(), static_cast<float>(pick(9) - 3));
      held[i].OpenInterest = price();
    }
    if (round == 2) {
      held[11].DateTime = EodMarker(rows[0].stamp);
      held[11].Close = std::floor(rows[0].adjClose) + 0.25f;
    }
    std::memcpy(expectedHeld, held, sizeof held);
    std::vector<Quotation> expected = Reference(rows, daily, expectedHeld, 11, avgPrice);

    std::vector<Quotation> fetched;
    ASSERT_EQ(1, FetchBars(g, fetched, "ZZADJ", daily ? 86400 : 60, 11, "2000-01-01", "00:00",
                           held));
    ASSERT_EQ(expected.size(), fetched.size()) << "round " << round;
    EXPECT_EQ(daily ? 400u : 200u, expected.size()) << "every second intraday row folds";
    for (size_t i = 0; i < expected.size(); ++i)
      ASSERT_EQ(0, std::memcmp(&expected[i], &fetched[i], sizeof(Quotation)))
          << "round " << round << " bar " << i << ": close " << fetched[i].Close << " vs "
          << expected[i].Close << ", volume " << fetched[i].Volume << " vs " << expected[i].Volume;
    EXPECT_EQ(0, std::memcmp(expectedHeld, held, sizeof held)) << "round " << round;
  }
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
