// Opening the database and reading the server's configuration, against the
// private server.
#include "db/server_config.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "db/connection.h"
#include "winsys/host_api.h"
#include "plugin/global.h"
#include "testing/test_server.h"

namespace {

class ServerConfigTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(testing_server::Configured()) << "source scripts/dbserver env first";
    saved = std::make_unique<testing_server::SavedTables>(std::vector<std::string>{"NVConfig"});
    testing_server::PointAt(g);
  }
  void Config(const std::string& eod, const std::string& intraday, const std::string& trade,
              const std::string& eodInterval) {
    testing_server::AdminExec("Update NVConfig Set Backfill_EOD=" + eod +
                              ",Backfill_Intraday=" + intraday + ",TimerEventTrade=" + trade +
                              ",TimerEventEOD=" + eodInterval);
  }
  // The intervals and the two start dates, as numbers and as texts.
  static std::string Held(const CGlobal& c) {
    return std::to_string(c.m_nTradeInterval) + " " + std::to_string(c.m_nEodInterval) + " " +
           std::to_string(c.m_nBackfillEod) + " '" + c.m_strBackfillEod + "' " +
           std::to_string(c.m_nBackfillIntraday) + " '" + c.m_strBackfillIntraday + "'";
  }
  std::unique_ptr<testing_server::SavedTables> saved;  // after the test's connection ends
  CGlobal g;
};

TEST_F(ServerConfigTest, IntervalsOnlyGrowAndDatesAreTakenWhole) {
  // A NULL keeps what was there.
  const char* const steps[][5] = {
      {"'2015-03-07 10:11:12'", "'2024-01-02'", "3", "20", "5 30 20150307 '2015-03-07' 20240102 '2024-01-02'"},
      {"'2016-11-30'", "NULL", "12", "45.9", "12 45 20161130 '2016-11-30' 20240102 '2024-01-02'"},
      {"NULL", "NULL", "8", "NULL", "12 45 20161130 '2016-11-30' 20240102 '2024-01-02'"}};
  for (const auto& step : steps) {
    Config(step[0], step[1], step[2], step[3]);
    OpenDatabase(g);
    ASSERT_NE(nullptr, g.m_pDatabase);
    EXPECT_EQ(step[4], Held(g)) << step[0] << " " << step[1] << " " << step[2] << " " << step[3];
  }
  CGlobal fresh;
  Config("NULL", "NULL", "7.9", "NULL");
  ASSERT_TRUE(testing_server::Open(fresh));
  EXPECT_EQ("7 30 0 '' 0 ''", Held(fresh));
  testing_server::AdminExec("Delete From NVConfig");  // no row: nothing changes
  OpenDatabase(fresh);
  EXPECT_EQ("7 30 0 '' 0 ''", Held(fresh));
}

TEST_F(ServerConfigTest, AnUnreadableConfigurationDiscardsTheConnection) {
  testing_server::AdminExec("Rename Table NVConfig To NVConfigAway");
  OpenDatabase(g);
  testing_server::AdminExec("Rename Table NVConfigAway To NVConfig");
  EXPECT_EQ(nullptr, g.m_pDatabase);
  EXPECT_EQ("#-1:Can't connect to server on '" + g.m_strServerAddress + "' !.",
            winsys::LastMessageBoxText());
}

TEST_F(ServerConfigTest, NothingListeningFailsWithTheAddressInTheMessage) {
  g.m_strServerAddress = "127.0.0.1";
  g.m_strServerPort = "1";
  BuildConnectString(g);
  OpenDatabase(g);
  EXPECT_EQ(nullptr, g.m_pDatabase);
  EXPECT_EQ("#-1:Can't connect to server on '127.0.0.1' !.", winsys::LastMessageBoxText());

  g.m_strConnect.clear();  // an empty connection string does nothing at all
  OpenDatabase(g);
  EXPECT_EQ(nullptr, g.m_pDatabase);
}

}  // namespace
