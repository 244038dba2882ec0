#include "realtime/realtime_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

bool AllZero(const RecentInfo& r) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(&r);
  return std::all_of(p, p + sizeof r, [](unsigned char byte) { return byte == 0; });
}

class RealtimeTableTest : public ::testing::Test {
 protected:
  std::unique_ptr<CRealtimeTable> table{CRealtimeTable::Create()};
};

// A new record is zero but for its name: the refresh test compares a
// refreshed record byte for byte.
TEST_F(RealtimeTableTest, LetterCaseSharesARecordOnlyForTheHost) {
  RecentInfo* r = table->FindOrAddRecentInfo("BbCa");
  EXPECT_EQ(r, table->FindOrAddRecentInfo("bbca"));
  EXPECT_EQ(r, table->FindOrAddRecentInfo("BBCA"));
  EXPECT_STREQ("BbCa", r->Name);  // the first form stays
  EXPECT_EQ(1, table->UsedCount());
  EXPECT_EQ(0, table->FindRecentInfoIndex("BbCa"));
  for (const char* other : {"BBCA", "BbC", "BbCaX"}) EXPECT_EQ(-1, table->FindRecentInfoIndex(other));
}

TEST_F(RealtimeTableTest, TwentyTickersStayPutAndTheTwentyFirstIsRefused) {
  std::vector<RecentInfo*> records;
  for (int i = 0; i < 20; ++i) {
    records.push_back(table->FindOrAddRecentInfo(("T" + std::to_string(i)).c_str()));
    ASSERT_NE(nullptr, records.back());
    EXPECT_EQ(table->Record(i), records.back());
  }
  EXPECT_EQ(nullptr, table->FindOrAddRecentInfo("T20"));
  for (int i = 0; i < 20; ++i) {
    EXPECT_EQ(records[i], table->FindOrAddRecentInfo(("t" + std::to_string(i)).c_str()));
    EXPECT_EQ(i, table->FindRecentInfoIndex(("T" + std::to_string(i)).c_str()));
  }
  for (int i = 20; i < CRealtimeTable::kCapacity; ++i) EXPECT_TRUE(AllZero(*table->Record(i)));
  EXPECT_EQ(20, table->UsedCount());
}

TEST_F(RealtimeTableTest, TickerLongerThanTheNameFieldIsRefusedWhole) {
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
