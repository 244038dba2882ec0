#include "realtime/realtime_table.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

bool AllZero(const RecentInfo& r) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(&r);
  for (size_t i = 0; i < sizeof r; ++i)
    if (p[i] != 0) return false;
  return true;
}

TEST(RealtimeTable, FirstRecordIsZeroButForItsName) {
  std::unique_ptr<CRealtimeTable> table(CRealtimeTable::Create());
  ASSERT_NE(nullptr, table.get());
  RecentInfo* r = table->FindOrAddRecentInfo("BBCA");
  ASSERT_EQ(table->Record(0), r);
  EXPECT_STREQ("BBCA", r->Name);
  RecentInfo copy = *r;
  std::memset(copy.Name, 0, sizeof copy.Name);
  EXPECT_TRUE(AllZero(copy));
}

TEST(RealtimeTable, LetterCaseSharesARecordOnlyForTheHost) {
  std::unique_ptr<CRealtimeTable> table(CRealtimeTable::Create());
  RecentInfo* r = table->FindOrAddRecentInfo("BbCa");
  EXPECT_EQ(r, table->FindOrAddRecentInfo("bbca"));
  EXPECT_EQ(r, table->FindOrAddRecentInfo("BBCA"));
  EXPECT_STREQ("BbCa", r->Name);  // the first form stays
  EXPECT_EQ(1, table->UsedCount());
  EXPECT_EQ(0, table->FindRecentInfoIndex("BbCa"));
  EXPECT_EQ(-1, table->FindRecentInfoIndex("BBCA"));
  EXPECT_EQ(-1, table->FindRecentInfoIndex("BbC"));
  EXPECT_EQ(-1, table->FindRecentInfoIndex("BbCaX"));
}

TEST(RealtimeTable, TwentyTickersStayPutAndTheTwentyFirstIsRefused) {
  std::unique_ptr<CRealtimeTable> table(CRealtimeTable::Create());
  std::vector<RecentInfo*> records;
  for (int i = 0; i < 20; ++i) {
    RecentInfo* r = table->FindOrAddRecentInfo(("T" + std::to_string(i)).c_str());
    ASSERT_NE(nullptr, r);
    EXPECT_EQ(table->Record(i), r);
    records.push_back(r);
  }
  EXPECT_EQ(nullptr, table->FindOrAddRecentInfo("T20"));
  for (int i = 0; i < 20; ++i) {
    EXPECT_EQ(records[i], table->FindOrAddRecentInfo(("t" + std::to_string(i)).c_str()));
    EXPECT_EQ(i, table->FindRecentInfoIndex(("T" + std::to_string(i)).c_str()));
  }
  for (int i = 20; i < CRealtimeTable::kCapacity; ++i) EXPECT_TRUE(AllZero(*table->Record(i)));
  EXPECT_EQ(20, table->UsedCount());
}

TEST(RealtimeTable, TickerLongerThanTheNameFieldIsRefusedWhole) {
  std::unique_ptr<CRealtimeTable> table(CRealtimeTable::Create());
  std::string fits(63, 'A');
  std::string tooLong(64, 'B');
  // A mark in the field right after the name shows any write past it.
  table->Record(0)->Exchange[0] = 'X';
  EXPECT_EQ(nullptr, table->FindOrAddRecentInfo(tooLong.c_str()));
  EXPECT_EQ(0, table->UsedCount());
  EXPECT_EQ('X', table->Record(0)->Exchange[0]);
  RecentInfo* r = table->FindOrAddRecentInfo(fits.c_str());
  ASSERT_NE(nullptr, r);
  EXPECT_EQ(fits, r->Name);
  EXPECT_EQ('X', r->Exchange[0]);
  EXPECT_EQ(nullptr, table->FindOrAddRecentInfo(nullptr));
}

TEST(RealtimeTable, ModuleTableIsCreatedOnFirstRequest) {
  RecentInfo* r = GetRecentInfoRecord("ModuleTick");
  ASSERT_NE(nullptr, RealtimeTable);
  EXPECT_EQ(r, GetRecentInfoRecord("MODULETICK"));
}

}  // namespace
