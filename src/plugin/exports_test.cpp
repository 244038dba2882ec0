// The entry points as the host sees them: the plug-in library loaded by path.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "host/memory_use.h"
#include "host/plugin_api.h"
#include "testing/failing_new.h"

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

// Not connected, a release has nothing to end; the bars a request leaves
// alone are the bar request test's.
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

#if !defined(_WIN32)
// On Linux the plug-in's operator new is the process's, which the test can
// make refuse everything: the entry points still answer, and nothing is
// thrown into the host.
TEST_F(ExportsTest, NoExceptionReachesTheHostWithoutMemory) {
  PluginStatus status{};
  int init, got, refused;
  {
    FailingAllocations none(0);
    init = api.Init();
    got = api.GetStatus(&status);
    refused = none.refused();
  }
  EXPECT_GT(refused, 1);
  EXPECT_EQ(1, init);
  EXPECT_EQ(1, got);
  EXPECT_EQ(1, api.Init());
}
#endif

// A host that loads the plug-in again and again (a copy of its own, so that
// unloading it really unloads it): each load's real-time table goes with the
// library, so the heap does not grow by a table's 9,600 bytes a load.
TEST(PluginReload, EachLoadsRealtimeTableGoesWithTheLibrary) {
  const std::filesystem::path plugin = DefaultPluginPath();
  const std::filesystem::path copy =
      plugin.parent_path() / ("velmora-reload" + plugin.extension().string());
  std::filesystem::copy_file(plugin, copy, std::filesystem::copy_options::overwrite_existing);
  size_t heap[5];
  for (size_t& after : heap) {
    PluginApi api;
    std::string error;
    ASSERT_TRUE(api.Load(copy.string(), &error)) << error;
    const RecentInfo* record = api.GetRecentInfo("BBCA");
    ASSERT_NE(nullptr, record);
    EXPECT_STREQ("BBCA", record->Name);
    api.Unload();
    after = HeapInUse();
  }
  std::filesystem::remove(copy);
  // The first loads may leave what the loader keeps for good.
  EXPECT_LT(heap[4], heap[2] + 4096) << "heap after loads 3 and 5: " << heap[2] << ", " << heap[4];
}

}  // namespace
