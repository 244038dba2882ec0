// The host's own statements against the private server, held against what
// the plug-in makes of the same rows.
#include "host/server_queries.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "src/db/connection.h"
#include "src/db/database.h"
#include "src/plugin/global.h"
#include "src/testing/test_server.h"

namespace {

class ServerQueriesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(testing_server::Configured()) << "source scripts/dbserver env first";
  }
  void TearDown() override { testing_server::AdminExec("Delete From NVEod Where Ticker='HOST''Q'"); }
  testing_server::SavedTables saved{{"NVConfig"}};
};

TEST_F(ServerQueriesTest, TheConfigurationReadsAsThePlugInAppliesIt) {
  const std::vector<std::vector<std::string>> cases[] = {
      {{"'2015-03-07 10:11:12'", "'2024-01-02'", "3", "20"}},
      {{"NULL", "NULL", "NULL", "NULL"}},
      {{"'2016-11-30'", "NULL", "12", "45.9"}, {"NULL", "'2020-05-06'", "7.99", "1e10"}},
      {{"'2001-02-03'", "'2001-02-04'", "-1e12", "16777217.5"},
       {"'0999-01-01'", "NULL", "8", "31"}},
  };
  for (const auto& rows : cases) {
    testing_server::AdminExec("Delete From NVConfig");
    for (size_t i = 0; i < rows.size(); ++i)
      testing_server::AdminExec("Insert Into NVConfig Values (" + std::to_string(i + 1) + "," +
                                rows[i][0] + "," + rows[i][1] + "," + rows[i][2] + "," +
                                rows[i][3] + ")");
    CGlobal g;
    testing_server::PointAt(g);
    OpenDatabase(g);
    ASSERT_NE(nullptr, g.m_pDatabase);
    HostOdbc db;
    db.Connect(g.m_strConnect);
    const ServerConfigView config = ReadServerConfig(db);
    const std::string what = rows.front()[0] + " ...";
    EXPECT_EQ(g.m_strBackfillEod, config.backfillEod) << what;
    EXPECT_EQ(g.m_strBackfillIntraday, config.backfillIntraday) << what;
    EXPECT_EQ(g.m_nTradeInterval, config.tradeInterval) << what;
    EXPECT_EQ(g.m_nEodInterval, config.eodInterval) << what;
  }
}

TEST_F(ServerQueriesTest, BarsAreFoundByTickerTableAndDate) {
  CGlobal g;
  testing_server::PointAt(g);
  HostOdbc db;
  db.Connect(g.m_strConnect);
  const std::string ticker = "HOST'Q";
  testing_server::AdminExec(
      "Insert Into NVEod (Ticker,TrDate,Close) Values "
      "('HOST''Q','2020-01-02',1)");
  EXPECT_TRUE(HasBars(db, ticker, 86400, ""));
  EXPECT_TRUE(HasBars(db, ticker, 86400, "2020-01-02"));
  EXPECT_FALSE(HasBars(db, ticker, 86400, "2020-01-03"));
  EXPECT_FALSE(HasBars(db, ticker, 60, ""));
  EXPECT_FALSE(HasBars(db, "HOST", 86400, ""));

  EXPECT_FALSE(ReadSessionRecord(db, "no-such-client-'"));
  try {
    db.Query("Select Nothing From NoSuchTable");
    ADD_FAILURE() << "a statement the server refuses must throw";
  } catch (const HostOdbcError& e) {
    EXPECT_NE(std::string::npos, e.text.find("NoSuchTable")) << e.text;
  }
}

}  // namespace
