#include "realtime/realtime_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

// One record a ticker whatever its letter case, its first form kept: the
// host's demo (host/readme_test.sh); a new record is zero but for its name
// and a refreshed row matches its record's name exactly: the refresh test.
// Here the records stay where they were given; the rest stays zero.
TEST(RealtimeTableTest, TwentyTickersStayPutAndTheTwentyFirstIsRefused) {
  const std::unique_ptr<CRealtimeTable> table(CRealtimeTable::Create());
  std::vector<RecentInfo*> records;
  for (int i = 0; i < 20; ++i) {
    records.push_back(table->FindOrAddRecentInfo(("T" + std::to_string(i)).c_str()));
    ASSERT_EQ(table->Record(i), records.back());
  }
  EXPECT_EQ(nullptr, table->FindOrAddRecentInfo("T20"));
  for (int i = 20; i < CRealtimeTable::kCapacity; ++i) {
    const auto* p = reinterpret_cast<const unsigned char*>(table->Record(i));
    EXPECT_TRUE(std::all_of(p, p + sizeof(RecentInfo), [](unsigned char b) { return b == 0; }));
  }
  EXPECT_EQ(20, table->UsedCount());
}

TEST(RealtimeTableTest, TickerLongerThanTheNameFieldIsRefusedWhole) {
  const std::unique_ptr<CRealtimeTable> table(CRealtimeTable::Create());
  // A mark in the field right after the name shows any write past it.
  table->Record(0)->Exchange[0] = 'X';
  EXPECT_EQ(nullptr, table->FindOrAddRecentInfo(std::string(64, 'B').c_str()));
  EXPECT_EQ(0, table->UsedCount());
  EXPECT_EQ('X', table->Record(0)->Exchange[0]);
  RecentInfo* r = table->FindOrAddRecentInfo(std::string(63, 'A').c_str());
  ASSERT_NE(nullptr, r);
  EXPECT_EQ(std::string(63, 'A'), r->Name);
  EXPECT_EQ('X', r->Exchange[0]);
  EXPECT_EQ(nullptr, table->FindOrAddRecentInfo(nullptr));
}

}  // namespace
