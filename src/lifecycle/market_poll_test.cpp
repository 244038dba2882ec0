#include "lifecycle/market_poll.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "testing/client_fixture.h"
#include "testing/test_server.h"

namespace {

class MarketPollTest : public ConnectedClientFixture {
 protected:
  MarketPollTest() : ConnectedClientFixture("poll") {}
  void SetUp() override {
    ConnectedClientFixture::SetUp();
    g.m_strEmail = "poll@velmora.example";
  }
  void TearDown() override {
    ConnectedClientFixture::TearDown();
    testing_server::AdminExec(
        "Update NVMarket Set StatusMessage='Trading',isMarketClosed=0,EOD=0");
  }

  void Session(int last, int curr, int status) {
    WriteSession({"Poll", "poll@velmora.example", last, curr, 1, status});
  }
  void Market(const char* message, int closed, int eod, const char* date) {
    testing_server::AdminExec(std::string("Update NVMarket Set StatusMessage='") + message +
                              "',isMarketClosed=" + std::to_string(closed) +
                              ",EOD=" + std::to_string(eod) + ",MarketDate='" + date + "'");
  }
  // What the global state holds of the market.
  std::string Held() const {
    return g.m_strStatusMessage + " closed " + std::to_string(g.m_bMarketClosed) + " eod " +
           std::to_string(g.m_bEod) + " " + std::to_string(g.m_nMarketDate);
  }
};

TEST_F(MarketPollTest, AValidSessionStoresTheMarketsState) {
  Session(7, 7, 0);
  Market("Trading", 0, 0, "2024-03-05");
  g.m_nCurrConnId = 3;
  EXPECT_EQ(1, PollMarketStatus(g));
  EXPECT_EQ("Trading closed 0 eod 0 20240305", Held());
  EXPECT_EQ(3, g.m_nCurrConnId);  // equal ids: no call, nothing taken over
  EXPECT_TRUE(Calls().empty());
  Market("Closed", 1, 1, "2024-03-06");
  EXPECT_EQ(1, PollMarketStatus(g));
  EXPECT_EQ("Closed closed 1 eod 1 20240306", Held());
}

TEST_F(MarketPollTest, AnInvalidOrMissingSessionEndsIt) {
  Session(7, 7, 3);
  EXPECT_EQ(0, PollMarketStatus(g));
  EXPECT_EQ(3, g.m_nSessionStatus);  // sent with the disconnect: the lifecycle test
  g.m_bMarketClosed = 1;
  g.m_strEmail = "someone.else@velmora.example";  // no row for this pair
  EXPECT_EQ(0, PollMarketStatus(g));
  EXPECT_EQ(0, g.m_nSessionStatus);
  EXPECT_EQ(1, g.m_bMarketClosed);  // flags keep the last poll's values
}

TEST_F(MarketPollTest, DifferingConnectionIdsAreReported) {
  g.m_nTradeInterval = 12;
  for (int previous : {5, 0}) {  // 0 is an id like any other
    ClearCalls();
    Session(previous, 9, 0);
    g.m_nCurrConnId = 0;
    EXPECT_EQ(1, PollMarketStatus(g));
    EXPECT_EQ(9, g.m_nCurrConnId);
    EXPECT_EQ((std::vector<std::string>{"Plugin223_ConnId('" + id + "','poll@velmora.example'," +
                                        std::to_string(previous) + ",9,12)"}),
              Calls());
    // The server took the report: the ids agree now and nothing more is sent.
    EXPECT_EQ(1, PollMarketStatus(g));
    EXPECT_EQ(1u, Calls().size());
  }
}

}  // namespace
