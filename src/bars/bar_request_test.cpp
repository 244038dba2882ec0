// Bar stamps, the merge into the host's array, and the host's bar requests
// against real rows (start point, intraday short cut, older record layout).
#include "bars/bar_request.h"

#include <gtest/gtest.h>

#include <cstring>
#include <utility>
#include <vector>

#include "abi/bar_time.h"
#include "bars/bar_merge.h"
#include "lifecycle/conn_state.h"
#include "testing/bar_rows.h"

namespace {

using bar_test::Closes;
using bar_test::Daily;

TEST(BarTime, PacksFieldsAndMarksTheEndOfDay) {
  const uint64_t t = PackBarTime(2024, 3, 5, 10, 15, 59);
  EXPECT_EQ(uint64_t{2024u << 20 | 3u << 16 | 5u << 11 | 10u << 6 | 15u} << 32 | 59u << 26, t);
  // Unpacked, and the marker recognised: the bars the fetch test shows; the
  // date number: the request tests' start points.
  EXPECT_EQ(uint64_t{HighWord(t) | 0x7FFu} << 32 | 0xFFFFFFC0u, EodMarker(t));
  // Values cut to their field widths: fuzz/timestamp_fuzz.cpp.
  const Quotation q = bar_test::Held(t, 0, 0);  // the low word first
  EXPECT_EQ(std::make_pair(LowWord(t), HighWord(t)), std::make_pair(q.DateTimeLow, q.DateTimeHigh));
}

// Which held bars stay before the fetched ones: the request tests below; the
// newest fetched bars that fit, and nothing written past the capacity, also
// for a capacity of 0: fuzz/bars_fuzz.cpp.
TEST(MergeBars, FitsIntoTheCapacity) {
  // Overlapping move: keep 4 of 6 held bars behind 2 fetched in capacity 6.
  Quotation six[6] = {Daily(1, 1), Daily(2, 2), Daily(3, 3), Daily(4, 4), Daily(5, 5), Daily(6, 6)};
  std::vector<Quotation> two = {Daily(7, 7), Daily(8, 8)};
  EXPECT_EQ(6, MergeBars(5, six, 6, two));
  EXPECT_EQ((std::vector<float>{3, 4, 5, 6, 7, 8}), Closes(six, 6));
  // A host claiming more bars than its capacity is not read or written past it.
  Quotation three[4] = {Daily(1, 1), Daily(2, 2), Daily(3, 3), Daily(28, 99)};
  EXPECT_EQ(3, MergeBars(40, three, 3, two));
  EXPECT_EQ((std::vector<float>{3, 7, 8}), Closes(three, 3));
  EXPECT_EQ(99.0f, three[3].Close);
}

// Tests share the module's connection state; each request test sets it and
// puts it back.
class BarRequestTest : public bar_test::BarServerTest {
 protected:
  void SetUp() override {
    saved_ = g_nConnState;
    g_nConnState = CONN_CONNECTED;
    BarServerTest::SetUp();
    g.m_strBackfillEod = "2024-03-04";
    g.m_nBackfillEod = 20240304;
    g.m_strBackfillIntraday = "2024-03-05";
    g.m_nBackfillIntraday = 20240305;
    g.m_nMarketDate = 20240306;
    bar_test::LoadRows("NVEod", "ZZREQ",
                       "('2024-03-01',1,1,1,1,1,0),('2024-03-04',4,4,4,4,4,0),"
                       "('2024-03-05',5,5,5,5,5,0),('2024-03-06',6,6,6,6,6,0)");
    bar_test::LoadRows("NVIntraday", "ZZREQ",
                       "('2024-03-04','15:00:00',40,40,40,40,1,0),"
                       "('2024-03-05','10:15:00',51,51,51,51,1,0),"
                       "('2024-03-05','10:16:00',52,52,52,52,1,0),"
                       "('2024-03-05','23:59:59',53,53,53,53,1,0),"
                       "('2024-03-06','09:00:00',61,61,61,61,1,0)");
  }
  void TearDown() override { g_nConnState = saved_; }

  // The closes of the request's bars, after it answered `count`.
  std::vector<float> Request(int periodicity, int lastValid, Quotation* bars, int count) {
    EXPECT_EQ(count, GetQuotesEx(g, "ZZREQ", periodicity, lastValid, 10, bars));
    return bar_test::Closes(bars, count);
  }

  int32_t saved_ = 0;
};

TEST_F(BarRequestTest, OnlyWhileConnected) {
  Quotation bars[3], before[3];
  std::memset(bars, 0x5A, sizeof bars);
  std::memcpy(before, bars, sizeof bars);
  for (int32_t state : {CONN_WAIT, CONN_DISCONNECTED, CONN_DOWN, CONN_ERROR}) {
    g_nConnState = state;
    EXPECT_EQ(42, GetQuotesEx(g, "ZZREQ", 86400, 41, 100, bars));
    EXPECT_EQ(0, GetQuotesEx(g, "ZZREQ", 60, -1, 3, bars));
  }
  EXPECT_EQ(0, std::memcmp(before, bars, sizeof bars));
}

TEST_F(BarRequestTest, DailyStartPoint) {
  Quotation bars[10] = {};  // nothing held: from the configured date
  EXPECT_EQ((std::vector<float>{4, 5, 6}), Request(86400, -1, bars, 3));
  // One held bar counts as no history: the configured date again, and the
  // held bar, newer than the first fetched one, is dropped...
  Quotation one[10] = {Daily(5, 50)};
  EXPECT_EQ((std::vector<float>{4, 5, 6}), Request(86400, 0, one, 3));
  // ...unless no date is configured: then from that bar's date.
  g.m_nBackfillEod = 0;
  Quotation single[10] = {Daily(5, 50)};
  EXPECT_EQ((std::vector<float>{5, 6}), Request(86400, 0, single, 2));
  g.m_nBackfillEod = 20240304;
  // History up to a date at or after the configured one: from the last
  // bar's date, which the fetched bar of that date replaces.
  Quotation held[10] = {Daily(1, 10), Daily(4, 40), Daily(5, 50)};
  EXPECT_EQ((std::vector<float>{10, 40, 5, 6}), Request(86400, 2, held, 4));
  // History ending before the configured date: from the configured date.
  Quotation old[10] = {Daily(1, 10), Daily(2, 20)};
  EXPECT_EQ((std::vector<float>{10, 20, 4, 5, 6}), Request(86400, 1, old, 5));
}

TEST_F(BarRequestTest, IntradayStartPoint) {
  Quotation bars[10] = {};
  EXPECT_EQ((std::vector<float>{51, 52, 53, 61}), Request(60, -1, bars, 4));
  EXPECT_TRUE(IsEodMarker(bars[2].DateTime)) << "a row at 23:59:59 closes the day";
  // From the last bar's date and time, which the fetched bar replaces; the
  // held bar before it stays.
  Quotation held[10] = {bars[0], bars[1]};
  held[0].Close = 50;
  held[1].Close = 99;
  EXPECT_EQ((std::vector<float>{50, 52, 53, 61}), Request(60, 1, held, 4));
  // An end-of-day last bar dated on or after the market date: no query.
  Quotation closed[10] = {bars[0], bars[2]};
  closed[1].Close = 99;
  for (int marketDate : {20240305, 0}) {
    g.m_nMarketDate = marketDate;
    EXPECT_EQ((std::vector<float>{51, 99}), Request(60, 1, closed, 2)) << marketDate;
  }
  // Before the market date: from 23:59:59 of that day, whose row replaces it.
  g.m_nMarketDate = 20240306;
  EXPECT_EQ((std::vector<float>{51, 53, 61}), Request(60, 1, closed, 3));
}

TEST_F(BarRequestTest, OlderLayoutRoundTrip) {
  const QuotationOld old{124u << 24 | 3u << 20 | 5u << 15 | 10u << 10 | 15u << 4 | 15u,
                         0, 0, 0, 0, -3, 77, {}};
  Quotation bar = FromQuotationOld(old);
  EXPECT_EQ(std::make_pair(-3.0f, 77.0f), std::make_pair(bar.Volume, bar.OpenInterest));
  bar.DateTime = PackBarTime(2024, 3, 5, 10, 15, 59);
  bar.Volume = 12.9f;
  QuotationOld back{0, 0, 0, 0, 0, 0, 0, {0x77, 0x77}};
  ToQuotationOld(bar, back);
  EXPECT_EQ(124u << 24 | 3u << 20 | 5u << 15 | 10u << 10 | 15u << 4 | 11u, back.DateTime);
  EXPECT_EQ(12, back.Volume);
  EXPECT_EQ(0x77, back.Reserved[0]);

  // Through the request: daily bars come back with the end-of-day second.
  QuotationOld host[6] = {};
  EXPECT_EQ(3, GetQuotes(g, "ZZREQ", 86400, -1, 6, host));
  EXPECT_EQ(124u << 24 | 3u << 20 | 4u << 15 | 31u << 10 | 63u << 4 | 15u, host[0].DateTime);
  EXPECT_EQ(6.0f, host[2].Close);

  // Nothing comes back: the host's records are not written.
  g_nConnState = CONN_DISCONNECTED;
  std::memset(host, 0x5A, sizeof host);
  EXPECT_EQ(0, GetQuotes(g, "ZZREQ", 86400, -1, 6, host));
  EXPECT_EQ(0x5A5A5A5Au, host[0].DateTime);
}

}  // namespace
