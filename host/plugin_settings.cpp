#include "host/plugin_settings.h"

#include <cstdlib>

#include "src/platform/registry.h"

const char kPluginSettingsKey[] = "Software\\ZUZ\\Velmora\\Velmora";
const char kUserNameValue[] = "UserName";
const char kUserEmailValue[] = "UserEmail";

namespace {

// The plug-in reads a text through a 512-byte buffer.
constexpr size_t kLongestText = 511;

std::string Text(const char* name) {
  std::string text;
  if (!platform::RegistryReadString(kPluginSettingsKey, name, &text)) return "";
  if (text.size() > kLongestText) text.resize(kLongestText);
  return text;
}

}  // namespace

PluginSettings ReadPluginSettings() {
  PluginSettings settings;
  settings.serverAddress = Text("ServerAddress");
  settings.serverPort = Text("ServerPort");
  settings.userName = Text(kUserNameValue);
  settings.email = Text(kUserEmailValue);
  uint32_t autoConnect = 0;
  if (platform::RegistryReadNumber(kPluginSettingsKey, "AutoConnect", &autoConnect))
    settings.autoConnect = static_cast<int32_t>(autoConnect);
  settings.clientId = InstallationIdentifier();
  return settings;
}

std::string InstallationIdentifier() {
  const char* set = std::getenv("VELMORA_CLIENT_ID");
  const std::string id = set != nullptr && *set != '\0' ? set : platform::MachineIdentifier();
  const char* const kSpaces = " \t\n\r\v\f";
  const size_t first = id.find_first_not_of(kSpaces);
  if (first == std::string::npos) return "";
  return id.substr(first, id.find_last_not_of(kSpaces) - first + 1);
}

std::string PluginConnectString(const PluginSettings& settings) {
  // 4194304: the driver reconnects by itself once the server is back.
  return "DRIVER={MySQL ODBC 3.51 Driver};DATABASE=db_amiplugin;OPTION=4194304;SERVER=" +
         settings.serverAddress + ";PORT=" + settings.serverPort +
         ";UID=velmora_plugin;PWD=Vm7plugin2026";
}
