// The session check and the disconnect against the private server; the
// server's call log shows what the plug-in sent.
#include "db/session.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "db/database.h"
#include "testing/client_fixture.h"

namespace {

class SessionTest : public ConnectedClientFixture {
 protected:
  SessionTest() : ConnectedClientFixture("session") {}

  void Record(int permit, int last, int curr) {
    SessionRow r{"Ani", "ani@velmora.example", last, curr, permit};
    r.colCloseBidAsk = "AvgPrice", r.colBid = "BidPrice", r.colAsk = "OfferPrice";
    r.intradayStart = "2024-01-02";
    WriteSession(r);
  }

  std::string Register(int seq) {
    return "Plugin223_Register('" + id + "','ani@velmora.example','1.2.2.0','" +
           g.m_strPlatformBits + "'," + std::to_string(seq) + ")";
  }
};

TEST_F(SessionTest, AcceptedTakesOverTheAccountAndRegisters) {
  Record(1, 0, 7);
  EXPECT_NE(0, IsUserLoginOk(g));
  EXPECT_EQ(7, g.m_nCurrConnId);
  EXPECT_EQ(0, g.m_nLastConnId);
  EXPECT_EQ("Ani ani@velmora.example AvgPrice OfferPrice 2024-01-02",
            g.m_strUserName + " " + g.m_strEmail + " " + g.m_strColCloseBidAsk + " " +
                g.m_strColAsk + " " + g.m_strBackfillIntraday);
  EXPECT_EQ(20240102, g.m_nBackfillIntraday);
  EXPECT_EQ(std::vector<std::string>{Register(0)}, Calls());

  // The registration marked the session as held by connection 7, which this
  // plug-in saw itself: a reconnect is accepted.
  EXPECT_NE(0, IsUserLoginOk(g));
  EXPECT_EQ(0, g.m_nLastConnId);
}

TEST_F(SessionTest, HeldElsewhereIsLoggedAndRefused) {
  Record(1, 5, 7);
  EXPECT_EQ(0, IsUserLoginOk(g));
  EXPECT_EQ(5, g.m_nLastConnId);
  EXPECT_EQ(std::vector<std::string>{"Plugin223_Log('" + id +
                                      "','ani@velmora.example','Unable connect to server, "
                                      "\\nconnection is already in use.')"},
            Calls());
}

TEST_F(SessionTest, RefusalsCountUpUntilAnAcceptedCheck) {
  Record(0, 0, 3);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(0, IsUserLoginOk(g));
  Record(1, 0, 3);
  EXPECT_NE(0, IsUserLoginOk(g));
  RemoveSession();
  EXPECT_EQ(0, IsUserLoginOk(g));  // no record at all
  EXPECT_EQ((std::vector<std::string>{Register(1), Register(2), Register(3), Register(0),
                                      Register(1)}),
            Calls());
}

TEST_F(SessionTest, ADatabaseErrorIsLoggedWithTheDriversText) {
  Record(1, 0, 3);
  g.m_strEmailColumn = "NoSuchColumn";
  EXPECT_EQ(0, IsUserLoginOk(g));
  std::vector<std::string> calls = Calls();
  ASSERT_EQ(1u, calls.size());
  EXPECT_EQ(0u, calls[0].find("Plugin223_Log('" + id + "','','IsUserLoginOk Exception: "))
      << calls[0];
  EXPECT_NE(std::string::npos, calls[0].find("NoSuchColumn"));
}

TEST_F(SessionTest, DisconnectSendsItsCallAndFreesTheConnection) {
  Record(1, 0, 3);
  ASSERT_NE(0, IsUserLoginOk(g));
  g.m_nSessionStatus = 4;
  DisconnectSession(g);
  EXPECT_EQ(nullptr, g.m_pDatabase);
  EXPECT_EQ((std::vector<std::string>{
                Register(0), "Plugin223_Disconnect('" + id + "','ani@velmora.example',4)"}),
            Calls());
  DisconnectSession(g);  // nothing left to do

  g.m_pDatabase = new CDatabase;  // never opened: no call, still freed
  DisconnectSession(g);
  EXPECT_EQ(nullptr, g.m_pDatabase);
  EXPECT_EQ(2u, Calls().size());
}

}  // namespace
