// Opening the database and reading the server's configuration, against the
// private server.
#include "db/server_config.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "db/connection.h"
#include "plugin/global.h"
#include "testing/message_boxes.h"
#include "testing/test_server.h"

#if !defined(_WIN32)
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

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

using Texts = std::vector<std::string>;

TEST_F(ServerConfigTest, AnUnreadableConfigurationDiscardsTheConnection) {
  testing_server::AdminExec("Rename Table NVConfig To NVConfigAway");
  const Texts shown = testing_boxes::MessagesDuring([&] { OpenDatabase(g); });
  testing_server::AdminExec("Rename Table NVConfigAway To NVConfig");
  EXPECT_EQ(nullptr, g.m_pDatabase);
  EXPECT_EQ(Texts{"#-1:Can't connect to server on '" + g.m_strServerAddress + "' !."}, shown);
}

TEST_F(ServerConfigTest, NothingListeningFailsWithTheAddressInTheMessage) {
  g.m_strServerAddress = "127.0.0.1";
  g.m_strServerPort = "1";
  BuildConnectString(g);
  Texts shown = testing_boxes::MessagesDuring([&] { OpenDatabase(g); });
  EXPECT_EQ(nullptr, g.m_pDatabase);
  EXPECT_EQ(Texts{"#-1:Can't connect to server on '127.0.0.1' !."}, shown);

  g.m_strConnect.clear();  // an empty connection string does nothing at all
  shown = testing_boxes::MessagesDuring([&] { OpenDatabase(g); });
  EXPECT_EQ(nullptr, g.m_pDatabase);
  EXPECT_EQ(Texts{}, shown);
}

#if !defined(_WIN32)
// A server that accepts the connection and never answers: the driver's
// connect time-out ends the wait, not the caller's patience.
TEST_F(ServerConfigTest, AListenerThatNeverAnswersIsGivenUpWithinTheBound) {
  int listener = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(0, bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address));
  ASSERT_EQ(0, listen(listener, 4));  // accepted by the kernel, never answered
  socklen_t length = sizeof address;
  getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
  g.m_strServerAddress = "127.0.0.1";
  g.m_strServerPort = std::to_string(ntohs(address.sin_port));
  BuildConnectString(g);
  const auto start = std::chrono::steady_clock::now();
  const Texts shown = testing_boxes::MessagesDuring([&] { OpenDatabase(g); });
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  close(listener);
  std::printf("open against a silent listener gave up after %.1f s\n", seconds);
  EXPECT_EQ(nullptr, g.m_pDatabase);
  EXPECT_LT(seconds, 20.0);
  ASSERT_EQ(1u, shown.size());
  EXPECT_EQ(0u, shown[0].find("#-1:Can't connect to server on"));
}
#endif

}  // namespace
