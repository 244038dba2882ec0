#include "db/settings.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/registry.h"
#include "plugin/global.h"
#include "testing/test_registry.h"

namespace {

// LoadSettings' reading of each value (a missing key or value, long texts):
// the host's settings test, which holds the host's own reading against it.
// Texts of any bytes in the Linux registry's file: the registry's own test.
class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing_registry::UseFreshRoot();
    testing_registry::DeleteKey(kSettingsKey);
  }
  void TearDown() override { testing_registry::DeleteKey(kSettingsKey); }
  CGlobal g;
};

// Neither a save nor a write makes the key that a later write would find.
TEST_F(SettingsTest, AMissingKeyIsNeverCreated) {
  LoadSettings(g);
  g.m_strServerAddress = "db.example";
  SaveSettings(g);  // still rebuilds what derives from the settings
  EXPECT_NE(std::string::npos, g.m_strConnect.find(";SERVER=db.example;"));
  EXPECT_FALSE(RegWriteString(kSettingsKey, "ServerAddress", "x"));
  EXPECT_FALSE(RegWriteNumber(kSettingsKey, "AutoConnect", 1));
  EXPECT_EQ(0u, RegReadNumber(kSettingsKey, "AutoConnect"));
}

// Texts are trimmed at their end and cut; Save writes the account trimmed
// and AutoConnect, never the server's address.
TEST_F(SettingsTest, ValuesRoundTripTrimmedAndCutAndSaveWritesTheAccount) {
  testing_registry::CreateKey(kSettingsKey);
  EXPECT_TRUE(RegWriteString(kSettingsKey, "ServerAddress", "db.example \t "));
  EXPECT_EQ("db.example", RegReadString(kSettingsKey, "ServerAddress"));
  EXPECT_TRUE(RegWriteString(kSettingsKey, "Long", std::string(600, 'L')));
  std::string stored;  // as written: a read would cut it again
  platform::RegistryReadString(kSettingsKey, "Long", &stored);
  EXPECT_EQ(std::string(511, 'L'), stored);
  EXPECT_TRUE(RegWriteNumber(kSettingsKey, "AutoConnect", 0xDEADBEEF));
  EXPECT_EQ(0xDEADBEEFu, RegReadNumber(kSettingsKey, "AutoConnect"));
  g.m_strServerAddress = "elsewhere";
  g.m_strUserName = "Budi  ";
  g.m_strEmail = "budi@example.id";
  g.m_bAutoConnect = 1;
  SaveSettings(g);
  EXPECT_EQ("Budi  ", g.m_strUserName);  // the member keeps its spaces
  EXPECT_EQ("Budi", RegReadString(kSettingsKey, g.m_strUserNameKey));
  EXPECT_EQ("budi@example.id", RegReadString(kSettingsKey, g.m_strEmailKey));
  EXPECT_EQ(1u, RegReadNumber(kSettingsKey, "AutoConnect"));
  EXPECT_EQ("db.example", RegReadString(kSettingsKey, "ServerAddress"));
}

}  // namespace
