#include "lifecycle/status.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "lifecycle/conn_state.h"
#include "plugin/global.h"

namespace {

// The status as the plug-in fills it into a record the host filled with
// 0x77. The host's size field, each state's colour and the texts of Wait,
// Disc and Error: the exports test and host/scenarios_test.sh.
PluginStatus Fill(const CGlobal& g, int state) {
  PluginStatus status;
  std::memset(&status, 0x77, sizeof status);
  FillStatus(g, state, &status);
  return status;
}

// Down tells when the next try comes: after twice the trade interval.
TEST(Status, DownTellsWhenItRetries) {
  CGlobal g;
  g.m_nTradeInterval = 12;
  EXPECT_STREQ("Connection is shut down.\nPlease check your internet connection,\n"
               "Plugin will try to reconnect in 24 seconds.",
               Fill(g, CONN_DOWN).szLongMessage);
}

TEST(Status, ErrorLeavesTheHostsCodeAlone) {
  CGlobal g;
  for (int state : {4, 9, -1}) {
    PluginStatus s = Fill(g, state);
    EXPECT_EQ(0x77777777, s.nStatusCode) << state;
    EXPECT_STREQ("Error", s.szShortMessage) << state;
  }
}

TEST(Status, ConnectedShowsTheAccountAndIsCutToItsField) {
  CGlobal g;
  const std::string head = "Version 1.2.2 (" + g.m_strPlatformBits + "-bit)\nUser = ";
  g.m_strUserName = "Ani";
  g.m_strEmail = std::string(400, 'e');
  PluginStatus s = Fill(g, CONN_CONNECTED);
  EXPECT_EQ(head + "Ani\nEmail = " + std::string(255 - head.size() - 12, 'e'), s.szLongMessage);
  EXPECT_EQ(0x77, static_cast<unsigned char>(s.szShortMessage[31]));
}

}  // namespace
