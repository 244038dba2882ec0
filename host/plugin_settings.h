// The plug-in's settings as the host reads them itself, through the
// registry: what the plug-in will make of them when it starts, and the
// connection it will open with them. The host shares no code with the
// plug-in, so its test holds the two readings side by side.
#ifndef VELMORA_HOST_PLUGIN_SETTINGS_H_
#define VELMORA_HOST_PLUGIN_SETTINGS_H_

#include <cstdint>
#include <string>

// The plug-in's key in the current user's registry.
extern const char kPluginSettingsKey[];  // "Software\\ZUZ\\Velmora\\Velmora"
// The names of its two per-user values.
extern const char kUserNameValue[];   // "UserName"
extern const char kUserEmailValue[];  // "UserEmail"

// As the plug-in reads them: a missing key or value (or one of another
// type) is empty or 0, a text is cut to 511 characters.
struct PluginSettings {
  std::string serverAddress;
  std::string serverPort;
  std::string userName;
  std::string email;
  int32_t autoConnect = 0;
  std::string clientId;  // InstallationIdentifier()
};
PluginSettings ReadPluginSettings();

// The identifier the plug-in gives the server: VELMORA_CLIENT_ID when set,
// else the machine's own identifier; spaces at either end cut.
std::string InstallationIdentifier();

// The ODBC connection string the plug-in connects with, its own account
// included.
std::string PluginConnectString(const PluginSettings& settings);

#endif  // VELMORA_HOST_PLUGIN_SETTINGS_H_
