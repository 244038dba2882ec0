#include "bars/bar_merge.h"

#include <gtest/gtest.h>

#include <vector>

#include "abi/bar_time.h"
#include "testing/bar_rows.h"

namespace {

using bar_test::Closes;
using bar_test::Daily;

TEST(BarTime, PacksFieldsAndMarksTheEndOfDay) {
  uint64_t t = PackBarTime(2024, 3, 5, 10, 15, 59);
  EXPECT_EQ(2024u << 20 | 3u << 16 | 5u << 11 | 10u << 6 | 15u, HighWord(t));
  EXPECT_EQ(59u << 26, LowWord(t));
  BarTime back = UnpackBarTime(t);
  EXPECT_EQ(2024, back.year);
  EXPECT_EQ(59, back.second);
  EXPECT_EQ(20240305, BarDateNumber(t));
  EXPECT_FALSE(IsEodMarker(t));

  uint64_t eod = EodMarker(t);
  EXPECT_EQ(HighWord(t) | 0x7FFu, HighWord(eod));
  EXPECT_EQ(0xFFFFFFC0u, LowWord(eod));
  EXPECT_TRUE(IsEodMarker(eod));
  EXPECT_EQ(20240305, BarDateNumber(eod));
  // The marker sorts after every intraday stamp of its day, before the next day.
  EXPECT_LT(PackBarTime(2024, 3, 5, 23, 59, 59), eod);
  EXPECT_LT(eod, PackBarTime(2024, 3, 6, 0, 0, 0));
  // Values are cut to their field widths, never spilling into a neighbour.
  EXPECT_EQ(PackBarTime(2024, 3, 5, 0, 0, 0), PackBarTime(2024 + 4096, 3 + 16, 5 + 32, 32, 64, 64));
  // Quotation keeps the low word first.
  Quotation q{};
  q.DateTime = t;
  EXPECT_EQ(LowWord(t), q.DateTimeLow);
  EXPECT_EQ(HighWord(t), q.DateTimeHigh);
}

// Held bars kept before the first fetched stamp, a single held bar dropped,
// and the oldest giving way to a full chart's: here and in the bar request
// test.
TEST(MergeBars, FitsIntoTheCapacity) {
  // Seven fetched into five: the newest five, no held bar.
  Quotation small[6] = {Daily(1, 1), Daily(2, 2), {}, {}, {}, Daily(28, 99)};
  std::vector<Quotation> seven;
  for (int d = 10; d < 17; ++d) seven.push_back(Daily(d, static_cast<float>(d)));
  EXPECT_EQ(5, MergeBars(1, small, 5, seven));
  EXPECT_EQ((std::vector<float>{12, 13, 14, 15, 16}), Closes(small, 5));
  EXPECT_EQ(99.0f, small[5].Close) << "wrote past the capacity";

  // Overlapping move: keep 4 of 6 held bars behind 2 fetched in capacity 6.
  Quotation six[7] = {Daily(1, 1), Daily(2, 2), Daily(3, 3), Daily(4, 4),
                      Daily(5, 5), Daily(6, 6), Daily(28, 99)};
  std::vector<Quotation> two = {Daily(7, 7), Daily(8, 8)};
  EXPECT_EQ(6, MergeBars(5, six, 6, two));
  EXPECT_EQ((std::vector<float>{3, 4, 5, 6, 7, 8}), Closes(six, 6));

  // A capacity of 0 takes nothing; a host claiming more bars than its
  // capacity is not read or written past it.
  EXPECT_EQ(0, MergeBars(-1, small, 0, seven));
  Quotation three[4] = {Daily(1, 1), Daily(2, 2), Daily(3, 3), Daily(28, 99)};
  EXPECT_EQ(3, MergeBars(40, three, 3, two));
  EXPECT_EQ((std::vector<float>{3, 7, 8}), Closes(three, 3));
  EXPECT_EQ(99.0f, three[3].Close);
}

}  // namespace
