#include "lifecycle/status.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "lifecycle/conn_state.h"
#include "plugin/global.h"

namespace {

PluginStatus Fill(const CGlobal& g, int state) {
  PluginStatus status;
  std::memset(&status, 0x77, sizeof status);
  FillStatus(g, state, &status);
  EXPECT_EQ(0x77777777, status.nStructSize);
  return status;
}

TEST(Status, EveryStateHasItsTextCodeAndColour) {
  CGlobal g;
  struct Row {
    int state;
    const char* text;
    int32_t code;
    uint32_t colour;
  } rows[] = {{CONN_WAIT, "Wait", 0x10000000, 0x0000FFFF},
              {CONN_CONNECTED, "Conn", 0, 0x0000FF00},
              {CONN_DISCONNECTED, "Disc", 0x20000000, 0x00C000C0},
              {CONN_DOWN, "Down", 0x30000000, 0x000000FF}};
  for (const Row& row : rows) {
    PluginStatus s = Fill(g, row.state);
    EXPECT_STREQ(row.text, s.szShortMessage);
    EXPECT_EQ(row.code, s.nStatusCode);
    EXPECT_EQ(row.colour, s.clrStatusColor);
  }
  PluginStatus s = Fill(g, CONN_DISCONNECTED);
  EXPECT_STREQ("Disconnected.\nWill not retry until you re-connect manually.", s.szLongMessage);
}

TEST(Status, ErrorLeavesTheHostsCodeAlone) {
  CGlobal g;
  for (int state : {4, 9, -1}) {
    PluginStatus s = Fill(g, state);
    EXPECT_EQ(0x77777777, s.nStatusCode);
    EXPECT_STREQ("Error", s.szShortMessage);
    EXPECT_EQ(0x00800080u, s.clrStatusColor);
    EXPECT_STREQ("Unable connect to server, \nconnection is already in use.", s.szLongMessage);
  }
}

TEST(Status, DownCountsTwiceTheTradeInterval) {
  CGlobal g;
  const char* head =
      "Connection is shut down.\nPlease check your internet connection,\n"
      "Plugin will try to reconnect in ";
  EXPECT_EQ(std::string(head) + "10 seconds.", Fill(g, CONN_DOWN).szLongMessage);
  g.m_nTradeInterval = 12;
  EXPECT_EQ(std::string(head) + "24 seconds.", Fill(g, CONN_DOWN).szLongMessage);
}

TEST(Status, ConnectedShowsTheAccountAndIsCutToItsField) {
  CGlobal g;
  std::string bits = g.m_strPlatformBits;
  EXPECT_EQ("Version 1.2.2 (" + bits + "-bit)\nUser = \nEmail = ",
            std::string(Fill(g, CONN_CONNECTED).szLongMessage));
  g.m_strUserName = "Ani";
  g.m_strEmail = std::string(400, 'e');
  PluginStatus s = Fill(g, CONN_CONNECTED);
  EXPECT_EQ(255u, std::strlen(s.szLongMessage));
  EXPECT_EQ(0, std::strncmp(s.szLongMessage, ("Version 1.2.2 (" + bits + "-bit)\nUser = Ani\nEmail = eee").c_str(), 40));
  EXPECT_EQ(0x77, static_cast<unsigned char>(s.szShortMessage[31]));
}

}  // namespace
