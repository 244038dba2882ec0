// The entry points as the host sees them: the plug-in library loaded by path.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "host/plugin_api.h"

namespace {

class ExportsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    std::string error;
    ASSERT_TRUE(api.Load(DefaultPluginPath(), &error)) << error;
  }
  static PluginApi api;
};
PluginApi ExportsTest::api;

TEST_F(ExportsTest, IdentityRecordIsCopiedWhole) {
  unsigned char record[160];
  std::memset(record, 0xCC, sizeof record);
  reinterpret_cast<PluginInfo*>(record)->nStructSize = 12;  // not honoured
  EXPECT_EQ(1, api.GetPluginInfo(reinterpret_cast<PluginInfo*>(record)));

  unsigned char expected[152] = {};
  const unsigned char head[] = {152, 0, 0, 0, 2, 0, 0, 0, 0xDA, 0x27, 0, 0, 'm', 'l', 'e', 'V'};
  std::memcpy(expected, head, sizeof head);
  std::memcpy(expected + 16, "Velmora Data Plug-in", 20);
  std::memcpy(expected + 80, "Velmora", 7);
  const unsigned char tail[] = {0xB8, 0xE7, 0x05, 0x00};  // 387000
  std::memcpy(expected + 148, tail, sizeof tail);
  EXPECT_EQ(0, std::memcmp(record, expected, sizeof expected));
  for (size_t i = 152; i < sizeof record; ++i) EXPECT_EQ(0xCC, record[i]) << "byte " << i;
}

// Not connected, the host's bars are left alone; a release has nothing to end.
TEST_F(ExportsTest, FixedAnswersAndNothingDoneWhileNotConnected) {
  EXPECT_EQ(1, api.SetTimeBase(86400));
  EXPECT_EQ(0, api.SetTimeBase(60));
  EXPECT_EQ(0, api.SetTimeBase(0));
  EXPECT_EQ(20, api.GetSymbolLimit());
  for (const char* name : {"", "Shares", "EPS", "Dividend"}) {
    AmiVar value = api.GetExtraData("BBCA", name, 10, 86400, nullptr);
    EXPECT_TRUE(value.type == 0 && value.val == 0.0f) << name;
  }
  EXPECT_EQ(1, api.SetSiteInterface(nullptr));
  Quotation bars[3], before[3];
  std::memset(bars, 0x5A, sizeof bars);
  std::memcpy(before, bars, sizeof bars);
  EXPECT_EQ(42, api.GetQuotesEx("BBCA", 86400, 41, 100, bars, nullptr));
  EXPECT_EQ(0, api.GetQuotesEx("BBCA", 60, -1, 3, bars, nullptr));
  EXPECT_EQ(0, std::memcmp(before, bars, sizeof bars));
  EXPECT_EQ(1, api.Release());
  EXPECT_EQ(1, api.Release());
}

TEST_F(ExportsTest, StatusBeforeAnyNotificationIsWait) {
  PluginStatus status;
  std::memset(&status, 0x11, sizeof status);
  EXPECT_EQ(1, api.GetStatus(&status));
  EXPECT_EQ(0x11111111, status.nStructSize);
  EXPECT_EQ(0x10000000, status.nStatusCode);
  EXPECT_EQ(0x0000FFFFu, status.clrStatusColor);
  EXPECT_STREQ("Wait", status.szShortMessage);
  EXPECT_STREQ("Waiting for connection.\nWill not retry until you re-connect manually.",
               status.szLongMessage);
}

TEST_F(ExportsTest, RealtimeRecordsAreStableAndLimited) {
  RecentInfo* first = api.GetRecentInfo("ExportsA");
  ASSERT_NE(nullptr, first);
  EXPECT_STREQ("ExportsA", first->Name);
  EXPECT_EQ(first, api.GetRecentInfo("EXPORTSa"));
  std::set<RecentInfo*> seen{first};
  int added = 1;
  for (int i = 0; added < 40; ++i, ++added) {
    RecentInfo* record = api.GetRecentInfo(("ExportsT" + std::to_string(i)).c_str());
    if (record == nullptr) break;
    seen.insert(record);
  }
  // The table may hold tickers from other tests of this process: at most 20.
  EXPECT_LE(seen.size(), 20u);
  EXPECT_EQ(nullptr, api.GetRecentInfo("ExportsOneTooMany"));
  EXPECT_EQ(first, api.GetRecentInfo("exportsa"));
}

}  // namespace
