// The entry points as the host sees them: the plug-in library loaded by path.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

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

  std::string expected("\x98\0\0\0\x02\0\0\0\xDA\x27\0\0mleVVelmora Data Plug-in", 36);
  expected.resize(80);
  expected += "Velmora";
  expected.resize(148);
  expected += std::string("\xB8\xE7\x05\0", 4) + std::string(8, '\xCC');  // 387000; untouched
  EXPECT_EQ(expected, std::string(reinterpret_cast<char*>(record), sizeof record));
}

// Not connected, a release has nothing to end; the bars a request leaves
// alone are the bar request test's.
TEST_F(ExportsTest, FixedAnswersAndNothingDoneWhileNotConnected) {
  for (const char* name : {"", "Shares", "EPS", "Dividend"}) {
    AmiVar value = api.GetExtraData("BBCA", name, 10, 86400, nullptr);
    EXPECT_TRUE(value.type == 0 && value.val == 0.0f) << name;
  }
  // Daily, intraday and no time base; the symbol limit; the site; two releases.
  EXPECT_EQ((std::vector<int>{1, 0, 0, 20, 1, 1, 1}),
            (std::vector<int>{api.SetTimeBase(86400), api.SetTimeBase(60), api.SetTimeBase(0),
                              api.GetSymbolLimit(), api.SetSiteInterface(nullptr), api.Release(),
                              api.Release()}));
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
    api.Unload();
    after = HeapInUse();
  }
  std::filesystem::remove(copy);
  // The first loads may leave what the loader keeps for good.
  EXPECT_LT(heap[4], heap[2] + 4096) << "heap after loads 3 and 5: " << heap[2] << ", " << heap[4];
}

}  // namespace
