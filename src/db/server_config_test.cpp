// Opening the database and reading the server's configuration, against the
// private server.
#include "db/server_config.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "db/connection.h"
#include "db/database.h"
#include "plugin/global.h"
#include "testing/message_boxes.h"
#include "testing/test_server.h"

namespace {

using Texts = std::vector<std::string>;

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

// A second open reuses the database in place. (The driver's bounds on a
// server that accepts and never answers: host/outages_test.sh pauses it.)
TEST_F(ServerConfigTest, OpensAndReopensInPlace) {
  OpenDatabase(g);
  CDatabase* first = g.m_pDatabase;
  ASSERT_NE(nullptr, first);
  OpenDatabase(g);
  EXPECT_EQ(first, g.m_pDatabase);
  EXPECT_TRUE(g.m_pDatabase->IsOpen());
}

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
  testing_server::AdminExec("Delete From NVConfig");  // no row: nothing changes
  OpenDatabase(g);
  EXPECT_EQ(steps[2][4], Held(g));
}

// A configuration that cannot be read: the connection is discarded and one
// box names the address (a port where nothing listens: the lifecycle and
// tick-in-box tests); an empty connection string does nothing at all.
TEST_F(ServerConfigTest, AFailedOpenDiscardsTheConnectionAndNamesTheAddress) {
  testing_server::AdminExec("Rename Table NVConfig To NVConfigAway");
  const Texts shown = testing_boxes::MessagesDuring([&] { OpenDatabase(g); });
  testing_server::AdminExec("Rename Table NVConfigAway To NVConfig");
  EXPECT_EQ(nullptr, g.m_pDatabase);
  EXPECT_EQ(Texts{"#-1:Can't connect to server on '" + g.m_strServerAddress + "' !."}, shown);

  g.m_strConnect.clear();
  EXPECT_EQ(Texts{}, testing_boxes::MessagesDuring([&] { OpenDatabase(g); }));
  EXPECT_EQ(nullptr, g.m_pDatabase);
}

}  // namespace
