// The connection lifecycle against the private server, with the window
// system's clock driven by hand so that no test waits through an interval.
#if !defined(_WIN32)
#include "lifecycle/lifecycle.h"

#include <gtest/gtest.h>

#include <string>

#include "db/session.h"
#include "db/statements.h"
#include "lifecycle/conn_state.h"
#include "winsys/host_api.h"
#include "winsys/posix/window_system.h"
#include "plugin/app.h"
#include "realtime/realtime_table.h"
#include "testing/client_fixture.h"
#include "testing/failing_new.h"
#include "testing/test_server.h"
#include "ui/resource.h"

namespace {

class LifecycleTest : public ClientFixture {
 protected:
  LifecycleTest() : ClientFixture("life") {}
  void SetUp() override {
    ClientFixture::SetUp();
    WriteSession({"Life", "life@velmora.example", 0, 4});
    testing_server::AdminExec("Update NVMarket Set isMarketClosed=0,EOD=0");
    window = window_system::CreateWindow();
    // The module's global state, which notifications and timers use, as
    // this client: auto-connect on, waiting with every retry left.
    testing_server::PointAt(g_global);
    BuildRealtimeColumnList(g_global);
    g_global.m_strClientId = id;
    g_global.m_strEmail = "life@velmora.example";
    g_global.m_bAutoConnect = 1;
    g_global.m_nTradeInterval = 5;
    g_nConnState = CONN_WAIT;
    g_nRetriesLeft = 5;
    workspace.nTimeBase = 86400;
  }
  void TearDown() override {
    StopAllTimers(g_global);
    DisconnectSession(g_global);
    g_global.m_bAutoConnect = 0;
    g_nConnState = CONN_WAIT;
    g_nRetriesLeft = 5;
    window_system::DestroyWindow(window);
    window_system::Messages().clear();
    g_global.m_strPollName1 = "NVMarket";
    ClientFixture::TearDown();
    testing_server::AdminExec("Update NVMarket Set isMarketClosed=0,EOD=0");
  }

  void Notify(int reason, int menuChoice = 0) {
    winsys::ScriptMenuChoice(menuChoice);
    HandleNotify(g_global, {0, reason, nullptr, window, nullptr, &workspace});
  }
  // Every running timer with its interval, as "trade 5000 connect 10000".
  static std::string Running() {
    std::string running;
    for (const auto& [key, timer] : window_system::Timers())
      running += std::string(running.empty() ? "" : " ") +
                 (key.second == IDT_TRADE ? "trade " : key.second == IDT_EOD ? "eod " :
                  key.second == IDT_CONNECT ? "connect " : "other ") +
                 std::to_string(timer.interval);
    return running;
  }
  size_t Posted() { return window_system::Messages().size(); }
  // Disconnected: no timer, no connection, and the server told so with `reason`.
  void ExpectDisconnected(int reason) {
    EXPECT_EQ(CONN_DISCONNECTED, g_nConnState);
    EXPECT_EQ("", Running());
    EXPECT_EQ(nullptr, g_global.m_pDatabase);
    EXPECT_EQ("Plugin223_Disconnect('" + id + "','life@velmora.example'," +
                  std::to_string(reason) + ")", Calls().back());
  }

  WindowHandle window = nullptr;
  Workspace workspace{};
};

TEST_F(LifecycleTest, WithoutAutoConnectTheLoadWaitsAndOffersConnectOnly) {
  g_global.m_bAutoConnect = 0;
  Notify(REASON_DATABASE_LOADED);
  EXPECT_EQ(CONN_WAIT, g_nConnState);
  EXPECT_EQ(1, workspace.nAllowMixedEODIntra);
  EXPECT_EQ("", Running());
  Notify(REASON_STATUS_RMBCLICK);
  EXPECT_TRUE(window_system::LastMenu().connectEnabled);
  EXPECT_FALSE(window_system::LastMenu().disconnectEnabled);
  workspace.nTimeBase = 0;
  Notify(REASON_DATABASE_LOADED);
  EXPECT_EQ(0, workspace.nAllowMixedEODIntra);
}

TEST_F(LifecycleTest, ConnectedPollingMovesBetweenTheTimers) {
  Notify(REASON_DATABASE_LOADED);
  ASSERT_EQ(CONN_CONNECTED, g_nConnState);
  EXPECT_EQ(0u, Posted());  // the notification path does not tell the host
  window_system::Advance(4999);
  EXPECT_EQ("connect 5000", Running());
  window_system::Advance(1);
  EXPECT_EQ("trade 5000", Running());
  EXPECT_EQ(1u, Posted());
  EXPECT_EQ(WM_STREAMING_UPDATE, window_system::Messages().back().second);

  // End of day moves polling to 1620 and still tells. (A closed market
  // silences the host's message with the trade timer on: host/live_test.sh.)
  testing_server::AdminExec("Update NVMarket Set EOD=1");
  window_system::Advance(5000);
  EXPECT_EQ("eod 30000", Running());
  EXPECT_EQ(2u, Posted());
  testing_server::AdminExec("Update NVMarket Set EOD=0");
  window_system::Advance(30000);
  EXPECT_EQ("trade 5000", Running());
  TimerProc(window, 0x113, 4242, 0);  // not one of ours: no poll, nothing posted
  EXPECT_EQ(3u, Posted());
  EXPECT_EQ(CONN_CONNECTED, g_nConnState);
  Notify(REASON_STATUS_RMBCLICK, ID_DISCONNECT);  // the menu it offers: host/readme_test.sh
  ExpectDisconnected(0);
}

// Both in one notification; a session the poll finds invalid.
TEST_F(LifecycleTest, UnloadOrAnInvalidSessionDisconnects) {
  Notify(REASON_DATABASE_LOADED | REASON_DATABASE_UNLOADED);
  ExpectDisconnected(0);
  Notify(REASON_DATABASE_LOADED);
  WriteSession({"Life", "life@velmora.example", 0, 4, 1, 6});
  window_system::Advance(5000);
  ExpectDisconnected(6);
}

TEST_F(LifecycleTest, AFailedOpenOnTheCommandDisconnects) {
  g_global.m_strServerPort = "1";  // nothing listens there
  Notify(REASON_DATABASE_LOADED);
  Notify(REASON_STATUS_RMBCLICK, ID_CONNECT);
  EXPECT_EQ(CONN_DISCONNECTED, g_nConnState);
  EXPECT_EQ("", Running());
  testing_server::PointAt(g_global);
  Notify(REASON_STATUS_RMBCLICK, ID_CONNECT);  // offered again, and it works
  EXPECT_EQ(CONN_CONNECTED, g_nConnState);
  EXPECT_EQ(1u, Posted());  // the command path tells the host at once
}

// Without AutoConnect the fifth error disconnects: host/outages_test.sh.
TEST_F(LifecycleTest, DatabaseErrorsRetryFourTimesQuicklyThenSlowly) {
  Notify(REASON_DATABASE_LOADED);
  g_global.m_strPollName1 = "NoSuchTable";  // every poll now fails
  window_system::Advance(5000);
  for (int retry = 1; retry <= 4; ++retry) {
    EXPECT_EQ(CONN_DOWN, g_nConnState);
    EXPECT_EQ("connect 10000", Running()) << "retry " << retry;
    if (retry < 4) window_system::Advance(10000);
  }
  window_system::Advance(10000);  // the fifth error in a row
  EXPECT_EQ(CONN_DOWN, g_nConnState);
  EXPECT_EQ("connect 30000", Running());
  EXPECT_EQ(5, g_nRetriesLeft);
  g_global.m_strPollName1 = "NVMarket";  // the server is fine again
  window_system::Advance(30000);
  EXPECT_EQ(CONN_CONNECTED, g_nConnState);
  EXPECT_EQ("trade 5000", Running());
  {  // Out of memory (the poll's statement cannot be had), a tick fails alike.
    FailingAllocations refused(256);
    TimerProc(window, 0x113, IDT_TRADE, 0);
  }
  EXPECT_EQ(CONN_DOWN, g_nConnState);
  EXPECT_EQ("connect 10000", Running());
}

TEST_F(LifecycleTest, TheStatusQueryRefreshesOnlyWhileConnectedWithAutoConnect) {
  RecentInfo* record = GetRecentInfoRecord("BBCA");
  ASSERT_NE(nullptr, record);
  PluginStatus status{};
  // The short text the status shows, and whether the query refreshed.
  const auto query = [&] {
    record->Last = -1.0f;
    ReportStatus(g_global, &status);
    return status.szShortMessage + std::string(record->Last != -1.0f ? " read" : "");
  };
  Notify(REASON_DATABASE_LOADED);
  EXPECT_EQ("Conn read", query());
  g_global.m_bAutoConnect = 0;
  EXPECT_EQ("Conn", query());
  g_global.m_bAutoConnect = 1;
  for (int state : {CONN_DOWN, CONN_DISCONNECTED, CONN_ERROR, CONN_WAIT}) {
    g_nConnState = state;  // the connection is still open: only the state says no
    EXPECT_EQ(std::string::npos, query().find(" read")) << "state " << state;
  }
  EXPECT_TRUE(window_system::Messages().empty());  // a status query never tells the host
}

}  // namespace
#endif
