#include "host/plugin_settings.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <tuple>

#include "src/db/settings.h"
#include "src/platform/registry.h"
#include "src/plugin/global.h"
#include "src/testing/test_registry.h"

namespace {

// The host reads the plug-in's settings with code of its own; for keys as a
// user or a broken tool may leave them, its reading must be the plug-in's.
TEST(PluginSettingsTest, TheHostReadsTheSettingsAsThePlugInDoes) {
  const char* ci = std::getenv("VELMORA_CLIENT_ID");
  const std::string savedId = ci != nullptr ? ci : "";
  auto text = [](const char* name, const std::string& value) {
    platform::RegistryWriteString(kPluginSettingsKey, name, value);
  };
  auto number = [](const char* name, uint32_t value) {
    platform::RegistryWriteNumber(kPluginSettingsKey, name, value);
  };
  const struct {
    const char* what;
    const char* clientId;  // null: unset, the machine's identifier
    std::function<void()> store;
  } cases[] = {
      {"no key", " \tclient-1 \n", nullptr},
      {"an empty key", nullptr, [] {}},
      {"every value", "client-2",
       [&] {
         text("ServerAddress", " db.example ");
         text("ServerPort", "03306x");
         text("UserName", "Ani \"A\" \\ =");
         text("UserEmail", "ani@example.id\r\n");
         number("AutoConnect", 0xDEADBEEF);
       }},
      {"long texts and wrong types", "client-3",
       [&] {
         text("ServerAddress", std::string(600, 'a'));
         number("ServerPort", 3306);
         text("AutoConnect", "1");
         text("UserEmail", std::string(511, 'e'));
       }},
  };
  for (const auto& c : cases) {
    testing_registry::UseFreshRoot();
    testing_registry::DeleteKey(kSettingsKey);
    if (c.store) {
      testing_registry::CreateKey(kSettingsKey);
      c.store();
    }
    testing_registry::SetEnv("VELMORA_CLIENT_ID", c.clientId);
    CGlobal g;
    LoadSettings(g);
    const PluginSettings host = ReadPluginSettings();
    EXPECT_EQ(std::tie(g.m_strServerAddress, g.m_strServerPort, g.m_strUserName, g.m_strEmail,
                       g.m_bAutoConnect, g.m_strClientId, g.m_strClientId, g.m_strConnect),
              std::make_tuple(host.serverAddress, host.serverPort, host.userName, host.email,
                              host.autoConnect, host.clientId, InstallationIdentifier(),
                              PluginConnectString(host)))
        << c.what;
  }
  testing_registry::DeleteKey(kSettingsKey);
  testing_registry::SetEnv("VELMORA_CLIENT_ID", savedId.empty() ? nullptr : savedId.c_str());
}

}  // namespace
