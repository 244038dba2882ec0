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

#include "db/database.h"
#include "db/statements.h"
#include "host/bar_time.h"
#include "testing/bar_rows.h"
#include "testing/test_server.h"

namespace {

using bar_test::BarServerTest;
using bar_test::LoadRows;
using bar_test::LoadRowsPastChecks;

Quotation Held(uint64_t stamp, float close, float volume) {
  Quotation q{};
  q.DateTime = stamp;
  q.Open = q.High = q.Low = q.Close = close;
  q.Volume = volume;
  return q;
}

TEST_F(BarServerTest, PacksMarksAndFoldsRows) {
  LoadRows("NVIntraday", "ZZFOLD",
           "('2024-03-05','09:30:00',1,1,1,1,10,0),('2024-03-05','09:31:10',2,2,2,2,20,0),"
           "('2024-03-05','09:31:40',3,4,2.5,3.5,30,0),('2024-03-05','23:59:58',5,5,5,5,50,0),"
           "('2024-03-05','23:59:59',6,6,6,6,60,0)");
  // Seconds dropped by the statement, so that two rows share one minute.
  g.m_strIntradayColumns.replace(g.m_strIntradayColumns.find("TrTime"), 6,
                                 "TIME_FORMAT(TrTime,'%H:%i:00')");
  std::vector<Quotation> fetched;
  ASSERT_EQ(1, FetchBars(g, fetched, "ZZFOLD", 60, -1, "2024-03-05", "00:00", nullptr));
  ASSERT_EQ(3u, fetched.size());
  EXPECT_EQ(PackBarTime(2024, 3, 5, 9, 31, 0), fetched[1].DateTime);
  EXPECT_EQ(3.0f, fetched[1].Open);
  EXPECT_EQ(4.0f, fetched[1].High);
  EXPECT_EQ(2.5f, fetched[1].Low);
  EXPECT_EQ(3.5f, fetched[1].Close);
  EXPECT_EQ(30.0f, fetched[1].Volume) << "the last row wins, nothing is added up";
  EXPECT_EQ(PackBarTime(2024, 3, 5, 23, 59, 0), fetched[2].DateTime);
  EXPECT_EQ(6.0f, fetched[2].Close);

  BuildIntradayColumnList(g);
  fetched.clear();
  ASSERT_EQ(1, FetchBars(g, fetched, "ZZFOLD", 60, -1, "2024-03-05", "09:31:40", nullptr));
  ASSERT_EQ(3u, fetched.size());
  EXPECT_EQ(PackBarTime(2024, 3, 5, 9, 31, 40), fetched[0].DateTime);
  EXPECT_EQ(PackBarTime(2024, 3, 5, 23, 59, 58), fetched[1].DateTime);
  EXPECT_EQ(EodMarker(PackBarTime(2024, 3, 5, 0, 0, 0)), fetched[2].DateTime);

  LoadRows("NVEod", "ZZFOLD", "('2024-03-04',1,2,0.5,1.5,0,0),('2024-03-05',2,3,1,2.5,7,0)");
  fetched.clear();
  ASSERT_EQ(1, FetchBars(g, fetched, "ZZFOLD", 86400, -1, "2024-03-05", "00:00", nullptr));
  ASSERT_EQ(1u, fetched.size());
  EXPECT_EQ(2024u << 20 | 3u << 16 | 5u << 11 | 0x7FFu, fetched[0].DateTimeHigh);
  EXPECT_EQ(0xFFFFFFC0u, fetched[0].DateTimeLow);
  EXPECT_EQ(2.5f, fetched[0].Close);
  EXPECT_EQ(7.0f, fetched[0].Volume);
}

TEST_F(BarServerTest, CarriesTheHostsValuesIntoTheFirstBarOnly) {
  LoadRows("NVEod", "ZZCARRY",
           "('2024-03-04',1,1,1,1,0,0),('2024-03-05',2,2,2,2,5,0),('2024-03-06',3,3,3,3,6,0)");
  Quotation held[3] = {Held(PackBarTime(2024, 3, 1, 0, 0, 0), 9, 9),
                       Held(PackBarTime(2024, 3, 2, 0, 0, 0), 9, 9)};
  held[0].OpenInterest = 11;
  held[1].OpenInterest = 21;
  held[1].Aux1 = 22;
  held[1].Aux2 = 23;
  std::vector<Quotation> fetched;
  ASSERT_EQ(1, FetchBars(g, fetched, "ZZCARRY", 86400, 1, "2024-03-04", "00:00", held));
  ASSERT_EQ(3u, fetched.size());
  EXPECT_EQ(21.0f, fetched[0].OpenInterest);
  EXPECT_EQ(22.0f, fetched[0].Aux1);
  EXPECT_EQ(23.0f, fetched[0].Aux2);
  EXPECT_EQ(0.0f, fetched[0].Volume) << "a bar with zero volume is a bar like any other";
  for (int i = 1; i < 3; ++i)
    EXPECT_EQ(0.0f, fetched[i].OpenInterest + fetched[i].Aux1 + fetched[i].Aux2);

  // With one held bar nothing is carried.
  fetched.clear();
  ASSERT_EQ(1, FetchBars(g, fetched, "ZZCARRY", 86400, 0, "2024-03-04", "00:00", held + 1));
  EXPECT_EQ(0.0f, fetched[0].OpenInterest + fetched[0].Aux1 + fetched[0].Aux2);
}

TEST_F(BarServerTest, NullValuesSkipTheRowOrReadAsZero) {
  LoadRows("NVEod", "ZZNULL",
           "('2024-03-04',1,1,1,NULL,5,5),('2024-03-05',NULL,2,2,2,5,5),"
           "('2024-03-06',3,3,3,3,NULL,NULL),('2024-03-07',4,4,4,4,-7,NULL)");
  std::vector<Quotation> fetched;
  ASSERT_EQ(1, FetchBars(g, fetched, "ZZNULL", 86400, -1, "2024-03-01", "00:00", nullptr));
  ASSERT_EQ(2u, fetched.size());
  EXPECT_EQ(20240306, BarDateNumber(fetched[0].DateTime));
  EXPECT_EQ(0.0f, fetched[0].Volume);
  EXPECT_EQ(-7.0f, fetched[1].Volume) << "a NULL adjusted close adjusts nothing";

  LoadRows("NVEod", "ZZNULL", "('2024-03-04',1,1,1,NULL,5,5)");
  fetched.clear();
  EXPECT_EQ(0, FetchBars(g, fetched, "ZZNULL", 86400, -1, "2024-03-01", "00:00", nullptr));
}

bool AllFinite(const Quotation& q) {
  return std::isfinite(q.Open) && std::isfinite(q.High) && std::isfinite(q.Low) &&
         std::isfinite(q.Close) && std::isfinite(q.Volume) && std::isfinite(q.OpenInterest);
}

TEST_F(BarServerTest, NumbersBeyondAFloatSkipTheRowOrReadAsZero) {
  // The server holds doubles; 1e39 arrives as an infinity once fetched as a
  // float. A price beyond the range drops its row as a NULL price would; a
  // volume or adjusted close beyond it reads as 0.
  LoadRowsPastChecks("NVEod", "ZZHUGE",
                     "('2024-03-04',10,11,9,10,100,5),('2024-03-05',20,21,19,20,1e39,20),"
                     "('2024-03-06',30,31,29,30,300,-1e39),('2024-03-07',40,41,39,40,400,1e39),"
                     "('2024-03-08',1,1e39,1,1,5,1),('2024-03-11',1e39,1e39,1e39,1e39,7,1e39)");
  Quotation held[3] = {Held(PackBarTime(2024, 3, 1, 0, 0, 0), 8, 80),
                       Held(PackBarTime(2024, 3, 2, 0, 0, 0), 9, 90)};
  std::vector<Quotation> fetched;
  ASSERT_EQ(1, FetchBars(g, fetched, "ZZHUGE", 86400, 1, "2024-03-04", "00:00", held));
  for (const Quotation& q : fetched) EXPECT_TRUE(AllFinite(q)) << BarDateNumber(q.DateTime);
  ASSERT_EQ(4u, fetched.size()) << "the rows with a price beyond a float make no bar";
  EXPECT_EQ(20240307, BarDateNumber(fetched[3].DateTime));
  // Only the first row adjusts (factor 0.5); the later ones have no usable
  // adjusted close.
  EXPECT_EQ(5.0f, fetched[0].Close);
  EXPECT_EQ(200.0f, fetched[0].Volume);
  EXPECT_EQ(20.0f, fetched[1].Close);
  EXPECT_EQ(0.0f, fetched[1].Volume) << "a volume beyond a float reads as 0";
  EXPECT_EQ(30.0f, fetched[2].Close);
  EXPECT_EQ(40.0f, fetched[3].Close);
  EXPECT_EQ(400.0f, fetched[3].Volume);
  EXPECT_EQ(4.0f, held[0].Close) << "the held bar is rescaled by the first row alone";
  EXPECT_EQ(160.0f, held[0].Volume);
  EXPECT_EQ(9.0f, held[1].Close) << "the host's last bar is never rescaled";
}

TEST_F(BarServerTest, AFactorBeyondAFloatAdjustsNothing) {
  // Each value is a float, but the adjusted close over the close is not.
  LoadRows("NVEod", "ZZFACTOR",
           "('2024-03-04',2,2,2,2,100,2),('2024-03-05',1e-30,1e-30,1e-30,1e-30,50,1e30),"
           "('2024-03-06',3e38,3e38,3e38,3e38,1e30,1e-10)");
  Quotation held[3] = {Held(PackBarTime(2024, 3, 1, 0, 0, 0), 8, 80),
                       Held(PackBarTime(2024, 3, 2, 0, 0, 0), 9, 90)};
  std::vector<Quotation> fetched;
  ASSERT_EQ(1, FetchBars(g, fetched, "ZZFACTOR", 86400, 1, "2024-03-04", "00:00", held));
  ASSERT_EQ(3u, fetched.size());
  for (const Quotation& q : fetched) EXPECT_TRUE(AllFinite(q)) << BarDateNumber(q.DateTime);
  EXPECT_EQ(2.0f, fetched[0].Close);
  EXPECT_EQ(100.0f, fetched[0].Volume);
  EXPECT_EQ(8.0f, held[0].Close) << "no held bar is rescaled by a factor beyond a float";
  EXPECT_EQ(80.0f, held[0].Volume);
}

TEST_F(BarServerTest, FailuresLeaveTheHostsBarsAndOnlyAMissingColumnIsTold) {
  LoadRows("NVEod", "ZZFAIL", "('2024-03-04',1,1,1,1,5,2)");
  Quotation held[3] = {Held(PackBarTime(2024, 3, 1, 0, 0, 0), 8, 8),
                       Held(PackBarTime(2024, 3, 2, 0, 0, 0), 9, 9)};
  Quotation before[3];
  std::memcpy(before, held, sizeof held);
  std::vector<Quotation> fetched;

  std::string list = g.m_strEodColumns;
  g.m_strEodColumns = list.substr(0, list.rfind(",AdjClose"));
  std::string shown = bar_test::MessagesDuring([&] {
    EXPECT_EQ(0, FetchBars(g, fetched, "ZZFAIL", 86400, 1, "2024-03-01", "00:00", held));
  });
#if !defined(_WIN32)
  EXPECT_EQ("Field 'AdjClose' is not found in the plugin.\n", shown);
#endif

  g.m_strEodColumns = list + ",NoSuchColumn";  // the server rejects it
  std::string silent = bar_test::MessagesDuring([&] {
              EXPECT_EQ(0, FetchBars(g, fetched, "ZZFAIL", 86400, 1, "2024-03-01", "00:00", held));
              // An empty statement, for a periodicity without one.
              EXPECT_EQ(0, FetchBars(g, fetched, "ZZFAIL", 300, 1, "2024-03-01", "00:00", held));
              g.m_strEodColumns = list;
              // An empty result.
              EXPECT_EQ(0, FetchBars(g, fetched, "ZZFAIL", 86400, 1, "2030-01-01", "00:00", held));
            });
#if !defined(_WIN32)
  EXPECT_EQ("", silent);
#endif
  EXPECT_TRUE(fetched.empty());
  EXPECT_EQ(0, std::memcmp(before, held, sizeof held));

  delete g.m_pDatabase;
  g.m_pDatabase = nullptr;
  EXPECT_EQ(0, FetchBars(g, fetched, "ZZFAIL", 86400, 1, "2024-03-01", "00:00", held));
}

TEST_F(BarServerTest, TickersReachTheServerUnchangedAndHarmNothing) {
  for (std::string ticker : {"A%s", "A%n%n", "C\"D", "E`F"}) {
    LoadRows("NVEod", ticker, "('2024-03-04',1,1,1,1,5,0)");
    std::vector<Quotation> fetched;
    EXPECT_EQ(1, FetchBars(g, fetched, ticker, 86400, -1, "2024-01-01", "00:00", nullptr))
        << ticker;
    EXPECT_EQ(1u, fetched.size()) << ticker;
  }
  // A quote ends the ticker's text early: the statement reads more rows or
  // is rejected, but the plug-in's account writes nothing.
  long before = bar_test::CountRows("NVEod");
  for (std::string ticker : {"X' OR '1'='1", "X'; DELETE FROM NVEod; -- ", "\\", "B\\'"}) {
    std::vector<Quotation> fetched;
    FetchBars(g, fetched, ticker, 86400, -1, "2024-01-01", "00:00", nullptr);
    EXPECT_NE(std::string::npos,
              BuildBarQuery(g, ticker, 86400, "2024-01-01", "00:00").find("'" + ticker + "'"));
  }
  EXPECT_EQ(before, bar_test::CountRows("NVEod"));
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
      // drops the seconds, so the second row of a pair folds.
      int second = i % 2 == 0 ? pick(30) : 30 + pick(30);
      RefRow r{};
      r.stamp = daily ? PackBarTime(2020 + i / 336, 1 + i / 28 % 12, 1 + i % 28, 0, 0, 0)
                      : PackBarTime(2024, 4, 1 + i / 60, 9 + i % 60 / 10, i % 10 / 2 * 5, 0);
      r.open = price(), r.high = price(), r.low = price(), r.close = price();
      r.volume = static_cast<float>(pick(8) == 0 ? -pick(50) : pick(100000));
      int kind = pick(60);
      r.adjClose = kind == 0 ? price() : kind == 1 ? 0.0f : kind == 2 ? -1.0f : r.close;
      if (i == 7) r.close = 0, r.adjClose = 5;
      BarTime t = UnpackBarTime(r.stamp);
      char text[200];
      if (daily)
        std::snprintf(text, sizeof text, "('%d-%02d-%02d',", t.year, t.month, t.day);
      else
        std::snprintf(text, sizeof text, "('%d-%02d-%02d','%02d:%02d:%02d',", t.year, t.month,
                      t.day, t.hour, t.minute, second);
      values += (values.empty() ? "" : ",") + std::string(text);
      std::snprintf(text, sizeof text, "%.6f,%.6f,%.6f,%.6f,%.6f,%.6f)", r.open, r.high, r.low,
                    r.close, r.volume, r.adjClose);
      values += text;
      rows.push_back(r);
    }
    LoadRows(daily ? "NVEod" : "NVIntraday", "ZZADJ", values);
    BuildIntradayColumnList(g);
    g.m_strIntradayColumns.replace(g.m_strIntradayColumns.find("TrTime"), 6,
                                   "TIME_FORMAT(TrTime,'%H:%i:00')");

    // Held bars before the first row; in round 2 the host's last bar has
    // the first row's stamp and a close whose whole part equals the first
    // row's adjusted close, so that row leaves the held bars alone.
    Quotation held[12], expectedHeld[12];
    for (int i = 0; i < 12; ++i) {
      held[i] = Held(PackBarTime(2019, 1, 1 + i, 10, 0, 0), price(), static_cast<float>(pick(9) - 3));
      held[i].OpenInterest = price();
    }
    if (round == 2) {
      rows[0].adjClose = rows[0].close + 0.5f;
      char first[200];
      std::snprintf(first, sizeof first, "%.6f)", rows[0].adjClose);
      size_t end = values.find(')');
      values = values.substr(0, values.rfind(',', end) + 1) + first + values.substr(end + 1);
      LoadRows("NVEod", "ZZADJ", values);
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
  auto request = [&] {
    std::vector<Quotation> fetched;
    ASSERT_EQ(1, FetchBars(g, fetched, "ZZMEM", 60, -1, "2024-01-01", "00:00", nullptr));
    ASSERT_EQ(static_cast<size_t>(rows), fetched.size());
  };
  // The first requests settle the allocator's pools.
  for (int i = 0; i < 2; ++i) request();
  const long before = ResidentKb();
  ASSERT_GT(before, 0);
  for (int i = 0; i < 4; ++i) request();
  // 32 bytes a row kept would be 2,500 KiB over these four requests.
  EXPECT_LT(ResidentKb() - before, 400) << "KiB kept by four requests of " << rows << " rows";
  LoadRows("NVIntraday", "ZZMEM", "");
}
#endif

}  // namespace
