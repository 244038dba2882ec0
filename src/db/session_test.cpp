// The session check, the market-status poll and the disconnect against the
// private server; the server's call log shows what the plug-in sent.
#include "db/session.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "db/database.h"
#include "lifecycle/market_poll.h"
#include "plugin/global.h"
#include "testing/client_fixture.h"
#include "testing/test_server.h"

namespace {

using Texts = std::vector<std::string>;

// A global state of its own, opened as this test's client.
class SessionTest : public ClientFixture {
 protected:
  SessionTest() : ClientFixture("session") {}
  void SetUp() override {
    ClientFixture::SetUp();
    g.m_strClientId = id;
    ASSERT_TRUE(testing_server::Open(g));
  }
  void TearDown() override {
    DisconnectSession(g);
    ClientFixture::TearDown();
    testing_server::AdminExec("Update NVMarket Set StatusMessage='Trading',isMarketClosed=0,EOD=0");
  }
  void Record(int permit, int last, int curr, int status = 0) {
    WriteSession({"Ani", "ani@velmora.example", last, curr, permit, status, "AvgPrice",
                  "BidPrice", "OfferPrice", "2024-01-02"});
  }
  // A procedure call of this client and account, as the server logged it.
  std::string Call(const std::string& name, const std::string& args) {
    return "Plugin223_" + name + "('" + id + "','ani@velmora.example'," + args + ")";
  }
  std::string Register(int seq) {
    return Call("Register", "'1.2.2.0','" + g.m_strPlatformBits + "'," + std::to_string(seq));
  }
  // What the global state holds of the market after a poll that returned `result`.
  std::string Poll(int result) {
    EXPECT_EQ(result, PollMarketStatus(g));
    return g.m_strStatusMessage + " closed " + std::to_string(g.m_bMarketClosed) + " eod " +
           std::to_string(g.m_bEod) + " " + std::to_string(g.m_nMarketDate);
  }
  CGlobal g;
};

TEST_F(SessionTest, AcceptedTakesOverTheAccountAndRegisters) {
  Record(1, 0, 7);
  EXPECT_NE(0, IsUserLoginOk(g));
  EXPECT_EQ("Ani ani@velmora.example AvgPrice OfferPrice 2024-01-02 20240102 7 0",
            g.m_strUserName + " " + g.m_strEmail + " " + g.m_strColCloseBidAsk + " " +
                g.m_strColAsk + " " + g.m_strBackfillIntraday + " " +
                std::to_string(g.m_nBackfillIntraday) + " " + std::to_string(g.m_nCurrConnId) +
                " " + std::to_string(g.m_nLastConnId));
  // The registration (its call: the next test) marked the session as held by
  // connection 7, which this plug-in saw itself: a reconnect is accepted.
  EXPECT_NE(0, IsUserLoginOk(g));
  EXPECT_EQ(0, g.m_nLastConnId);
}

// A session held by another connection is refused and logged: host/sessions_test.sh.
TEST_F(SessionTest, RefusalsCountUpUntilAnAcceptedCheck) {
  Record(0, 0, 3);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(0, IsUserLoginOk(g));
  Record(1, 0, 3);
  EXPECT_NE(0, IsUserLoginOk(g));
  RemoveSession();
  EXPECT_EQ(0, IsUserLoginOk(g));  // no record at all
  EXPECT_EQ((Texts{Register(1), Register(2), Register(3), Register(0), Register(1)}), Calls());
}

TEST_F(SessionTest, ADatabaseErrorIsLoggedWithTheDriversText) {
  Record(1, 0, 3);
  g.m_strEmailColumn = "NoSuchColumn";
  EXPECT_EQ(0, IsUserLoginOk(g));
  Texts calls = Calls();
  ASSERT_EQ(1u, calls.size());
  EXPECT_EQ(0u, calls[0].find("Plugin223_Log('" + id + "','','IsUserLoginOk Exception: "))
      << calls[0];
  EXPECT_NE(std::string::npos, calls[0].find("NoSuchColumn"));
}

// The call with its reason, and the connection freed: the lifecycle test.
TEST_F(SessionTest, DisconnectFreesAConnectionNeverOpened) {
  DisconnectSession(g);
  DisconnectSession(g);  // nothing left to do
  g.m_pDatabase = new CDatabase;
  DisconnectSession(g);
  EXPECT_EQ(nullptr, g.m_pDatabase);
}

TEST_F(SessionTest, AValidSessionStoresTheMarketsStateAndAnInvalidOneEndsIt) {
  g.m_strEmail = "ani@velmora.example";
  Record(1, 7, 7);
  testing_server::AdminExec("Update NVMarket Set StatusMessage='Closed',isMarketClosed=1,EOD=1,"
                            "MarketDate='2024-03-06'");
  g.m_nCurrConnId = 3;
  EXPECT_EQ("Closed closed 1 eod 1 20240306", Poll(1));
  EXPECT_EQ(3, g.m_nCurrConnId);  // equal ids: nothing taken over (no call: the next test)
  Record(1, 7, 7, 3);
  testing_server::AdminExec("Update NVMarket Set isMarketClosed=0");
  EXPECT_EQ("Closed closed 0 eod 1 20240306", Poll(0));  // the status kept: the lifecycle test
  g.m_strEmail = "someone.else@velmora.example";  // no row for this pair
  EXPECT_EQ("Closed closed 0 eod 1 20240306", Poll(0)) << "flags keep the last poll's values";
  EXPECT_EQ(0, g.m_nSessionStatus);
}

TEST_F(SessionTest, DifferingConnectionIdsAreReportedInAPoll) {
  g.m_strEmail = "ani@velmora.example";
  g.m_nTradeInterval = 12;
  for (int previous : {5, 0}) {  // 0 is an id like any other
    ClearCalls();
    Record(1, previous, 9);
    g.m_nCurrConnId = 0;
    Poll(1);
    EXPECT_EQ(9, g.m_nCurrConnId);
    EXPECT_EQ(Texts{Call("ConnId", std::to_string(previous) + ",9,12")}, Calls());
    // The server took the report: the ids agree now and nothing more is sent.
    Poll(1);
    EXPECT_EQ(1u, Calls().size());
  }
}

}  // namespace
