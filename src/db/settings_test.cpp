#include "db/settings.h"

#include <gtest/gtest.h>

#include <string>

#include "plugin/global.h"
#include "testing/test_registry.h"

namespace {

class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing_registry::UseFreshRoot();
    testing_registry::DeleteKey(kSettingsKey);
  }
  void TearDown() override { testing_registry::DeleteKey(kSettingsKey); }
};

TEST_F(SettingsTest, AMissingKeyEmptiesTheSettingsAndIsNeverCreated) {
  CGlobal g;
  g.m_strUserName = "before";
  LoadSettings(g);
  // The built-in defaults do not survive.
  EXPECT_EQ("||||0", g.m_strServerAddress + "|" + g.m_strServerPort + "|" + g.m_strUserName +
                        "|" + g.m_strEmail + "|" + std::to_string(g.m_bAutoConnect));
  EXPECT_NE(std::string::npos, g.m_strConnect.find(";SERVER=;PORT=;UID="));
  EXPECT_FALSE(g.m_strEodColumns.empty());
  EXPECT_FALSE(g.m_strRealtimeColumns.empty());

  EXPECT_FALSE(RegWriteString(kSettingsKey, "ServerAddress", "x"));
  EXPECT_FALSE(RegWriteNumber(kSettingsKey, "AutoConnect", 1));
  g.m_strEmail = "a@b";
  SaveSettings(g);  // still rebuilds what derives from the settings
  EXPECT_FALSE(testing_registry::KeyExists(kSettingsKey));
  EXPECT_EQ("", RegReadString(kSettingsKey, "ServerAddress"));
  EXPECT_EQ(0u, RegReadNumber(kSettingsKey, "AutoConnect"));
}

// Texts of any bytes round-trip in the Linux registry's file: its own test.
TEST_F(SettingsTest, ValuesRoundTripTrimmedAndCut) {
  testing_registry::CreateKey(kSettingsKey);
  EXPECT_TRUE(RegWriteString(kSettingsKey, "ServerAddress", "db.example \t "));
  EXPECT_EQ("db.example", RegReadString(kSettingsKey, "ServerAddress"));
  EXPECT_TRUE(RegWriteString(kSettingsKey, "Long", std::string(600, 'L')));
  EXPECT_EQ(std::string(511, 'L'), RegReadString(kSettingsKey, "Long"));
  EXPECT_TRUE(RegWriteNumber(kSettingsKey, "AutoConnect", 0xDEADBEEF));
  EXPECT_EQ(0xDEADBEEFu, RegReadNumber(kSettingsKey, "AutoConnect"));
  EXPECT_TRUE(RegWriteString(kSettingsKey, "ServerAddress", "second"));
  EXPECT_EQ("second", RegReadString(kSettingsKey, "ServerAddress"));
  EXPECT_EQ(0xDEADBEEFu, RegReadNumber(kSettingsKey, "AutoConnect"));  // other values stay
  EXPECT_EQ("", RegReadString(kSettingsKey, "Absent"));
}

TEST_F(SettingsTest, LoadAndSaveGoThroughTheRegistry) {
  testing_registry::CreateKey(kSettingsKey);
  CGlobal g;
  RegWriteString(kSettingsKey, "ServerAddress", "10.0.0.7");
  RegWriteString(kSettingsKey, "ServerPort", "03306");
  RegWriteString(kSettingsKey, g.m_strUserNameKey, "Ani");
  RegWriteString(kSettingsKey, g.m_strEmailKey, "ani@example.id");
  RegWriteNumber(kSettingsKey, "AutoConnect", 1);
  testing_registry::SetEnv("VELMORA_CLIENT_ID", "  client-7 \n");
  LoadSettings(g);
  testing_registry::SetEnv("VELMORA_CLIENT_ID", "velmora-ci");
  EXPECT_EQ("client-7|Ani|ani@example.id|1", g.m_strClientId + "|" + g.m_strUserName + "|" +
                                                 g.m_strEmail + "|" +
                                                 std::to_string(g.m_bAutoConnect));
  EXPECT_NE(std::string::npos, g.m_strConnect.find(";SERVER=10.0.0.7;PORT=03306;"));

  g.m_strUserName = "Budi  ";
  g.m_bAutoConnect = 0;
  SaveSettings(g);
  EXPECT_EQ("Budi  ", g.m_strUserName);  // the member keeps its spaces
  EXPECT_EQ("Budi", RegReadString(kSettingsKey, g.m_strUserNameKey));
  EXPECT_EQ(0u, RegReadNumber(kSettingsKey, "AutoConnect"));
  EXPECT_EQ("10.0.0.7", RegReadString(kSettingsKey, "ServerAddress"));  // never written
}

}  // namespace
